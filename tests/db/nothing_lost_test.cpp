// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conversion.h"
#include "db_checks.h"
#include "error_text.h"
#include "files.h"
#include "small_disk.h"
#include "test_data.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct CliRun
{
    int status = -1;
    QString err;
};

// ek-cli as its own process, after a shell line that sets its limits.
CliRun runCli(const QStringList& args, const QString& limits = {})
{
    QStringList quoted;
    for (const QString& a : args)
        quoted << u'\'' + QString(a).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
    QProcess p;
    const QString exec = QStringLiteral("exec '" EK_CLI_PATH "' ") + quoted.join(u' ');
    p.start(QStringLiteral("bash"), {QStringLiteral("-c"), limits.isEmpty() ? exec : limits + u';' + exec});
    if (!p.waitForFinished(120000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : 128 + p.exitCode(),
            QString::fromUtf8(p.readAllStandardError())};
}

std::optional<DbError> convertFails(const QString& text, const QString& db, ConvertProgress& progress)
{
    return dbErrorOf([&] { Conversion(text, db).run(progress); });
}

} // namespace

// A conversion puts its database at the path whole, or leaves what stood there as it
// was; nothing it makes on the way outlives it.
class NothingLostTest : public QObject
{
    Q_OBJECT
private slots:
    void fullDiskAtAnyStageKeepsTheOldDatabase();
    void killedAtAnyMomentLeavesOldOrNewWhole();
    void fileSizeLimitIsAFailureWithItsMessage();
    void systemFaultsAreNamedWithTheUsersFile();
    void outOfMemoryKeepsTheOldDatabaseAndSaysSo();
    void outOfInodesOrFileHandlesIsNamed();
    void anotherProgramsFileAtThePathIsNeverOverwritten();
    void targetsThatMayNotBeReplacedAreRefusedUntouched();
    void replacedFileKeepsItsOwnerAndPermissions();
    void sideFilesOfTheOldDatabaseGoOthersStay();
    void hiddenFilesOfEarlierRunsGoUnlessARunHoldsThem();
    void twoConversionsIntoOneFileEndAsOneWholeConversion();
};

void NothingLostTest::fullDiskAtAnyStageKeepsTheOldDatabase()
{
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small.txt"));
    const QString large = dir.filePath(QStringLiteral("large.txt"));
    writeConstants(small, 300, QStringLiteral("OLD"));
    writeConstants(large, 12000, QStringLiteral("NEW"));
    // From a disk too small for the rows to one that takes them all: the run fails
    // while it stores rows, while it builds the indexes or commits, or not at all.
    int failed = 0;
    int succeeded = 0;
    for (const qint64 kb : {400, 900, 1300, 1500, 1700, 2000, 4000}) {
        SmallDisk disk(kb);
        EK_REQUIRE_SMALL_DISK(disk);
        const QString db = disk.filePath(QStringLiteral("Ek.MDB"));
        RecordingProgress first;
        Conversion(small, db).run(first);
        QCOMPARE(holds(db), QStringLiteral("OLD:300"));
        RecordingProgress progress;
        Conversion conversion(large, db);
        const std::optional<DbError> e = dbErrorOf([&] { conversion.run(progress); });
        if (e) {
            ++failed;
            QVERIFY2(e->fault() == DbFault::DiskFull, e->what());
            QVERIFY(e->previousKept());
            QCOMPARE(holds(db), QStringLiteral("OLD:300"));
        } else {
            ++succeeded;
            QCOMPARE(holds(db), QStringLiteral("NEW:12000"));
        }
        QCOMPARE(progress.inits, progress.terms);
        QCOMPARE(hiddenIn(disk.path()), QStringList());
    }
    QVERIFY(failed >= 2);
    QVERIFY(succeeded >= 1);
}

void NothingLostTest::killedAtAnyMomentLeavesOldOrNewWhole()
{
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("old.txt"));
    const QString text = dir.filePath(QStringLiteral("new.txt"));
    const QString db = dir.filePath(QStringLiteral("Ek.MDB"));
    writeConstants(old, 1000, QStringLiteral("OLD"));
    writeConstants(text, 150000, QStringLiteral("NEW"));
    QCOMPARE(runCli({QStringLiteral("convert"), old, db}).status, 0);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(runCli({QStringLiteral("convert"), text, db}).status, 0);
    const qint64 run = std::max<qint64>(clock.elapsed(), 50);
    QCOMPARE(runCli({QStringLiteral("convert"), old, db}).status, 0);

    // Kills spread over the whole run, also before it starts writing and after it ends.
    QRandomGenerator random(20261208);
    QStringList seen;
    for (int k = 0; k < 16; ++k) {
        QProcess cli;
        cli.start(QStringLiteral(EK_CLI_PATH), {QStringLiteral("convert"), text, db});
        QVERIFY(cli.waitForStarted());
        QThread::msleep(random.bounded(int(run * 12 / 10)));
        ::kill(pid_t(cli.processId()), SIGKILL);
        QVERIFY(cli.waitForFinished(60000));
        const QString now = holds(db);
        QVERIFY2(now == QLatin1String("OLD:1000") || now == QLatin1String("NEW:150000"), qPrintable(now));
        seen << now;
        // Back to the old one for the next kill.
        if (now != QLatin1String("OLD:1000"))
            QCOMPARE(runCli({QStringLiteral("convert"), old, db}).status, 0);
    }
    QVERIFY(seen.contains(QStringLiteral("OLD:1000")));
    // The next conversion removes what the killed ones left.
    QCOMPARE(runCli({QStringLiteral("convert"), old, db}).status, 0);
    QCOMPARE(hiddenIn(dir.path()), QStringList());
}

void NothingLostTest::fileSizeLimitIsAFailureWithItsMessage()
{
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("old.txt"));
    const QString text = dir.filePath(QStringLiteral("new.txt"));
    const QString db = dir.filePath(QStringLiteral("Ek.MDB"));
    writeConstants(old, 100, QStringLiteral("OLD"));
    writeConstants(text, 20000, QStringLiteral("NEW"));
    QCOMPARE(runCli({QStringLiteral("convert"), old, db}).status, 0);
    // 1 KiB, then 512 KiB: nothing can be written, or the rows outgrow the limit.
    for (const char* limit : {"ulimit -f 1", "ulimit -f 512"}) {
        const CliRun r = runCli({QStringLiteral("convert"), text, db}, QLatin1String(limit));
        QCOMPARE(r.status, 3);
        QVERIFY2(r.err.contains(QStringLiteral("ファイルサイズの上限")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("そのまま残っています")), qPrintable(r.err));
        QCOMPARE(holds(db), QStringLiteral("OLD:100"));
        QCOMPARE(hiddenIn(dir.path()), QStringList());
    }
}

void NothingLostTest::systemFaultsAreNamedWithTheUsersFile()
{
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("old.txt"));
    const QString text = dir.filePath(QStringLiteral("new.txt"));
    const QString db = dir.filePath(QStringLiteral("Ek.MDB"));
    writeConstants(old, 100, QStringLiteral("OLD"));
    writeConstants(text, 2000, QStringLiteral("NEW"));
    const QRegularExpression hiddenName(QStringLiteral("\\.Ek\\.MDB\\.[0-9a-f]{16}"));
    // Each fault at the step a real disk meets it; only the folder's sync comes after
    // the old file was replaced, and must not say that it was kept.
    const struct
    {
        const char* call;
        int error;
        const char* says;
        bool kept;
    } cases[] = {
        {"rename", EXDEV, "別のディスク", true},
        {"rename", EIO, "ディスクのエラー", true},
        {"create", EDQUOT, "クォータ", true},
        {"write", EDQUOT, "クォータ", true},
        {"write", EIO, "ディスクのエラー", true},
        {"create", ENAMETOOLONG, "名前が長すぎる", true},
        {"fsync-folder", EIO, "ディスクに書き込めませんでした", false},
    };
    for (const auto& c : cases) {
        QCOMPARE(runCli({QStringLiteral("convert"), old, db}).status, 0);
        const QString failing =
            QStringLiteral("export ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0\" "
                           "LD_PRELOAD='" EK_FAIL_CALLS
                           "' EK_FAIL_CALL=%1 EK_FAIL_ERRNO=%2 EK_FAIL_PATH=/.Ek.MDB.")
                .arg(QLatin1String(c.call))
                .arg(c.error);
        const CliRun r = runCli({QStringLiteral("convert"), text, db}, failing);
        const QString what = QStringLiteral("%1 %2: %3").arg(QLatin1String(c.call)).arg(c.error).arg(r.err);
        QVERIFY2(r.status == 3, qPrintable(what));
        QVERIFY2(r.err.contains(QString::fromUtf8(c.says)), qPrintable(what));
        QVERIFY2(r.err.contains(db), qPrintable(what));
        QVERIFY2(!r.err.contains(hiddenName), qPrintable(what));
        QVERIFY2(r.err.contains(QStringLiteral("そのまま残っています")) == c.kept, qPrintable(what));
        QCOMPARE(holds(db), c.kept ? QStringLiteral("OLD:100") : QStringLiteral("NEW:2000"));
        QCOMPARE(hiddenIn(dir.path()), QStringList());
    }
}

// Memory that runs out in the middle of a run, as a failed allocation anywhere in it.
class MemoryRunsOut : public RecordingProgress
{
public:
    bool shouldStop(qint64 done) override
    {
        if (positions.size() == 500)
            throw std::bad_alloc();
        return RecordingProgress::shouldStop(done);
    }
};

void NothingLostTest::outOfMemoryKeepsTheOldDatabaseAndSaysSo()
{
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("old.txt"));
    const QString text = dir.filePath(QStringLiteral("new.txt"));
    const QString db = dir.filePath(QStringLiteral("Ek.MDB"));
    writeConstants(old, 100, QStringLiteral("OLD"));
    writeConstants(text, 2000, QStringLiteral("NEW"));
    RecordingProgress first;
    Conversion(old, db).run(first);
    MemoryRunsOut progress;
    const std::optional<DbError> e = convertFails(text, db, progress);
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::OutOfMemory);
    QVERIFY(e->previousKept());
    const QString said = describeConversionFailure(*e, QStringLiteral("\n"));
    QVERIFY2(said.contains(QStringLiteral("メモリが不足しています")), qPrintable(said));
    QVERIFY2(said.contains(db + QStringLiteral(" の処理")), qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("元の %1 は変更されずにそのまま残っています").arg(db)),
             qPrintable(said));
    QCOMPARE(progress.inits, progress.terms);
    QCOMPARE(holds(db), QStringLiteral("OLD:100"));
    QCOMPARE(hiddenIn(dir.path()), QStringList());

    // A text refused before anything is built says the same of the database.
    const QString utf16 = dir.filePath(QStringLiteral("utf16.txt"));
    writeBytes(utf16, QByteArray("\xFF\xFE"
                                 "C\0",
                                 4));
    const std::optional<DbError> refused = convertFails(utf16, db, progress);
    QVERIFY(refused);
    QCOMPARE(refused->fault(), DbFault::NotText);
    const QString refusal = describeConversionFailure(*refused, QStringLiteral("\n"));
    QVERIFY2(refusal.contains(utf16), qPrintable(refusal));
    QVERIFY2(refusal.contains(QStringLiteral("元の %1 は変更されずにそのまま残っています").arg(db)),
             qPrintable(refusal));
}

void NothingLostTest::outOfInodesOrFileHandlesIsNamed()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("new.txt"));
    writeConstants(text, 100, QStringLiteral("NEW"));
    // No inode left, or one or two: whichever file the run then cannot make, the old
    // one stays and the message names the cause; or the run has what it needs.
    int noInodes = 0;
    for (int left = 0; left <= 2; ++left) {
        SmallDisk disk(4096, 8);
        EK_REQUIRE_SMALL_DISK(disk);
        const QString db = disk.filePath(QStringLiteral("Ek.MDB"));
        writeBytes(db, "an old file of the user's");
        QStringList fillers;
        for (int i = 0; i < 16; ++i) {
            QFile filler(disk.filePath(QStringLiteral("f%1").arg(i)));
            if (filler.open(QIODevice::WriteOnly))
                fillers << filler.fileName();
        }
        for (int i = 0; i < left && !fillers.isEmpty(); ++i)
            QFile::remove(fillers.takeLast());
        RecordingProgress progress;
        const std::optional<DbError> e = convertFails(text, db, progress);
        if (e) {
            ++noInodes;
            QVERIFY2(e->fault() == DbFault::NoInodes, e->what());
            QCOMPARE(readBytes(db), QByteArray("an old file of the user's"));
        } else {
            QCOMPARE(holds(db), QStringLiteral("NEW:100"));
        }
        QCOMPARE(hiddenIn(disk.path()), QStringList());
    }
    QVERIFY(noInodes >= 1);
#ifdef EK_SANITIZED
    QSKIP("the sanitizers' own checks fail in a process out of file handles");
#endif
    // Whichever file the run cannot open for want of a handle, the message says so:
    // the text, the converter's tables, the new database, the folder lock.
    const QString db = dir.filePath(QStringLiteral("Ek.MDB"));
    int refused = 0;
    for (int handles = 4; handles <= 16; ++handles) {
        const CliRun r =
            runCli({QStringLiteral("convert"), text, db}, QStringLiteral("ulimit -n %1").arg(handles));
        // Too few for the program to start at all, or enough for the whole run.
        if (r.status == 127)
            continue;
        if (r.status == 0)
            break;
        ++refused;
        QCOMPARE(r.status, 3);
        QVERIFY2(r.err.contains(QStringLiteral("開いているファイルが多すぎます")), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(db));
        QCOMPARE(hiddenIn(dir.path()), QStringList());
    }
    QVERIFY(refused >= 2);
}

void NothingLostTest::anotherProgramsFileAtThePathIsNeverOverwritten()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("new.txt"));
    const QString theirs = dir.filePath(QStringLiteral("theirs.txt"));
    const QString db = dir.filePath(QStringLiteral("Ek.MDB"));
    writeConstants(text, 50, QStringLiteral("NEW"));
    writeConstants(theirs, 7, QStringLiteral("THEIRS"));
    const QString made = dir.filePath(QStringLiteral("made.mdb"));
    RecordingProgress once;
    Conversion(theirs, made).run(once);
    // Before the run there was nothing, or a file of ours; meanwhile another program
    // moved its own database to the path.
    for (const bool before : {false, true}) {
        if (before)
            writeBytes(db, "ours");
        else
            QFile::remove(db);
        MeddlingProgress progress;
        progress.meddle = [&] {
            QFile::copy(made, db + QStringLiteral(".tmp"));
            QVERIFY(::rename(QFile::encodeName(db + QStringLiteral(".tmp")).constData(),
                             QFile::encodeName(db).constData()) == 0);
        };
        const std::optional<DbError> e = convertFails(text, db, progress);
        QVERIFY(e);
        QCOMPARE(e->fault(), DbFault::Replaced);
        QCOMPARE(holds(db), QStringLiteral("THEIRS:7"));
        QCOMPARE(hiddenIn(dir.path()), QStringList());
    }
    // The file moved away meanwhile is not lost: the new one takes the empty path.
    const QString moved = dir.filePath(QStringLiteral("moved.mdb"));
    MeddlingProgress away;
    away.meddle = [&] { QVERIFY(QFile::rename(db, moved)); };
    Conversion(text, db).run(away);
    QCOMPARE(holds(db), QStringLiteral("NEW:50"));
    QCOMPARE(holds(moved), QStringLiteral("THEIRS:7"));
    QCOMPARE(::rename(QFile::encodeName(moved).constData(), QFile::encodeName(db).constData()), 0);
    // Another program writes the file: refused before the run, and when its write
    // began during the run, at the end.
    if (sqliteShell().isEmpty())
        QSKIP("the sqlite3 shell is needed as the other program");
    QProcess writer;
    writer.start(sqliteShell(), {QStringLiteral("-batch"), db});
    QVERIFY(writer.waitForStarted());
    const auto writing = [&](bool on) {
        writer.write(on ? "BEGIN IMMEDIATE;\n" : "ROLLBACK;\n");
        QTRY_COMPARE_WITH_TIMEOUT(isLockedByWriter(db), on, 20000);
    };
    writing(true);
    RecordingProgress refused;
    std::optional<DbError> e = convertFails(text, db, refused);
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::Locked);
    QCOMPARE(refused.inits, 0);
    writing(false);
    MeddlingProgress late;
    late.meddle = [&] { writing(true); };
    e = convertFails(text, db, late);
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::Locked);
    writing(false);
    writer.closeWriteChannel();
    QVERIFY(writer.waitForFinished(20000));
    QCOMPARE(holds(db), QStringLiteral("THEIRS:7"));
    QCOMPARE(hiddenIn(dir.path()), QStringList());
}

void NothingLostTest::targetsThatMayNotBeReplacedAreRefusedUntouched()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("new.txt"));
    writeConstants(text, 5, QStringLiteral("NEW"));
    const QString folder = dir.filePath(QStringLiteral("folder.mdb"));
    QVERIFY(QDir().mkdir(folder));
    const QString readOnly = dir.filePath(QStringLiteral("readonly.mdb"));
    writeBytes(readOnly, "keep");
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const struct
    {
        QString path;
        DbFault fault;
    } cases[] = {
        {folder, DbFault::NotAFile},
        {dir.filePath(QStringLiteral("missing/t.mdb")), DbFault::BadPath},
        // Not even for root, who could: a read-only file is the user's word.
        {readOnly, DbFault::ReadOnly},
    };
    for (const auto& c : cases) {
        RecordingProgress progress;
        const std::optional<DbError> e = convertFails(text, c.path, progress);
        QVERIFY2(e && e->fault() == c.fault, qPrintable(c.path));
        QCOMPARE(e->path(), c.path);
        QCOMPARE(progress.inits, 0);
    }
    QVERIFY(QDir(folder).isEmpty());
    QCOMPARE(readBytes(readOnly), QByteArray("keep"));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));

    // A folder the user may not write: nothing can be made beside the file.
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkdir(locked));
    const QString db = QDir(locked).filePath(QStringLiteral("t.mdb"));
    writeBytes(db, "theirs");
    giveToUnprivilegedUser(dir.path());
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    std::optional<DbError> e;
    {
        UnprivilegedFiles unprivileged;
        if (!unprivileged.modesApply())
            QSKIP("running privileged and cannot drop the file-system identity");
        RecordingProgress progress;
        e = convertFails(text, db, progress);
    }
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::FolderDenied);
    QCOMPARE(e->path(), QFileInfo(db).absolutePath());
    QCOMPARE(readBytes(db), QByteArray("theirs"));
}

void NothingLostTest::replacedFileKeepsItsOwnerAndPermissions()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("new.txt"));
    writeConstants(text, 5, QStringLiteral("NEW"));
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    for (const mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0664)}) {
        writeBytes(db, "old");
        QCOMPARE(::chmod(QFile::encodeName(db).constData(), mode), 0);
        RecordingProgress progress;
        Conversion(text, db).run(progress);
        struct stat st
        {
        };
        QCOMPARE(::stat(QFile::encodeName(db).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode);
        QCOMPARE(holds(db), QStringLiteral("NEW:5"));
    }
    if (::geteuid() != 0)
        QSKIP("owners other than the user's own can be given only by root");
    // Root converting a user's database leaves it the user's.
    const unsigned user = UnprivilegedFiles::uid();
    QCOMPARE(::chown(QFile::encodeName(db).constData(), user, user), 0);
    {
        RecordingProgress progress;
        Conversion(text, db).run(progress);
    }
    struct stat st
    {
    };
    QCOMPARE(::stat(QFile::encodeName(db).constData(), &st), 0);
    QCOMPARE(st.st_uid, user);
    QCOMPARE(st.st_gid, user);
    QCOMPARE(st.st_mode & 0777, 0664u);
    // A user who may write someone else's file, but not give a file to them, is
    // refused before anything is built, and told whose file it is.
    writeBytes(db, "theirs");
    QCOMPARE(::chown(QFile::encodeName(db).constData(), 0, 0), 0);
    QCOMPARE(::chmod(QFile::encodeName(db).constData(), 0666), 0);
    QCOMPARE(::chown(QFile::encodeName(dir.path()).constData(), user, user), 0);
    std::optional<DbError> e;
    {
        UnprivilegedFiles unprivileged;
        if (!unprivileged.modesApply())
            QSKIP("cannot drop the file-system identity");
        RecordingProgress progress;
        e = convertFails(text, db, progress);
    }
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::ForeignOwner);
    QCOMPARE(e->detail(), QStringLiteral("root:root"));
    QCOMPARE(readBytes(db), QByteArray("theirs"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"new.txt", "t.mdb"}));
}

void NothingLostTest::sideFilesOfTheOldDatabaseGoOthersStay()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("new.txt"));
    writeConstants(text, 5, QStringLiteral("NEW"));
    const QString db = dir.filePath(QStringLiteral("w.mdb"));
    // Files of the user's that happen to carry the names SQLite gives its files.
    writeBytes(db, "old");
    writeBytes(db + QStringLiteral("-journal"), "notes of mine");
    writeBytes(db + QStringLiteral("-wal"), "more notes");
    RecordingProgress progress;
    Conversion(text, db).run(progress);
    QCOMPARE(readBytes(db + QStringLiteral("-journal")), QByteArray("notes of mine"));
    QCOMPARE(readBytes(db + QStringLiteral("-wal")), QByteArray("more notes"));
    // Nor an empty one, or one of NUL bytes: nothing proves them SQLite's.
    for (const QByteArray& bytes : {QByteArray(), QByteArray(512, '\0')}) {
        writeBytes(db + QStringLiteral("-journal"), bytes);
        Conversion(text, db).run(progress);
        QCOMPARE(readBytes(db + QStringLiteral("-journal")), bytes);
        QCOMPARE(holds(db), QStringLiteral("NEW:5"));
    }

    // What a crashed writer of the old database left would be taken for the new
    // one's: it goes.
    QVERIFY(QFile::remove(db + QStringLiteral("-wal")));
    writeBytes(db + QStringLiteral("-journal"),
               QByteArray("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8) + QByteArray(504, '\x01'));
    Conversion(text, db).run(progress);
    QVERIFY(!QFileInfo::exists(db + QStringLiteral("-journal")));
    QCOMPARE(holds(db), QStringLiteral("NEW:5"));
}

void NothingLostTest::hiddenFilesOfEarlierRunsGoUnlessARunHoldsThem()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("new.txt"));
    writeConstants(text, 5, QStringLiteral("NEW"));
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    const QString abandoned = dir.filePath(QStringLiteral(".t.mdb.0123456789abcdef"));
    const QString held = dir.filePath(QStringLiteral(".t.mdb.fedcba9876543210"));
    // Names like the hidden files but not of this database, and not of this form.
    const QStringList strangers = {dir.filePath(QStringLiteral(".other.mdb.0123456789abcdef")),
                                   dir.filePath(QStringLiteral(".t.mdb.notes"))};
    for (const QString& path : {abandoned, abandoned + QStringLiteral("-journal"), held})
        writeBytes(path, "left over");
    for (const QString& path : strangers)
        writeBytes(path, "mine");
    // A run that is still going holds its file locked.
    const int fd = ::open(QFile::encodeName(held).constData(), O_RDONLY);
    QVERIFY(fd >= 0);
    QCOMPARE(::flock(fd, LOCK_EX), 0);
    RecordingProgress progress;
    Conversion(text, db).run(progress);
    ::close(fd);
    QCOMPARE(hiddenIn(dir.path()),
             QStringList({".other.mdb.0123456789abcdef", ".t.mdb.fedcba9876543210", ".t.mdb.notes"}));
    Conversion(text, db).run(progress);
    QCOMPARE(hiddenIn(dir.path()), QStringList({".other.mdb.0123456789abcdef", ".t.mdb.notes"}));
}

void NothingLostTest::twoConversionsIntoOneFileEndAsOneWholeConversion()
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.txt"));
    const QString b = dir.filePath(QStringLiteral("b.txt"));
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    writeConstants(a, 60000, QStringLiteral("A"));
    writeConstants(b, 40000, QStringLiteral("B"));
    for (int round = 0; round < 4; ++round) {
        QProcess first;
        QProcess second;
        first.start(QStringLiteral(EK_CLI_PATH), {QStringLiteral("convert"), a, db});
        second.start(QStringLiteral(EK_CLI_PATH), {QStringLiteral("convert"), b, db});
        QVERIFY(first.waitForFinished(60000));
        QVERIFY(second.waitForFinished(60000));
        // Each run either finished or said plainly that another program had the file.
        for (QProcess* run : {&first, &second}) {
            const QString err = QString::fromUtf8(run->readAllStandardError());
            if (run->exitCode() != 0) {
                QCOMPARE(run->exitCode(), 3);
                QVERIFY2(err.contains(QStringLiteral("他のプログラム")), qPrintable(err));
            }
        }
        QVERIFY(first.exitCode() == 0 || second.exitCode() == 0);
        const QString now = holds(db);
        QVERIFY2(now == QLatin1String("A:60000") || now == QLatin1String("B:40000"), qPrintable(now));
        QCOMPARE(hiddenIn(dir.path()), QStringList());
    }
}

QTEST_GUILESS_MAIN(NothingLostTest)
#include "nothing_lost_test.moc"
