// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "fake_platform.h"
#include "fonts.h"
#include "prbf.h"
#include "twips.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

class ProgressWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initShowsZeroWithoutBlankOnTop();
    void percentageRoundsHalfUp_data();
    void percentageRoundsHalfUp();
    void valueAtMaximumFillsTheBar();
    void valueBeyondMaximumShowsFullBar();
    void zeroMaximumShowsAnEmptyBar();
    void cancelAnswersAtOnceAndStaysCancelled();
    void closeButtonActsAsCancel();
    void termClosesAndSecondTermDoesNothing();
    void secondInitStartsAfresh();
    void centresOverTheOwnerOrTheScreen();
    void hugeMaximumStillMovesTheBar();
};

void ProgressWindowTest::initShowsZeroWithoutBlankOnTop()
{
    FakePlatform fake;
    Prbf p(fake);
    p.Init(1000, QStringLiteral("データベース作成"));
    QVERIFY(p.isVisible());
    QCOMPARE(p.windowTitle(), QStringLiteral("データベース作成"));
    QCOMPARE(p.lblPer->text(), QStringLiteral("0%"));
    QCOMPARE(p.prbPer->value(), 0);
    QCOMPARE(p.cmdCancel->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    QCOMPARE(fake.keepOnTopCalls, 1);
    QVERIFY(p.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(p.windowFlags() & Qt::Tool);
    QCOMPARE(p.size(), QSize(twips(4512), twips(1872)));
    QCOMPARE(p.lblPer->geometry(), twipsRect(120, 360, 4212, 252));
    QCOMPARE(p.prbPer->geometry(), twipsRect(150, 720, 4212, 252));
    QCOMPARE(p.cmdCancel->geometry(), twipsRect(1770, 1320, 972, 372));
    QCOMPARE(p.lblPer->font().family(), kGothic);
    QCOMPARE(p.lblPer->font().pointSizeF(), 10.2);
    QVERIFY(!p.Cancel(0));
    QCOMPARE(p.lblPer->text(), QStringLiteral(" 0%"));
}

void ProgressWindowTest::percentageRoundsHalfUp_data()
{
    QTest::addColumn<qint64>("max");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("label");
    QTest::newRow("12.5") << qint64(8) << qint64(1) << " 13%";
    QTest::newRow("37.5") << qint64(8) << qint64(3) << " 38%";
    QTest::newRow("66.7") << qint64(3) << qint64(2) << " 67%";
    QTest::newRow("33.3") << qint64(3) << qint64(1) << " 33%";
    QTest::newRow("0.4") << qint64(1000) << qint64(4) << " 0%";
    QTest::newRow("0.5") << qint64(1000) << qint64(5) << " 1%";
    QTest::newRow("99.96") << qint64(10000) << qint64(9996) << " 100%";
}

void ProgressWindowTest::percentageRoundsHalfUp()
{
    QFETCH(qint64, max);
    QFETCH(qint64, value);
    QFETCH(QString, label);
    FakePlatform fake;
    Prbf p(fake);
    p.Init(max, QStringLiteral("t"));
    QVERIFY(!p.Cancel(value));
    QCOMPARE(p.lblPer->text(), label);
}

void ProgressWindowTest::valueAtMaximumFillsTheBar()
{
    FakePlatform fake;
    Prbf p(fake);
    p.Init(62, QStringLiteral("t"));
    QVERIFY(!p.Cancel(20));
    QCOMPARE(p.prbPer->value(), 20);
    QVERIFY(!p.Cancel(62));
    QCOMPARE(p.lblPer->text(), QStringLiteral(" 100%"));
    QCOMPARE(p.prbPer->value(), p.prbPer->maximum());
}

void ProgressWindowTest::valueBeyondMaximumShowsFullBar()
{
    FakePlatform fake;
    Prbf p(fake);
    p.Init(100, QStringLiteral("t"));
    QVERIFY(!p.Cancel(103));
    QCOMPARE(p.lblPer->text(), QStringLiteral(" 100%"));
    QCOMPARE(p.prbPer->value(), p.prbPer->maximum());
}

void ProgressWindowTest::zeroMaximumShowsAnEmptyBar()
{
    FakePlatform fake;
    Prbf p(fake);
    p.Init(0, QStringLiteral("t"));
    // Not the busy indicator a 0..0 range would draw.
    QVERIFY(p.prbPer->maximum() > p.prbPer->minimum());
    QCOMPARE(p.prbPer->value(), 0);
    QCOMPARE(p.lblPer->text(), QStringLiteral("0%"));
    // A file that grew after its length was taken.
    QVERIFY(!p.Cancel(2));
    QCOMPARE(p.lblPer->text(), QStringLiteral(" 100%"));
}

void ProgressWindowTest::cancelAnswersAtOnceAndStaysCancelled()
{
    FakePlatform fake;
    Prbf p(fake);
    p.Init(100, QStringLiteral("t"));
    p.setSource(QStringLiteral("win32api.txt"));
    p.setLinesRead(1234);
    QCOMPARE(p.lblFile->text(), QStringLiteral("win32api.txt"));
    QCOMPARE(p.lblLines->text(), QStringLiteral("1,234 行"));
    QVERIFY(!p.Cancel(10));
    QTest::mouseClick(p.cmdCancel, Qt::LeftButton);
    // The window says so before the run has even noticed, and takes no second press.
    QCOMPARE(p.lblPer->text(), QStringLiteral("中断しています…"));
    QVERIFY(!p.cmdCancel->isEnabled());
    QVERIFY(p.isVisible());
    QVERIFY(p.cancelling());
    QVERIFY(p.Cancel(20));
    p.setLinesRead(2000);
    QCOMPARE(p.lblPer->text(), QStringLiteral("中断しています…"));
    QCOMPARE(p.lblLines->text(), QStringLiteral("1,234 行"));
    QTest::keyClick(&p, Qt::Key_Escape);
    QVERIFY(p.isVisible());
    p.Term();
    QVERIFY(!p.isVisible());
    QVERIFY(p.Cancel(40));
}

void ProgressWindowTest::closeButtonActsAsCancel()
{
    FakePlatform fake;
    Prbf p(fake);
    p.Init(100, QStringLiteral("t"));
    QVERIFY(!p.close());
    QVERIFY(p.Cancel(50));
    QCOMPARE(p.lblPer->text(), QStringLiteral("中断しています…"));
    p.Term();
    QVERIFY(!p.isVisible());
}

void ProgressWindowTest::termClosesAndSecondTermDoesNothing()
{
    FakePlatform fake;
    Prbf p(fake);
    p.Term();
    p.Init(100, QStringLiteral("t"));
    p.Term();
    QVERIFY(!p.isVisible());
    QVERIFY(!p.Cancel(50));
    QVERIFY(!p.isVisible());
    p.Term();
    QVERIFY(!p.isVisible());
}

void ProgressWindowTest::secondInitStartsAfresh()
{
    FakePlatform fake;
    Prbf p(fake);
    p.Init(100, QStringLiteral("first"));
    p.cmdCancel->click();
    QVERIFY(p.Cancel(1));
    p.Term();
    p.Init(200, QStringLiteral("second"));
    QVERIFY(p.cmdCancel->isEnabled());
    QVERIFY(p.isVisible());
    QCOMPARE(p.windowTitle(), QStringLiteral("second"));
    QCOMPARE(p.lblPer->text(), QStringLiteral("0%"));
    QVERIFY(!p.Cancel(100));
    QCOMPARE(p.lblPer->text(), QStringLiteral(" 50%"));
    // The window was loaded again, so it was put on top again.
    QCOMPARE(fake.keepOnTopCalls, 2);
}

void ProgressWindowTest::centresOverTheOwnerOrTheScreen()
{
    FakePlatform fake;
    fake.screen = QRect(0, 0, 1000, 800);
    Prbf p(fake);
    p.Init(10, QStringLiteral("t"));
    QRect own = p.frameGeometry();
    QCOMPARE(own.topLeft(), QPoint((1000 - own.width()) / 2, (800 - own.height()) / 2));
    p.Term();

    QWidget owner;
    owner.setGeometry(-300, 700, 200, 100); // partly off the screen, smaller than the window
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    p.Init(10, QStringLiteral("t"), &owner);
    own = p.frameGeometry();
    const QRect o = owner.frameGeometry();
    QCOMPARE(own.topLeft(),
             QPoint(o.left() + (o.width() - own.width()) / 2, o.top() + (o.height() - own.height()) / 2));
}

void ProgressWindowTest::hugeMaximumStillMovesTheBar()
{
    FakePlatform fake;
    Prbf p(fake);
    const qint64 max = qint64(6) * 1024 * 1024 * 1024;
    p.Init(max, QStringLiteral("t"));
    QVERIFY(!p.Cancel(max / 2));
    QCOMPARE(p.lblPer->text(), QStringLiteral(" 50%"));
    QVERIFY(qAbs(p.prbPer->value() - p.prbPer->maximum() / 2) <= 1);
}

QTEST_MAIN(ProgressWindowTest)
#include "progress_window_test.moc"
