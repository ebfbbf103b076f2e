// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "convert_text.h"
#include "database.h"
#include "db_checks.h"
#include "get_full.h"
#include "make_db.h"
#include "recordset.h"
#include "test_data.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sqlite3.h>

namespace {

const QStringList kTables = {QStringLiteral("tbCnst"), QStringLiteral("tbProc"), QStringLiteral("tbType"),
                             QStringLiteral("tbMenb")};

struct Paths
{
    QTemporaryDir dir;
    QString text = dir.filePath(QStringLiteral("decl.txt"));
    QString db = dir.filePath(QStringLiteral("t.mdb"));
};

qint64 count(const QString& db, const QString& table)
{
    return sqlRows(db, QStringLiteral("SELECT count(*) FROM %1").arg(table)).value(0).value(0).toLongLong();
}

// True when no connection anywhere holds a lock on the file.
bool nobodyHolds(const QString& db)
{
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(db).constData(), &h, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(h);
        return false;
    }
    const int rc = sqlite3_exec(h, "BEGIN EXCLUSIVE; COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(h);
    return rc == SQLITE_OK;
}

// Every name of every kind through the name index and, for types, the rebuilt
// text: what browsing the file would read. The number of the first failure, or 0.
int browseAll(const QString& path, qint64* names = nullptr)
{
    return faultNumberOf([&] {
        std::shared_ptr<Database> db = Database::OpenDatabase(path, Database::Access::ReadOnly);
        qint64 seen = 0;
        for (int kind : {kKindConstant, kKindProcedure, kKindType}) {
            std::unique_ptr<Recordset> rs = db->OpenRecordset(kindTable(kind));
            rs->setIndex(QStringLiteral("ixName"));
            const QStringList all = walkNames(*rs);
            seen += all.size();
            if (kind == kKindType) {
                for (const QString& name : all)
                    GetFull(*rs, *db, kind, name);
            }
        }
        if (names)
            *names = seen;
    });
}

// The bytes of lines joined with CR LF, the last one included.
QByteArray crlf(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out += line.toUtf8() + "\r\n";
    return out;
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray out(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (char& c : out)
        c = char(random.bounded(256));
    return out;
}

// A declaration database as the convert command leaves it, with a few hundred rows.
void makeFilledDatabase(const Paths& p, int blocks = 300)
{
    QStringList lines;
    for (int i = 0; i < blocks; ++i) {
        lines << QStringLiteral("Public Const CONST_%1 = %1").arg(i)
              << QStringLiteral("Declare Function Func%1 Lib \"lib%1\" () As Long").arg(i)
              << QStringLiteral("Type TYPE_%1").arg(i) << QStringLiteral("    member%1 As Long").arg(i)
              << QStringLiteral("End Type");
    }
    writeBytes(p.text, crlf(lines));
    MakeDb(p.db);
    RecordingProgress progress;
    convertInto(p.text, p.db, progress);
}

// Changes the text file while the conversion reads it, at a chosen line.
class MeddlingProgress : public RecordingProgress
{
public:
    std::function<void()> meddle;
    int atCall = 1;
    bool Cancel(qint64 lNewValue) override
    {
        if (positions.size() + 1 == atCall && meddle)
            meddle();
        return RecordingProgress::Cancel(lNewValue);
    }
};

// Line k (from 0) of the generated file that the kill test converts: blocks of
// a constant, a declaration and a type with two members, numbered alike.
QString generatedLine(qint64 k)
{
    const qint64 i = k / 6;
    switch (k % 6) {
    case 0:
        return QStringLiteral("Public Const C_%1 = %1").arg(i);
    case 1:
        return QStringLiteral("Declare Function F_%1 Lib \"k\" () As Long").arg(i);
    case 2:
        return QStringLiteral("Type T_%1").arg(i);
    case 3:
        return QStringLiteral("    a_%1 As Long").arg(i);
    case 4:
        return QStringLiteral("    b_%1 As Long").arg(i);
    default:
        return QStringLiteral("End Type");
    }
}

} // namespace

class FaultsTest : public QObject
{
    Q_OBJECT
private slots:
    // Text files.
    void missingTextFileIsReportedAndNothingStaysOpen();
    void textPathThatIsFolderIsRefused();
    void unreadableTextFileIsReported();
    void binaryGarbageIsStoredOrListedLineByLine();
    void nulBytesAreKeptInNamesAndTexts();
    void singleTenMegabyteLineIsStored();
    void hundredThousandRecordTypesKeepTheirNumbers();
    void fileOfOnlyCommentsStoresNothing();
    void linesAppendedWhileReadingAreConverted();
    void fileTruncatedWhileReadingEndsAtNewEnd();

    // Database files to open.
    void emptyFileIsNoDeclarationDatabase();
    void randomBytesAreRefusedAndLeftAlone();
    void truncatedDatabaseReportsDamage();
    void databaseWithoutOurTablesIsRefused();
    void databaseWithOneTableDroppedIsRefusedBeforeWriting();
    void tableWithWrongColumnsIsReported();
    void databaseLockedByAnotherProcessIsReported();
    void readOnlyDatabaseCanBeBrowsedButNotFilled();

    // Writing.
    void missingTargetFolderIsReported();
    void targetThatIsFolderIsRefused();
    void fullDiskEndsTheRunAndKeepsCommittedRows();
    void killedConversionLeavesPrefixOfRows();
};

void FaultsTest::missingTextFileIsReportedAndNothingStaysOpen()
{
    Paths p;
    MakeDb(p.db);
    RecordingProgress progress;
    const std::optional<DbError> e = dbErrorOf([&] { convertInto(p.text, p.db, progress); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::TextNotFound);
    QCOMPARE(e->number(), 53);
    QCOMPARE(e->path(), p.text);
    QCOMPARE(progress.inits, 0);
    QCOMPARE(progress.terms, 0);
    QVERIFY(nobodyHolds(p.db));
    QCOMPARE(browseAll(p.db), 0);

    const QString elsewhere = p.dir.filePath(QStringLiteral("gone/decl.txt"));
    QCOMPARE(faultNumberOf([&] { convertInto(elsewhere, p.db, progress); }), 3044);
    QVERIFY(nobodyHolds(p.db));
}

void FaultsTest::textPathThatIsFolderIsRefused()
{
    Paths p;
    MakeDb(p.db);
    RecordingProgress progress;
    const std::optional<DbError> e = dbErrorOf([&] { convertInto(p.dir.path(), p.db, progress); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::NotAFile);
    QCOMPARE(progress.inits, 0);
    QVERIFY(nobodyHolds(p.db));
}

void FaultsTest::unreadableTextFileIsReported()
{
    Paths p;
    writeBytes(p.text, "Public Const A = 1\r\n");
    MakeDb(p.db);
    giveToUnprivilegedUser(p.dir.path());
    QVERIFY(QFile::setPermissions(p.text, QFileDevice::Permissions()));
    UnprivilegedFiles unprivileged;
    if (!unprivileged.modesApply())
        QSKIP("running privileged and cannot drop the file-system identity");
    RecordingProgress progress;
    const std::optional<DbError> e = dbErrorOf([&] { convertInto(p.text, p.db, progress); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::TextAccess);
    QCOMPARE(e->number(), 75);
    QCOMPARE(progress.inits, 0);
    QVERIFY(nobodyHolds(p.db));
}

void FaultsTest::binaryGarbageIsStoredOrListedLineByLine()
{
    const QByteArray noise = randomBytes(256 * 1024, 20260101);
    // The lines as any reader splits them, and those with text before the first
    // apostrophe (0x27 is never the second byte of a character in code page 932).
    qint64 lines = 0;
    qint64 withText = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= noise.size(); ++i) {
        const bool end = i == noise.size();
        if (!end && noise[i] != '\r' && noise[i] != '\n')
            continue;
        if (end && start == i)
            break;
        ++lines;
        const qsizetype apostrophe = noise.indexOf('\'', start);
        const qsizetype cut = apostrophe >= 0 && apostrophe < i ? apostrophe : i;
        if (cut > start)
            ++withText;
        if (!end && noise[i] == '\r' && i + 1 < noise.size() && noise[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    Paths p;
    writeBytes(p.text, noise);
    MakeDb(p.db);
    RecordingProgress progress;
    const ConvertResult r = convertInto(p.text, p.db, progress);
    QCOMPARE(r.lines, lines);
    QCOMPARE(r.constants + r.procedures + r.types + r.members + r.skippedCount, withText);
    QCOMPARE(count(p.db, QStringLiteral("tbMenb")), r.members);
    QVERIFY(r.members > 500);
    QCOMPARE(progress.terms, 1);
    QCOMPARE(integrityCheck(p.db), QStringLiteral("ok"));
    QCOMPARE(browseAll(p.db), 0);
}

void FaultsTest::nulBytesAreKeptInNamesAndTexts()
{
    Paths p;
    static const char raw[] = "Public Const A\0B = 1\r\n"
                              "Type T\0\r\n"
                              "  x\0y\r\n"
                              "End Type\r\n"
                              "\0\r\n"
                              "Public Const AFTER = 2\r\n";
    const QByteArray bytes(raw, sizeof raw - 1);
    writeBytes(p.text, bytes);
    MakeDb(p.db);
    RecordingProgress progress;
    const ConvertResult r = convertInto(p.text, p.db, progress);
    QVERIFY(!r.textChanged);
    QCOMPARE(r.lines, 6);
    QCOMPARE(r.skippedCount, 0);
    QCOMPARE(progress.positions.last(), qint64(bytes.size()));
    const QString nul(QChar(u'\0'));
    QCOMPARE(tableRows(p.db, QStringLiteral("tbCnst")),
             QStringList({QStringLiteral("A") + nul + QStringLiteral("B|Public Const A") + nul +
                              QStringLiteral("B = 1"),
                          QStringLiteral("AFTER|Public Const AFTER = 2")}));
    QCOMPARE(tableRows(p.db, QStringLiteral("tbMenb")),
             QStringList({QStringLiteral("  x") + nul + QStringLiteral("y|0"), nul + QStringLiteral("|1")}));

    std::shared_ptr<Database> db = Database::OpenDatabase(p.db);
    std::unique_ptr<Recordset> constants = db->OpenRecordset(QStringLiteral("tbCnst"));
    constants->setIndex(QStringLiteral("ixName"));
    QCOMPARE(GetFull(*constants, *db, kKindConstant, QStringLiteral("a") + nul + QStringLiteral("b")),
             QStringLiteral("Public Const A") + nul + QStringLiteral("B = 1"));
    QVERIFY(GetFull(*constants, *db, kKindConstant, QStringLiteral("A")).isEmpty());
    std::unique_ptr<Recordset> types = db->OpenRecordset(QStringLiteral("tbType"));
    types->setIndex(QStringLiteral("ixName"));
    QCOMPARE(GetFull(*types, *db, kKindType, QStringLiteral("T") + nul), QStringLiteral("Type T") + nul +
                                                                             QStringLiteral("\r\n  x") + nul +
                                                                             QStringLiteral("y\r\nEnd Type"));
}

void FaultsTest::singleTenMegabyteLineIsStored()
{
    Paths p;
    const qsizetype size = 10 * 1024 * 1024;
    const QByteArray value = QByteArray(size, 'x');
    writeBytes(p.text, "Public Const HUGE = \"" + value + "\"\r\nPublic Const AFTER = 1\r\n");
    MakeDb(p.db);
    RecordingProgress progress;
    const ConvertResult r = convertInto(p.text, p.db, progress);
    QCOMPARE(r.constants, 2);
    QCOMPARE(progress.positions.first(), qint64(size + 24));
    QCOMPARE(rowTexts(p.db, QStringLiteral("SELECT fdName, length(fdFull) FROM tbCnst ORDER BY fdID")),
             QStringList({QStringLiteral("HUGE|%1").arg(size + 22), QStringLiteral("AFTER|22")}));
    std::shared_ptr<Database> db = Database::OpenDatabase(p.db);
    std::unique_ptr<Recordset> rs = db->OpenRecordset(QStringLiteral("tbCnst"));
    rs->setIndex(QStringLiteral("ixName"));
    const QString full = GetFull(*rs, *db, kKindConstant, QStringLiteral("huge"));
    QCOMPARE(full.size(), size + 22);
    QVERIFY(full.endsWith(QLatin1String("xxx\"")));
}

void FaultsTest::hundredThousandRecordTypesKeepTheirNumbers()
{
    constexpr int kTypes = 100000;
    QByteArray bytes;
    bytes.reserve(kTypes * 40);
    for (int i = 0; i < kTypes; ++i)
        bytes += "Type T" + QByteArray::number(i) + "\r\n    v" + QByteArray::number(i) +
                 " As Long\r\nEnd Type\r\n";
    Paths p;
    writeBytes(p.text, bytes);
    MakeDb(p.db);
    RecordingProgress progress;
    const ConvertResult r = convertInto(p.text, p.db, progress);
    QCOMPARE(r.types, kTypes);
    QCOMPARE(r.members, kTypes);
    QCOMPARE(r.skippedCount, 0);
    QCOMPARE(progress.positions.last(), qint64(bytes.size()));
    // Every member carries the number of its own type, and numbers run from 0.
    QCOMPARE(rowTexts(p.db, QStringLiteral("SELECT count(*), min(t.fdTypeID), max(t.fdTypeID) FROM tbType t "
                                           "JOIN tbMenb m ON m.fdTypeID = t.fdTypeID "
                                           "WHERE t.fdName = 'T' || t.fdTypeID "
                                           "AND m.fdFull = '    v' || t.fdTypeID || ' As Long'")),
             QStringList{QStringLiteral("%1|0|%2").arg(kTypes).arg(kTypes - 1)});
    std::shared_ptr<Database> db = Database::OpenDatabase(p.db);
    std::unique_ptr<Recordset> rs = db->OpenRecordset(QStringLiteral("tbType"));
    rs->setIndex(QStringLiteral("ixName"));
    for (int i : {0, 1, 50000, kTypes - 1}) {
        QCOMPARE(GetFull(*rs, *db, kKindType, QStringLiteral("t%1").arg(i)),
                 QStringLiteral("Type T%1\r\n    v%1 As Long\r\nEnd Type").arg(i));
    }
    QCOMPARE(integrityCheck(p.db), QStringLiteral("ok"));
}

void FaultsTest::fileOfOnlyCommentsStoresNothing()
{
    QStringList lines;
    for (int i = 0; i < 1000; ++i)
        lines << QStringLiteral("' comment %1 with Public Const X = 1 and Type T").arg(i);
    Paths p;
    writeBytes(p.text, crlf(lines));
    MakeDb(p.db);
    RecordingProgress progress;
    const ConvertResult r = convertInto(p.text, p.db, progress);
    QCOMPARE(r.lines, 1000);
    QCOMPARE(progress.events, 1000);
    QCOMPARE(r.skippedCount, 0);
    for (const QString& table : kTables)
        QCOMPARE(count(p.db, table), 0);
}

void FaultsTest::linesAppendedWhileReadingAreConverted()
{
    Paths p;
    writeBytes(p.text, crlf({"Public Const FIRST = 1", "Public Const SECOND = 2"}));
    MakeDb(p.db);
    MeddlingProgress progress;
    progress.meddle = [&] {
        QFile f(p.text);
        QVERIFY(f.open(QIODevice::Append));
        f.write(crlf({"Type GROWN", "    g As Long", "End Type", "Public Const LAST = 3"}));
    };
    const ConvertResult r = convertInto(p.text, p.db, progress);
    QVERIFY(r.textChanged);
    QCOMPARE(r.lines, 6);
    QCOMPARE(sqlColumn(p.db, QStringLiteral("SELECT fdName FROM tbCnst ORDER BY fdID")),
             QStringList({"FIRST", "SECOND", "LAST"}));
    QCOMPARE(tableRows(p.db, QStringLiteral("tbType")), QStringList{QStringLiteral("GROWN|Type GROWN|0")});
    // The bar may pass its maximum; the run still ends normally.
    QVERIFY(progress.positions.last() > progress.max);
    QCOMPARE(progress.terms, 1);
}

void FaultsTest::fileTruncatedWhileReadingEndsAtNewEnd()
{
    QStringList lines;
    for (int i = 0; i < 40000; ++i)
        lines << QStringLiteral("Public Const NAME_%1 = %1").arg(i, 6, 10, QLatin1Char('0'));
    const QByteArray bytes = crlf(lines);
    // Every line has the same length, so half the lines end exactly at half the file.
    const qint64 keptLines = 20000;
    const qint64 keptBytes = bytes.size() / 2;
    QCOMPARE(keptBytes % (bytes.size() / lines.size()), 0);
    Paths p;
    writeBytes(p.text, bytes);
    MakeDb(p.db);
    MeddlingProgress progress;
    progress.meddle = [&] { QVERIFY(QFile::resize(p.text, keptBytes)); };
    const ConvertResult r = convertInto(p.text, p.db, progress);
    QVERIFY(r.textChanged);
    QCOMPARE(r.lines, keptLines);
    QCOMPARE(r.constants, keptLines);
    QCOMPARE(progress.positions.last(), keptBytes);
    QCOMPARE(rowTexts(p.db, QStringLiteral("SELECT count(*), min(fdName), max(fdName) FROM tbCnst")),
             QStringList{QStringLiteral("20000|NAME_000000|NAME_019999")});
    QCOMPARE(progress.terms, 1);
    QCOMPARE(integrityCheck(p.db), QStringLiteral("ok"));
}

void FaultsTest::emptyFileIsNoDeclarationDatabase()
{
    Paths p;
    writeBytes(p.text, "Public Const A = 1\r\n");
    writeBytes(p.db, QByteArray());
    QCOMPARE(browseAll(p.db), 3078);
    RecordingProgress progress;
    QCOMPARE(faultNumberOf([&] { convertInto(p.text, p.db, progress); }), 3078);
    QCOMPARE(progress.inits, 0);
    QCOMPARE(QFileInfo(p.db).size(), 0);
}

void FaultsTest::randomBytesAreRefusedAndLeftAlone()
{
    Paths p;
    const QByteArray noise = randomBytes(64 * 1024, 7);
    writeBytes(p.text, "Public Const A = 1\r\n");
    writeBytes(p.db, noise);
    QCOMPARE(browseAll(p.db), 3343);
    RecordingProgress progress;
    QCOMPARE(faultNumberOf([&] { convertInto(p.text, p.db, progress); }), 3343);
    QCOMPARE(progress.inits, 0);
    QCOMPARE(readBytes(p.db), noise);
}

void FaultsTest::truncatedDatabaseReportsDamage()
{
    Paths p;
    makeFilledDatabase(p);
    const qint64 full = QFileInfo(p.db).size();
    QVERIFY(full > 16 * 4096);
    qint64 browsed = 0;
    QCOMPARE(browseAll(p.db, &browsed), 0);
    QCOMPARE(browsed, 900);
    QVERIFY(QFile::resize(p.db, full / 2));
    // A file cut in half must not browse as if it were whole.
    QCOMPARE(browseAll(p.db), 3049);
    QVERIFY(integrityCheck(p.db) != QLatin1String("ok"));
}

void FaultsTest::databaseWithoutOurTablesIsRefused()
{
    Paths p;
    writeBytes(p.text, "Public Const A = 1\r\n");
    writeBytes(p.db, QByteArray());
    sqlExec(p.db, QStringLiteral("CREATE TABLE notes (id INTEGER, body TEXT);"
                                 "INSERT INTO notes VALUES (1, 'mine');"));
    const QByteArray before = readBytes(p.db);
    QCOMPARE(browseAll(p.db), 3078);
    RecordingProgress progress;
    QCOMPARE(faultNumberOf([&] { convertInto(p.text, p.db, progress); }), 3078);
    QCOMPARE(progress.inits, 0);
    QCOMPARE(readBytes(p.db), before);
    QVERIFY(nobodyHolds(p.db));
}

void FaultsTest::databaseWithOneTableDroppedIsRefusedBeforeWriting()
{
    for (const QString& dropped : kTables) {
        Paths p;
        writeBytes(p.text, crlf({"Public Const A = 1", "Type T", "  x", "End Type"}));
        MakeDb(p.db);
        sqlExec(p.db, QStringLiteral("DROP TABLE %1;").arg(dropped));
        RecordingProgress progress;
        const std::optional<DbError> e = dbErrorOf([&] { convertInto(p.text, p.db, progress); });
        QVERIFY(e);
        QCOMPARE(e->number(), 3078);
        QCOMPARE(progress.inits, 0);
        // All four tables are opened before the first row is written.
        for (const QString& table : kTables) {
            if (table != dropped)
                QCOMPARE(count(p.db, table), 0);
        }
        QVERIFY(nobodyHolds(p.db));
        QCOMPARE(browseAll(p.db), dropped == QLatin1String("tbMenb") ? 0 : 3078);
    }
}

void FaultsTest::tableWithWrongColumnsIsReported()
{
    Paths p;
    makeFilledDatabase(p, 3);
    sqlExec(p.db, QStringLiteral("DROP TABLE tbCnst; CREATE TABLE tbCnst (fdID INTEGER PRIMARY KEY,"
                                 " fdLabel TEXT, fdText TEXT);"
                                 "INSERT INTO tbCnst (fdLabel) VALUES ('X');"));
    std::shared_ptr<Database> db = Database::OpenDatabase(p.db);
    std::unique_ptr<Recordset> rs = db->OpenRecordset(QStringLiteral("tbCnst"));
    const std::optional<DbError> e = dbErrorOf([&] { rs->setIndex(QStringLiteral("ixName")); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::NoField);
    QCOMPARE(e->number(), 3265);
    // The other kinds of the same file still browse.
    std::unique_ptr<Recordset> types = db->OpenRecordset(QStringLiteral("tbType"));
    types->setIndex(QStringLiteral("ixName"));
    QCOMPARE(walkNames(*types), QStringList({"TYPE_0", "TYPE_1", "TYPE_2"}));
    db->Close();

    // Converting into it is refused before a line is read or a row written.
    writeBytes(p.text, crlf({"  before", "Public Const A = 1", "  after"}));
    RecordingProgress progress;
    QCOMPARE(faultNumberOf([&] { convertInto(p.text, p.db, progress); }), 3265);
    QCOMPARE(progress.inits, 0);
    QCOMPARE(progress.terms, 0);
    QCOMPARE(sqlColumn(p.db, QStringLiteral("SELECT count(*) FROM tbMenb WHERE fdID > 3")),
             QStringList{QStringLiteral("0")});
    QCOMPARE(integrityCheck(p.db), QStringLiteral("ok"));
}

void FaultsTest::databaseLockedByAnotherProcessIsReported()
{
    if (sqliteShell().isEmpty())
        QSKIP("the sqlite3 shell is needed as the other process");
    Paths p;
    makeFilledDatabase(p, 3);
    writeBytes(p.text, crlf({"Public Const A = 1"}));
    QProcess other;
    other.start(sqliteShell(), {QStringLiteral("-batch"), p.db});
    QVERIFY(other.waitForStarted());
    other.write("BEGIN EXCLUSIVE;\n");
    QTRY_VERIFY_WITH_TIMEOUT(!nobodyHolds(p.db), 20000);

    const std::optional<DbError> e = dbErrorOf([&] { Database::OpenDatabase(p.db); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::Locked);
    QCOMPARE(e->number(), 3045);
    RecordingProgress progress;
    QCOMPARE(faultNumberOf([&] { convertInto(p.text, p.db, progress); }), 3045);
    QCOMPARE(progress.inits, 0);

    other.closeWriteChannel();
    QVERIFY(other.waitForFinished(20000));
    QCOMPARE(browseAll(p.db), 0);
    // Once the other process is gone the same file takes rows again.
    convertInto(p.text, p.db, progress);
    QCOMPARE(count(p.db, QStringLiteral("tbCnst")), 4);
}

void FaultsTest::readOnlyDatabaseCanBeBrowsedButNotFilled()
{
    Paths p;
    makeFilledDatabase(p, 3);
    writeBytes(p.text, crlf({"Public Const NEW_ONE = 1"}));
    giveToUnprivilegedUser(p.dir.path());
    QVERIFY(QFile::setPermissions(p.db, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QByteArray before = readBytes(p.db);
    {
        UnprivilegedFiles unprivileged;
        if (!unprivileged.modesApply())
            QSKIP("running privileged and cannot drop the file-system identity");
        qint64 names = 0;
        QCOMPARE(browseAll(p.db, &names), 0);
        QCOMPARE(names, 9);
        RecordingProgress progress;
        const std::optional<DbError> e = dbErrorOf([&] { convertInto(p.text, p.db, progress); });
        QVERIFY(e);
        QCOMPARE(e->fault(), DbFault::ReadOnly);
        QCOMPARE(e->number(), 3027);
        QCOMPARE(progress.inits, 1);
        QCOMPARE(progress.terms, 1);
    }
    QCOMPARE(readBytes(p.db), before);
    QVERIFY(nobodyHolds(p.db));
}

void FaultsTest::missingTargetFolderIsReported()
{
    Paths p;
    writeBytes(p.text, crlf({"Public Const A = 1"}));
    const QString db = p.dir.filePath(QStringLiteral("missing/t.mdb"));
    RecordingProgress progress;
    const std::optional<DbError> e = dbErrorOf([&] { convertInto(p.text, db, progress); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::BadPath);
    QCOMPARE(e->number(), 3044);
    QCOMPARE(e->path(), db);
    QCOMPARE(progress.inits, 0);
    QVERIFY(!QFileInfo::exists(p.dir.filePath(QStringLiteral("missing"))));
}

void FaultsTest::targetThatIsFolderIsRefused()
{
    Paths p;
    writeBytes(p.text, crlf({"Public Const A = 1"}));
    const QString folder = p.dir.filePath(QStringLiteral("target.mdb"));
    QVERIFY(QDir().mkdir(folder));
    RecordingProgress progress;
    const std::optional<DbError> e = dbErrorOf([&] { convertInto(p.text, folder, progress); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::NotAFile);
    QCOMPARE(e->number(), 3051);
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(QDir(folder).isEmpty());
}

void FaultsTest::fullDiskEndsTheRunAndKeepsCommittedRows()
{
    QStringList lines;
    for (int i = 0; i < 5000; ++i)
        lines << QStringLiteral("Public Const FILLER_CONSTANT_NUMBER_%1 = %1 ")
                         .arg(i, 5, 10, QLatin1Char('0')) +
                     QString(40, u'x');
    // Every row on its own, then groups committed every millisecond.
    for (int interval : {0, 1}) {
        Paths p;
        writeBytes(p.text, crlf(lines));
        MakeDb(p.db);
        const qint64 emptyPages = QFileInfo(p.db).size() / 4096;
        ConvertOptions options;
        options.commitIntervalMs = interval;
        options.commitShare = 0;
        // Storing each row on its own costs a disk sync per row: a smaller disk then.
        options.maxPageCount = emptyPages + (interval > 0 ? 30 : 3);
        RecordingProgress progress;
        const std::optional<DbError> e = dbErrorOf([&] { convertInto(p.text, p.db, progress, options); });
        QVERIFY(e);
        QCOMPARE(e->fault(), DbFault::DiskFull);
        QCOMPARE(e->number(), 3026);
        QCOMPARE(e->path(), p.db);
        QCOMPARE(progress.inits, 1);
        QCOMPARE(progress.terms, 1);
        // What is stored is the file's first lines, in order, and no more than were read.
        const qint64 read = progress.positions.size();
        const qint64 stored = count(p.db, QStringLiteral("tbCnst"));
        QVERIFY(stored > 20);
        QVERIFY(stored < read);
        if (interval == 0)
            QCOMPARE(stored, read - 1);
        QCOMPARE(
            rowTexts(p.db, QStringLiteral("SELECT count(*) FROM tbCnst WHERE fdName = "
                                          "'FILLER_CONSTANT_NUMBER_' || substr('0000' || (fdID - 1), -5)")),
            QStringList{QString::number(stored)});
        qint64 listed = 0;
        QCOMPARE(browseAll(p.db, &listed), 0);
        QCOMPARE(listed, stored);
        QCOMPARE(integrityCheck(p.db), QStringLiteral("ok"));
        QVERIFY(nobodyHolds(p.db));
    }
}

void FaultsTest::killedConversionLeavesPrefixOfRows()
{
    constexpr qint64 kLines = 600000;
    Paths p;
    {
        QFile f(p.text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QByteArray chunk;
        for (qint64 k = 0; k < kLines; ++k) {
            chunk += generatedLine(k).toUtf8() + "\r\n";
            if (chunk.size() > (1 << 20) || k + 1 == kLines) {
                QCOMPARE(f.write(chunk), chunk.size());
                chunk.clear();
            }
        }
    }
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cli.start(QStringLiteral(EK_CLI_PATH), {QStringLiteral("convert"), p.text, p.db});
    QVERIFY(cli.waitForStarted());
    // The converter keeps the file locked while it writes; it grows as groups of
    // rows are committed.
    const auto someRows = [&] { return QFileInfo(p.db).size() > 64 * 4096; };
    QTRY_VERIFY_WITH_TIMEOUT(someRows() || cli.state() == QProcess::NotRunning, 60000);
    QVERIFY2(cli.state() == QProcess::Running, "the conversion ended before it could be killed");
    QCOMPARE(::kill(pid_t(cli.processId()), SIGKILL), 0);
    QVERIFY(cli.waitForFinished(20000));
    QCOMPARE(cli.exitStatus(), QProcess::CrashExit);

    // The first connection to open the file rolls back what the killed run left
    // half written.
    qint64 listed = 0;
    QCOMPARE(browseAll(p.db, &listed), 0);
    QCOMPARE(integrityCheck(p.db), QStringLiteral("ok"));
    const qint64 c = count(p.db, QStringLiteral("tbCnst"));
    const qint64 d = count(p.db, QStringLiteral("tbProc"));
    const qint64 t = count(p.db, QStringLiteral("tbType"));
    const qint64 m = count(p.db, QStringLiteral("tbMenb"));
    QCOMPARE(listed, c + d + t);
    QVERIFY(m > 0);
    QVERIFY2(c < kLines / 6, "the file was converted completely; nothing was cut off");

    // The counts are those of the first L lines for one L.
    qint64 prefix = -1;
    for (qint64 l = std::max<qint64>(0, 6 * c - 6); l <= 6 * c + 6; ++l) {
        const qint64 q = l / 6;
        const qint64 r = l % 6;
        if (c == q + (r >= 1) && d == q + (r >= 2) && t == q + (r >= 3) && m == 2 * q + (r >= 4) + (r >= 5)) {
            prefix = l;
            break;
        }
    }
    QVERIFY2(prefix >= 0,
             qPrintable(QStringLiteral("counts %1 %2 %3 %4 are no prefix").arg(c).arg(d).arg(t).arg(m)));
    // Each row is the line it came from, in order, with its type number.
    QCOMPARE(count(p.db, QStringLiteral("tbCnst WHERE fdName = 'C_' || (fdID - 1)")), c);
    QCOMPARE(count(p.db, QStringLiteral("tbProc WHERE fdName = 'F_' || (fdID - 1)")), d);
    QCOMPARE(count(p.db, QStringLiteral("tbType WHERE fdName = 'T_' || fdTypeID AND fdTypeID = rowid - 1")),
             t);
    QCOMPARE(count(p.db, QStringLiteral(
                             "tbMenb WHERE fdTypeID = (fdID - 1) / 2 AND fdFull = '    ' || "
                             "CASE (fdID - 1) % 2 WHEN 0 THEN 'a_' ELSE 'b_' END || fdTypeID || ' As Long'")),
             m);
}

QTEST_GUILESS_MAIN(FaultsTest)
#include "faults_test.moc"
