// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "test_data.h"
#include "ui_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

const QStringList kDecls{
    QStringLiteral("Public Const WM_CLOSE = &H10 ' 閉じる"),
    QStringLiteral("Public Const MAX_PATH = 260"),
    QStringLiteral("Public Const MAX_PATH = 520"),
    QStringLiteral("Type POINTAPI"),
    QStringLiteral("    x As Long"),
    QStringLiteral("    y As Long"),
    QStringLiteral("End Type"),
    QStringLiteral("Type EMPTYTYPE"),
    QStringLiteral("End Type"),
};

struct Opened
{
    UiFixture f;
    Ekf* w = nullptr;
    explicit Opened(int kind, const QStringList& lines = kDecls)
    {
        const QString db = f.makeDatabase(lines);
        w = &f.start();
        f.chooseKind(kind);
        f.open(db);
    }
    void add(int row)
    {
        f.clickItem(*w->lstEk, row);
        w->cmdAdd->click();
    }
};

} // namespace

class CollectAndCopyTest : public QObject
{
    Q_OBJECT
private slots:
    void addingAFoundNameAppendsItAndSwapsButtons();
    void addingAMissingNameOnlyBeeps();
    void addingInAnotherCaseKeepsTheTypedText();
    void sameNameOfAKindIsKeptOnce();
    void doubleClickAddsOnce();
    void deleteRemovesTheSelectedEntries();
    void deleteWithNothingSelectedChangesNothing();
    void copyJoinsEveryEntryWithLineBreaks();
    void copyOfARecordTypeRebuildsTheBlock();
    void copyOfATypeWithoutMembersEndsAtOnce();
    void copyOfEmptyListKeepsTheClipboard();
    void doubleClickOnAnEntryCopiesItAlone();
    void entriesCopyFromTheDatabaseTheyCameFrom();
    void typicalUseOnTheBundledSample();
    void bothCopiesOfAnEntryInAGroupGiveTheGroup();
    void typeHeaderWithACommentIsAddedByItsNameInAnyCase();
};

void CollectAndCopyTest::addingAFoundNameAppendsItAndSwapsButtons()
{
    Opened o(0);
    o.f.clickItem(*o.w->lstEk, 0);
    QCOMPARE(o.w->txtInp->text(), QStringLiteral("MAX_PATH"));
    QVERIFY(o.w->cmdAdd->isEnabled());
    o.w->cmdAdd->click();
    QCOMPARE(o.w->lstDest->ListCount(), 1);
    QCOMPARE(o.w->lstDest->List(0), QStringLiteral("定 MAX_PATH"));
    QVERIFY(!o.w->cmdAdd->isEnabled());
    QVERIFY(o.w->cmdCpy->isEnabled());
    QVERIFY(!o.w->cmdDel->isEnabled());
    QCOMPARE(o.w->txtInp->text(), QStringLiteral("MAX_PATH"));
    QCOMPARE(o.f.fake.beeps(), 0);
}

void CollectAndCopyTest::addingAMissingNameOnlyBeeps()
{
    Opened o(0);
    o.f.clickItem(*o.w->lstEk, 0);
    o.w->setTxtInpText(QStringLiteral("NO_SUCH"));
    o.w->txtInp->setFocus();
    o.w->cmdAdd->click();
    QCOMPARE(o.f.fake.beeps(), 1);
    QCOMPARE(o.w->lstDest->ListCount(), 0);
    QVERIFY(o.w->cmdAdd->isEnabled());
    QVERIFY(!o.w->cmdCpy->isEnabled());
    QCOMPARE(o.w->txtInp->text(), QStringLiteral("NO_SUCH"));
    QVERIFY(o.f.fake.messages().isEmpty());
}

void CollectAndCopyTest::addingInAnotherCaseKeepsTheTypedText()
{
    Opened o(0);
    o.f.clickItem(*o.w->lstEk, 0);
    o.w->setTxtInpText(QStringLiteral("wm_close"));
    o.w->cmdAdd->click();
    QCOMPARE(o.w->lstDest->List(0), QStringLiteral("定 wm_close"));
    o.w->cmdCpy->click();
    QCOMPARE(o.f.fake.clipboard, QStringLiteral("Public Const WM_CLOSE = &H10 ") + kCrLf);
}

void CollectAndCopyTest::sameNameOfAKindIsKeptOnce()
{
    Opened o(0);
    o.add(2);
    o.add(0);
    QVERIFY(!o.w->cmdAdd->isEnabled());
    o.w->setTxtInpText(QStringLiteral("wm_close"));
    o.w->cmdAdd_Click();
    QCOMPARE(o.w->lstDest->ListCount(), 2);
    QCOMPARE(o.w->lstDest->currentRow(), 0);
    QVERIFY(!o.w->cmdAdd->isEnabled());
    QCOMPARE(o.w->statusBar()->currentMessage(), QStringLiteral("定数 WM_CLOSE はもう選択リストにあります"));
    QCOMPARE(o.f.fake.beeps(), 0);
}

void CollectAndCopyTest::doubleClickAddsOnce()
{
    Opened o(0);
    o.f.doubleClickItem(*o.w->lstEk, 2);
    QCOMPARE(o.w->lstDest->ListCount(), 1);
    QCOMPARE(o.w->lstDest->List(0), QStringLiteral("定 WM_CLOSE"));
    QVERIFY(!o.w->cmdAdd->isEnabled());
    QVERIFY(o.w->cmdCpy->isEnabled());
    // One Click came with the double-click, and its marker was consumed.
    QVERIFY(o.w->txtInpTag().isEmpty());
}

void CollectAndCopyTest::deleteRemovesTheSelectedEntries()
{
    Opened o(0);
    o.add(0);
    o.add(2);
    o.f.chooseKind(2);
    o.add(1);
    o.f.clickItem(*o.w->lstDest, 0);
    QVERIFY(o.w->cmdDel->isEnabled());
    o.f.clickItem(*o.w->lstDest, 2);
    QCOMPARE(o.w->lstDest->SelCount(), 2);
    o.w->cmdDel->click();
    QCOMPARE(o.w->lstDest->ListCount(), 1);
    QCOMPARE(o.w->lstDest->List(0), QStringLiteral("定 WM_CLOSE"));
    QVERIFY(!o.w->cmdDel->isEnabled());
    o.w->cmdCpy->click();
    QCOMPARE(o.f.fake.clipboard, QStringLiteral("Public Const WM_CLOSE = &H10 ") + kCrLf);
    QVERIFY(o.w->cmdCpy->isEnabled());
    o.f.clickItem(*o.w->lstDest, 0);
    o.w->cmdDel->click();
    QCOMPARE(o.w->lstDest->ListCount(), 0);
    QVERIFY(!o.w->cmdCpy->isEnabled());
}

void CollectAndCopyTest::deleteWithNothingSelectedChangesNothing()
{
    Opened o(0);
    o.add(0);
    o.f.clickItem(*o.w->lstDest, 0);
    QVERIFY(o.w->cmdDel->isEnabled());
    // Clicking again unselects; Delete stays enabled and then does nothing.
    o.f.clickItem(*o.w->lstDest, 0);
    QCOMPARE(o.w->lstDest->SelCount(), 0);
    QVERIFY(o.w->cmdDel->isEnabled());
    o.w->cmdDel->click();
    QCOMPARE(o.w->lstDest->ListCount(), 1);
    QVERIFY(o.w->cmdDel->isEnabled());
}

void CollectAndCopyTest::copyJoinsEveryEntryWithLineBreaks()
{
    Opened o(0);
    o.add(2);
    o.add(0);
    o.f.clickItem(*o.w->lstDest, 1);
    o.w->cmdCpy->click();
    // A name stored twice gives its first row in name order; trailing blanks stay.
    QCOMPARE(o.f.fake.clipboard, QStringLiteral("Public Const WM_CLOSE = &H10 ") + kCrLf +
                                     QStringLiteral("Public Const MAX_PATH = 260") + kCrLf);
    QCOMPARE(o.w->lstDest->ListCount(), 2);
    QVERIFY(!o.w->cmdAdd->isEnabled());
    QVERIFY(o.w->cmdCpy->isEnabled());
}

void CollectAndCopyTest::copyOfARecordTypeRebuildsTheBlock()
{
    Opened o(2);
    QCOMPARE(o.w->lstEk->List(1), QStringLiteral("POINTAPI"));
    o.add(1);
    o.w->cmdCpy->click();
    QCOMPARE(o.f.fake.clipboard,
             QStringLiteral("Type POINTAPI\r\n    x As Long\r\n    y As Long\r\nEnd Type\r\n"));
}

void CollectAndCopyTest::copyOfATypeWithoutMembersEndsAtOnce()
{
    Opened o(2);
    o.add(0);
    o.w->cmdCpy->click();
    QCOMPARE(o.f.fake.clipboard, QStringLiteral("Type EMPTYTYPE\r\nEnd Type\r\n"));
}

void CollectAndCopyTest::copyOfEmptyListKeepsTheClipboard()
{
    Opened o(0);
    o.w->cmdCpy_Click();
    QCOMPARE(o.f.fake.clipboardWrites(), 0);
}

void CollectAndCopyTest::doubleClickOnAnEntryCopiesItAlone()
{
    Opened o(2);
    o.add(0);
    o.add(1);
    o.f.fake.clipboard = QStringLiteral("before");
    o.f.doubleClickItem(*o.w->lstDest, 1);
    QCOMPARE(o.f.fake.clipboard,
             QStringLiteral("Type POINTAPI\r\n    x As Long\r\n    y As Long\r\nEnd Type"));
    QCOMPARE(o.w->lstDest->ListCount(), 2);
    // The clicks of the double-click selected the entry, which enables Delete.
    QVERIFY(o.w->lstDest->Selected(1));
    QVERIFY(o.w->cmdDel->isEnabled());
}

void CollectAndCopyTest::entriesCopyFromTheDatabaseTheyCameFrom()
{
    Opened o(0);
    o.add(0); // MAX_PATH = 260
    const QString other = o.f.makeDatabase(
        {QStringLiteral("Public Const WM_CLOSE = 16"), QStringLiteral("Public Const MAX_PATH = 1024")},
        QStringLiteral("other.mdb"));
    o.f.open(other);
    QCOMPARE(o.w->lstDest->ListCount(), 1);
    o.add(1); // WM_CLOSE = 16
    o.add(0); // MAX_PATH again: the one collected first stays
    QCOMPARE(o.w->lstDest->ListCount(), 2);
    o.w->cmdCpy->click();
    QCOMPARE(o.f.fake.clipboard, kDecls[1] + kCrLf + QStringLiteral("Public Const WM_CLOSE = 16") + kCrLf);
    o.f.doubleClickItem(*o.w->lstDest, 0);
    QCOMPARE(o.f.fake.clipboard, kDecls[1]);

    // The first database gone: the copy says why and leaves the clipboard as it was.
    QVERIFY(QFile::remove(o.f.path(QStringLiteral("t.mdb"))));
    o.w->cmdCpy->click();
    QCOMPARE(o.f.fake.messages().size(), 1);
    QVERIFY2(o.f.fake.messages()[0].prompt.contains(QStringLiteral("t.mdb")),
             qPrintable(o.f.fake.messages()[0].prompt));
    QCOMPARE(o.f.fake.clipboard, kDecls[1]);
    QCOMPARE(o.w->lstDest->ListCount(), 2);
}

void CollectAndCopyTest::typicalUseOnTheBundledSample()
{
    UiFixture f;
    const QString db = f.path(QStringLiteral("sample.mdb"));
    RecordingProgress progress;
    convertFile(samplePath(), db, progress);
    f.fake.settings.insert(
        FakePlatform::settingKey(QStringLiteral("Ek"), QStringLiteral("DataBase"), QStringLiteral("Name")),
        db);
    Ekf& w = f.start();
    triggerAction(w, "mFile3");
    f.chooseKind(2);
    QTest::keyClicks(w.txtInp, QStringLiteral("rec"));
    const int rect = int(SearchList(*w.lstEk, QStringLiteral("rec")));
    QCOMPARE(w.lstEk->List(rect), QStringLiteral("RECT"));
    QCOMPARE(w.lstEk->TopIndex(),
             std::max(0, std::min<int>(rect, int(w.lstEk->ListCount()) - w.lstEk->visibleRows())));
    f.clickItem(*w.lstEk, rect);
    w.cmdAdd->click();
    w.cmdCpy->click();
    QCOMPARE(f.fake.clipboard, QStringLiteral("Type RECT\r\n    Left As Long\r\n    Top As Long\r\n"
                                              "    Right As Long\r\n    Bottom As Long\r\nEnd Type\r\n"));
    EK_VERIFY_NO_UNEXPECTED(f);
}

void CollectAndCopyTest::bothCopiesOfAnEntryInAGroupGiveTheGroup()
{
    const QStringList lines = {
        "#If Win64 Then", "Declare PtrSafe Function GetTickCount64 Lib \"kernel32\" () As LongLong", "#Else",
        "Declare PtrSafe Function GetTickCount64 Lib \"k32\" () As Currency", "#End If"};
    Opened o(1, lines);
    QCOMPARE(o.w->lstEk->ListCount(), 2);
    o.add(1);
    o.w->cmdCpy->click();
    const QString group = lines.join(kCrLf);
    QCOMPARE(o.f.fake.clipboard, group + kCrLf);
    o.f.doubleClickItem(*o.w->lstDest, 0);
    QCOMPARE(o.f.fake.clipboard, group);
    EK_VERIFY_NO_UNEXPECTED(o.f);
}

void CollectAndCopyTest::typeHeaderWithACommentIsAddedByItsNameInAnyCase()
{
    Opened o(2, {"Type BITMAPINFOHEADER '40 bytes", "    biSize As Long", "End Type"});
    for (const QString& typed : {QStringLiteral("BITMAPINFOHEADER"), QStringLiteral("bitmapinfoheader")}) {
        o.w->txtInp->setText(typed);
        o.w->cmdAdd->setEnabled(true);
        o.w->cmdAdd->click();
        QCOMPARE(o.f.fake.beeps(), 0);
        QCOMPARE(o.w->lstDest->ListCount(), 1);
        QCOMPARE(o.w->lstDest->List(0), QStringLiteral("型 BITMAPINFOHEADER"));
    }
    o.w->cmdCpy->click();
    const QString block = QStringLiteral("Type BITMAPINFOHEADER \r\n    biSize As Long\r\nEnd Type\r\n");
    QCOMPARE(o.f.fake.clipboard, block);
    EK_VERIFY_NO_UNEXPECTED(o.f);
}

QTEST_MAIN(CollectAndCopyTest)
#include "collect_and_copy_test.moc"
