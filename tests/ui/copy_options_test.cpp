// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ui_fixture.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace {

QString optionKey(const char* key)
{
    return FakePlatform::settingKey(QStringLiteral("Ek"), QStringLiteral("Options"), QString::fromUtf8(key));
}

} // namespace

class CopyOptionsTest : public QObject
{
    Q_OBJECT
private slots:
    void optionsAreRememberedAcrossARestart();
    void copyGivesWhatAnEntryUsesWithTheScopeKeyword();
    void sizeNoteFollowsEveryCopiedRecordTypeAndIsRemembered();
};

void CopyOptionsTest::optionsAreRememberedAcrossARestart()
{
    UiFixture f;
    Ekf* w = &f.start();
    const QList<QAction*> bar = w->menuBar()->actions();
    QCOMPARE(bar.indexOf(w->mO->menuAction()), bar.indexOf(w->mF->menuAction()) + 1);
    QCOMPARE(bar.indexOf(w->mH->menuAction()), bar.indexOf(w->mO->menuAction()) + 1);
    QCOMPARE(w->mO->title(), QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    QCOMPARE(w->mOpt[0]->text(), QStringLiteral("使用する型と定数も含める(&T)"));
    QVERIFY(w->mOpt[1]->isSeparator());
    QCOMPARE(w->mOpt[4]->text(), QStringLiteral("Private を付ける(&P)"));
    QVERIFY(!w->mOpt[0]->isChecked());
    QVERIFY(w->mOpt[2]->isChecked());

    w->mOpt[0]->trigger();
    w->mOpt[4]->trigger();
    w->mOpt[4]->trigger(); // no change, nothing written
    QVERIFY(!w->mOpt[2]->isChecked());
    QCOMPARE(f.fake.settingWrites, 2);

    f.window.reset();
    w = &f.start();
    QVERIFY(w->mOpt[0]->isChecked());
    QVERIFY(w->mOpt[4]->isChecked());
    QVERIFY(!w->mOpt[2]->isChecked());
    QVERIFY(w->copyOptions().withUses);
    QCOMPARE(w->copyOptions().scope, CopyScope::Private);

    // Values nobody wrote mean the defaults.
    f.fake.settings.insert(optionKey("WithUses"), QStringLiteral("yes"));
    f.fake.settings.insert(optionKey("Scope"), QStringLiteral("Friend"));
    f.window.reset();
    w = &f.start();
    QVERIFY(!w->mOpt[0]->isChecked());
    QVERIFY(w->mOpt[2]->isChecked());
    QCOMPARE(w->copyOptions().scope, CopyScope::AsDeclared);
    EK_VERIFY_NO_UNEXPECTED(f);
}

void CopyOptionsTest::copyGivesWhatAnEntryUsesWithTheScopeKeyword()
{
    UiFixture f;
    const QString getMessage = QStringLiteral(
        "Declare Function GetMessage Lib \"user32\" Alias \"GetMessageA\" (lpMsg As MSG, ByVal hwnd As Long, "
        "ByVal wMsgFilterMin As Long, ByVal wMsgFilterMax As Long) As Long");
    const QString db = f.makeDatabase({"Type POINTAPI", "    x As Long", "    y As Long", "End Type",
                                       "Type MSG", "    hwnd As Long", "    message As Long",
                                       "    pt As POINTAPI", "End Type", getMessage});
    Ekf& w = f.start();
    f.open(db);
    w.mOpt[0]->trigger();
    w.mOpt[4]->trigger();
    f.clickItem(*w.lstEk, 0);
    w.cmdAdd->click();
    w.cmdCpy->click();
    const QString expected =
        QStringLiteral("Private Type POINTAPI\r\n    x As Long\r\n    y As Long\r\nEnd Type\r\n"
                       "Private Type MSG\r\n    hwnd As Long\r\n    message As Long\r\n"
                       "    pt As POINTAPI\r\nEnd Type\r\nPrivate ") +
        getMessage;
    QCOMPARE(f.fake.clipboard, expected + QStringLiteral("\r\n"));
    f.fake.clipboard.clear();
    f.doubleClickItem(*w.lstDest, 0);
    QCOMPARE(f.fake.clipboard, expected);
    EK_VERIFY_NO_UNEXPECTED(f);
}

void CopyOptionsTest::sizeNoteFollowsEveryCopiedRecordTypeAndIsRemembered()
{
    UiFixture f;
    const QString db = f.makeDatabase(
        {"Type POINTAPI", "    x As Long", "    y As Long", "End Type", "Type MSG", "    hwnd As LongPtr",
         "    message As Long", "    wParam As LongPtr", "    lParam As LongPtr", "    time As Long",
         "    pt As POINTAPI", "End Type", "Enum KIND", "    A = 1", "End Enum"});
    Ekf* w = &f.start();
    QVERIFY(w->mOpt[5]->isSeparator());
    QCOMPARE(w->mOpt[6]->text(), QStringLiteral("サイズの注釈を付ける(&Z)"));
    QVERIFY(!w->mOpt[6]->isChecked());
    w->mOpt[6]->trigger();
    w->mOpt[0]->trigger();
    QCOMPARE(f.fake.settings.value(optionKey("SizeNote")), QStringLiteral("1"));

    // Remembered, and independent of the scope items around it.
    f.window.reset();
    w = &f.start();
    QVERIFY(w->mOpt[6]->isChecked());
    QVERIFY(w->mOpt[2]->isChecked());
    f.open(db);
    f.chooseKind(2);
    // The list is KIND, MSG, POINTAPI.
    for (int row : {1, 0}) {
        f.clickItem(*w->lstEk, row);
        w->cmdAdd->click();
    }
    w->cmdCpy->click();
    QCOMPARE(
        f.fake.clipboard,
        QStringLiteral("Type POINTAPI\r\n    x As Long\r\n    y As Long\r\nEnd Type\r\n"
                       "' LenB: 32 ビット 8 / 64 ビット 8\r\n"
                       "Type MSG\r\n    hwnd As LongPtr\r\n    message As Long\r\n    wParam As LongPtr\r\n"
                       "    lParam As LongPtr\r\n    time As Long\r\n    pt As POINTAPI\r\nEnd Type\r\n"
                       "' LenB: 32 ビット 28 / 64 ビット 48\r\n"
                       "Enum KIND\r\n    A = 1\r\nEnd Enum\r\n"));

    w->mOpt[6]->trigger();
    QCOMPARE(f.fake.settings.value(optionKey("SizeNote")), QStringLiteral("0"));
    f.fake.clipboard.clear();
    f.doubleClickItem(*w->lstDest, 0);
    QVERIFY(!f.fake.clipboard.contains(QStringLiteral("LenB")));
    EK_VERIFY_NO_UNEXPECTED(f);
}

QTEST_MAIN(CopyOptionsTest)
#include "copy_options_test.moc"
