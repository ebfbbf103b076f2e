// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "browse_data.h"
#include "fonts.h"
#include "test_data.h"
#include "ui_fixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWheelEvent>

namespace {

QString windowKey(const char* key)
{
    return FakePlatform::settingKey(QStringLiteral("Ek"), QStringLiteral("Window"), QString::fromUtf8(key));
}

void rememberPlace(FakePlatform& fake, const QRect& r)
{
    fake.settings.insert(windowKey("Left"), QString::number(r.x()));
    fake.settings.insert(windowKey("Top"), QString::number(r.y()));
    fake.settings.insert(windowKey("Width"), QString::number(r.width()));
    fake.settings.insert(windowKey("Height"), QString::number(r.height()));
}

void ctrlWheel(QWidget* viewport, int delta)
{
    const QPointF at(5, 5);
    QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
}

} // namespace

class WindowViewTest : public QObject
{
    Q_OBJECT
private slots:
    void titleAndStatusNameTheOpenDatabaseAndItsCounts();
    void sizeAndPlaceAreRememberedWhereAScreenShowsThem();
    void fontSizeChangesWithCtrlKeysAndWheelAndIsRemembered();
};

void WindowViewTest::titleAndStatusNameTheOpenDatabaseAndItsCounts()
{
    UiFixture f;
    const QString db = f.makeDatabase(browseLines(), QStringLiteral("win32api_ptrsafe.mdb"));
    Ekf& w = f.start();
    QCOMPARE(w.windowTitle(), QStringLiteral(" Ek"));
    QCOMPARE(w.lblStatus->text(), QString());
    f.open(db);
    QCOMPARE(w.windowTitle(), QStringLiteral("Ek - win32api_ptrsafe.mdb"));
    QCOMPARE(w.lblStatus->text(), QStringLiteral("関数　%1 件").arg(kBrowseFunctions));
    f.chooseKind(0);
    QCOMPARE(w.lblStatus->text(), QStringLiteral("定数　%1 件").arg(kBrowseConstants));
    // A file that cannot be listed leaves the open database named.
    f.fake.answers.clear();
    const QString notADatabase = f.path(QStringLiteral("notes.mdb"));
    writeBytes(notADatabase, "not a database at all, only words");
    f.open(notADatabase);
    QTRY_COMPARE(f.fake.messages().size(), 1);
    QCOMPARE(w.windowTitle(), QStringLiteral("Ek - win32api_ptrsafe.mdb"));
}

void WindowViewTest::sizeAndPlaceAreRememberedWhereAScreenShowsThem()
{
    UiFixture f;
    Ekf* w = &f.start();
    QVERIFY(w->minimumSize() != w->maximumSize());
    const QSize first = w->size();
    QVERIFY(first.width() > 430 && first.height() > 329);

    // Larger: the lists and the preview take the room.
    const int listWidth = w->lstEk->width();
    const int listHeight = w->lstEk->height();
    const int previewHeight = w->txtPrv->height();
    const QRect place(40, 60, first.width() + 200, first.height() + 150);
    w->setGeometry(place);
    QTRY_VERIFY(w->lstEk->width() > listWidth);
    QVERIFY(w->lstEk->height() > listHeight);
    QVERIFY(w->txtPrv->height() > previewHeight);
    w->close();
    QCOMPARE(f.fake.settings.value(windowKey("Width")), QString::number(place.width()));
    QCOMPARE(f.fake.settings.value(windowKey("Left")), QString::number(place.x()));

    f.window.reset();
    w = &f.start();
    QCOMPARE(w->geometry(), place);

    // The screen that showed it is gone: the window comes up at its first size instead.
    f.window.reset();
    f.fake.screens = {QRect(0, 0, 1280, 1024)};
    rememberPlace(f.fake, QRect(1500, 60, 900, 600));
    w = &f.start();
    QCOMPARE(w->size(), first);
    // A second screen to the right shows it.
    f.window.reset();
    f.fake.screens = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
    w = &f.start();
    QCOMPARE(w->geometry(), QRect(1500, 60, 900, 600));
    // Values no one wrote are not a place.
    f.window.reset();
    f.fake.settings.insert(windowKey("Width"), QStringLiteral("wide"));
    w = &f.start();
    QCOMPARE(w->size(), first);
}

void WindowViewTest::fontSizeChangesWithCtrlKeysAndWheelAndIsRemembered()
{
    UiFixture f;
    Ekf* w = &f.startActive();
    QCOMPARE(w->listFontSize(), 9.0);
    QTest::keyClick(w->txtInp, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(w->listFontSize(), 10.0);
    QTest::keyClick(w->txtInp, Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(w->listFontSize(), 11.0);
    for (const QWidget* shown : std::initializer_list<const QWidget*>{w->lstEk, w->lstDest, w->txtPrv}) {
        QCOMPARE(shown->font().pointSizeF(), 11.0);
        QCOMPARE(shown->font().family(), kGothic);
    }
    // The input box keeps its size: what is typed stays as the layout made it.
    QCOMPARE(w->txtInp->font().pointSizeF(), 9.0);
    QTest::keyClick(w->txtInp, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(w->listFontSize(), 10.0);
    ctrlWheel(w->lstEk->viewport(), 120);
    ctrlWheel(w->txtPrv->viewport(), 120);
    QCOMPARE(w->listFontSize(), 12.0);
    ctrlWheel(w->lstDest->viewport(), -120);
    QCOMPARE(w->listFontSize(), 11.0);
    // It stops at the ends.
    for (int i = 0; i < 40; ++i)
        QTest::keyClick(w->txtInp, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(w->listFontSize(), 6.0);
    w->setListFontSize(14);

    f.window.reset();
    w = &f.start();
    QCOMPARE(w->listFontSize(), 14.0);
    QCOMPARE(w->lstEk->font().pointSizeF(), 14.0);
    QCOMPARE(w->txtPrv->font().pointSizeF(), 14.0);
    // A size out of range, or no number, is the default.
    f.window.reset();
    f.fake.settings.insert(windowKey("FontSize"), QStringLiteral("400"));
    w = &f.start();
    QCOMPARE(w->listFontSize(), 9.0);
}

QTEST_MAIN(WindowViewTest)
#include "window_view_test.moc"
