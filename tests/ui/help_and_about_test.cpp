// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "twips.h"
#include "ui_fixture.h"
#include "version_f.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// Closes the about window from inside its modal loop, the way a person would.
void whenAboutShows(Ekf& w, const std::function<void(VersionF&)>& act)
{
    QTimer::singleShot(0, &w, [&w, act] {
        QTRY_VERIFY(w.aboutWindow() && w.aboutWindow()->isVisible());
        act(*w.aboutWindow());
    });
}

} // namespace

class HelpAndAboutTest : public QObject
{
    Q_OBJECT
private slots:
    void contentsBeepsAndShowsTheNotice();
    void f1RunsContentsFromAnyControl();
    void otherIndicesDoNothing();
    void aboutShowsNameVersionAndIconCentredOverTheWindow();
    void aboutStartsOnOkAndEnterClosesIt();
    void escClosesAboutFromAnyControl();
    void aboutShownTwiceShowsTheSameAgain();
};

void HelpAndAboutTest::contentsBeepsAndShowsTheNotice()
{
    UiFixture f;
    Ekf& w = f.start();
    triggerAction(w, "mHelp0");
    QCOMPARE(f.fake.beeps(), 1);
    QCOMPARE(f.fake.messages().size(), 1);
    QCOMPARE(f.fake.messages()[0].prompt, QStringLiteral("工事中☆　しばらくお待ちください(__;)"));
    QCOMPARE(f.fake.messages()[0].style, 16);
    QVERIFY(f.fake.messages()[0].title.isEmpty());
    w.mHelp_Click(1);
    QCOMPARE(f.fake.messages().size(), 2);
    QCOMPARE(f.fake.beeps(), 2);
}

void HelpAndAboutTest::f1RunsContentsFromAnyControl()
{
    UiFixture f;
    Ekf& w = f.start();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.txtInp->setFocus();
    QTest::keyClick(w.txtInp, Qt::Key_F1);
    QCOMPARE(f.fake.messages().size(), 1);
    QCOMPARE(f.fake.beeps(), 1);
    QVERIFY(w.txtInp->text().isEmpty());
}

void HelpAndAboutTest::otherIndicesDoNothing()
{
    UiFixture f;
    Ekf& w = f.start();
    for (int i : {-5, -1, 2, 4, 9})
        w.mHelp_Click(i);
    QVERIFY(f.fake.messages().isEmpty());
    QCOMPARE(f.fake.beeps(), 0);
    QVERIFY(!w.aboutWindow());
}

void HelpAndAboutTest::aboutShowsNameVersionAndIconCentredOverTheWindow()
{
    UiFixture f;
    Ekf& w = f.start();
    w.move(-200, 900); // near a screen edge: still centred over the window
    QString name, version, title;
    QPoint centreOffset;
    bool hasIcon = false;
    QSize clientSize;
    whenAboutShows(w, [&](VersionF& about) {
        name = about.lblName->text();
        version = about.lblVer->text();
        title = about.windowTitle();
        hasIcon = !about.picAbout->pixmap().isNull();
        clientSize = about.size();
        const QRect owner = w.frameGeometry();
        const QRect own = about.frameGeometry();
        const QPoint expected(owner.left() + (owner.width() - own.width()) / 2,
                              owner.top() + (owner.height() - own.height()) / 2);
        centreOffset = own.topLeft() - expected;
        QVERIFY(about.isModal());
        about.cmdOk->click();
    });
    triggerAction(w, "mHelp3");
    QCOMPARE(name, QStringLiteral("Ek"));
    QCOMPARE(version, QStringLiteral("Version 0.10"));
    QCOMPARE(title, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QVERIFY(hasIcon);
    QCOMPARE(clientSize, QSize(twips(4080), twips(1932)));
    QCOMPARE(centreOffset, QPoint(0, 0));
    QVERIFY(!w.aboutWindow()->isVisible());
}

void HelpAndAboutTest::aboutStartsOnOkAndEnterClosesIt()
{
    UiFixture f;
    Ekf& w = f.start();
    QWidget* focus = nullptr;
    bool closedByEnter = false;
    whenAboutShows(w, [&](VersionF& about) {
        if (QTest::qWaitForWindowActive(&about))
            focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &about, Qt::Key_Return);
        closedByEnter = !about.isVisible();
        if (!closedByEnter)
            about.cmdOk->click();
    });
    triggerAction(w, "mHelp3");
    QCOMPARE(focus, w.aboutWindow()->cmdOk);
    QVERIFY(closedByEnter);
}

void HelpAndAboutTest::escClosesAboutFromAnyControl()
{
    UiFixture f;
    Ekf& w = f.start();
    bool closedByEsc = false;
    whenAboutShows(w, [&](VersionF& about) {
        about.lblName->setFocusPolicy(Qt::StrongFocus);
        about.lblName->setFocus();
        QTest::keyClick(about.lblName, Qt::Key_Escape);
        closedByEsc = !about.isVisible();
        if (!closedByEsc)
            about.cmdOk->click();
    });
    triggerAction(w, "mHelp3");
    QVERIFY(closedByEsc);
}

void HelpAndAboutTest::aboutShownTwiceShowsTheSameAgain()
{
    UiFixture f;
    Ekf& w = f.start();
    QStringList seen;
    for (int round = 0; round < 2; ++round) {
        whenAboutShows(w, [&](VersionF& about) {
            seen << about.lblName->text() + u'|' + about.lblVer->text();
            about.lblName->setText(QStringLiteral("changed"));
            QTest::keyClick(&about, Qt::Key_Escape);
        });
        triggerAction(w, "mHelp3");
    }
    QCOMPARE(seen, (QStringList{QStringLiteral("Ek|Version 0.10"), QStringLiteral("Ek|Version 0.10")}));
}

QTEST_MAIN(HelpAndAboutTest)
#include "help_and_about_test.moc"
