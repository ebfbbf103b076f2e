// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ui_fixture.h"

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {

// True when every pixel of rows [top, bottom) of the list's viewport is its background.
bool blank(ListBox& list, int top, int bottom)
{
    const QImage image = list.viewport()->grab().toImage();
    const QRgb background = list.viewport()->palette().color(QPalette::Base).rgb();
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background)
                return false;
        }
    }
    return true;
}

void fill(ListBox& list, int count)
{
    list.Clear();
    for (int i = 0; i < count; ++i)
        list.AddItem(QStringLiteral("Name%1").arg(i, 2, 10, QLatin1Char('0')));
    list.Refresh();
}

} // namespace

class ListBoxTest : public QObject
{
    Q_OBJECT
private slots:
    void showsWholeRowsAndLeavesThePartialRowBlank();
    void wideNameGetsAHorizontalScrollBar();
    void keysMoveTheSelectionAndRaiseClick();
    void spaceTogglesTheCollectedEntryUnderTheFocusMark();
    void emptyListWithTheFocusShowsAFocusMark();
};

void ListBoxTest::showsWholeRowsAndLeavesThePartialRowBlank()
{
    UiFixture f;
    Ekf& w = f.start();
    for (ListBox* list : {w.lstEk, w.lstDest}) {
        fill(*list, 30);
        const int rows = list->visibleRows();
        const int height = list->viewport()->height();
        // Both lists are a fraction of a row taller than their whole rows.
        QVERIFY(rows * list->rowHeight() < height);
        QVERIFY((rows + 1) * list->rowHeight() > height);
        QVERIFY(!blank(*list, (rows - 1) * list->rowHeight(), rows * list->rowHeight()));
        QVERIFY(blank(*list, rows * list->rowHeight(), height));
        QVERIFY(list->itemRect(rows).isEmpty());
        // Scrolling stops when the last page is shown whole.
        list->setTopIndex(29);
        QCOMPARE(list->TopIndex(), 30 - rows);
    }
}

void ListBoxTest::wideNameGetsAHorizontalScrollBar()
{
    UiFixture f;
    Ekf& w = f.start();
    fill(*w.lstDest, 3);
    QVERIFY(!w.lstDest->horizontalScrollBar()->isVisible());
    const QString wide = QStringLiteral("SetupDiGetDeviceInterfaceDetailWithAVeryLongSuffixThatNeverEnds");
    w.lstDest->AddItem(wide);
    w.lstDest->AddItem(
        QStringLiteral("型名の長い宣言型名の長い宣言型名の長い宣言型名の長い宣言型名の長い宣言"));
    w.lstDest->Refresh();
    QScrollBar* bar = w.lstDest->horizontalScrollBar();
    QVERIFY(bar->isVisible());
    // The bar reaches the end of the widest name, the Japanese one: two cells a character.
    const int widest = w.lstDest->fontMetrics().horizontalAdvance(w.lstDest->List(4));
    QVERIFY(widest > w.lstDest->fontMetrics().horizontalAdvance(wide));
    QVERIFY(bar->maximum() + w.lstDest->viewport()->width() >= widest);
    QVERIFY(bar->maximum() + w.lstDest->viewport()->width() <= widest + 8);
    w.lstDest->RemoveItem(4);
    w.lstDest->Refresh();
    QVERIFY(bar->maximum() + w.lstDest->viewport()->width() < widest);
    w.lstDest->Clear();
    QVERIFY(!bar->isVisible());
}

void ListBoxTest::keysMoveTheSelectionAndRaiseClick()
{
    UiFixture f;
    QStringList lines;
    for (int i = 0; i < 60; ++i)
        lines << QStringLiteral("Declare Sub %1%2 Lib \"k\" ()")
                     .arg(i < 30 ? QStringLiteral("A") : QStringLiteral("B"))
                     .arg(i, 2, 10, QLatin1Char('0'));
    const QString db = f.makeDatabase(lines);
    Ekf& w = f.startActive();
    f.open(db);
    w.lstEk->setFocus();
    QTest::keyClick(w.lstEk, Qt::Key_Down);
    QCOMPARE(w.lstEk->ListIndex(), 0);
    QCOMPARE(w.txtInp->text(), QStringLiteral("A00"));
    QVERIFY(w.cmdAdd->isEnabled());
    QTest::keyClick(w.lstEk, Qt::Key_Down);
    QCOMPARE(w.txtInp->text(), QStringLiteral("A01"));
    QTest::keyClick(w.lstEk, Qt::Key_End);
    QCOMPARE(w.txtInp->text(), QStringLiteral("B59"));
    QCOMPARE(w.lstEk->TopIndex(), 60 - w.lstEk->visibleRows());
    // The first letter of a name finds the next name that starts with it, then wraps.
    QTest::keyClicks(w.lstEk, QStringLiteral("a"));
    QCOMPARE(w.txtInp->text(), QStringLiteral("A00"));
    QCOMPARE(w.lstEk->TopIndex(), 0);
    QTest::keyClick(w.lstEk, Qt::Key_PageDown);
    QCOMPARE(w.lstEk->ListIndex(), w.lstEk->visibleRows() - 1);
    // A key that moves nothing raises no Click: the marker it would leave stays away.
    QTest::keyClick(w.lstEk, Qt::Key_Home);
    w.setTxtInpText(QStringLiteral("x"));
    QTest::keyClick(w.lstEk, Qt::Key_Up);
    QCOMPARE(w.txtInp->text(), QStringLiteral("x"));
    QVERIFY(w.txtInpTag().isEmpty());
}

void ListBoxTest::spaceTogglesTheCollectedEntryUnderTheFocusMark()
{
    UiFixture f;
    Ekf& w = f.startActive();
    fill(*w.lstDest, 3);
    w.lstDest->setFocus();
    // Arrows move the focus mark alone; each Space is a change of the selection, and a Click.
    QTest::keyClick(w.lstDest, Qt::Key_Down);
    QCOMPARE(w.lstDest->ListIndex(), 0);
    QVERIFY(!w.cmdDel->isEnabled());
    QTest::keyClick(w.lstDest, Qt::Key_Space);
    QVERIFY(w.cmdDel->isEnabled());
    QTest::keyClick(w.lstDest, Qt::Key_End);
    QTest::keyClick(w.lstDest, Qt::Key_Space);
    QTest::keyClick(w.lstDest, Qt::Key_Up);
    QTest::keyClick(w.lstDest, Qt::Key_Space);
    QTest::keyClick(w.lstDest, Qt::Key_Space);
    QCOMPARE(w.lstDest->SelCount(), 2);
    QVERIFY(w.lstDest->Selected(0) && !w.lstDest->Selected(1) && w.lstDest->Selected(2));
}

void ListBoxTest::emptyListWithTheFocusShowsAFocusMark()
{
    UiFixture f;
    Ekf& w = f.startActive();
    const int row = w.lstDest->rowHeight();
    w.txtInp->setFocus();
    QVERIFY(blank(*w.lstDest, 0, row));
    w.lstDest->setFocus();
    QVERIFY(w.lstDest->hasFocus());
    QVERIFY(!blank(*w.lstDest, 0, 1));
    QVERIFY(!blank(*w.lstDest, row - 1, row));
    QVERIFY(blank(*w.lstDest, row, w.lstDest->viewport()->height()));
}

QTEST_MAIN(ListBoxTest)
#include "list_box_test.moc"
