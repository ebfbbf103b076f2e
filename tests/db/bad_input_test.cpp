// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conversion.h"
#include "copy_assembly.h"
#include "db_checks.h"
#include "decl_browser.h"
#include "decl_store.h"
#include "error_text.h"
#include "test_data.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Paths
{
    QTemporaryDir dir;
    QString text = dir.filePath(QStringLiteral("decl.txt"));
    QString db = dir.filePath(QStringLiteral("t.mdb"));
};

QByteArray crlf(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out += line.toUtf8() + "\r\n";
    return out;
}

QByteArray digest(const QString& path)
{
    return QCryptographicHash::hash(readBytes(path), QCryptographicHash::Sha256);
}

// Every entry of a folder, hidden ones included.
QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Every name of every kind and the text of every type: what browsing the file reads.
// The number of the first failure, or 0.
int browseAll(const QString& path, qint64* names = nullptr)
{
    return faultNumberOf([&] {
        const std::unique_ptr<DeclStore> store = DeclStore::open(path);
        qint64 seen = 0;
        for (DeclKind kind : kDeclKinds) {
            const QStringList all = listNames(*store, kind);
            seen += all.size();
            if (kind == DeclKind::Type) {
                for (const QString& name : all)
                    GetFull(*store, kind, name);
            }
        }
        if (names)
            *names = seen;
    });
}

struct Finished
{
    int status = -1;
    qint64 peakKb = 0;
    qint64 ms = 0;
    QString err;
};

// GNU time reports a child's own peak: a child forked from this process would count
// this process's memory as its own until it runs ek-cli.
const char kTime[] = "/usr/bin/time";

// ek-cli as its own process, with its peak memory when GNU time is there; its
// arguments are the bytes given, as a shell would pass them.
Finished runCliBytes(const QList<QByteArray>& args)
{
    QElapsedTimer clock;
    clock.start();
    const bool timed = QFileInfo::exists(QLatin1String(kTime));
    QList<QByteArray> owned;
    if (timed)
        owned << kTime << "-f"
              << "EKPEAK %M";
    owned << QByteArray(EK_CLI_PATH) << args;
    std::vector<char*> argv;
    for (QByteArray& a : owned)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int err[2];
    if (::pipe(err) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(err[1], 2);
        ::close(err[0]);
        ::close(err[1]);
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, 1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(err[1]);
    Finished f;
    QByteArray text;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(err[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, got);
    ::close(err[0]);
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return f;
    f.ms = clock.elapsed();
    f.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const qsizetype peak = text.lastIndexOf("EKPEAK ");
    if (timed && peak >= 0) {
        f.peakKb = text.mid(peak + 7).trimmed().toLongLong();
        text.truncate(peak);
    } else {
        f.peakKb = -1;
    }
    f.err = QString::fromUtf8(text);
    return f;
}

Finished runCli(const QStringList& args)
{
    QList<QByteArray> bytes;
    for (const QString& a : args)
        bytes << QFile::encodeName(a);
    return runCliBytes(bytes);
}

// The names in a folder as the bytes they are, in byte order.
QList<QByteArray> rawNamesIn(const QString& folder)
{
    QList<QByteArray> names;
    DIR* d = ::opendir(QFile::encodeName(folder).constData());
    if (!d)
        return names;
    while (const dirent* entry = ::readdir(d)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

void writeRaw(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    ::close(fd);
}

// How much more than ek-cli's own start a run took at its peak; -1 without GNU time.
qint64 growthKb(const Finished& run)
{
    const Finished idle = runCli({QStringLiteral("--version")});
    return run.peakKb < 0 || idle.peakKb < 0 ? -1 : run.peakKb - idle.peakKb;
}

} // namespace

// Text files and database files as they come: nothing is taken for what it is not,
// nothing waits without end, and browsing changes no file.
class BadInputTest : public QObject
{
    Q_OBJECT
private slots:
    // Text files.
    void unreadableTextsAreRefusedBeforeAnythingIsTouched();
    void textThatChangesWhileReadIsReported();
    void garbageIsStoredOrListedLineByLine();
    void byteOrderMarkIsNoPartOfTheFirstLine();
    void overlongLinesAreQuotedByTheirStart();
    void hundredThousandRecordTypesKeepTheirNumbers();
    void textNamedLikeTheDatabasesSideFilesIsRefused();
    void namesThatAreNotUtf8AreRefusedNeverAnotherFile();
    void overlongNamesAreCalledSoNotMissing();

    // Database files.
    void damagedOrForeignDatabasesAreRefusedAndLeftAlone();
    void unfinishedWriteIsRefusedAndNothingRolledBack();
    void aWalWriterAtWorkIsToldApartFromOneThatDied();
    void browsingLeavesTheFileAndItsNeighboursAlone();
    void craftedFilesCannotMakeAReadEndless();
    void databasesWithoutTheirIndexesAreUnsupportedNotDamaged();
    void aWholeReadHasItsOwnLimit();
};

void BadInputTest::unreadableTextsAreRefusedBeforeAnythingIsTouched()
{
    Paths p;
    writeBytes(p.db, "the old database");
    const QString fifo = p.dir.filePath(QStringLiteral("fifo.txt"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString utf16 = p.dir.filePath(QStringLiteral("utf16.txt"));
    writeBytes(utf16, QByteArray("\xFF\xFE", 2) + QByteArray("C\0o\0n\0s\0t\0 \0A\0 \0=\0 \0001\0", 22));
    const QString bigEndian = p.dir.filePath(QStringLiteral("utf16be.txt"));
    writeBytes(bigEndian, QByteArray("\xFE\xFF\0C\0o", 6));
    const QString nul = p.dir.filePath(QStringLiteral("nul.txt"));
    writeBytes(nul, QByteArray("Public Const A = 1\r\nB\0C\r\n", 25));
    const struct
    {
        QString path;
        DbFault fault;
    } cases[] = {
        {p.dir.filePath(QStringLiteral("missing.txt")), DbFault::TextNotFound},
        {p.dir.filePath(QStringLiteral("gone/decl.txt")), DbFault::BadPath},
        {p.dir.path(), DbFault::NotAFile},
        // Opened without waiting for a writer, and judged on what was opened.
        {fifo, DbFault::NotAFile},
        {utf16, DbFault::NotText},
        {bigEndian, DbFault::NotText},
        {nul, DbFault::NotText},
    };
    for (const auto& c : cases) {
        RecordingProgress progress;
        const std::optional<DbError> e = dbErrorOf([&] { Conversion(c.path, p.db).run(progress); });
        QVERIFY2(e && e->fault() == c.fault,
                 qPrintable(c.path + (e ? u' ' + QString::number(faultNumber(e->fault())) : "")));
        QCOMPARE(e->path(), c.path);
        QCOMPARE(progress.inits, 0);
    }
    // A text only its owner may read, for a user who is not its owner.
    writeBytes(p.text, "Public Const A = 1\r\n");
    giveToUnprivilegedUser(p.dir.path());
    QVERIFY(QFile::setPermissions(p.text, QFileDevice::Permissions()));
    {
        UnprivilegedFiles unprivileged;
        if (!unprivileged.modesApply())
            QSKIP("running privileged and cannot drop the file-system identity");
        RecordingProgress progress;
        const std::optional<DbError> e = dbErrorOf([&] { Conversion(p.text, p.db).run(progress); });
        QVERIFY(e);
        QCOMPARE(e->fault(), DbFault::TextAccess);
        QCOMPARE(faultNumber(e->fault()), 75);
    }
    QCOMPARE(readBytes(p.db), QByteArray("the old database"));
    QCOMPARE(filesIn(p.dir.path()),
             QStringList({"decl.txt", "fifo.txt", "nul.txt", "t.mdb", "utf16.txt", "utf16be.txt"}));
}

void BadInputTest::textThatChangesWhileReadIsReported()
{
    // Lines appended: the run ends where the text ended when it began, and the
    // change is reported; a text that keeps growing cannot keep it going.
    {
        Paths p;
        writeBytes(p.text, crlf({"Public Const FIRST = 1", "Public Const SECOND = 2"}));
        MeddlingProgress progress;
        progress.atCall = 1;
        progress.meddle = [&] {
            QFile f(p.text);
            QVERIFY(f.open(QIODevice::Append));
            f.write(crlf({"Type GROWN", "    g As Long", "End Type", "Public Const LAST = 3"}));
        };
        const ConvertResult r = Conversion(p.text, p.db).run(progress);
        QVERIFY(r.textChanged);
        QCOMPARE(r.lines, 2);
        QCOMPARE(sqlColumn(p.db, QStringLiteral("SELECT fdName FROM tbCnst ORDER BY fdID")),
                 QStringList({"FIRST", "SECOND"}));
        QCOMPARE(sqlColumn(p.db, QStringLiteral("SELECT count(*) FROM tbType")), QStringList({"0"}));
        QCOMPARE(progress.positions.last(), progress.max);
        QCOMPARE(progress.terms, 1);
    }
    // Cut in half: the run ends at the new end.
    {
        QStringList lines;
        for (int i = 0; i < 40000; ++i)
            lines << QStringLiteral("Public Const NAME_%1 = %1").arg(i, 6, 10, QLatin1Char('0'));
        const QByteArray bytes = crlf(lines);
        Paths p;
        writeBytes(p.text, bytes);
        MeddlingProgress progress;
        progress.atCall = 1;
        progress.meddle = [&] { QVERIFY(QFile::resize(p.text, bytes.size() / 2)); };
        const ConvertResult r = Conversion(p.text, p.db).run(progress);
        QVERIFY(r.textChanged);
        QCOMPARE(r.lines, 20000);
        QCOMPARE(progress.positions.last(), bytes.size() / 2);
        QCOMPARE(integrityCheck(p.db), QStringLiteral("ok"));
    }
    // The same size, rewritten in place behind what was read, or another file put in
    // its place: the sizes agree, the file's time or the file does not.
    for (const bool replaced : {false, true}) {
        Paths p;
        const QByteArray bytes = crlf({"Public Const A = 1", "Public Const B = 2", "Public Const C = 3"});
        writeBytes(p.text, bytes);
        MeddlingProgress progress;
        progress.atCall = 2;
        progress.meddle = [&] {
            QByteArray other = bytes;
            other.replace("A = 1", "X = 9");
            struct stat before
            {
            };
            ::stat(QFile::encodeName(p.text).constData(), &before);
            if (replaced) {
                writeBytes(p.text + QStringLiteral(".new"), other);
                QVERIFY(QFile::rename(p.text, p.text + QStringLiteral(".old")));
                QVERIFY(QFile::rename(p.text + QStringLiteral(".new"), p.text));
            } else {
                QFile f(p.text);
                QVERIFY(f.open(QIODevice::ReadWrite));
                f.write(other);
            }
            // A file system with coarse times still shows a different one.
            const struct timespec times[2] = {{before.st_atime, 0}, {before.st_mtime + 2, 0}};
            ::utimensat(AT_FDCWD, QFile::encodeName(p.text).constData(), times, 0);
        };
        const ConvertResult r = Conversion(p.text, p.db).run(progress);
        QVERIFY2(r.textChanged, replaced ? "replaced" : "rewritten");
        QCOMPARE(r.constants, 3);
    }
}

void BadInputTest::garbageIsStoredOrListedLineByLine()
{
    // Random bytes, but no NUL: with one the file would be no text at all.
    QByteArray noise(256 * 1024, Qt::Uninitialized);
    QRandomGenerator random(20260101);
    for (char& c : noise)
        c = char(1 + random.bounded(255));
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
    RecordingProgress progress;
    const ConvertResult r = Conversion(p.text, p.db).run(progress);
    QCOMPARE(r.lines, lines);
    QCOMPARE(r.constants + r.procedures + r.types + r.members + r.skippedCount, withText);
    QCOMPARE(progress.terms, 1);
    QCOMPARE(integrityCheck(p.db), QStringLiteral("ok"));
    QCOMPARE(browseAll(p.db), 0);
}

void BadInputTest::byteOrderMarkIsNoPartOfTheFirstLine()
{
    Paths p;
    writeBytes(p.text, "\xEF\xBB\xBFPublic Const FIRST = 1\r\n\xEF\xBB\xBFType T\r\nEnd Type\r\n");
    RecordingProgress progress;
    const ConvertResult r = Conversion(p.text, p.db).run(progress);
    QCOMPARE(tableRows(p.db, QStringLiteral("tbCnst")), QStringList{"FIRST|Public Const FIRST = 1"});
    // Only at the start of the file: later it is a character of a line like any other,
    // and the line no type header.
    QCOMPARE(r.types, 0);
    QCOMPARE(r.skippedCount, 1);
    QCOMPARE(r.skipped[0].reason, SkipReason::OutsideType);
    QCOMPARE(progress.positions.first(), 27);
}

void BadInputTest::overlongLinesAreQuotedByTheirStart()
{
    Paths p;
    const QString huge = QStringLiteral("Const HUGE") + QString(3 * 1024 * 1024, u'x');
    writeCp932(p.text, {huge, "Const SHORT_NO_VALUE", "Const OK = 1"});
    RecordingProgress progress;
    const ConvertResult r = Conversion(p.text, p.db).run(progress);
    QCOMPARE(r.skippedCount, 2);
    QCOMPARE(r.skipped[0].reason, SkipReason::TooLong);
    QCOMPARE(r.skipped[0].text, huge.left(200));
    QVERIFY(r.skipped[0].cut);
    QCOMPARE(r.skipped[1].text, QStringLiteral("Const SHORT_NO_VALUE"));
    QCOMPARE(progress.positions.first(), huge.size() + 2);
    QCOMPARE(r.constants, 1);

    const Finished cli = runCli({QStringLiteral("convert"), p.text, p.db});
    QCOMPARE(cli.status, 1);
    const QStringList err = cli.err.split(u'\n');
    QVERIFY2(err[0].endsWith(huge.left(200) + QStringLiteral("…")), qPrintable(err[0].right(20)));
    QVERIFY(err[0].size() < 400);
    // The line is read in pieces, never held whole.
    const qint64 grown = growthKb(cli);
    if (grown < 0)
        QSKIP("GNU time is needed to measure the peak memory");
    QVERIFY2(grown < 40 * 1024, qPrintable(QString::number(grown)));
}

void BadInputTest::hundredThousandRecordTypesKeepTheirNumbers()
{
    constexpr int kTypes = 100000;
    QByteArray bytes;
    bytes.reserve(kTypes * 40);
    for (int i = 0; i < kTypes; ++i)
        bytes += "Type T" + QByteArray::number(i) + "\r\n    v" + QByteArray::number(i) +
                 " As Long\r\nEnd Type\r\n";
    Paths p;
    writeBytes(p.text, bytes);
    RecordingProgress progress;
    const ConvertResult r = Conversion(p.text, p.db).run(progress);
    QCOMPARE(r.types, kTypes);
    QCOMPARE(r.members, kTypes);
    QCOMPARE(r.skippedCount, 0);
    // Every member carries the number of its own type, and numbers run from 0.
    QCOMPARE(rowTexts(p.db, QStringLiteral("SELECT count(*), min(t.fdTypeID), max(t.fdTypeID) FROM tbType t "
                                           "JOIN tbMenb m ON m.fdTypeID = t.fdTypeID "
                                           "WHERE t.fdName = 'T' || t.fdTypeID "
                                           "AND m.fdFull = '    v' || t.fdTypeID || ' As Long'")),
             QStringList{QStringLiteral("%1|0|%2").arg(kTypes).arg(kTypes - 1)});
    const std::unique_ptr<DeclStore> store = DeclStore::open(p.db);
    for (int i : {0, 1, 50000, kTypes - 1})
        QCOMPARE(GetFull(*store, DeclKind::Type, QStringLiteral("t%1").arg(i)),
                 QStringLiteral("Type T%1\r\n    v%1 As Long\r\nEnd Type").arg(i));
}

void BadInputTest::namesThatAreNotUtf8AreRefusedNeverAnotherFile()
{
    Paths p;
    writeBytes(p.text, "Public Const A = 1\r\n");
    const QByteArray folder = QFile::encodeName(p.dir.path()) + '/';
    // What the replacement character makes of the name: somebody else's file.
    const QByteArray lookalike = "bad\xEF\xBF\xBD.mdb";
    writeRaw(folder + lookalike, "someone else's");
    // テキスト.txt as code page 932 names it.
    const QByteArray cp932Name = "\x83"
                                 "e\x83L\x83X\x83g.txt";
    writeRaw(folder + cp932Name, "Public Const B = 2\r\n");
    const struct
    {
        QList<QByteArray> args;
        QByteArray named; // the name the message gives, as far as it is text
    } cases[] = {
        {{"convert", QFile::encodeName(p.text), folder + "bad\xFF.mdb"}, "bad"},
        {{"convert", folder + cp932Name, QFile::encodeName(p.db)}, ".txt"},
        {{"list", folder + "bad\xFF.mdb", "const"}, "bad"},
        {{"show", folder + "bad\xFF.mdb", "const", "A"}, "bad"},
    };
    for (const auto& c : cases) {
        const Finished r = runCliBytes(c.args);
        const QString what = QString::fromUtf8(c.args.join(' ')) + u'\n' + r.err;
        QVERIFY2(r.status == 3, qPrintable(what));
        QVERIFY2(r.err.contains(QStringLiteral("UTF-8 として読めない")), qPrintable(what));
        QVERIFY2(r.err.contains(QString::fromUtf8(c.named)), qPrintable(what));
        QVERIFY2(!r.err.contains(QStringLiteral("見つかりません")), qPrintable(what));
    }
    QCOMPARE(readBytes(QFile::decodeName(folder + lookalike)), QByteArray("someone else's"));
    QCOMPARE(rawNamesIn(p.dir.path()), QList<QByteArray>({lookalike, "decl.txt", cp932Name}));
    // Names no QString can hold are beyond the temporary folder's own clean-up.
    for (const QByteArray& name : {lookalike, cp932Name})
        ::unlink((folder + name).constData());
}

void BadInputTest::overlongNamesAreCalledSoNotMissing()
{
    Paths p;
    writeBytes(p.text, "Public Const A = 1\r\n");
    // A name the folder takes, whose hidden build file it does not: the old one stays.
    const QString longest = p.dir.filePath(QString(240, u'n') + QStringLiteral(".mdb"));
    QCOMPARE(runCli({QStringLiteral("convert"), p.text, p.db}).status, 0);
    QVERIFY(QFile::copy(p.db, longest));
    const QByteArray before = readBytes(longest);
    // A path of 100 KB, which the system refuses before it looks for any folder.
    const QString deep = p.dir.filePath(QStringLiteral("d/").repeated(50000) + QStringLiteral("t.mdb"));
    const struct
    {
        QStringList args;
        bool kept;
    } cases[] = {
        {{QStringLiteral("convert"), p.text, longest}, true},
        {{QStringLiteral("convert"), p.text, deep}, false},
        {{QStringLiteral("convert"), deep, p.db}, true},
        {{QStringLiteral("list"), deep, QStringLiteral("const")}, false},
    };
    for (const auto& c : cases) {
        const Finished r = runCli(c.args);
        const QString what = c.args.first() + u' ' + r.err.left(300);
        QVERIFY2(r.status == 3, qPrintable(what));
        QVERIFY2(r.err.contains(QStringLiteral("名前が長すぎる")), qPrintable(what));
        QVERIFY2(!r.err.contains(QStringLiteral("見つかりません")), qPrintable(what));
        QVERIFY2(!r.err.contains(QRegularExpression(QStringLiteral("/\\.n+\\.mdb\\.[0-9a-f]{16}"))),
                 qPrintable(what));
        QCOMPARE(r.err.contains(QStringLiteral("そのまま残っています")), c.kept);
    }
    QCOMPARE(readBytes(longest), before);
    QCOMPARE(filesIn(p.dir.path()),
             QStringList({"decl.txt", QString(240, u'n') + QStringLiteral(".mdb"), "t.mdb"}));
}

void BadInputTest::textNamedLikeTheDatabasesSideFilesIsRefused()
{
    // The side files, and the hidden files a conversion builds in and removes after
    // an earlier one was killed.
    for (const char* suffix : {"-journal", "-wal", "-shm", "hidden", "hidden-journal"}) {
        Paths p;
        const QFileInfo db(p.db);
        const QString hidden = db.dir().filePath(QStringLiteral(".%1.0123456789abcdef").arg(db.fileName()));
        const QString text = QByteArray(suffix).startsWith("hidden") ? hidden + QLatin1String(suffix).mid(6)
                                                                     : p.db + QLatin1String(suffix);
        writeCp932(text, {"Const A = 1"});
        const QByteArray before = readBytes(text);
        RecordingProgress progress;
        const std::optional<DbError> e = dbErrorOf([&] { Conversion(text, p.db).run(progress); });
        QVERIFY2(e, suffix);
        QCOMPARE(e->fault(), DbFault::SideFileName);
        QCOMPARE(readBytes(text), before);
        QVERIFY(!QFileInfo::exists(p.db));
    }
}

void BadInputTest::damagedOrForeignDatabasesAreRefusedAndLeftAlone()
{
    Paths p;
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QStringLiteral("Public Const CONST_%1 = %1").arg(i) << QStringLiteral("Type TYPE_%1").arg(i)
              << QStringLiteral("    member%1 As Long").arg(i) << QStringLiteral("End Type");
    writeBytes(p.text, crlf(lines));
    RecordingProgress progress;
    Conversion(p.text, p.db).run(progress);
    qint64 browsed = 0;
    QCOMPARE(browseAll(p.db, &browsed), 0);
    QCOMPARE(browsed, 600);

    const QString cut = p.dir.filePath(QStringLiteral("cut.mdb"));
    QVERIFY(QFile::copy(p.db, cut));
    QVERIFY(QFile::resize(cut, QFileInfo(p.db).size() / 2));
    const QString views = p.dir.filePath(QStringLiteral("views.mdb"));
    QVERIFY(QFile::copy(p.db, views));
    // A view over an endless query where a table must be, and a virtual table whose
    // statement hides its kind behind a comment.
    sqlExec(views,
            QStringLiteral("DROP TABLE tbCnst; CREATE VIEW tbCnst AS WITH RECURSIVE n(i) AS (SELECT 1 "
                           "UNION ALL SELECT i + 1 FROM n) SELECT i AS fdID, 'X' || i AS fdName, '' AS "
                           "fdFull FROM n;"
                           "DROP TABLE tbType; CREATE/**/VIRTUAL TABLE tbType USING fts5(fdName, fdFull, "
                           "fdTypeID);"));
    const QString columns = p.dir.filePath(QStringLiteral("columns.mdb"));
    QVERIFY(QFile::copy(p.db, columns));
    sqlExec(columns, QStringLiteral("DROP TABLE tbCnst; CREATE TABLE tbCnst (fdID INTEGER PRIMARY KEY,"
                                    " fdLabel TEXT, fdText TEXT);"));
    const QByteArray viewsBefore = digest(views);
    QElapsedTimer clock;
    clock.start();
    const auto faultIn = [](const QString& db, DeclKind kind) {
        return faultNumberOf([&] { listNames(*DeclStore::open(db), kind); });
    };
    // A file cut in half must not browse as if it were whole.
    QCOMPARE(browseAll(cut), 3049);
    QCOMPARE(faultIn(views, DeclKind::Constant), 3078);
    QCOMPARE(faultIn(views, DeclKind::Type), 3078);
    QCOMPARE(faultIn(views, DeclKind::Procedure), 0);
    QCOMPARE(faultIn(columns, DeclKind::Constant), 3265);
    QCOMPARE(faultIn(columns, DeclKind::Type), 0);
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(digest(views), viewsBefore);
}

// Converts 3000 constants into p.db and starts the sqlite3 shell on it with script,
// up to the moment it answers; false when there is no shell.
static bool startWriter(const Paths& p, QProcess& writer, const char* script)
{
    QStringList lines;
    for (int i = 0; i < 3000; ++i)
        lines << QStringLiteral("Const KEPT_%1 = %1").arg(i, 4, 10, QLatin1Char('0'));
    writeCp932(p.text, lines);
    RecordingProgress progress;
    Conversion(p.text, p.db).run(progress);
    if (sqliteShell().isEmpty())
        return false;
    writer.start(sqliteShell(), {QStringLiteral("-batch"), p.db});
    writer.waitForStarted();
    writer.write(script);
    return writer.waitForReadyRead(20000);
}

void BadInputTest::unfinishedWriteIsRefusedAndNothingRolledBack()
{
    Paths p;
    RecordingProgress progress;
    // A writer that dies in the middle of a transaction leaves a hot journal and
    // half-written pages behind: in a shared folder, anyone can put such a file there.
    QProcess writer;
    if (!startWriter(p, writer,
                     "PRAGMA cache_size = 2; BEGIN; UPDATE tbCnst SET fdName = 'EVIL' || fdName;\n"
                     "SELECT 'spilled';\n"))
        QSKIP("the sqlite3 shell is needed as the dying writer");
    const QString journal = p.db + QStringLiteral("-journal");
    // While the writer lives and holds its lock, its write is going on, not broken off;
    // the side file named is the one that is there.
    const std::optional<DbError> busy = dbErrorOf([&] { DeclStore::open(p.db); });
    QVERIFY(busy);
    QCOMPARE(busy->fault(), DbFault::BeingWritten);
    QCOMPARE(busy->detail(), journal);
    writer.kill();
    writer.waitForFinished();
    QVERIFY(QFileInfo::exists(journal));
    const QByteArray dbBefore = digest(p.db);
    const QByteArray journalBefore = digest(journal);

    const std::optional<DbError> e = dbErrorOf([&] { DeclStore::open(p.db); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::UnfinishedWrite);
    QCOMPARE(e->detail(), journal);
    for (const QStringList& command :
         {QStringList{"list", p.db, "const"}, QStringList{"search", p.db, "const", "K"},
          QStringList{"show", p.db, "const", "KEPT_0001"}}) {
        const Finished cli = runCli(command);
        QCOMPARE(cli.status, 3);
        QVERIFY2(cli.err.contains(QStringLiteral("変換し直してください")), qPrintable(cli.err));
    }
    QCOMPARE(digest(p.db), dbBefore);
    QCOMPARE(digest(journal), journalBefore);
    // Converting again is the way back: the journal goes with the old file.
    Conversion(p.text, p.db).run(progress);
    QVERIFY(!QFileInfo::exists(journal));
    QCOMPARE(browseAll(p.db), 0);
}

void BadInputTest::aWalWriterAtWorkIsToldApartFromOneThatDied()
{
    Paths p;
    QProcess writer;
    // A small cache spills the open transaction's pages into the WAL.
    if (!startWriter(p, writer,
                     "PRAGMA journal_mode = WAL; PRAGMA cache_size = 2; BEGIN;"
                     "UPDATE tbCnst SET fdName = 'EVIL' || fdName; SELECT 'spilled';\n"))
        QSKIP("the sqlite3 shell is needed as the writer");
    const QString wal = p.db + QStringLiteral("-wal");
    QTRY_VERIFY(QFileInfo(wal).size() > 32);
    const std::optional<DbError> busy = dbErrorOf([&] { DeclStore::open(p.db); });
    QVERIFY(busy);
    QCOMPARE(busy->fault(), DbFault::BeingWritten);
    QCOMPARE(busy->detail(), wal);
    writer.kill();
    writer.waitForFinished();
    const std::optional<DbError> dead = dbErrorOf([&] { DeclStore::open(p.db); });
    QVERIFY(dead);
    QCOMPARE(dead->fault(), DbFault::UnfinishedWrite);
    QCOMPARE(dead->detail(), wal);
}

void BadInputTest::browsingLeavesTheFileAndItsNeighboursAlone()
{
    Paths p;
    writeCp932(p.text, {"Const B = 2", "Const A = 1", "Declare PtrSafe Sub S Lib \"k\" ()"});
    RecordingProgress progress;
    Conversion(p.text, p.db).run(progress);
    // Whatever stands under the names SQLite gives its files: a user's notes, a
    // FIFO that would block a reader, a folder.
    const QString journal = p.db + QStringLiteral("-journal");
    const QString wal = p.db + QStringLiteral("-wal");
    const QString shm = p.dir.filePath(QStringLiteral("t.mdb-shm"));
    writeBytes(journal, "notes of mine\n");
    QCOMPARE(::mkfifo(QFile::encodeName(wal).constData(), 0600), 0);
    QVERIFY(QDir().mkdir(shm));
    const QByteArray before = digest(p.db);
    const QDateTime modified = QFileInfo(p.db).lastModified();
    for (const QStringList& command :
         {QStringList{"list", p.db, "const"}, QStringList{"search", p.db, "const", "a"},
          QStringList{"show", p.db, "const", "A"}}) {
        const Finished cli = runCli(command);
        QCOMPARE(cli.status, 0);
        QVERIFY(cli.ms < 15000);
    }
    QCOMPARE(listNames(*DeclStore::open(p.db), DeclKind::Constant), QStringList({"A", "B"}));
    QCOMPARE(digest(p.db), before);
    QCOMPARE(QFileInfo(p.db).lastModified(), modified);
    QCOMPARE(readBytes(journal), QByteArray("notes of mine\n"));
    QCOMPARE(filesIn(p.dir.path()),
             QStringList({"decl.txt", "t.mdb", "t.mdb-journal", "t.mdb-shm", "t.mdb-wal"}));
}

void BadInputTest::craftedFilesCannotMakeAReadEndless()
{
    Paths p;
    writeCp932(p.text, {"Const A = 1"});
    RecordingProgress progress;
    Conversion(p.text, p.db).run(progress);
    // A schema of a million entries: reading it is under the time limit too.
    const QString schema = p.dir.filePath(QStringLiteral("schema.mdb"));
    QVERIFY(QFile::copy(p.db, schema));
    {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(schema).constData(), &db), SQLITE_OK);
        sqlite3_exec(db, "PRAGMA writable_schema = ON; BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO sqlite_master VALUES ('view', 'v' || ?1, 'v' || ?1, 0, "
                           "'CREATE VIEW v' || ?1 || ' AS SELECT ' || ?1)",
                           -1, &insert, nullptr);
        for (int i = 0; i < 1000000; ++i) {
            sqlite3_bind_int(insert, 1, i);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        QCOMPARE(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    const Finished slow = runCli({QStringLiteral("list"), schema, QStringLiteral("const")});
    QVERIFY2(slow.ms < 20000, qPrintable(QString::number(slow.ms)));
    QVERIFY2(slow.status == 0 || slow.status == 3, qPrintable(slow.err));

    // A name of 20 MB is refused before it is loaded whole.
    const QString huge = p.dir.filePath(QStringLiteral("huge.mdb"));
    QVERIFY(QFile::copy(p.db, huge));
    sqlExec(huge, QStringLiteral("INSERT INTO tbCnst (fdName, fdFull) VALUES (zeroblob(20000000), 'x');"
                                 "UPDATE tbCnst SET fdName = CAST(fdName AS TEXT) WHERE fdFull = 'x';"));
    const Finished big = runCli({QStringLiteral("list"), huge, QStringLiteral("const")});
    QCOMPARE(big.status, 3);
    QVERIFY2(big.err.contains(QStringLiteral("サポート外")), qPrintable(big.err));
    const qint64 grown = growthKb(big);
    if (grown < 0)
        QSKIP("GNU time is needed to measure the peak memory");
    QVERIFY2(grown < 20 * 1024, qPrintable(QString::number(grown)));
}

void BadInputTest::databasesWithoutTheirIndexesAreUnsupportedNotDamaged()
{
    Paths p;
    writeCp932(p.text, {"Const A = 1", "Declare Function F Lib \"k\" () As Long", "Type T", "    x As Long",
                        "End Type"});
    RecordingProgress progress;
    Conversion(p.text, p.db).run(progress);
    // Each index gone, or made over other columns: every lookup would read the whole
    // table, and a copy of many names take minutes.
    const struct
    {
        const char* change;
        QStringList args;
    } cases[] = {
        {"DROP INDEX tbCnst_ixName", {QStringLiteral("list"), QStringLiteral("const")}},
        {"DROP INDEX tbCnst_ixName; CREATE INDEX tbCnst_ixName ON tbCnst (fdFull)",
         {QStringLiteral("show"), QStringLiteral("const"), QStringLiteral("A")}},
        {"DROP INDEX tbProc_ixName", {QStringLiteral("show"), QStringLiteral("func"), QStringLiteral("F")}},
        {"DROP INDEX tbType_ixName", {QStringLiteral("list"), QStringLiteral("type")}},
        {"DROP INDEX tbMenb_ixTypeID", {QStringLiteral("show"), QStringLiteral("type"), QStringLiteral("T")}},
    };
    for (const auto& c : cases) {
        const QString db = p.dir.filePath(QStringLiteral("changed.mdb"));
        QFile::remove(db);
        QVERIFY(QFile::copy(p.db, db));
        sqlExec(db, QString::fromUtf8(c.change));
        QCOMPARE(integrityCheck(db), QStringLiteral("ok"));
        QStringList args = c.args;
        args.insert(1, db);
        const Finished r = runCli(args);
        const QString what = QString::fromUtf8(c.change) + u'\n' + r.err;
        QVERIFY2(r.status == 3, qPrintable(what));
        QVERIFY2(r.err.contains(QStringLiteral("サポート外")) &&
                     r.err.contains(QStringLiteral("の索引がありません")),
                 qPrintable(what));
        QVERIFY2(!r.err.contains(QStringLiteral("壊れ")), qPrintable(what));
    }
    // The database as made reads through its indexes.
    const Finished whole =
        runCli({QStringLiteral("show"), p.db, QStringLiteral("type"), QStringLiteral("T")});
    QCOMPARE(whole.status, 0);
}

void BadInputTest::aWholeReadHasItsOwnLimit()
{
    Paths p;
    QStringList lines;
    for (int i = 0; i < 100000; ++i)
        lines << QStringLiteral("Const C%1 = %1").arg(i);
    writeCp932(p.text, lines);
    RecordingProgress progress;
    Conversion(p.text, p.db).run(progress);
    const std::unique_ptr<DeclBrowser> browser = DeclBrowser::open(p.db);
    // Every step is quick; all of them together are not, against a budget of 1 ms.
    browser->setReadBudget(std::chrono::milliseconds(1));
    const std::optional<DbError> listed = dbErrorOf([&] { browser->names(DeclKind::Constant); });
    QVERIFY(listed);
    QCOMPARE(listed->fault(), DbFault::OverTimeLimit);
    const QString said = describeDbError(*listed);
    QVERIFY2(said.contains(p.db) && !said.contains(QStringLiteral("壊れ")), qPrintable(said));
    std::vector<CopyEntry> entries;
    for (int i = 0; i < 100000; i += 10)
        entries.push_back({p.db, DeclKind::Constant, QStringLiteral("C%1").arg(i)});
    const std::optional<DbError> copied =
        dbErrorOf([&] { browser->copyCollection(entries, CopyOptions{}, CopyEnd::BreakAfterEach); });
    QVERIFY(copied);
    QCOMPARE(copied->fault(), DbFault::OverTimeLimit);
    // Each read has the budget anew, and the file stays open for the next one.
    browser->setReadBudget(DeclStore::kWholeReadBudget);
    QCOMPARE(browser->names(DeclKind::Constant).size(), 100000);
    const CollectionCopy copy = browser->copyCollection(entries, CopyOptions{}, CopyEnd::BreakAfterEach);
    QCOMPARE(copy.text.count(QStringLiteral("\r\n")), 10000);
}

QTEST_GUILESS_MAIN(BadInputTest)
#include "bad_input_test.moc"
