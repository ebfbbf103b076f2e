// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conversion.h"
#include "db_checks.h"
#include "files.h"
#include "new_database.h"
#include "test_data.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>
#include <thread>
#include <windows.h>

namespace {

std::wstring wide(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// The fault a conversion from text into db ends with; none when it succeeds.
std::optional<DbError> conversionFault(const QString& text, const QString& db)
{
    return dbErrorOf([&] {
        RecordingProgress progress;
        Conversion(text, db).run(progress);
    });
}

struct Folder
{
    QTemporaryDir dir;
    QString old = dir.filePath(QStringLiteral("old.txt"));
    QString text = dir.filePath(QStringLiteral("new.txt"));
    QString db = dir.filePath(QStringLiteral("Ek.MDB"));

    Folder(int newCount = 50)
    {
        writeConstants(old, 20, QStringLiteral("OLD"));
        writeConstants(text, newCount, QStringLiteral("NEW"));
        RecordingProgress progress;
        Conversion(old, db).run(progress);
    }
};

} // namespace

// What Windows' own file rules do to a conversion: files held open without sharing,
// the read-only attribute, SQLite's byte locks, a kill. Whatever stops the
// conversion, the old database stays whole and no hidden file is left.
class WindowsFaultsTest : public QObject
{
    Q_OBJECT
private slots:
    void fileHeldOpenByAnotherProgramIsKept();
    void readOnlyAttributeRefusesTheConversion();
    void writerHoldingTheReservedLockIsDetected();
    void killedConversionLeavesOldWholeAndNoLeftover();
    void runningBuildKeepsItsHiddenFile();
    void folderLockWaitsForTheOtherBuild();
    void sameFileIsKnownByVolumeAndIndex();
};

void WindowsFaultsTest::fileHeldOpenByAnotherProgramIsKept()
{
    Folder f;
    // A reader that does not share deleting: nothing may be moved over the file.
    const HANDLE held = CreateFileW(wide(f.db).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    QVERIFY(held != INVALID_HANDLE_VALUE);
    const std::optional<DbError> e = conversionFault(f.text, f.db);
    CloseHandle(held);
    QVERIFY(e.has_value());
    QVERIFY2(e->fault() == DbFault::Locked || e->fault() == DbFault::AccessDenied, e->what());
    QCOMPARE(holds(f.db), QStringLiteral("OLD:20"));
    QCOMPARE(hiddenIn(f.dir.path()), QStringList());
    // Once it is closed the same conversion goes through.
    QVERIFY(!conversionFault(f.text, f.db).has_value());
    QCOMPARE(holds(f.db), QStringLiteral("NEW:50"));
}

void WindowsFaultsTest::readOnlyAttributeRefusesTheConversion()
{
    Folder f;
    QVERIFY(SetFileAttributesW(wide(f.db).c_str(), FILE_ATTRIBUTE_READONLY));
    const std::optional<DbError> e = conversionFault(f.text, f.db);
    QVERIFY(e.has_value());
    QCOMPARE(e->fault(), DbFault::ReadOnly);
    QVERIFY(SetFileAttributesW(wide(f.db).c_str(), FILE_ATTRIBUTE_NORMAL));
    QCOMPARE(holds(f.db), QStringLiteral("OLD:20"));
    QCOMPARE(hiddenIn(f.dir.path()), QStringList());
    // A replaced file keeps the attributes it had (here: archive, hidden).
    QVERIFY(SetFileAttributesW(wide(f.db).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    QVERIFY(!conversionFault(f.text, f.db).has_value());
    QVERIFY(GetFileAttributesW(wide(f.db).c_str()) & FILE_ATTRIBUTE_HIDDEN);
    QCOMPARE(holds(f.db), QStringLiteral("NEW:50"));
}

void WindowsFaultsTest::writerHoldingTheReservedLockIsDetected()
{
    Folder f;
    sqlite3* writer = nullptr;
    QCOMPARE(sqlite3_open(f.db.toUtf8().constData(), &writer), SQLITE_OK);
    QCOMPARE(sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    QVERIFY(isLockedByWriter(f.db));
    const std::optional<DbError> e = conversionFault(f.text, f.db);
    QCOMPARE(sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    // A reader between its transactions holds no lock the probe could see.
    QVERIFY(!isLockedByWriter(f.db));
    sqlite3_close(writer);
    QVERIFY(e.has_value());
    QCOMPARE(e->fault(), DbFault::Locked);
    QCOMPARE(holds(f.db), QStringLiteral("OLD:20"));
    QCOMPARE(hiddenIn(f.dir.path()), QStringList());
}

void WindowsFaultsTest::killedConversionLeavesOldWholeAndNoLeftover()
{
    Folder f(150000);
    QStringList seen;
    for (const int delayMs : {0, 300, 1000}) {
        QProcess cli;
        cli.start(QStringLiteral(EK_CLI_PATH), {QStringLiteral("convert"), f.text, f.db});
        QVERIFY(cli.waitForStarted());
        QThread::msleep(delayMs);
        cli.kill(); // TerminateProcess: no handler runs, nothing is cleaned up
        QVERIFY(cli.waitForFinished(60000));
        const QString now = holds(f.db);
        QVERIFY2(now == QLatin1String("OLD:20") || now == QLatin1String("NEW:150000"), qPrintable(now));
        seen << now;
    }
    QVERIFY(seen.contains(QStringLiteral("OLD:20")));
    // The next conversion removes what the killed ones left: their locks died with them.
    QVERIFY(!conversionFault(f.old, f.db).has_value());
    QCOMPARE(hiddenIn(f.dir.path()), QStringList());
}

void WindowsFaultsTest::runningBuildKeepsItsHiddenFile()
{
    Folder f;
    const QString abandoned = f.dir.filePath(QStringLiteral(".Ek.MDB.0123456789abcdef"));
    writeBytes(abandoned, "left over");
    writeBytes(abandoned + QStringLiteral("-journal"), "left over");
    {
        NewDatabase running(f.db);
        QCOMPARE(hiddenIn(f.dir.path()).size(), 1);
        const QString mine = hiddenIn(f.dir.path()).constFirst();
        QVERIFY(mine != QLatin1String(".Ek.MDB.0123456789abcdef"));
        // Another build's clean-up leaves the running one's file alone.
        NewDatabase::removeLeftovers(f.db);
        QCOMPARE(hiddenIn(f.dir.path()), QStringList{mine});
    }
    QCOMPARE(hiddenIn(f.dir.path()), QStringList());
    QCOMPARE(holds(f.db), QStringLiteral("OLD:20"));
}

void WindowsFaultsTest::folderLockWaitsForTheOtherBuild()
{
    QTemporaryDir dir;
    const QString forPath = dir.filePath(QStringLiteral("t.mdb"));
    std::optional<DbError> second;
    {
        const FolderLock first(dir.path(), forPath);
        // The mutex is the thread's: another thread stands for another program.
        std::thread other([&] { second = dbErrorOf([&] { FolderLock(dir.path(), forPath); }); });
        other.join();
    }
    QVERIFY(second.has_value());
    QCOMPARE(second->fault(), DbFault::Locked);
    std::optional<DbError> after = DbError(DbFault::Engine, {});
    std::thread again([&] { after = dbErrorOf([&] { FolderLock(dir.path(), forPath); }); });
    again.join();
    QVERIFY(!after.has_value());
}

void WindowsFaultsTest::sameFileIsKnownByVolumeAndIndex()
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.mdb"));
    const QString link = dir.filePath(QStringLiteral("b.mdb"));
    const QString other = dir.filePath(QStringLiteral("c.mdb"));
    writeBytes(a, "same");
    writeBytes(other, "same");
    QVERIFY(CreateHardLinkW(wide(link).c_str(), wide(a).c_str(), nullptr));
    QVERIFY(isSameFile(a, link));
    QVERIFY(isSameFile(a, a.toUpper()));
    QVERIFY(!isSameFile(a, other));
    QVERIFY(FileStamp::ofPath(a).sameFile(FileStamp::ofPath(link)));
    QVERIFY(!FileStamp::ofPath(a).sameFile(FileStamp::ofPath(other)));
}

QTEST_GUILESS_MAIN(WindowsFaultsTest)
#include "windows_faults_test.moc"
