// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "prbf.h"
#include "test_data.h"
#include "ui_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

namespace {

// Thirty functions, so that the list scrolls; the first is AbortDoc, GetMessage is the 12th.
const QStringList kNames =
    QStringLiteral("AbortDoc BeginPaint BitBlt CloseHandle CreateFileA CreateWindowExA "
                   "DeleteObject DispatchMessageA EndPaint FindWindowA GetDC GetMessage "
                   "GetMessageTime GetTickCount GetWindowRect InvalidateRect KillTimer "
                   "LoadCursorA MessageBeep MessageBoxA MoveWindow PeekMessage PlayMetaFile "
                   "PostQuitMessage ReleaseDC SendMessageA SetTimer ShowWindow Sleep "
                   "WaitMessage")
        .split(u' ');
constexpr int kGetMessage = 11;

Ekf& openFunctions(UiFixture& f)
{
    QStringList lines;
    for (const QString& name : kNames)
        lines << QStringLiteral("Declare Function %1 Lib \"user32\" () As Long").arg(name);
    const QString db = f.makeDatabase(lines);
    Ekf& w = f.startActive();
    f.open(db);
    w.txtInp->setFocus();
    return w;
}

} // namespace

class KeyboardOnlyTest : public QObject
{
    Q_OBJECT
private slots:
    void returnInTheInputBoxAddsOrBeeps();
    void altKeysNeverTypeAndBeepWhenTheyNameNothing();
    void theFirstMatchIsWhereTheListGoesOnFrom();
    void escCancelsTheProgressWindow();
};

void KeyboardOnlyTest::returnInTheInputBoxAddsOrBeeps()
{
    UiFixture f;
    Ekf& w = openFunctions(f);
    QTest::keyClick(w.txtInp, Qt::Key_Return);
    QCOMPARE(f.fake.beeps(), 0);
    QCOMPARE(w.lstDest->ListCount(), 0);

    // Typed, never clicked: Add is disabled, Return adds all the same, in the case typed.
    QTest::keyClicks(w.txtInp, QStringLiteral("getmessage"));
    QVERIFY(!w.cmdAdd->isEnabled());
    QTest::keyClick(w.txtInp, Qt::Key_Return);
    QCOMPARE(w.lstDest->ListCount(), 1);
    QCOMPARE(w.lstDest->List(0), QStringLiteral("関 getmessage"));
    QVERIFY(!w.cmdAdd->isEnabled());
    QVERIFY(w.cmdCpy->isEnabled());
    QCOMPARE(w.txtInp->text(), QStringLiteral("getmessage"));
    // The same name again is kept once, and said to be there.
    QTest::keyClick(w.txtInp, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(w.lstDest->ListCount(), 1);
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("関数 getmessage はもう選択リストにあります"));
    QCOMPARE(f.fake.beeps(), 0);

    // A prefix is not a name: one beep, nothing added.
    w.txtInp->selectAll();
    QTest::keyClicks(w.txtInp, QStringLiteral("GetMess"));
    QTest::keyClick(w.txtInp, Qt::Key_Return);
    QCOMPARE(f.fake.beeps(), 1);
    QCOMPARE(w.lstDest->ListCount(), 1);
    QCOMPARE(w.txtInp->text(), QStringLiteral("GetMess"));

    // Return in the available list collects the row with the focus mark, as Add does.
    QTest::keyClick(w.txtInp, Qt::Key_Tab);
    QVERIFY(w.lstEk->hasFocus());
    QTest::keyClick(w.lstEk, Qt::Key_Down);
    QTest::keyClick(w.lstEk, Qt::Key_Return);
    QCOMPARE(w.lstDest->ListCount(), 2);
    QCOMPARE(w.lstDest->List(1), QStringLiteral("関 GetMessageTime"));
    QCOMPARE(w.txtInp->text(), QStringLiteral("GetMessageTime"));
    QVERIFY(!w.cmdAdd->isEnabled());
    QVERIFY(w.lstEk->hasFocus());
    QVERIFY(f.fake.messages().isEmpty());
}

void KeyboardOnlyTest::altKeysNeverTypeAndBeepWhenTheyNameNothing()
{
    UiFixture f;
    Ekf& w = openFunctions(f);
    QTest::keyClicks(w.txtInp, QStringLiteral("Get"));
    const int top = w.lstEk->TopIndex();
    // Add, Delete and Copy are disabled; Z and 1 name nothing.
    QTest::keyClick(w.txtInp, Qt::Key_A, Qt::AltModifier);
    QTest::keyClick(w.txtInp, Qt::Key_D, Qt::AltModifier);
    QTest::keyClick(w.txtInp, Qt::Key_C, Qt::AltModifier);
    QTest::keyClick(w.txtInp, Qt::Key_Z, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(w.txtInp, Qt::Key_1, Qt::AltModifier);
    QCOMPARE(w.txtInp->text(), QStringLiteral("Get"));
    QCOMPARE(f.fake.beeps(), 5);
    // Alt and an arrow types nothing and moves no list, without a sound.
    for (QWidget* control : std::initializer_list<QWidget*>{w.txtInp, w.lstEk}) {
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Down, Qt::AltModifier);
        QTest::keyClick(control, Qt::Key_PageDown, Qt::AltModifier);
    }
    w.cboKind->setFocus();
    QTest::keyClick(w.cboKind, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(w.cboKind->currentIndex(), 1);
    QCOMPARE(w.lstEk->TopIndex(), top);
    QCOMPARE(w.lstEk->ListIndex(), -1);
    QCOMPARE(f.fake.beeps(), 5);
    QCOMPARE(w.txtInp->text(), QStringLiteral("Get"));

    // A key that names an enabled control still works, and does not beep.
    w.txtInp->setFocus();
    QTest::keyClick(w.txtInp, Qt::Key_K, Qt::AltModifier);
    QVERIFY(w.cboKind->hasFocus());
    f.clickItem(*w.lstEk, kGetMessage);
    QVERIFY(w.cmdAdd->isEnabled());
    // A button's access key clicks it a moment later, as the button is seen pressed.
    QTest::keyClick(w.lstEk, Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(w.lstDest->ListCount(), 1);
    QTest::keyClick(w.lstEk, Qt::Key_C, Qt::AltModifier | Qt::ShiftModifier);
    QTRY_COMPARE(f.fake.clipboardWrites(), 1);
    QCOMPARE(f.fake.beeps(), 5);
}

void KeyboardOnlyTest::theFirstMatchIsWhereTheListGoesOnFrom()
{
    UiFixture f;
    Ekf& w = openFunctions(f);
    QTest::keyClicks(w.txtInp, QStringLiteral("getm"));
    QCOMPARE(w.lstEk->TopIndex(), kGetMessage);
    // The match has the focus mark but is not chosen: no Click, Add stays disabled.
    QCOMPARE(w.lstEk->currentRow(), kGetMessage);
    QCOMPARE(w.lstEk->ListIndex(), -1);
    QCOMPARE(w.txtInp->text(), QStringLiteral("getm"));
    QVERIFY(!w.cmdAdd->isEnabled());

    QTest::keyClick(w.txtInp, Qt::Key_Tab);
    QVERIFY(w.lstEk->hasFocus());
    QTest::keyClick(w.lstEk, Qt::Key_Space);
    QCOMPARE(w.lstEk->ListIndex(), kGetMessage);
    QCOMPARE(w.txtInp->text(), QStringLiteral("GetMessage"));
    QVERIFY(w.cmdAdd->isEnabled());

    // Typed again: Down goes on from the new match, not from the name chosen before.
    w.txtInp->setFocus();
    w.txtInp->selectAll();
    QTest::keyClicks(w.txtInp, QStringLiteral("PE"));
    QTest::keyClick(w.txtInp, Qt::Key_Tab);
    QTest::keyClick(w.lstEk, Qt::Key_Down);
    QCOMPARE(w.txtInp->text(), QStringLiteral("PlayMetaFile"));
    // Down in the input box still scrolls the list by a line, and chooses nothing.
    w.txtInp->setFocus();
    const int top = w.lstEk->TopIndex();
    QTest::keyClick(w.txtInp, Qt::Key_Up);
    QCOMPARE(w.lstEk->TopIndex(), top - 1);
    QCOMPARE(w.txtInp->text(), QStringLiteral("PlayMetaFile"));
}

void KeyboardOnlyTest::escCancelsTheProgressWindow()
{
    UiFixture f;
    const QString text = f.path(QStringLiteral("decl.txt"));
    QStringList lines;
    for (int i = 0; i < 10; ++i)
        lines << QStringLiteral("Public Const C%1 = %1").arg(i);
    writeCp932(text, lines);
    const QString target = f.path(QStringLiteral("out.mdb"));
    Ekf& w = f.start();
    f.fake.fileNames << text << target;
    f.fake.answers << MsgBox::AnswerOk;
    f.fake.onProcessEvents = [&](int call) {
        if (call != 3)
            return;
        Prbf& p = w.progressWindow();
        QVERIFY(p.isShown());
        p.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p));
        QWidget* focus = QApplication::focusWidget();
        QCOMPARE(focus, p.cmdCancel);
        QTest::keyClick(focus, Qt::Key_Escape);
        QVERIFY(p.cancelling());
        QCOMPARE(p.lblPer->text(), QStringLiteral("中断しています…"));
    };
    triggerAction(w, "mFile1");
    QCOMPARE(sqlColumn(target, QStringLiteral("SELECT count(*) FROM tbCnst")),
             QStringList{QStringLiteral("3")});
    QCOMPARE(f.fake.messages().size(), 2);
    QVERIFY2(f.fake.messages()[1].prompt.startsWith(QStringLiteral("変換を中断しました。")),
             qPrintable(f.fake.messages()[1].prompt));

    // With nothing of it focused, the window itself takes Esc.
    Prbf& p = w.progressWindow();
    p.Init(100, QStringLiteral("t"));
    p.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p));
    p.cmdCancel->clearFocus();
    QCOMPARE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(&p, Qt::Key_Escape);
    QVERIFY(p.cancelling());
    QVERIFY(p.Cancel(50));
    p.Term();
    QVERIFY(!p.isShown());
}

QTEST_MAIN(KeyboardOnlyTest)
#include "keyboard_only_test.moc"
