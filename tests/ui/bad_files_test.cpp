// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "convert_text.h"
#include "prbf.h"
#include "small_disk.h"
#include "test_data.h"
#include "ui_fixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <sqlite3.h>

namespace {

QStringList procLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("Declare Sub P%1 Lib \"k\" ()").arg(i, 5, 10, QLatin1Char('0'));
    return lines;
}

} // namespace

// What the user is told when a file is not what it should be; nothing crashes,
// and what was listed before stays listed.
class BadFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void emptyFileIsUnsupported();
    void randomBytesAreNotADatabase();
    void truncatedDatabaseIsReported();
    void tableWithWrongColumnsIsReported();
    void databaseInTheMiddleOfAWriteIsRefusedWithoutFreezing();
    void readOnlyDatabaseIsBrowsedNormally();
    void fullDiskKeepsTheOldDatabaseAndSaysSo();
    void missingTargetFolderIsReported();
    void textFileThatIsAFolderIsReported();
};

void BadFilesTest::emptyFileIsUnsupported()
{
    UiFixture f;
    const QString empty = f.path(QStringLiteral("empty.mdb"));
    writeBytes(empty, QByteArray());
    Ekf& w = f.start();
    f.open(empty);
    QCOMPARE(f.fake.messages().size(), 1);
    QCOMPARE(f.fake.messages()[0].prompt, QStringLiteral("サポート外のファイルです"));
    QCOMPARE(readBytes(empty).size(), 0);
    QVERIFY(w.mFile[1]->isEnabled());
}

void BadFilesTest::randomBytesAreNotADatabase()
{
    UiFixture f;
    const QString good = f.makeDatabase(procLines(3));
    QByteArray bytes;
    for (int i = 0; i < 8192; ++i)
        bytes += char((i * 7919) % 251);
    const QString bad = f.path(QStringLiteral("random.mdb"));
    writeBytes(bad, bytes);
    Ekf& w = f.start();
    f.open(good);
    f.clickItem(*w.lstEk, 1);
    w.cmdAdd->click();
    f.open(bad);
    QCOMPARE(f.fake.messages().size(), 1);
    QCOMPARE(f.fake.messages()[0].title, QStringLiteral("エラー  :  3343"));
    QCOMPARE(f.fake.messages()[0].prompt,
             QDir::toNativeSeparators(bad) + QStringLiteral(" はデータベースファイルではありません。"));
    // The first database is still open and usable.
    w.cmdCpy->click();
    QCOMPARE(f.fake.clipboard, QStringLiteral("Declare Sub P00001 Lib \"k\" ()\r\n"));
    QCOMPARE(readBytes(bad), bytes);
}

void BadFilesTest::truncatedDatabaseIsReported()
{
    UiFixture f;
    const QString db = f.makeDatabase(procLines(3000));
    QFile file(db);
    QVERIFY(file.resize(file.size() / 3));
    Ekf& w = f.start();
    f.open(db);
    QCOMPARE(f.fake.messages().size(), 1);
    const QString title = f.fake.messages()[0].title;
    // SQLite notices the damage either when it opens the file or when it reads the list.
    QVERIFY2(title == QStringLiteral("エラー  :  3049") || title == QStringLiteral("エラー  :  3343") ||
                 title == QStringLiteral("エラー  :  1"),
             qPrintable(title + u' ' + f.fake.messages()[0].prompt));
    QVERIFY(w.isVisible());
}

void BadFilesTest::tableWithWrongColumnsIsReported()
{
    UiFixture f;
    const QString db = f.makeDatabase(procLines(2));
    sqlExec(db, QStringLiteral("DROP TABLE tbProc; CREATE TABLE tbProc (id INTEGER, text TEXT)"));
    Ekf& w = f.start();
    f.open(db);
    QCOMPARE(f.fake.messages().size(), 1);
    QCOMPARE(f.fake.messages()[0].title, QStringLiteral("エラー  :  3265"));
    QVERIFY(w.mFile[1]->isEnabled());
    QCOMPARE(w.lstEk->ListCount(), 0);
}

void BadFilesTest::databaseInTheMiddleOfAWriteIsRefusedWithoutFreezing()
{
    UiFixture f;
    const QString db = f.makeDatabase(procLines(3000));
    // Another program writes the file; its changes no longer fit in its cache, so
    // its journal is on the disk, as after a crash in the middle of a write.
    sqlite3* other = nullptr;
    QVERIFY(sqlite3_open(QFile::encodeName(db).constData(), &other) == SQLITE_OK);
    QVERIFY(sqlite3_exec(other, "PRAGMA cache_size = 2; BEGIN; UPDATE tbProc SET fdName = 'X' || fdName;",
                         nullptr, nullptr, nullptr) == SQLITE_OK);
    const QByteArray before = readBytes(db);
    Ekf& w = f.start();
    f.open(db);
    QCOMPARE(readBytes(db), before);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    QCOMPARE(f.fake.messages().size(), 1);
    QCOMPARE(f.fake.messages()[0].title, QStringLiteral("エラー  :  3049"));
    QVERIFY2(f.fake.messages()[0].prompt.contains(QStringLiteral("変換し直してください")),
             qPrintable(f.fake.messages()[0].prompt));
    QVERIFY(f.module.sDbName.isEmpty());
    // Once the other program lets go, the same path opens.
    f.open(db);
    QCOMPARE(w.lstEk->ListCount(), 3000);
}

void BadFilesTest::readOnlyDatabaseIsBrowsedNormally()
{
    UiFixture f;
    const QString db = f.makeDatabase(procLines(2));
    QFile::setPermissions(db, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    Ekf& w = f.start();
    f.open(db);
    QVERIFY(f.fake.messages().isEmpty());
    f.clickItem(*w.lstEk, 0);
    w.cmdAdd->click();
    w.cmdCpy->click();
    QCOMPARE(f.fake.clipboard, QStringLiteral("Declare Sub P00000 Lib \"k\" ()\r\n"));
}

void BadFilesTest::fullDiskKeepsTheOldDatabaseAndSaysSo()
{
    SmallDisk disk(600);
    EK_REQUIRE_SMALL_DISK(disk);
    UiFixture f;
    const QString target = disk.filePath(QStringLiteral("out.mdb"));
    const QString small = f.path(QStringLiteral("small.txt"));
    writeCp932(small, procLines(3));
    const QString text = f.path(QStringLiteral("decl.txt"));
    writeCp932(text, procLines(40000));
    Ekf& w = f.start();
    f.fake.fileNames << small << target << text << target;
    f.fake.answers << MsgBox::AnswerOk << MsgBox::AnswerOk;
    triggerAction(w, "mFile1");
    const QByteArray before = readBytes(target);
    triggerAction(w, "mFile1");
    QCOMPARE(f.fake.messages().size(), 3);
    QCOMPARE(f.fake.messages()[2].title, QStringLiteral("エラー  :  3026"));
    QCOMPARE(f.fake.messages()[2].prompt,
             QStringLiteral("ディスクの空き容量が不足したため、") + QDir::toNativeSeparators(target) +
                 QStringLiteral(" に書き込めません。\r\n\r\n元の ") + QDir::toNativeSeparators(target) +
                 QStringLiteral(" は変更されずにそのまま残っています。"));
    QVERIFY(!w.progressWindow().isShown());
    QVERIFY(!w.converting());
    // The database made before is whole, alone on the disk, and remembered.
    QCOMPARE(readBytes(target), before);
    QCOMPARE(QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("out.mdb")});
    QCOMPARE(w.rememberedCaption(), target);
    triggerAction(w, "mFile3");
    QCOMPARE(w.lstEk->ListCount(), 3);
}

void BadFilesTest::missingTargetFolderIsReported()
{
    UiFixture f;
    const QString text = f.path(QStringLiteral("decl.txt"));
    writeCp932(text, procLines(2));
    const QString target = f.path(QStringLiteral("no/such/folder/out.mdb"));
    Ekf& w = f.start();
    f.fake.fileNames << text << target;
    f.fake.answers << MsgBox::AnswerOk;
    triggerAction(w, "mFile1");
    QCOMPARE(f.fake.messages().size(), 2);
    QCOMPARE(f.fake.messages()[1].title, QStringLiteral("エラー  :  3044"));
    QVERIFY(f.fake.messages()[1].prompt.contains(QStringLiteral("フォルダーが見つかりません")));
    QVERIFY(!w.mFile[3]->isVisible());
}

void BadFilesTest::textFileThatIsAFolderIsReported()
{
    UiFixture f;
    QDir(f.dir.path()).mkdir(QStringLiteral("decl.txt"));
    const QString target = f.path(QStringLiteral("out.mdb"));
    Ekf& w = f.start();
    f.fake.fileNames << f.path(QStringLiteral("decl.txt")) << target;
    f.fake.answers << MsgBox::AnswerOk;
    triggerAction(w, "mFile1");
    QCOMPARE(f.fake.messages().size(), 2);
    QVERIFY(f.fake.messages()[1].prompt.contains(QStringLiteral("ファイルではありません")));
    QVERIFY(!QFile::exists(target));
}

QTEST_MAIN(BadFilesTest)
#include "bad_files_test.moc"
