// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ui_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Thirty functions, so that the list scrolls; the first is AbortDoc, GetMessage is the 12th.
const QStringList kNames{
    QStringLiteral("AbortDoc"),       QStringLiteral("BeginPaint"),
    QStringLiteral("BitBlt"),         QStringLiteral("CloseHandle"),
    QStringLiteral("CreateFileA"),    QStringLiteral("CreateWindowExA"),
    QStringLiteral("DeleteObject"),   QStringLiteral("DispatchMessageA"),
    QStringLiteral("EndPaint"),       QStringLiteral("FindWindowA"),
    QStringLiteral("GetDC"),          QStringLiteral("GetMessage"),
    QStringLiteral("GetMessageTime"), QStringLiteral("GetTickCount"),
    QStringLiteral("GetWindowRect"),  QStringLiteral("InvalidateRect"),
    QStringLiteral("KillTimer"),      QStringLiteral("LoadCursorA"),
    QStringLiteral("MessageBeep"),    QStringLiteral("MessageBoxA"),
    QStringLiteral("MoveWindow"),     QStringLiteral("PeekMessage"),
    QStringLiteral("PlayMetaFile"),   QStringLiteral("PostQuitMessage"),
    QStringLiteral("ReleaseDC"),      QStringLiteral("SendMessageA"),
    QStringLiteral("SetTimer"),       QStringLiteral("ShowWindow"),
    QStringLiteral("Sleep"),          QStringLiteral("WaitMessage"),
};
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
    void theFirstMatchIsWhereTheListGoesOnFrom();
};

void KeyboardOnlyTest::returnInTheInputBoxAddsOrBeeps()
{
    UiFixture f;
    Ekf& w = openFunctions(f);
    QTest::keyClick(w.txtInp, Qt::Key_Return);
    QCOMPARE(f.fake.beeps, 0);
    QCOMPARE(w.lstDest->ListCount(), 0);

    // Typed, never clicked: Add is disabled, Return adds all the same, in the case typed.
    QTest::keyClicks(w.txtInp, QStringLiteral("getmessage"));
    QVERIFY(!w.cmdAdd->isEnabled());
    QTest::keyClick(w.txtInp, Qt::Key_Return);
    QCOMPARE(w.lstDest->ListCount(), 1);
    QCOMPARE(w.lstDest->List(0), QStringLiteral("getmessage"));
    QVERIFY(!w.cmdAdd->isEnabled());
    QVERIFY(w.cmdCpy->isEnabled());
    QCOMPARE(w.txtInp->text(), QStringLiteral("getmessage"));
    QTest::keyClick(w.txtInp, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(w.lstDest->ListCount(), 2);
    QCOMPARE(f.fake.beeps, 0);

    // A prefix is not a name: one beep, nothing added.
    w.txtInp->selectAll();
    QTest::keyClicks(w.txtInp, QStringLiteral("GetMess"));
    QTest::keyClick(w.txtInp, Qt::Key_Return);
    QCOMPARE(f.fake.beeps, 1);
    QCOMPARE(w.lstDest->ListCount(), 2);
    QCOMPARE(w.txtInp->text(), QStringLiteral("GetMess"));
    QVERIFY(f.fake.messages.isEmpty());
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

QTEST_MAIN(KeyboardOnlyTest)
#include "keyboard_only_test.moc"
