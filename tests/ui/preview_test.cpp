// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "browse_data.h"
#include "copy_assembly.h"
#include "decl_browser.h"
#include "ui_fixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

namespace {

const QString kGetWindowLongPtrGroup =
    QStringLiteral("#If Win64 Then\n"
                   "Declare PtrSafe Function GetWindowLongPtr Lib \"user32\" Alias \"GetWindowLongPtrA\" "
                   "(ByVal hWnd As LongPtr, "
                   "ByVal nIndex As Long) As LongPtr\n"
                   "#Else\n"
                   "Declare PtrSafe Function GetWindowLongPtr Lib \"user32\" Alias \"GetWindowLongA\" (ByVal "
                   "hWnd As LongPtr, "
                   "ByVal nIndex As Long) As LongPtr\n"
                   "#End If");

// Row 3 is GetWindowLong; rows 4 and 5 are GetWindowLongPtr under Win64 and under Else.
constexpr int kGetWindowLong = 3;
constexpr int kPtrWin64 = 4;
constexpr int kPtrElse = 5;

QString shown(const Ekf& w)
{
    return w.txtPrv->toPlainText();
}

// What ek-cli show and Copy give for one name, with the line ends the pane shows.
QString copyOf(UiFixture& f, DeclKind kind, const QString& name, const CopyOptions& options = {})
{
    return f.module.dbDecl->copy(kind, {name}, options, CopyEnd::NoFinalBreak)
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

class PreviewTest : public QObject
{
    Q_OBJECT
private slots:
    void previewFollowsTheCurrentRowWithEachVariantsFacts();
    void previewIsWhatCopyGivesWithTheOptionsAsSet();
    void variantsAreToldApartInTheListOnly();
    void typesShowTheirMembersAndSizesAndTheTableOnDemand();
    void returnAndDoubleClickCollectAndCtrlCCopiesTheSelection();
};

void PreviewTest::previewFollowsTheCurrentRowWithEachVariantsFacts()
{
    UiFixture f;
    Ekf& w = f.openBrowseSample();
    QVERIFY(shown(w).isEmpty());
    QVERIFY(w.lblFacts->text().isEmpty());

    // Typing moves the current row; the preview follows a moment later.
    QTest::keyClicks(w.txtInp, QStringLiteral("getw"));
    QTRY_COMPARE(w.previewName(), QStringLiteral("GetWindowLong"));
    QCOMPARE(shown(w), copyOf(f, DeclKind::Procedure, QStringLiteral("GetWindowLong")));
    QCOMPARE(w.lblFacts->text(), QStringLiteral("DLL: user32　別名: GetWindowLongA"));

    // The arrows in the list: each variant shows the whole group, with its own facts.
    QTest::keyClick(w.txtInp, Qt::Key_Tab);
    QTest::keyClick(w.lstEk, Qt::Key_Down);
    QCOMPARE(w.lstEk->currentRow(), kPtrWin64);
    QTRY_COMPARE(w.lblFacts->text(), QStringLiteral("DLL: user32　別名: GetWindowLongPtrA　条件: Win64"));
    QCOMPARE(shown(w), kGetWindowLongPtrGroup);
    QTest::keyClick(w.lstEk, Qt::Key_Down);
    QTRY_COMPARE(w.lblFacts->text(), QStringLiteral("DLL: user32　別名: GetWindowLongA　条件: Else"));
    QCOMPARE(shown(w), kGetWindowLongPtrGroup);

    // A click, and a function without an alias.
    f.clickItem(*w.lstEk, 2);
    QTRY_COMPARE(w.previewName(), QStringLiteral("GetTickCount"));
    QCOMPARE(w.lblFacts->text(), QStringLiteral("DLL: kernel32"));

    // A prefix that matches nothing leaves nothing previewed; a kind change empties the pane.
    QTest::keyClicks(w.txtInp, QStringLiteral("x"));
    QTRY_VERIFY(w.previewName().isEmpty());
    QVERIFY(shown(w).isEmpty());
    f.chooseKind(0);
    QTRY_VERIFY(w.previewName().isEmpty());
    QCOMPARE(w.lblFacts->text(), QString());
}

void PreviewTest::previewIsWhatCopyGivesWithTheOptionsAsSet()
{
    UiFixture f;
    Ekf& w = f.openBrowseSample();
    f.clickItem(*w.lstEk, 0);
    QTRY_COMPARE(w.previewName(), QStringLiteral("GetCursorPos"));
    QVERIFY(!shown(w).contains(QStringLiteral("Type POINTAPI")));

    // Both options at once: the used type comes first, every declaration gets Private.
    triggerAction(w, "mOpt0");
    triggerAction(w, "mOpt4");
    const CopyOptions options{true, CopyScope::Private};
    QTRY_COMPARE(shown(w), copyOf(f, DeclKind::Procedure, QStringLiteral("GetCursorPos"), options));
    QVERIFY(shown(w).startsWith(QStringLiteral("Private Type POINTAPI\n")));
    QVERIFY(shown(w).endsWith(QStringLiteral("\nPrivate Declare PtrSafe Function GetCursorPos Lib \"user32\" "
                                             "(lpPoint As POINTAPI) As Long")));

    // Copy gives the same text, with the line break after it.
    QTest::keyClick(w.txtPrv, Qt::Key_Return);
    QCOMPARE(w.lstDest->ListCount(), 1);
    w.cmdCpy->click();
    QCOMPARE(f.fake.clipboard,
             QString(shown(w)).replace(u'\n', QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

void PreviewTest::variantsAreToldApartInTheListOnly()
{
    UiFixture f;
    Ekf& w = f.openBrowseSample();
    QCOMPARE(w.lstEk->ListCount(), kBrowseFunctions);
    QCOMPARE(w.lstEk->note(kPtrWin64), QStringLiteral("Win64"));
    QCOMPARE(w.lstEk->note(kPtrElse), QStringLiteral("Else"));
    QCOMPARE(w.lstEk->note(kGetWindowLong), QString());
    // Inside a group inside another, the whole way down tells the variants apart.
    QCOMPARE(w.lstEk->note(8), QStringLiteral("VBA7 / Win64"));
    QCOMPARE(w.lstEk->note(9), QStringLiteral("VBA7 / Else"));
    QCOMPARE(w.lstEk->note(10), QStringLiteral("Else"));
    // The condition is no part of the name: clicking takes the name alone.
    f.clickItem(*w.lstEk, kPtrElse);
    QCOMPARE(w.txtInp->text(), QStringLiteral("GetWindowLongPtr"));

    // A file without groups lists as before.
    UiFixture g;
    const QString plain =
        g.makeDatabase({QStringLiteral("Declare Function GetTickCount Lib \"kernel32\" () As Long"),
                        QStringLiteral("Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)")});
    Ekf& v = g.start();
    g.open(plain);
    QCOMPARE(v.lstEk->ListCount(), 2);
    QCOMPARE(v.lstEk->note(0), QString());
    QCOMPARE(v.lstEk->note(1), QString());
}

void PreviewTest::typesShowTheirMembersAndSizesAndTheTableOnDemand()
{
    UiFixture f;
    Ekf& w = f.openBrowseSample(2);
    QTest::keyClicks(w.txtInp, QStringLiteral("rect"));
    QTRY_COMPARE(w.previewName(), QStringLiteral("RECT"));
    QCOMPARE(w.lblFacts->text(), QStringLiteral("メンバー: 4 個　32 ビット: LenB 16 / 64 ビット: LenB 16"));
    const QString text = QStringLiteral("Type RECT\n    Left As Long\n    Top As Long\n    Right As Long\n"
                                        "    Bottom As Long\nEnd Type");
    QCOMPARE(shown(w), text);

    // A pointer and a Double after a Long: the sizes part, and C parts from VBA on 32-bit.
    UiFixture g;
    const QString db = g.makeDatabase({QStringLiteral("Type HOLDER"), QStringLiteral("    n As Long"),
                                       QStringLiteral("    d As Double"), QStringLiteral("    p As LongPtr"),
                                       QStringLiteral("End Type"), QStringLiteral("Enum MODE"),
                                       QStringLiteral("    MODE_A = 1"), QStringLiteral("End Enum")});
    Ekf& v = g.startActive();
    g.chooseKind(2);
    g.open(db);
    QTest::keyClicks(v.txtInp, QStringLiteral("HOLDER"));
    QTRY_COMPARE(v.previewName(), QStringLiteral("HOLDER"));
    QCOMPARE(v.lblFacts->text(), QStringLiteral("メンバー: 3 個　32 ビット: LenB 16 / 64 ビット: LenB 24"));
    // Ctrl+L shows the member table with C's offsets and the warnings, and shows the text again.
    QTest::keyClick(v.txtInp, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(v.actPrvLayout->isChecked());
    const QString table = shown(v);
    QVERIFY2(table.startsWith(QStringLiteral("型 HOLDER\n32 ビット: LenB 16 / 64 ビット: LenB 24\n")),
             qPrintable(table));
    QVERIFY2(table.contains(QStringLiteral("32 ビット: d の位置が VBA では 4、C では 8 です")),
             qPrintable(table));
    QVERIFY2(table.indexOf(QStringLiteral("警告:")) < table.indexOf(QStringLiteral("d As Double")),
             qPrintable(table));
    // The table follows the current row; an Enum has no layout and shows its text.
    v.txtInp->clear();
    QTest::keyClicks(v.txtInp, QStringLiteral("MODE"));
    QTRY_COMPARE(v.previewName(), QStringLiteral("MODE"));
    QCOMPARE(v.lblFacts->text(), QStringLiteral("メンバー: 1 個"));
    QCOMPARE(shown(v), QStringLiteral("Enum MODE\n    MODE_A = 1\nEnd Enum"));
    QTest::keyClick(v.txtInp, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(!v.actPrvLayout->isChecked());
    v.txtInp->clear();
    QTest::keyClicks(v.txtInp, QStringLiteral("HOLDER"));
    QTRY_VERIFY(shown(v).startsWith(QStringLiteral("Type HOLDER\n")));
}

void PreviewTest::returnAndDoubleClickCollectAndCtrlCCopiesTheSelection()
{
    UiFixture f;
    Ekf& w = f.openBrowseSample();
    f.clickItem(*w.lstEk, kPtrElse);
    QTRY_COMPARE(w.previewName(), QStringLiteral("GetWindowLongPtr"));
    QTest::keyClick(w.txtPrv, Qt::Key_Return);
    QCOMPARE(w.lstDest->ListCount(), 1);
    QCOMPARE(w.lstDest->List(0), QStringLiteral("関 GetWindowLongPtr"));
    QVERIFY(w.statusBar()->currentMessage().isEmpty());
    // The second collect of the same entry finds it already there and says so.
    QTest::mouseDClick(w.txtPrv->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 5));
    QCOMPARE(w.lstDest->ListCount(), 1);
    QCOMPARE(w.statusBar()->currentMessage(),
             QStringLiteral("関数 GetWindowLongPtr はもう選択リストにあります"));
    QVERIFY(!w.cmdAdd->isEnabled());
    QVERIFY(w.cmdCpy->isEnabled());
    QCOMPARE(f.fake.clipboardWrites(), 0);

    // Ctrl+C copies the selected lines through the desktop's clipboard, with CR LF.
    w.txtPrv->selectAll();
    QTest::keyClick(w.txtPrv, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(f.fake.clipboardWrites(), 1);
    QCOMPARE(f.fake.clipboard, QString(kGetWindowLongPtrGroup).replace(u'\n', QStringLiteral("\r\n")));
    // Up and Down in the pane move its caret, not the list.
    const int top = w.lstEk->TopIndex();
    QTest::keyClick(w.txtPrv, Qt::Key_Down);
    QCOMPARE(w.lstEk->TopIndex(), top);
    QCOMPARE(f.fake.beeps(), 0);
}

QTEST_MAIN(PreviewTest)
#include "preview_test.moc"
