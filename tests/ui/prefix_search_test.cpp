// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "code_point_order.h"
#include "name_fold.h"
#include "search_list.h"
#include "string_items.h"
#include "ui_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

// Fifty constants C00..C49, listed under 定数, plus any extra lines.
Ekf& openConstants(UiFixture& f, const QStringList& extra = {})
{
    QStringList lines;
    for (int i = 0; i < 50; ++i)
        lines << QStringLiteral("Public Const C%1 = %1").arg(i, 2, 10, QLatin1Char('0'));
    const QString db = f.makeDatabase(lines + extra);
    Ekf& w = f.start();
    f.chooseKind(0);
    f.open(db);
    return w;
}

class PrefixSearchTest : public QObject
{
    Q_OBJECT
private slots:
    void findsTheWorkedExamples_data();
    void findsTheWorkedExamples();
    void returnsTheFirstOfARunOfMatches();
    void agreesWithALinearScanOnUnderscoresAndCase();
    void readsOnlyAboutLog2Items();
    void readsOnlyAboutLog2ItemsWhenManyNamesShareTheKey();
    void typingScrollsTheMatchToTheTop();
    void typingWithoutMatchLeavesTheListAlone();
    void clickedNameDoesNotScrollTheListAway();
    void markerLeftByARepeatedClickSwallowsOneEdit();
    void searchNeverChangesSelectionOrButtons();
};

void PrefixSearchTest::findsTheWorkedExamples_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("key");
    QTest::addColumn<long>("expected");
    const QStringList abc{QStringLiteral("ABC"), QStringLiteral("ABD"), QStringLiteral("ABE"),
                          QStringLiteral("B")};
    QTest::newRow("abd") << abc << "abd" << 1L;
    QTest::newRow("ab matches item 0") << abc << "ab" << 0L;
    QTest::newRow("c is missing") << abc << "c" << -1L;
    QTest::newRow("b is last") << abc << "b" << 3L;
    QTest::newRow("key longer than every name") << abc << "ABCDEFG" << -1L;
    QTest::newRow("empty key") << abc << "" << -1L;
    QTest::newRow("empty list") << QStringList() << "a" << -1L;
    QTest::newRow("one item, no match") << QStringList{QStringLiteral("X")} << "a" << -1L;
    QTest::newRow("one item, match") << QStringList{QStringLiteral("Xy")} << "x" << 0L;
    QTest::newRow("japanese") << QStringList{QStringLiteral("A"), QStringLiteral("型"),
                                             QStringLiteral("定数")}
                              << "型" << 1L;
}

void PrefixSearchTest::findsTheWorkedExamples()
{
    QFETCH(QStringList, items);
    QFETCH(QString, key);
    QFETCH(long, expected);
    QCOMPARE(SearchList(StringItems(items), key), expected);
}

void PrefixSearchTest::returnsTheFirstOfARunOfMatches()
{
    QStringList items;
    items << QStringLiteral("A");
    for (int i = 0; i < 40; ++i)
        items << QStringLiteral("WM_%1").arg(i, 2, 10, QLatin1Char('0'));
    items << QStringLiteral("Z");
    // The bisection lands in the middle of the WM_ run and walks back to its start.
    QCOMPARE(SearchList(StringItems(items), QStringLiteral("wm_")), 1L);
    QCOMPARE(SearchList(StringItems(items), QStringLiteral("WM_3")), 31L);
}

void PrefixSearchTest::agreesWithALinearScanOnUnderscoresAndCase()
{
    // Names whose order differs between a case-insensitive collation and the
    // upper-case fold: '_' sorts between upper and lower case letters.
    QStringList items{QStringLiteral("a_b"), QStringLiteral("AB"),  QStringLiteral("Ab_"),
                      QStringLiteral("a["),  QStringLiteral("A_"),  QStringLiteral("aa"),
                      QStringLiteral("Z"),   QStringLiteral("z_x"), QStringLiteral("ｱ"),
                      QStringLiteral("_x"),  QStringLiteral("A^")};
    std::stable_sort(items.begin(), items.end(), [](const QString& a, const QString& b) {
        return compareCodePoints(foldName(a), foldName(b)) < 0;
    });
    for (const QString& name : std::as_const(items)) {
        for (int n = 1; n <= name.size(); ++n) {
            const QString key = name.left(n).toLower();
            long linear = -1;
            for (int i = 0; i < items.size(); ++i) {
                if (foldName(items[i].left(n)) == foldName(key)) {
                    linear = i;
                    break;
                }
            }
            QCOMPARE(SearchList(StringItems(items), key), linear);
        }
    }
}

void PrefixSearchTest::readsOnlyAboutLog2Items()
{
    QStringList names;
    for (int i = 0; i < 100000; ++i)
        names << QStringLiteral("N%1").arg(i, 6, 10, QLatin1Char('0'));
    StringItems items(names);
    QCOMPARE(SearchList(items, QStringLiteral("n054321")), 54321L);
    QVERIFY2(items.reads < 40, qPrintable(QString::number(items.reads)));
}

void PrefixSearchTest::readsOnlyAboutLog2ItemsWhenManyNamesShareTheKey()
{
    QStringList names{QStringLiteral("BitBlt")};
    for (int i = 0; i < 100000; ++i)
        names << QStringLiteral("GetWindow%1").arg(i, 6, 10, QLatin1Char('0'));
    names << QStringLiteral("SendMessage");
    for (const QString& key : {QStringLiteral("g"), QStringLiteral("GetWindow0")}) {
        StringItems items(names);
        QCOMPARE(SearchList(items, key), 1L);
        QVERIFY2(items.reads < 40, qPrintable(key + u' ' + QString::number(items.reads)));
    }
}

void PrefixSearchTest::typingScrollsTheMatchToTheTop()
{
    UiFixture f;
    Ekf& w = openConstants(
        f, {QStringLiteral("Public Const WM_PAINT = &HF"), QStringLiteral("Public Const WM_QUIT = &H12")});
    w.txtInp->setFocus();
    QTest::keyClicks(w.txtInp, QStringLiteral("c2"));
    QCOMPARE(w.lstEk->TopIndex(), 20);
    QTest::keyClicks(w.txtInp, QStringLiteral("5"));
    QCOMPARE(w.lstEk->TopIndex(), 25);
    w.setTxtInpText(QString());
    QTest::keyClicks(w.txtInp, QStringLiteral("wm_q"));
    // The list stops scrolling at its last page.
    QCOMPARE(w.lstEk->TopIndex(), int(w.lstEk->ListCount()) - w.lstEk->visibleRows());
    QVERIFY(w.lstEk->TopIndex() <= 51);
}

void PrefixSearchTest::typingWithoutMatchLeavesTheListAlone()
{
    UiFixture f;
    Ekf& w = openConstants(f);
    QTest::keyClicks(w.txtInp, QStringLiteral("c3"));
    QCOMPARE(w.lstEk->TopIndex(), 30);
    QTest::keyClicks(w.txtInp, QStringLiteral("x"));
    QCOMPARE(w.lstEk->TopIndex(), 30);
}

void PrefixSearchTest::clickedNameDoesNotScrollTheListAway()
{
    UiFixture f;
    Ekf& w = openConstants(f);
    w.lstEk->setTopIndex(10);
    f.clickItem(*w.lstEk, 12);
    QCOMPARE(w.txtInp->text(), QStringLiteral("C12"));
    QCOMPARE(w.lstEk->TopIndex(), 10);
    QVERIFY(w.txtInpTag().isEmpty());
    QVERIFY(w.cmdAdd->isEnabled());
    // The next character typed searches again.
    QTest::keyClick(w.txtInp, Qt::Key_Backspace);
    QCOMPARE(w.txtInp->text(), QStringLiteral("C1"));
    QCOMPARE(w.lstEk->TopIndex(), 10);
    w.lstEk->setTopIndex(0);
    QTest::keyClicks(w.txtInp, QStringLiteral("5"));
    QCOMPARE(w.lstEk->TopIndex(), 15);
}

void PrefixSearchTest::markerLeftByARepeatedClickSwallowsOneEdit()
{
    UiFixture f;
    Ekf& w = openConstants(f);
    f.clickItem(*w.lstEk, 3);
    QVERIFY(w.txtInpTag().isEmpty());
    // The same name again raises no Change, so the marker stays for the next edit.
    f.clickItem(*w.lstEk, 3);
    QCOMPARE(w.txtInpTag(), QStringLiteral("Not Null"));
    w.lstEk->setTopIndex(0);
    QTest::keyClicks(w.txtInp, QStringLiteral("0"));
    QCOMPARE(w.txtInp->text(), QStringLiteral("C030"));
    QVERIFY(w.txtInpTag().isEmpty());
    QCOMPARE(w.lstEk->TopIndex(), 0);
    // Emptying the box keeps a marker; none is left now, so this edit searches.
    w.setTxtInpText(QString());
    QTest::keyClicks(w.txtInp, QStringLiteral("c1"));
    QCOMPARE(w.lstEk->TopIndex(), 10);
}

void PrefixSearchTest::searchNeverChangesSelectionOrButtons()
{
    UiFixture f;
    Ekf& w = openConstants(f);
    f.clickItem(*w.lstEk, 2);
    QCOMPARE(w.lstEk->ListIndex(), 2);
    w.setTxtInpText(QString());
    QTest::keyClicks(w.txtInp, QStringLiteral("c4"));
    QCOMPARE(w.lstEk->ListIndex(), 2);
    QCOMPARE(w.txtInp->text(), QStringLiteral("c4"));
    QVERIFY(w.cmdAdd->isEnabled());
    QVERIFY(!w.cmdCpy->isEnabled());
}

QTEST_MAIN(PrefixSearchTest)
#include "prefix_search_test.moc"
