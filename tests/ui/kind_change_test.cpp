// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_browser.h"
#include "test_data.h"
#include "ui_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

namespace {

const QStringList kMixed{
    QStringLiteral("Public Const WM_CLOSE = &H10"),
    QStringLiteral("Public Const MAX_PATH = 260"),
    QStringLiteral("Declare Function GetTickCount Lib \"kernel32\" () As Long"),
    QStringLiteral("Declare Sub Sleep Lib \"kernel32\" (ByVal dwMilliseconds As Long)"),
    QStringLiteral("Type RECT"),
    QStringLiteral("    Left As Long"),
    QStringLiteral("End Type"),
};

QStringList listItems(const ListBox& list)
{
    QStringList items;
    for (qint64 i = 0; i < list.ListCount(); ++i)
        items << list.List(i);
    return items;
}

} // namespace

class KindChangeTest : public QObject
{
    Q_OBJECT
private slots:
    void openingListsTheCurrentKindInNameOrder();
    void choosingAnotherKindKeepsTheCollectionAndRefills();
    void refilledListShowsItsFirstName();
    void choosingTheSameKindChangesNothing();
    void kindChosenBeforeOpeningIsListedOnOpen();
    void emptyKindListsNothingAndCountsAsOpen();
    void databaseWithoutTheTableIsUnsupported();
    void failedFillKeepsTheListAndClosesTwiceQuietly();
    void fillShowsTheHourglassAndRestoresThePointer();
};

void KindChangeTest::openingListsTheCurrentKindInNameOrder()
{
    UiFixture f;
    const QString db = f.makeDatabase(kMixed);
    Ekf& w = f.start();
    f.open(db);
    QCOMPARE(w.lstEk->ListCount(), 2);
    QCOMPARE(w.lstEk->List(0), QStringLiteral("GetTickCount"));
    QCOMPARE(w.lstEk->List(1), QStringLiteral("Sleep"));
    QVERIFY(!w.mFile[1]->isEnabled());
    QCOMPARE(f.module.dbDecl->path(), db);
    EK_VERIFY_NO_UNEXPECTED(f);
}

void KindChangeTest::choosingAnotherKindKeepsTheCollectionAndRefills()
{
    UiFixture f;
    const QString db = f.makeDatabase(kMixed);
    Ekf& w = f.start();
    f.open(db);
    for (int row : {0, 1, 0}) {
        f.clickItem(*w.lstEk, row);
        w.cmdAdd->click();
    }
    // The second GetTickCount is the first one shown again.
    QCOMPARE(listItems(*w.lstDest), QStringList({"関 GetTickCount", "関 Sleep"}));
    QCOMPARE(w.lstDest->currentRow(), 0);
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("関数 GetTickCount はもう選択リストにあります"));
    w.lstDest->setSelected(1, true);
    QVERIFY(w.cmdDel->isEnabled());
    f.clickItem(*w.lstEk, 1);
    QVERIFY(w.cmdAdd->isEnabled());
    w.cmdAdd->setFocus();

    f.chooseKind(0);
    QCOMPARE(f.module.iKind, 0);
    QCOMPARE(listItems(*w.lstDest), QStringList({"関 GetTickCount", "関 Sleep"}));
    QVERIFY(w.lstDest->Selected(1));
    QVERIFY(w.cmdDel->isEnabled());
    QVERIFY(w.cmdCpy->isEnabled());
    QVERIFY(w.cmdAdd->isEnabled()); // left as it was
    QVERIFY(w.txtInp->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), w.txtInp);
    QCOMPARE(w.lstEk->ListCount(), 2);
    QCOMPARE(w.lstEk->List(0), QStringLiteral("MAX_PATH"));
    QCOMPARE(w.lstEk->List(1), QStringLiteral("WM_CLOSE"));
    // Add now looks names up among the constants, and a constant may share a function's name.
    w.setTxtInpText(QStringLiteral("max_path"));
    w.cmdAdd_Click();
    w.setTxtInpText(QStringLiteral("Sleep"));
    w.cmdAdd_Click();
    QCOMPARE(f.fake.beeps(), 1);

    f.chooseKind(2);
    QCOMPARE(w.lstEk->ListCount(), 1);
    QCOMPARE(w.lstEk->List(0), QStringLiteral("RECT"));
    f.clickItem(*w.lstEk, 0);
    w.cmdAdd->click();
    QCOMPARE(listItems(*w.lstDest), QStringList({"関 GetTickCount", "関 Sleep", "定 max_path", "型 RECT"}));

    // Each entry copies as its own kind, in the order collected.
    w.cmdCpy->click();
    QCOMPARE(f.fake.clipboard, kMixed[2] + "\r\n" + kMixed[3] + "\r\n" + kMixed[1] + "\r\n" + kMixed[4] +
                                   "\r\n" + kMixed[5] + "\r\nEnd Type\r\n");
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("4 件 (関数 2、定数 1、型 1) をコピーしました"));
    // Deleting works on any kind.
    w.cmdDel->click();
    QCOMPARE(listItems(*w.lstDest), QStringList({"関 GetTickCount", "定 max_path", "型 RECT"}));
    w.lstDest->setListIndex(1);
    w.lstDest_DblClick();
    QCOMPARE(f.fake.clipboard, kMixed[1]);
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("1 件 (定数 1) をコピーしました"));
    EK_VERIFY_NO_UNEXPECTED(f);
}

void KindChangeTest::refilledListShowsItsFirstName()
{
    UiFixture f;
    QStringList lines;
    for (int i = 0; i < 40; ++i) {
        lines << QStringLiteral("Declare Sub P%1 Lib \"k\" ()").arg(i, 2, 10, QLatin1Char('0'))
              << QStringLiteral("Public Const C%1 = %1").arg(i, 2, 10, QLatin1Char('0'));
    }
    const QString db = f.makeDatabase(lines);
    Ekf& w = f.start();
    f.open(db);
    QTest::keyClicks(w.txtInp, QStringLiteral("p2"));
    QCOMPARE(w.lstEk->TopIndex(), 20);
    f.chooseKind(0);
    QCOMPARE(w.lstEk->TopIndex(), 0);
    QCOMPARE(w.lstEk->itemRect(0).top(), 0);
    // Scrolled only a little, then reopened: the refill starts at the top too.
    w.lstEk->setTopIndex(2);
    triggerAction(w, "mFile3");
    QCOMPARE(w.lstEk->TopIndex(), 0);
}

void KindChangeTest::choosingTheSameKindChangesNothing()
{
    UiFixture f;
    const QString db = f.makeDatabase(kMixed);
    Ekf& w = f.start();
    f.open(db);
    f.clickItem(*w.lstEk, 0);
    w.cmdAdd->click();
    const DeclBrowser* before = f.module.dbDecl.get();
    f.chooseKind(1);
    QCOMPARE(w.lstDest->ListCount(), 1);
    QCOMPARE(w.txtInp->text(), QStringLiteral("GetTickCount"));
    QCOMPARE(f.module.dbDecl.get(), before);
}

void KindChangeTest::kindChosenBeforeOpeningIsListedOnOpen()
{
    UiFixture f;
    const QString db = f.makeDatabase(kMixed);
    Ekf& w = f.start();
    f.chooseKind(2);
    QCOMPARE(f.module.iKind, 2);
    QCOMPARE(w.lstEk->ListCount(), 0);
    QVERIFY(!f.module.dbDecl);
    f.open(db);
    QCOMPARE(w.lstEk->List(0), QStringLiteral("RECT"));
}

void KindChangeTest::emptyKindListsNothingAndCountsAsOpen()
{
    UiFixture f;
    const QString db = f.makeDatabase({QStringLiteral("Public Const ONLY = 1")});
    Ekf& w = f.start();
    f.open(db);
    QCOMPARE(w.lstEk->ListCount(), 0);
    QVERIFY(f.fake.messages().isEmpty());
    QVERIFY(!w.mFile[1]->isEnabled());
    QCOMPARE(f.fake.pointer, Pointer::Default);
    // Because the database counts as open, another kind is listed at once.
    f.chooseKind(0);
    QCOMPARE(w.lstEk->List(0), QStringLiteral("ONLY"));
    f.chooseKind(2);
    QCOMPARE(w.lstEk->ListCount(), 0);
    QVERIFY(f.fake.messages().isEmpty());
}

void KindChangeTest::databaseWithoutTheTableIsUnsupported()
{
    UiFixture f;
    const QString db = f.makeDatabase(kMixed);
    sqlExec(db, QStringLiteral("DROP TABLE tbProc"));
    Ekf& w = f.start();
    f.open(db);
    QCOMPARE(f.fake.messages().size(), 1);
    QCOMPARE(f.fake.messages()[0].prompt, QStringLiteral("サポート外のファイルです"));
    QCOMPARE(f.fake.messages()[0].title, QStringLiteral("エラー  :  1"));
    QCOMPARE(f.fake.messages()[0].style, 16);
    QCOMPARE(f.fake.beeps(), 1);
    QCOMPARE(f.fake.pointer, Pointer::Arrow);
    QVERIFY(w.mFile[1]->isEnabled());
    QCOMPARE(w.lstEk->ListCount(), 0);
    // The Open command still remembers the path.
    QCOMPARE(w.rememberedCaption(), db);
    // The other kinds of that file are still there to be listed once one is chosen.
    f.chooseKind(0);
    QCOMPARE(w.lstEk->ListCount(), 0);
}

void KindChangeTest::failedFillKeepsTheListAndClosesTwiceQuietly()
{
    UiFixture f;
    const QString db = f.makeDatabase(kMixed);
    sqlExec(db, QStringLiteral("DROP TABLE tbType"));
    Ekf& w = f.start();
    f.open(db);
    QCOMPARE(w.lstEk->ListCount(), 2);
    f.chooseKind(2);
    QCOMPARE(f.fake.messages().size(), 1);
    QCOMPARE(f.fake.messages()[0].prompt, QStringLiteral("サポート外のファイルです"));
    QCOMPARE(w.lstEk->ListCount(), 2);
    // The names shown are not types: Add finds none of them, Copy gives empty lines.
    f.clickItem(*w.lstEk, 0);
    w.cmdAdd->click();
    QCOMPARE(f.fake.beeps(), 2);
    QCOMPARE(w.lstDest->ListCount(), 0);
    f.chooseKind(0);
    QCOMPARE(f.fake.messages().size(), 1);
    QCOMPARE(w.lstEk->List(0), QStringLiteral("MAX_PATH"));
    f.chooseKind(2);
    QCOMPARE(f.fake.messages().size(), 2);
    QVERIFY(w.close());
    QCOMPARE(f.fake.messages().size(), 2);
}

void KindChangeTest::fillShowsTheHourglassAndRestoresThePointer()
{
    UiFixture f;
    const QString db = f.makeDatabase(kMixed);
    f.start();
    const qsizetype mark = f.fake.events.size();
    f.open(db);
    QVERIFY(f.fake.pointerHistory(mark).contains(Pointer::Hourglass));
    QCOMPARE(f.fake.pointerHistory(mark).last(), Pointer::Default);
}

QTEST_MAIN(KindChangeTest)
#include "kind_change_test.moc"
