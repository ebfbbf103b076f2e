// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conversion.h"
#include "database.h"
#include "db_checks.h"
#include "make_db.h"
#include "recordset.h"
#include "search_list.h"
#include "test_data.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

namespace {

struct Paths
{
    QTemporaryDir dir;
    QString text = dir.filePath(QStringLiteral("decl.txt"));
    QString db = dir.filePath(QStringLiteral("t.mdb"));
};

QByteArray digest(const QString& path)
{
    return QCryptographicHash::hash(readBytes(path), QCryptographicHash::Sha256);
}

// Every name of the kind through the index, as browsing reads them.
QStringList browse(const QString& db, const QString& table = QStringLiteral("tbCnst"))
{
    std::unique_ptr<Recordset> rs =
        Database::OpenDatabase(db, Database::Access::ReadOnly)->OpenRecordset(table);
    rs->setIndex(QStringLiteral("ixName"));
    return walkNames(*rs);
}

void convert(const QString& text, const QString& db)
{
    RecordingProgress progress;
    Conversion(text, db).run(progress);
}

QProcess* startCli(QObject* parent, const QStringList& args)
{
    auto* cli = new QProcess(parent);
    cli->start(QStringLiteral(EK_CLI_PATH), args);
    return cli;
}

} // namespace

class HostileFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void viewInPlaceOfATableIsRefusedAtOnce();
    void endlessStatementIsStopped();
    void textNamedLikeTheDatabasesSideFilesIsRefused();
    void browsingLeavesTheFileAndItsNeighboursAlone();
    void hotJournalIsRolledBackToKeepTheData();
    void twoConversionsIntoOneFileEndAsOneWholeConversion();
    void conversionIntoAFileBeingWrittenIsRefused();
    void reportQuotesTheStartOfAHugeLine();
};

void HostileFilesTest::viewInPlaceOfATableIsRefusedAtOnce()
{
    Paths p;
    MakeDb(p.db);
    sqlExec(p.db, QStringLiteral("DROP TABLE tbCnst; CREATE VIEW tbCnst AS WITH RECURSIVE n(i) AS (SELECT 1 "
                                 "UNION ALL SELECT i + 1 FROM n) SELECT i AS fdID, 'X' || i AS fdName, '' AS "
                                 "fdFull FROM n;"));
    QElapsedTimer clock;
    clock.start();
    const std::optional<DbError> e = dbErrorOf([&] { browse(p.db); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::NotATable);
    QCOMPARE(e->number(), 3078);
    QVERIFY(clock.elapsed() < 2000);
    // The other kinds of the file still browse.
    QCOMPARE(browse(p.db, QStringLiteral("tbProc")), QStringList());

    QProcess cli;
    cli.start(QStringLiteral(EK_CLI_PATH), {QStringLiteral("list"), p.db, QStringLiteral("const")});
    QVERIFY(cli.waitForFinished(20000));
    QCOMPARE(cli.exitCode(), 3);
    QVERIFY(
        QString::fromUtf8(cli.readAllStandardError()).contains(QStringLiteral("サポート外のファイルです")));
}

void HostileFilesTest::endlessStatementIsStopped()
{
    Paths p;
    MakeDb(p.db);
    std::shared_ptr<Database> db = Database::OpenDatabase(p.db, Database::Access::ReadOnly);
    QElapsedTimer clock;
    clock.start();
    const std::optional<DbError> e = dbErrorOf([&] {
        db->execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT max(i) FROM n");
    });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::TooSlow);
    QVERIFY2(clock.elapsed() < 15000, "the statement ran on past its limit");
    // The connection is usable afterwards.
    QCOMPARE(browse(p.db), QStringList());
}

void HostileFilesTest::textNamedLikeTheDatabasesSideFilesIsRefused()
{
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        Paths p;
        const QString text = p.db + QLatin1String(suffix);
        writeCp932(text, {"Const A = 1"});
        const QByteArray before = readBytes(text);
        const std::optional<DbError> e = dbErrorOf([&] { convert(text, p.db); });
        QVERIFY2(e, suffix);
        QCOMPARE(e->fault(), DbFault::SideFileName);
        QCOMPARE(e->number(), 75);
        QCOMPARE(readBytes(text), before);
        QVERIFY(!QFileInfo::exists(p.db));

        QProcess cli;
        cli.start(QStringLiteral(EK_CLI_PATH), {QStringLiteral("convert"), text, p.db});
        QVERIFY(cli.waitForFinished(20000));
        QCOMPARE(cli.exitCode(), 3);
        QCOMPARE(readBytes(text), before);
    }
}

void HostileFilesTest::browsingLeavesTheFileAndItsNeighboursAlone()
{
    Paths p;
    writeCp932(p.text, {"Const B = 2", "Const A = 1", "Declare PtrSafe Sub S Lib \"k\" ()"});
    convert(p.text, p.db);
    // A file of the user's that happens to carry the journal's name.
    const QString journal = p.db + QStringLiteral("-journal");
    writeBytes(journal, "notes of mine\n");
    const QByteArray before = digest(p.db);
    const QDateTime modified = QFileInfo(p.db).lastModified();

    QCOMPARE(browse(p.db), QStringList({"A", "B"}));
    std::unique_ptr<Recordset> rs =
        Database::OpenDatabase(p.db, Database::Access::ReadOnly)->OpenRecordset(QStringLiteral("tbCnst"));
    rs->setIndex(QStringLiteral("ixName"));
    QCOMPARE(SearchIndex(*rs, QStringLiteral("b")), std::optional<QString>(QStringLiteral("B")));
    for (const QStringList& command :
         {QStringList{"list", p.db, "const"}, QStringList{"search", p.db, "const", "a"},
          QStringList{"show", p.db, "const", "A"}}) {
        QProcess cli;
        cli.start(QStringLiteral(EK_CLI_PATH), command);
        QVERIFY(cli.waitForFinished(20000));
        QCOMPARE(cli.exitCode(), 0);
    }
    QCOMPARE(digest(p.db), before);
    QCOMPARE(QFileInfo(p.db).lastModified(), modified);
    QCOMPARE(readBytes(journal), QByteArray("notes of mine\n"));

    // A database in WAL mode is read as it is: no checkpoint writes its file.
    QVERIFY(QFile::remove(journal));
    sqlExec(p.db, QStringLiteral("PRAGMA journal_mode = WAL;"));
    const QByteArray wal = digest(p.db);
    QCOMPARE(browse(p.db), QStringList({"A", "B"}));
    QCOMPARE(digest(p.db), wal);
}

void HostileFilesTest::hotJournalIsRolledBackToKeepTheData()
{
    Paths p;
    QStringList lines;
    for (int i = 0; i < 3000; ++i)
        lines << QStringLiteral("Const KEPT_%1 = %1").arg(i, 4, 10, QLatin1Char('0'));
    writeCp932(p.text, lines);
    convert(p.text, p.db);
    // A writer that dies in the middle of a transaction leaves a hot journal and
    // half-written pages behind.
    QProcess writer;
    writer.start(sqliteShell(), {QStringLiteral("-batch"), p.db});
    if (!writer.waitForStarted())
        QSKIP("the sqlite3 shell is needed as the dying writer");
    writer.write("PRAGMA cache_size = 2; BEGIN; UPDATE tbCnst SET fdName = 'LOST' || fdName;\n"
                 "SELECT 'spilled';\n");
    QVERIFY(writer.waitForReadyRead(20000));
    writer.kill();
    writer.waitForFinished();
    QVERIFY(QFileInfo::exists(p.db + QStringLiteral("-journal")));

    const QStringList names = browse(p.db);
    QCOMPARE(names.size(), 3000);
    QCOMPARE(names.first(), QStringLiteral("KEPT_0000"));
    QCOMPARE(integrityCheck(p.db), QStringLiteral("ok"));
}

void HostileFilesTest::twoConversionsIntoOneFileEndAsOneWholeConversion()
{
    Paths p;
    const QString other = p.dir.filePath(QStringLiteral("other.txt"));
    QStringList a;
    QStringList b;
    for (int i = 0; i < 60000; ++i) {
        a << QStringLiteral("Const A_%1 = %1").arg(i);
        b << QStringLiteral("Const B_%1 = %1").arg(i);
    }
    writeCp932(p.text, a);
    writeCp932(other, b.mid(0, 40000));
    for (int round = 0; round < 4; ++round) {
        QObject owner;
        QProcess* first = startCli(&owner, {QStringLiteral("convert"), p.text, p.db});
        QProcess* second = startCli(&owner, {QStringLiteral("convert"), other, p.db});
        QVERIFY(first->waitForFinished(60000));
        QVERIFY(second->waitForFinished(60000));
        const int statuses[] = {first->exitCode(), second->exitCode()};
        // Each run either finished or said plainly that another program had the file.
        for (QProcess* run : {first, second}) {
            const QString err = QString::fromUtf8(run->readAllStandardError());
            if (run->exitCode() != 0) {
                QCOMPARE(run->exitCode(), 3);
                QVERIFY2(err.contains(QStringLiteral("使用中")), qPrintable(err));
            }
        }
        QVERIFY(statuses[0] == 0 || statuses[1] == 0);
        const QStringList count = rowTexts(p.db, QStringLiteral("SELECT count(*), min(fdName) FROM tbCnst"));
        QVERIFY2(count == QStringList{QStringLiteral("60000|A_0")} ||
                     count == QStringList{QStringLiteral("40000|B_0")},
                 qPrintable(count.join(u',')));
        QCOMPARE(integrityCheck(p.db), QStringLiteral("ok"));
        QCOMPARE(rowTexts(p.db, QStringLiteral("SELECT count(*) FROM tbProc")),
                 QStringList{QStringLiteral("0")});
    }
}

void HostileFilesTest::conversionIntoAFileBeingWrittenIsRefused()
{
    Paths p;
    writeCp932(p.text, {"Const NEW = 1"});
    std::shared_ptr<Database> writing = MakeDb(p.db);
    sqlite3* h = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(p.db).constData(), &h, SQLITE_OPEN_READONLY, nullptr),
             SQLITE_OK);
    const int rc = sqlite3_exec(h, "SELECT count(*) FROM tbCnst", nullptr, nullptr, nullptr);
    sqlite3_close(h);
    QCOMPARE(rc, SQLITE_BUSY);

    const std::optional<DbError> e = dbErrorOf([&] { convert(p.text, p.db); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::Locked);
    QCOMPARE(e->path(), p.db);
    writing->Close();
    QCOMPARE(rowTexts(p.db, QStringLiteral("SELECT count(*) FROM tbCnst")), QStringList{QStringLiteral("0")});
    // Nothing but the database stays in the folder.
    QCOMPARE(QDir(p.dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"decl.txt", "t.mdb"}));
}

void HostileFilesTest::reportQuotesTheStartOfAHugeLine()
{
    Paths p;
    const QString huge = QStringLiteral("Const HUGE") + QString(3 * 1024 * 1024, u'x');
    writeCp932(p.text, {huge, "Const SHORT_NO_VALUE", "Const OK = 1"});
    RecordingProgress progress;
    const ConvertResult r = Conversion(p.text, p.db).run(progress);
    QCOMPARE(r.skippedCount, 2);
    QCOMPARE(r.skipped[0].text, huge.left(200));
    QVERIFY(r.skipped[0].cut);
    QCOMPARE(r.skipped[1].text, QStringLiteral("Const SHORT_NO_VALUE"));
    QVERIFY(!r.skipped[1].cut);

    QProcess cli;
    cli.start(QStringLiteral(EK_CLI_PATH), {QStringLiteral("convert"), p.text, p.db});
    QVERIFY(cli.waitForFinished(20000));
    QCOMPARE(cli.exitCode(), 1);
    const QStringList err = QString::fromUtf8(cli.readAllStandardError()).split(u'\n');
    QVERIFY(err.size() >= 2);
    QVERIFY2(err[0].endsWith(huge.left(200) + QStringLiteral("…")), qPrintable(err[0].right(20)));
    QVERIFY(err[0].size() < 400);
}

QTEST_GUILESS_MAIN(HostileFilesTest)
#include "hostile_files_test.moc"
