// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_browser.h"
#include "fonts.h"
#include "twips.h"
#include "ui_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>

class StartupTest : public QObject
{
    Q_OBJECT
private slots:
    void startsWithFunctionsChosenAndNothingOpen();
    void controlsStandWhereTheLayoutPutsThem();
    void namesAreShownInOneFixedPitchGothic();
    void menusCarryTheirCaptionsAndStates();
    void rememberedDatabaseIsOfferedInTheFileMenu();
    void emptyRememberedNameKeepsTheItemHidden();
    void firstKindClickOnlyArmsItself();
    void helpFileLiesBesideTheProgram_data();
    void helpFileLiesBesideTheProgram();
    void upAndDownScrollTheListFromAnyControl();
    void upAndDownDoNothingOnShortLists();
    void closingWithoutDatabaseClosesNothing();
    void closingWithDatabaseClosesIt();
};

void StartupTest::startsWithFunctionsChosenAndNothingOpen()
{
    UiFixture f;
    Ekf& w = f.start();
    QCOMPARE(w.windowTitle(), QStringLiteral(" Ek"));
    QCOMPARE(w.cboKind->count(), 3);
    QCOMPARE(w.cboKind->itemText(0), QStringLiteral("定数"));
    QCOMPARE(w.cboKind->itemText(1), QStringLiteral("関数"));
    QCOMPARE(w.cboKind->itemText(2), QStringLiteral("型"));
    QCOMPARE(w.cboKind->currentIndex(), 1);
    QCOMPARE(f.module.iKind, 1);
    QCOMPARE(f.module.sCrLf, QStringLiteral("\r\n"));
    QVERIFY(!f.module.dbDecl);
    QCOMPARE(w.lstEk->ListCount(), 0);
    QCOMPARE(w.lstDest->ListCount(), 0);
    QVERIFY(w.txtInp->text().isEmpty());
    QVERIFY(w.txtInpTag().isEmpty());
    QVERIFY(!w.cmdAdd->isEnabled());
    QVERIFY(!w.cmdDel->isEnabled());
    QVERIFY(!w.cmdCpy->isEnabled());
    QVERIFY(w.mFile[1]->isEnabled());
    QVERIFY(!w.windowIcon().isNull());
    EK_VERIFY_NO_UNEXPECTED(f);
}

void StartupTest::controlsStandWhereTheLayoutPutsThem()
{
    UiFixture f;
    Ekf& w = f.start();
    // Top to bottom: the kind, the input box, the available list, the selection; the buttons to
    // the right of the lists they act on, at least as large as the layout in twips made them.
    const auto in = [&w](const QWidget* c) { return QRect(c->mapTo(&w, QPoint(0, 0)), c->size()); };
    QVERIFY(in(w.cboKind).bottom() < in(w.txtInp).top());
    QVERIFY(in(w.txtInp).bottom() < in(w.lstEk).top());
    QVERIFY(in(w.lstEk).bottom() < in(w.lstDest).top());
    QVERIFY(in(w.Label1).right() < in(w.cboKind).left());
    for (const QWidget* button : {w.cmdAdd, w.cmdDel, w.cmdCpy}) {
        QVERIFY(in(button).left() > in(w.lstEk).right());
        QCOMPARE(button->size(), twipsRect(0, 0, 972, 372).size());
    }
    QVERIFY(in(w.cmdAdd).top() >= in(w.lstEk).top() && in(w.cmdAdd).bottom() <= in(w.lstEk).bottom());
    QVERIFY(in(w.cmdDel).top() >= in(w.lstDest).top() && in(w.cmdCpy).top() > in(w.cmdDel).bottom());
    QVERIFY(w.lstEk->width() >= twips(4812) && w.lstEk->height() >= twips(1848));
    QVERIFY(w.lstDest->height() >= twips(1488));
    // At its smallest the window is the layout in twips, the preview beside it.
    w.splitPrv->setSizes({1, 10000});
    w.resize(w.minimumSizeHint());
    QTRY_COMPARE(w.splitPrv->widget(0)->size(), QSize(twips(6456), twips(4644)));
    QCOMPARE(w.txtInp->geometry(), twipsRect(120, 600, 4812, 264));
    QCOMPARE(w.lstEk->geometry(), twipsRect(120, 960, 4812, 1848));
    QCOMPARE(w.lstDest->geometry(), twipsRect(120, 3000, 4812, 1488));
    QCOMPARE(w.Label1->geometry(), twipsRect(120, 240, 744, 180));
    QCOMPARE(w.cboKind->geometry(), twipsRect(960, 180, 1932, 276));
    QCOMPARE(w.cmdAdd->geometry(), twipsRect(5280, 1080, 972, 372));
    QCOMPARE(w.cmdDel->geometry(), twipsRect(5280, 3240, 972, 372));
    QCOMPARE(w.cmdCpy->geometry(), twipsRect(5280, 3720, 972, 372));
    QCOMPARE(w.Label1->text(), QStringLiteral("種類(&K):"));
    QCOMPARE(w.Label1->buddy(), w.cboKind);
    QCOMPARE(w.cmdAdd->text(), QStringLiteral("追加(&A)"));
    QCOMPARE(w.cmdDel->text(), QStringLiteral("削除(&D)"));
    QCOMPARE(w.cmdCpy->text(), QStringLiteral("ｺﾋﾟｰ (&C)"));
    QCOMPARE(w.txtInp->font().family(), kGothic);
    QCOMPARE(w.txtInp->font().pointSizeF(), 9.0);
    QCOMPARE(w.cboKind->font().family(), kGothic);
    QCOMPARE(w.Label1->font().family(), kGothic);
    // The lists in the very font of the input box and the combo box.
    for (const QWidget* control : std::initializer_list<const QWidget*>{w.cboKind, w.lstEk, w.lstDest})
        QCOMPARE(control->font(), w.txtInp->font());

    // Tab walks the controls in layout order.
    const QList<QWidget*> order{w.txtInp, w.lstEk, w.lstDest, w.cboKind, w.cmdAdd, w.cmdDel, w.cmdCpy};
    QList<QWidget*> walked;
    QWidget* next = w.txtInp;
    do {
        if (order.contains(next) && !walked.contains(next))
            walked << next;
        next = next->nextInFocusChain();
    } while (next != w.txtInp);
    QCOMPARE(walked, order);
}

void StartupTest::namesAreShownInOneFixedPitchGothic()
{
    UiFixture f;
    Ekf& w = f.start();
    // The stand-in that keeps M and W apart at 9 points (scripts/install-deps.sh installs it).
    QCOMPARE(QFontInfo(w.txtInp->font()).family(), QStringLiteral("VL Gothic"));
    // Names line up with what is typed, and the lists find their widest name by counting
    // cells: a half-width character takes one, any other two.
    const QFontMetrics metrics(w.lstEk->font());
    const int cell = metrics.horizontalAdvance(u'M');
    QString ascii;
    for (char16_t c = u'!'; c <= u'~'; ++c)
        ascii += QChar(c);
    QCOMPARE(metrics.horizontalAdvance(ascii), cell * int(ascii.size()));
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("ｺﾋﾟｰ")), 4 * cell);
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("定数型")), 6 * cell);
    // The rows of the Windows gothic at 96 dots an inch.
    QCOMPARE(w.lstEk->rowHeight(), 12);
}

void StartupTest::menusCarryTheirCaptionsAndStates()
{
    UiFixture f;
    Ekf& w = f.start();
    QCOMPARE(w.mF->title(), QStringLiteral("ﾌｧｲﾙ(&F&ﾌ)"));
    QCOMPARE(w.mH->title(), QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    QCOMPARE(w.mFile[0]->text(), QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙの読み込み(&M)..."));
    QCOMPARE(w.mFile[1]->text(), QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙへの変換(&N)..."));
    QCOMPARE(w.mFile[6]->text(), QStringLiteral("終了(&X&ｼ)"));
    QVERIFY(w.mFile[2]->isSeparator() && !w.mFile[2]->isVisible());
    QVERIFY(!w.mFile[3]->isVisible() && !w.mFile[3]->isEnabled());
    QVERIFY(!w.mFile[4]->isVisible() && !w.mFile[4]->isEnabled());
    QVERIFY(w.mFile[5]->isSeparator() && w.mFile[5]->isVisible());
    QVERIFY(w.mFile[0]->isVisible() && w.mFile[0]->isEnabled());
    QVERIFY(w.mFile[6]->isVisible() && w.mFile[6]->isEnabled());
    QCOMPARE(w.mHelp[0]->text(), QStringLiteral("目次(&C&ﾓ)"));
    QCOMPARE(w.mHelp[0]->shortcut(), QKeySequence(Qt::Key_F1));
    QVERIFY(w.mHelp[1] == nullptr);
    QVERIFY(w.mHelp[2]->isSeparator() && w.mHelp[2]->isVisible());
    QCOMPARE(w.mHelp[3]->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"));
    QCOMPARE(w.mF->actions().size(), 7);
    QCOMPARE(w.mH->actions().size(), 3);
}

void StartupTest::rememberedDatabaseIsOfferedInTheFileMenu()
{
    UiFixture f;
    const QString remembered = QStringLiteral("/data/api & co/宣言.mdb");
    f.fake.settings.insert(
        FakePlatform::settingKey(QStringLiteral("Ek"), QStringLiteral("DataBase"), QStringLiteral("Name")),
        remembered);
    Ekf& w = f.start();
    QVERIFY(w.mFile[2]->isVisible());
    QVERIFY(w.mFile[3]->isVisible());
    QVERIFY(w.mFile[3]->isEnabled());
    // "&" would otherwise become a mnemonic and vanish from the caption.
    QCOMPARE(w.mFile[3]->text(), QStringLiteral("&1 /data/api && co/宣言.mdb"));
    QCOMPARE(w.rememberedCaption(), remembered);
    QVERIFY(!f.module.dbDecl);
    QCOMPARE(f.fake.settingWrites, 0);
}

void StartupTest::emptyRememberedNameKeepsTheItemHidden()
{
    UiFixture f;
    f.fake.settings.insert(
        FakePlatform::settingKey(QStringLiteral("Ek"), QStringLiteral("DataBase"), QStringLiteral("Name")),
        QString());
    Ekf& w = f.start();
    QVERIFY(!w.mFile[2]->isVisible());
    QVERIFY(!w.mFile[3]->isVisible());
}

void StartupTest::firstKindClickOnlyArmsItself()
{
    UiFixture f;
    const QString db = f.makeDatabase({QStringLiteral("Public Const A = 1")});
    {
        // Not shown yet, so nothing but a handler moves its focus. The load's own Click
        // does not, where any other Click moves it to txtInp.
        Ekb module;
        Ekf loaded(f.fake, module);
        QCOMPARE(loaded.focusWidget(), nullptr);
        QCOMPARE(module.iKind, 1);
        loaded.setCboKindListIndex(0);
        QCOMPARE(loaded.focusWidget(), loaded.txtInp);
        QCOMPARE(module.iKind, 0);
    }
    Ekf& w = f.start();
    // The load's own Click left iKind alone; it is 1 only because the load set it.
    QCOMPARE(f.module.iKind, 1);
    // From now on a Click is a real one: choosing 定数 changes the kind.
    f.chooseKind(0);
    QCOMPARE(f.module.iKind, 0);
    f.open(db);
    QCOMPARE(w.lstEk->List(0), QStringLiteral("A"));
}

void StartupTest::helpFileLiesBesideTheProgram_data()
{
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "/opt/ek"
                           << "/opt/ek/Ek.hlp";
    QTest::newRow("root") << "/"
                          << "/Ek.hlp";
    QTest::newRow("trailing slash") << "/opt/ek/"
                                    << "/opt/ek/Ek.hlp";
    QTest::newRow("drive root") << "C:\\"
                                << "C:\\Ek.hlp";
}

void StartupTest::helpFileLiesBesideTheProgram()
{
    QFETCH(QString, dir);
    QFETCH(QString, expected);
    QCOMPARE(helpFilePath(dir), expected);
}

void StartupTest::upAndDownScrollTheListFromAnyControl()
{
    UiFixture f;
    QStringList lines;
    for (int i = 0; i < 60; ++i)
        lines << QStringLiteral("Declare Sub S%1 Lib \"k\" ()").arg(i, 2, 10, QLatin1Char('0'));
    const QString db = f.makeDatabase(lines);
    Ekf& w = f.start();
    f.open(db);
    QCOMPARE(w.lstEk->ListCount(), 60);
    QCOMPARE(w.lstEk->TopIndex(), 0);

    w.txtInp->setFocus();
    QTest::keyClick(w.txtInp, Qt::Key_Up);
    QCOMPARE(w.lstEk->TopIndex(), 0);
    QTest::keyClick(w.txtInp, Qt::Key_Down);
    QCOMPARE(w.lstEk->TopIndex(), 1);
    QTest::keyClick(w.txtInp, Qt::Key_Down);
    QCOMPARE(w.lstEk->TopIndex(), 2);
    QTest::keyClick(w.txtInp, Qt::Key_Up);
    QCOMPARE(w.lstEk->TopIndex(), 1);
    // The key previews do not take the key from the text box: its caret moved.
    w.setTxtInpText(QStringLiteral("ab"));
    w.txtInp->setCursorPosition(2);
    QTest::keyClick(w.txtInp, Qt::Key_Home);
    QCOMPARE(w.txtInp->cursorPosition(), 0);

    // From the combo box: the list scrolls and the combo box moves its choice too.
    w.cboKind->setFocus();
    QTest::keyClick(w.cboKind, Qt::Key_Down);
    QCOMPARE(w.cboKind->currentIndex(), 2);
    QCOMPARE(f.module.iKind, 2);

    // At the end of the list Down stops where the last page is shown.
    f.chooseKind(1);
    const int lastTop = int(w.lstEk->ListCount()) - w.lstEk->visibleRows();
    w.lstEk->setTopIndex(lastTop);
    QCOMPARE(w.lstEk->TopIndex(), lastTop);
    QTest::keyClick(w.txtInp, Qt::Key_Down);
    QCOMPARE(w.lstEk->TopIndex(), lastTop);
}

void StartupTest::upAndDownDoNothingOnShortLists()
{
    UiFixture f;
    Ekf& w = f.start();
    QTest::keyClick(w.txtInp, Qt::Key_Down);
    QTest::keyClick(w.txtInp, Qt::Key_Up);
    QCOMPARE(w.lstEk->TopIndex(), 0);
    const QString db = f.makeDatabase({QStringLiteral("Declare Sub One Lib \"k\" ()")});
    f.open(db);
    QTest::keyClick(w.txtInp, Qt::Key_Down);
    QCOMPARE(w.lstEk->TopIndex(), 0);
}

void StartupTest::closingWithoutDatabaseClosesNothing()
{
    UiFixture f;
    Ekf& w = f.start();
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QVERIFY(!f.module.dbDecl);
}

void StartupTest::closingWithDatabaseClosesIt()
{
    UiFixture f;
    const QString db = f.makeDatabase({QStringLiteral("Declare Sub One Lib \"k\" ()")});
    Ekf& w = f.start();
    f.open(db);
    QVERIFY(!w.mFile[1]->isEnabled());
    QVERIFY(f.module.dbDecl);
    QVERIFY(w.close());
    QVERIFY(!f.module.dbDecl);
    EK_VERIFY_NO_UNEXPECTED(f);
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
