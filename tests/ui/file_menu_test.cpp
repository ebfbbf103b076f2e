// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_browser.h"
#include "prbf.h"
#include "test_data.h"
#include "ui_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kSettingKey =
    FakePlatform::settingKey(QStringLiteral("Ek"), QStringLiteral("DataBase"), QStringLiteral("Name"));

QStringList procLines(const QString& prefix, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("Declare Sub %1%2 Lib \"k\" ()").arg(prefix).arg(i, 3, 10, QLatin1Char('0'));
    return lines;
}

} // namespace

class FileMenuTest : public QObject
{
    Q_OBJECT
private slots:
    void openDialogIsConfiguredForDatabases();
    void cancelledOpenChangesNothing();
    void openListsRemembersAndShowsThePath();
    void openingTheCurrentPathAgainDoesNothing();
    void secondDatabaseReplacesTheFirstAndKeepsTheSelection();
    void failedOpenKeepsTheOpenDatabaseAndCanBeRetried();
    void openNeverCreatesAFile();
    void reopenAlwaysOpensAgainWithoutWritingSettings();
    void reopenOfAVanishedFileIsReported();
    void pathWithAmpersandIsShownAndReopenedExactly();
    void convertAsksForTextThenTargetThenConfirmation();
    void convertFromAPathWithoutFolderStartsWithPlainName();
    void cancelledConfirmationCreatesNothing();
    void cancelledDialogsStopTheConversion();
    void completedConversionIsRememberedButNotOpened();
    void cancelledConversionKeepsTheRowsBeforeAndGoesOn();
    void cancelIsToldAboveTheLinesNotStored();
    void convertingTheTextFileOntoItselfIsRefused();
    void convertingOntoAFileThatFailedToListReplacesIt();
    void unreadableTextFileIsReportedBeforeAnythingIsDeleted();
    void linesNotStoredAreReportedOnce();
    void fileMenuCommandsAreRefusedWhileConverting();
    void exitDuringConversionCancelsThenCloses();
    void getPathTakesEitherSeparator_data();
    void getPathTakesEitherSeparator();
    void otherIndicesDoNothing();
};

void FileMenuTest::openDialogIsConfiguredForDatabases()
{
    UiFixture f;
    Ekf& w = f.start();
    f.fake.fileNames.enqueue(QString());
    triggerAction(w, "mFile0");
    QCOMPARE(f.fake.fileDialogs().size(), 1);
    const FileDialogRequest r = f.fake.fileDialogs()[0];
    QVERIFY(!r.save);
    QCOMPARE(r.title, QStringLiteral("データベースファイルのオープン"));
    QCOMPARE(r.filterText, QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙ (*.mdb)"));
    QCOMPARE(r.defaultExt, QStringLiteral(".mdb"));
    QCOMPARE(r.flags, 0x0C04);
    QVERIFY(r.initialName.isEmpty());
}

void FileMenuTest::cancelledOpenChangesNothing()
{
    UiFixture f;
    Ekf& w = f.start();
    f.fake.fileNames.enqueue(QString());
    triggerAction(w, "mFile0");
    QVERIFY(f.module.sDbName.isEmpty());
    QVERIFY(!f.module.dbDecl);
    QVERIFY(w.mFile[1]->isEnabled());
    QCOMPARE(f.fake.settingWrites, 0);
    QVERIFY(!w.mFile[3]->isVisible());
}

void FileMenuTest::openListsRemembersAndShowsThePath()
{
    UiFixture f;
    const QString db = f.makeDatabase(procLines(QStringLiteral("P"), 3));
    Ekf& w = f.start();
    f.open(db);
    QCOMPARE(f.module.sDbName, db);
    QCOMPARE(w.lstEk->ListCount(), 3);
    QVERIFY(!w.mFile[1]->isEnabled());
    QCOMPARE(f.fake.settings.value(kSettingKey), db);
    QVERIFY(w.mFile[2]->isVisible());
    QVERIFY(w.mFile[3]->isVisible() && w.mFile[3]->isEnabled());
    QCOMPARE(w.rememberedCaption(), db);
    EK_VERIFY_NO_UNEXPECTED(f);
}

void FileMenuTest::openingTheCurrentPathAgainDoesNothing()
{
    UiFixture f;
    const QString db = f.makeDatabase(procLines(QStringLiteral("P"), 3));
    Ekf& w = f.start();
    f.open(db);
    const DeclBrowser* first = f.module.dbDecl.get();
    const int writes = f.fake.settingWrites;
    w.lstEk->setListIndex(2);
    f.open(db);
    QCOMPARE(f.module.dbDecl.get(), first);
    QCOMPARE(f.fake.settingWrites, writes);
    QCOMPARE(w.lstEk->ListIndex(), 2);
}

void FileMenuTest::secondDatabaseReplacesTheFirstAndKeepsTheSelection()
{
    UiFixture f;
    const QString a = f.makeDatabase(procLines(QStringLiteral("A"), 3), QStringLiteral("a.mdb"));
    const QString b = f.makeDatabase(procLines(QStringLiteral("B"), 5), QStringLiteral("b.mdb"));
    Ekf& w = f.start();
    f.open(a);
    f.clickItem(*w.lstEk, 1);
    w.cmdAdd->click();
    f.open(b);
    QCOMPARE(f.module.dbDecl->path(), b);
    QCOMPARE(w.lstEk->ListCount(), 5);
    QCOMPARE(w.lstEk->List(0), QStringLiteral("B000"));
    QCOMPARE(w.lstDest->ListCount(), 1);
    QCOMPARE(w.lstDest->List(0), QStringLiteral("関 A001"));
    QCOMPARE(f.fake.settings.value(kSettingKey), b);
    QCOMPARE(w.rememberedCaption(), b);
}

void FileMenuTest::failedOpenKeepsTheOpenDatabaseAndCanBeRetried()
{
    UiFixture f;
    const QString good = f.makeDatabase(procLines(QStringLiteral("P"), 3));
    const QString bad = f.path(QStringLiteral("garbage.mdb"));
    writeBytes(bad, QByteArray(4096, '\x5a'));
    Ekf& w = f.start();
    f.open(good);
    f.open(bad);
    QCOMPARE(f.fake.messages().size(), 1);
    QVERIFY(f.fake.messages()[0].prompt.contains(QDir::toNativeSeparators(bad)));
    QVERIFY(f.fake.messages()[0].prompt.contains(QStringLiteral("データベースファイルではありません")));
    QCOMPARE(f.fake.messages()[0].title, QStringLiteral("エラー  :  3343"));
    QCOMPARE(f.fake.messages()[0].style, 16);
    QCOMPARE(f.module.sDbName, good);
    QCOMPARE(f.module.dbDecl->path(), good);
    QCOMPARE(w.lstEk->ListCount(), 3);
    QCOMPARE(f.fake.settings.value(kSettingKey), good);
    QCOMPARE(f.fake.pointer, Pointer::Default);
    // Choosing the same bad path again tries again.
    f.open(bad);
    QCOMPARE(f.fake.messages().size(), 2);
}

void FileMenuTest::openNeverCreatesAFile()
{
    UiFixture f;
    const QString missing = f.path(QStringLiteral("typo.mdb"));
    Ekf& w = f.start();
    f.open(missing);
    QCOMPARE(f.fake.messages().size(), 1);
    QCOMPARE(f.fake.messages()[0].title, QStringLiteral("エラー  :  3024"));
    QVERIFY(f.fake.messages()[0].prompt.contains(QDir::toNativeSeparators(missing)));
    QVERIFY(!QFile::exists(missing));
    QVERIFY(f.module.sDbName.isEmpty());
    QVERIFY(w.mFile[1]->isEnabled());
    QVERIFY(!w.mFile[3]->isVisible());
}

void FileMenuTest::reopenAlwaysOpensAgainWithoutWritingSettings()
{
    UiFixture f;
    const QString db = f.makeDatabase(procLines(QStringLiteral("P"), 3));
    f.fake.settings.insert(kSettingKey, db);
    Ekf& w = f.start();
    triggerAction(w, "mFile3");
    QCOMPARE(w.lstEk->ListCount(), 3);
    QCOMPARE(f.module.sDbName, db);
    QVERIFY(!w.mFile[1]->isEnabled());
    const DeclBrowser* first = f.module.dbDecl.get();
    triggerAction(w, "mFile3");
    QVERIFY(f.module.dbDecl.get() != first);
    QCOMPARE(w.lstEk->ListCount(), 3);
    QCOMPARE(f.fake.settingWrites, 0);
    QCOMPARE(w.rememberedCaption(), db);
    EK_VERIFY_NO_UNEXPECTED(f);
}

void FileMenuTest::reopenOfAVanishedFileIsReported()
{
    UiFixture f;
    f.fake.settings.insert(kSettingKey, f.path(QStringLiteral("gone.mdb")));
    Ekf& w = f.start();
    triggerAction(w, "mFile3");
    QCOMPARE(f.fake.messages().size(), 1);
    QCOMPARE(f.fake.messages()[0].title, QStringLiteral("エラー  :  3024"));
    QVERIFY(f.module.sDbName.isEmpty());
    QVERIFY(!QFile::exists(f.path(QStringLiteral("gone.mdb"))));
    QVERIFY(w.mFile[3]->isVisible());

    // The open database itself vanishes: Reopen reports it and lists nothing anew.
    const QString db = f.makeDatabase(procLines(QStringLiteral("P"), 3));
    f.open(db);
    QVERIFY(QFile::remove(db));
    const qsizetype mark = f.fake.events.size();
    triggerAction(w, "mFile3");
    QCOMPARE(f.fake.messages().size(), 2);
    QCOMPARE(f.fake.messages()[1].title, QStringLiteral("エラー  :  3024"));
    // Only the open showed the hourglass; no fill followed it.
    QCOMPARE(f.fake.pointerHistory(mark).count(Pointer::Hourglass), 1);
    QCOMPARE(w.lstEk->ListCount(), 3);
    QCOMPARE(f.module.sDbName, db);
}

void FileMenuTest::pathWithAmpersandIsShownAndReopenedExactly()
{
    UiFixture f;
    QDir(f.dir.path()).mkdir(QStringLiteral("R&D"));
    const QString db = f.makeDatabase(procLines(QStringLiteral("P"), 2), QStringLiteral("R&D/a&&b.mdb"));
    Ekf& w = f.start();
    f.open(db);
    QCOMPARE(w.mFile[3]->text(), QStringLiteral("&1 ") + QString(db).replace(u'&', QStringLiteral("&&")));
    QCOMPARE(w.rememberedCaption(), db);
    f.chooseKind(0);
    triggerAction(w, "mFile3");
    QCOMPARE(f.module.dbDecl->path(), db);
    EK_VERIFY_NO_UNEXPECTED(f);
}

void FileMenuTest::convertAsksForTextThenTargetThenConfirmation()
{
    UiFixture f;
    const QString text = f.path(QStringLiteral("decl.txt"));
    writeCp932(text, {QStringLiteral("Public Const A = 1")});
    const QString target = f.path(QStringLiteral("out.mdb"));
    Ekf& w = f.start();
    f.fake.fileNames << text << target;
    f.fake.answers << MsgBox::AnswerOk;
    triggerAction(w, "mFile1");
    QCOMPARE(f.fake.fileDialogs().size(), 2);
    const FileDialogRequest open = f.fake.fileDialogs()[0];
    QVERIFY(!open.save);
    QCOMPARE(open.title, QStringLiteral("テキストファイルのオープン"));
    QCOMPARE(open.filterText, QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)"));
    QCOMPARE(open.defaultExt, QStringLiteral(".txt"));
    QCOMPARE(open.flags, 0x0C04);
    const FileDialogRequest save = f.fake.fileDialogs()[1];
    QVERIFY(save.save);
    QCOMPARE(save.title, QStringLiteral("データベースファイルの保存"));
    QCOMPARE(save.filterText, QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙ (*.mdb)"));
    QCOMPARE(save.defaultExt, QStringLiteral(".mdb"));
    QCOMPARE(save.flags, 0x0C06);
    QCOMPARE(save.initialName, f.path(QStringLiteral("Ek.MDB")));
    QCOMPARE(f.fake.messages().size(), 2);
    QCOMPARE(f.fake.messages()[0].prompt,
             text + QStringLiteral(" から\r\n\r\n") + target + QStringLiteral(" を作成します"));
    QCOMPARE(f.fake.messages()[0].title, QStringLiteral("データベースファイルへの置換"));
    QCOMPARE(f.fake.messages()[0].style, 49);
    // A clean run says what it stored, and where.
    QCOMPARE(f.fake.reports.size(), 1);
    QCOMPARE(
        f.fake.reports[0].summary,
        QStringLiteral("テキストファイル %1 の 1 行を読み、定数 1、関数 0、型 0（メンバー行 0）、#If の組 0 "
                       "をデータベース %2 に格納しました。")
            .arg(text, target));
    QVERIFY(f.fake.reports[0].lines.isEmpty());
    QCOMPARE(f.fake.reports[0].icon, MsgBox::Information);
    QCOMPARE(f.fake.reports[0].title, QStringLiteral("データベース作成"));
    QCOMPARE(f.fake.beeps(), 0);
    QCOMPARE(sqlColumn(target, QStringLiteral("SELECT fdName FROM tbCnst")),
             QStringList{QStringLiteral("A")});
    QVERIFY(f.fake.pointerHistory().contains(Pointer::Hourglass));
    QVERIFY(f.fake.pointerHistory().contains(Pointer::ArrowHourglass));
    QCOMPARE(f.fake.pointer, Pointer::Default);
    EK_VERIFY_NO_UNEXPECTED(f);
}

void FileMenuTest::convertFromAPathWithoutFolderStartsWithPlainName()
{
    UiFixture f;
    Ekf& w = f.start();
    f.fake.fileNames << QStringLiteral("decl.txt") << QString();
    triggerAction(w, "mFile1");
    QCOMPARE(f.fake.fileDialogs()[1].initialName, QStringLiteral("Ek.MDB"));
}

void FileMenuTest::cancelledConfirmationCreatesNothing()
{
    UiFixture f;
    const QString text = f.path(QStringLiteral("decl.txt"));
    writeCp932(text, {QStringLiteral("Public Const A = 1")});
    const QString target = f.path(QStringLiteral("out.mdb"));
    Ekf& w = f.start();
    f.fake.fileNames << text << target;
    f.fake.answers << MsgBox::AnswerCancel;
    triggerAction(w, "mFile1");
    QVERIFY(!QFile::exists(target));
    QCOMPARE(f.module.sDbName, target);
    QVERIFY(!w.mFile[3]->isVisible());
    // sDbName holds the target now, so opening exactly that path does nothing.
    f.open(target);
    QVERIFY(f.fake.messages().size() == 1);
    QVERIFY(f.fake.reports.isEmpty());
}

void FileMenuTest::cancelledDialogsStopTheConversion()
{
    UiFixture f;
    Ekf& w = f.start();
    f.fake.fileNames << QString();
    triggerAction(w, "mFile1");
    QCOMPARE(f.fake.fileDialogs().size(), 1);
    f.fake.fileNames << f.path(QStringLiteral("decl.txt")) << QString();
    triggerAction(w, "mFile1");
    QCOMPARE(f.fake.fileDialogs().size(), 3);
    QVERIFY(f.fake.messages().isEmpty());
    QVERIFY(f.module.sDbName.isEmpty());
}

void FileMenuTest::completedConversionIsRememberedButNotOpened()
{
    UiFixture f;
    const QString old = f.makeDatabase(procLines(QStringLiteral("OLD"), 2), QStringLiteral("old.mdb"));
    const QString text = f.path(QStringLiteral("decl.txt"));
    writeCp932(text, procLines(QStringLiteral("NEW"), 4));
    const QString target = f.path(QStringLiteral("new.mdb"));
    writeBytes(target, "not a database at all");
    Ekf& w = f.start();
    f.fake.fileNames << text << target;
    f.fake.answers << MsgBox::AnswerOk;
    triggerAction(w, "mFile1");
    QCOMPARE(sqlColumn(target, QStringLiteral("SELECT count(*) FROM tbProc")),
             QStringList{QStringLiteral("4")});
    QCOMPARE(f.fake.settings.value(kSettingKey), target);
    QCOMPARE(w.rememberedCaption(), target);
    QVERIFY(w.mFile[1]->isEnabled());
    QCOMPARE(w.lstEk->ListCount(), 0);
    QVERIFY(!f.module.dbDecl);
    triggerAction(w, "mFile3");
    QCOMPARE(w.lstEk->ListCount(), 4);
    QVERIFY(!w.mFile[1]->isEnabled());
    Q_UNUSED(old);
    EK_VERIFY_NO_UNEXPECTED(f);
}

void FileMenuTest::cancelledConversionKeepsTheRowsBeforeAndGoesOn()
{
    UiFixture f;
    const QString text = f.path(QStringLiteral("decl.txt"));
    writeCp932(text, procLines(QStringLiteral("P"), 10));
    const QString target = f.path(QStringLiteral("out.mdb"));
    Ekf& w = f.start();
    f.fake.fileNames << text << target;
    f.fake.answers << MsgBox::AnswerOk;
    // The user presses Cancel while the fourth line is being handled.
    f.fake.onProcessEvents = [&](int call) {
        if (call == 4) {
            QVERIFY(w.progressWindow().isShown());
            w.progressWindow().cmdCancel->click();
        }
    };
    triggerAction(w, "mFile1");
    QCOMPARE(sqlColumn(target, QStringLiteral("SELECT fdName FROM tbProc ORDER BY fdID")),
             (QStringList{QStringLiteral("P000"), QStringLiteral("P001"), QStringLiteral("P002"),
                          QStringLiteral("P003")}));
    QVERIFY(!w.progressWindow().isShown());
    QCOMPARE(f.fake.settings.value(kSettingKey), target);
    QVERIFY(w.mFile[3]->isVisible());
    QVERIFY(!w.converting());
    // The cancel was noticed at the fifth line, which was read but not converted.
    QCOMPARE(f.fake.messages().size(), 2);
    QCOMPARE(
        f.fake.messages()[1].prompt,
        QStringLiteral("変換を中断しました。テキストファイル %1 の全 10 行のうち 4 行を変換し、"
                       "定数 0、関数 4、型 0（メンバー行 0）、#If の組 0 をデータベース %2 に格納しました。")
            .arg(text, target));
    QCOMPARE(f.fake.messages()[1].style, MsgBox::Information);
    QCOMPARE(f.fake.messages()[1].title, QStringLiteral("データベース作成"));
    QCOMPARE(f.fake.beeps(), 0);
    EK_VERIFY_NO_UNEXPECTED(f);
}

void FileMenuTest::cancelIsToldAboveTheLinesNotStored()
{
    UiFixture f;
    const QString text = f.path(QStringLiteral("decl.txt"));
    QStringList lines{QStringLiteral("Public Const NOEQUALS 5"), QStringLiteral("Type RECT"),
                      QStringLiteral("End Type"), QStringLiteral("Public Const A = 1")};
    for (int i = 0; i < 1500; ++i)
        lines << QStringLiteral("Public Const C%1 = %1").arg(i);
    writeCp932(text, lines);
    const QString target = f.path(QStringLiteral("out.mdb"));
    Ekf& w = f.start();
    f.fake.fileNames << text << target;
    f.fake.answers << MsgBox::AnswerOk;
    f.fake.onProcessEvents = [&](int call) {
        if (call == 1004)
            w.progressWindow().cmdCancel->click();
    };
    triggerAction(w, "mFile1");
    QCOMPARE(f.fake.messages().size(), 2);
    QCOMPARE(f.fake.messages()[1].prompt,
             QStringLiteral(
                 "変換を中断しました。テキストファイル %1 の全 1,504 行のうち 1,004 行を変換し、"
                 "定数 1,001、関数 0、型 1（メンバー行 0）、#If の組 0 をデータベース %2 に格納しました。"
                 "\r\n\r\n1 行をデータベースに格納できませんでした。\r\n\r\n"
                 "1 行目: 名前の後に「 =」がありません: Public Const NOEQUALS 5")
                 .arg(text, target));
    QCOMPARE(f.fake.messages()[1].style, MsgBox::Exclamation);
    QCOMPARE(sqlColumn(target, QStringLiteral("SELECT count(*) FROM tbCnst")),
             QStringList{QStringLiteral("1001")});
}

void FileMenuTest::convertingTheTextFileOntoItselfIsRefused()
{
    UiFixture f;
    const QString text = f.path(QStringLiteral("decl.txt"));
    writeCp932(text, {QStringLiteral("Public Const A = 1")});
    const QByteArray before = readBytes(text);
    Ekf& w = f.start();
    f.fake.fileNames << text << text;
    triggerAction(w, "mFile1");
    QCOMPARE(readBytes(text), before);
    QCOMPARE(f.fake.messages().size(), 1);
    QVERIFY(f.fake.messages()[0].prompt.contains(QDir::toNativeSeparators(text)));
    QCOMPARE(f.fake.messages()[0].style, 16);
    QVERIFY(!w.mFile[3]->isVisible());
    EK_VERIFY_NO_UNEXPECTED(f);
}

void FileMenuTest::convertingOntoAFileThatFailedToListReplacesIt()
{
    UiFixture f;
    // A file without our tables: the fill fails, so Convert stays available.
    const QString target = f.path(QStringLiteral("foreign.mdb"));
    writeBytes(target, QByteArray());
    sqlExec(target, QStringLiteral("CREATE TABLE other (x INTEGER)"));
    const QString text = f.path(QStringLiteral("decl.txt"));
    writeCp932(text, procLines(QStringLiteral("P"), 3));
    Ekf& w = f.start();
    f.open(target);
    QCOMPARE(f.fake.messages().size(), 1);
    QVERIFY(w.mFile[1]->isEnabled());
    // A file that cannot be listed is not kept open.
    QVERIFY(!f.module.dbDecl);
    f.fake.fileNames << text << target;
    f.fake.answers << MsgBox::AnswerOk;
    triggerAction(w, "mFile1");
    QVERIFY(!f.module.dbDecl);
    QCOMPARE(sqlColumn(target, QStringLiteral("SELECT count(*) FROM tbProc")),
             QStringList{QStringLiteral("3")});
    // Reopening lists the new content; nothing points at the replaced file any more.
    triggerAction(w, "mFile3");
    QCOMPARE(w.lstEk->ListCount(), 3);
    // The unsupported file, the confirmation, what the conversion stored.
    QCOMPARE(f.fake.messages().size(), 3);
    QCOMPARE(f.fake.reports.size(), 1);
}

void FileMenuTest::unreadableTextFileIsReportedBeforeAnythingIsDeleted()
{
    UiFixture f;
    const QString target = f.makeDatabase(procLines(QStringLiteral("KEEP"), 2), QStringLiteral("keep.mdb"));
    const QString missingText = f.path(QStringLiteral("missing.txt"));
    Ekf& w = f.start();
    f.fake.fileNames << missingText << target;
    f.fake.answers << MsgBox::AnswerOk;
    triggerAction(w, "mFile1");
    QCOMPARE(f.fake.messages().size(), 2);
    QCOMPARE(f.fake.messages()[1].title, QStringLiteral("エラー  :  53"));
    QVERIFY(f.fake.messages()[1].prompt.contains(QDir::toNativeSeparators(missingText)));
    QCOMPARE(sqlColumn(target, QStringLiteral("SELECT count(*) FROM tbProc")),
             QStringList{QStringLiteral("2")});
    QVERIFY(f.module.sDbName.isEmpty());
    QCOMPARE(f.fake.pointer, Pointer::Default);

    // A folder where the database should go is not deleted either.
    const QString text = f.path(QStringLiteral("decl.txt"));
    writeCp932(text, procLines(QStringLiteral("P"), 1));
    QDir(f.dir.path()).mkdir(QStringLiteral("folder.mdb"));
    f.fake.fileNames << text << f.path(QStringLiteral("folder.mdb"));
    f.fake.answers << MsgBox::AnswerOk;
    triggerAction(w, "mFile1");
    QCOMPARE(f.fake.messages().size(), 4);
    QCOMPARE(f.fake.messages()[3].title, QStringLiteral("エラー  :  3051"));
    QVERIFY(QFileInfo(f.path(QStringLiteral("folder.mdb"))).isDir());
}

void FileMenuTest::linesNotStoredAreReportedOnce()
{
    UiFixture f;
    const QString text = f.path(QStringLiteral("decl.txt"));
    QStringList lines{QStringLiteral("Public Const NOEQUALS 5"), QStringLiteral("Type Rect"),
                      QStringLiteral("End Type")};
    for (int i = 0; i < 25; ++i)
        lines << QStringLiteral("Type RECT") << QStringLiteral("  m%1 As Long").arg(i)
              << QStringLiteral("End Type");
    writeCp932(text, lines);
    const QString target = f.path(QStringLiteral("out.mdb"));
    Ekf& w = f.start();
    f.fake.fileNames << text << target;
    f.fake.answers << MsgBox::AnswerOk;
    triggerAction(w, "mFile1");
    QCOMPARE(f.fake.messages().size(), 2);
    QCOMPARE(f.fake.messages()[1].style, MsgBox::Exclamation);
    QCOMPARE(f.fake.beeps(), 1);
    const ListReport& report = f.fake.reports.at(0);
    QCOMPARE(report.summary,
             QStringLiteral(
                 "テキストファイル %1 の 78 行を読み、定数 0、関数 0、型 1（メンバー行 0）、#If の組 0 "
                 "をデータベース %2 に格納しました。\r\n\r\n26 行をデータベースに格納できませんでした。")
                 .arg(text, target));
    // Every listed line is in the report; a refused type names the one kept and the
    // members that went with it.
    QCOMPARE(report.lines.size(), 26);
    QCOMPARE(report.lines[0],
             QStringLiteral("1 行目: 名前の後に「 =」がありません: Public Const NOEQUALS 5"));
    QCOMPARE(report.lines[1],
             QStringLiteral("4 行目: 同じ名前の型が 2 行目に既にあります（この型のメンバー行 1 "
                            "行も格納していません）: Type RECT"));
    QVERIFY(report.lines[25].startsWith(QStringLiteral("76 行目: ")));
    QCOMPARE(report.saveName, f.path(QStringLiteral("out_変換結果.txt")));
    QCOMPARE(sqlColumn(target, QStringLiteral("SELECT count(*) FROM tbMenb")),
             QStringList{QStringLiteral("0")});
    QCOMPARE(f.fake.settings.value(kSettingKey), target);
}

void FileMenuTest::fileMenuCommandsAreRefusedWhileConverting()
{
    UiFixture f;
    const QString text = f.path(QStringLiteral("decl.txt"));
    writeCp932(text, procLines(QStringLiteral("P"), 5));
    const QString other = f.makeDatabase(procLines(QStringLiteral("O"), 1), QStringLiteral("other.mdb"));
    f.fake.settings.insert(kSettingKey, other);
    const QString target = f.path(QStringLiteral("out.mdb"));
    Ekf& w = f.start();
    f.fake.fileNames << text << target;
    f.fake.answers << MsgBox::AnswerOk;
    int beepsDuringRun = -1;
    f.fake.onProcessEvents = [&](int call) {
        if (call != 2)
            return;
        const int before = f.fake.beeps();
        triggerAction(w, "mFile0");
        triggerAction(w, "mFile1");
        triggerAction(w, "mFile3");
        beepsDuringRun = f.fake.beeps() - before;
        // Browsing still works meanwhile.
        f.chooseKind(0);
    };
    triggerAction(w, "mFile1");
    QCOMPARE(beepsDuringRun, 3);
    QCOMPARE(f.fake.fileDialogs().size(), 2);
    QVERIFY(!f.module.dbDecl);
    QCOMPARE(f.module.iKind, 0);
    QCOMPARE(sqlColumn(target, QStringLiteral("SELECT count(*) FROM tbProc")),
             QStringList{QStringLiteral("5")});
    EK_VERIFY_NO_UNEXPECTED(f);
}

void FileMenuTest::exitDuringConversionCancelsThenCloses()
{
    UiFixture f;
    const QString text = f.path(QStringLiteral("decl.txt"));
    writeCp932(text, procLines(QStringLiteral("P"), 10));
    const QString target = f.path(QStringLiteral("out.mdb"));
    Ekf& w = f.start();
    f.fake.fileNames << text << target;
    f.fake.answers << MsgBox::AnswerOk;
    f.fake.onProcessEvents = [&](int call) {
        if (call == 3)
            triggerAction(w, "mFile6");
    };
    triggerAction(w, "mFile1");
    QVERIFY(!w.isVisible());
    QVERIFY(!w.converting());
    QCOMPARE(sqlColumn(target, QStringLiteral("SELECT count(*) FROM tbProc")),
             QStringList{QStringLiteral("3")});
    // The database file is closed and whole.
    QCOMPARE(sqlColumn(target, QStringLiteral("PRAGMA integrity_check")), QStringList{QStringLiteral("ok")});
    QCOMPARE(f.fake.settings.value(kSettingKey), target);
}

void FileMenuTest::getPathTakesEitherSeparator_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("backslash") << "C:\\api\\decl.txt"
                               << "C:\\api\\";
    QTest::newRow("slash") << "/home/u/api/decl.txt"
                           << "/home/u/api/";
    QTest::newRow("mixed, last wins") << "C:\\a/b\\c.txt"
                                      << "C:\\a/b\\";
    QTest::newRow("none") << "decl.txt"
                          << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("root") << "/decl.txt"
                          << "/";
}

void FileMenuTest::getPathTakesEitherSeparator()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(GetPath(path), expected);
}

void FileMenuTest::otherIndicesDoNothing()
{
    UiFixture f;
    Ekf& w = f.start();
    for (int i : {-1, 2, 4, 5, 7})
        w.mFile_Click(i);
    QVERIFY(f.fake.fileDialogs().isEmpty());
    QVERIFY(f.fake.messages().isEmpty());
    QVERIFY(w.isVisible());
}

QTEST_MAIN(FileMenuTest)
#include "file_menu_test.moc"
