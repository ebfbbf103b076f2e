// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "browse_data.h"
#include "ui_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QStringList listed(const ListBox& list)
{
    QStringList names;
    for (qint64 i = 0; i < list.ListCount(); ++i)
        names << list.List(i);
    return names;
}

} // namespace

class FilterTest : public QObject
{
    Q_OBJECT
private slots:
    void eachFormNarrowsTheList_data();
    void eachFormNarrowsTheList();
    void prefixSearchWorksInsideTheNarrowedList();
    void prefixWithoutMatchIsShownWithoutABeep();
    void returnInTheFilterCollectsTheFirstMatch();
};

void FilterTest::eachFormNarrowsTheList_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    const QString ptr = QStringLiteral("GetWindowLongPtr");
    const QString setPtr = QStringLiteral("SetWindowLongPtr");
    QTest::newRow("contains, any case")
        << 1 << "windowLONG"
        << QStringList{QStringLiteral("GetWindowLong"), ptr, ptr, setPtr, setPtr, setPtr};
    QTest::newRow("contains, in the middle") << 1 << "tick" << QStringList{QStringLiteral("GetTickCount")};
    QTest::newRow("lib: matches the DLL's name, .dll or not")
        << 1 << "lib:kernel32"
        << QStringList{QStringLiteral("GetModuleHandle"), QStringLiteral("GetTickCount"),
                       QStringLiteral("lstrlenW"), QStringLiteral("Sleep")};
    QTest::newRow("lib: with .dll, blanks and capitals")
        << 1 << "  LIB: Kernel32.dll "
        << QStringList{QStringLiteral("GetModuleHandle"), QStringLiteral("GetTickCount"),
                       QStringLiteral("lstrlenW"), QStringLiteral("Sleep")};
    QTest::newRow("lib: a part of a DLL's name is no DLL") << 1 << "lib:kernel" << QStringList();
    QTest::newRow("lib: under the constants") << 0 << "lib:user32" << QStringList();
    const QStringList x80{QStringLiteral("FILE_ATTRIBUTE_NORMAL"), QStringLiteral("SS_NOPREFIX")};
    QTest::newRow("=&H80") << 0 << "=&H80" << x80;
    QTest::newRow("=128") << 0 << "=128" << x80;
    QTest::newRow("=&O200") << 0 << "= &o200" << x80;
    QTest::newRow("=&H8 finds &H8&") << 0 << "=&H8" << QStringList{QStringLiteral("WS_EX_TOPMOST")};
    QTest::newRow("=8192 finds &O20000") << 0 << "=8192" << QStringList{QStringLiteral("ES_NUMBER")};
    QTest::newRow("=-16 finds (-16)") << 0 << "=-16" << QStringList{QStringLiteral("GWL_STYLE")};
    QTest::newRow("=&H80000000 is not negative")
        << 0 << "=2147483648" << QStringList{QStringLiteral("GENERIC_READ")};
    QTest::newRow("= a value that is no number, as written")
        << 0 << "=(wm_user  +  1)" << QStringList{QStringLiteral("TB_ENABLEBUTTON")};
    QTest::newRow("= under the functions") << 1 << "=128" << QStringList();
}

void FilterTest::eachFormNarrowsTheList()
{
    QFETCH(int, kind);
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    UiFixture f;
    Ekf& w = f.openBrowseSample(kind);
    const qint64 total = w.lstEk->ListCount();
    QTest::keyClicks(w.txtFlt, filter);
    QCOMPARE(listed(*w.lstEk), expected);
    const QString counts = QStringLiteral("%1 件中 %2 件").arg(total).arg(expected.size());
    QCOMPARE(w.lblFltCount->text(), counts);
    QCOMPARE(w.lblStatus->text(), w.cboKind->currentText() + QStringLiteral("　") + counts);

    // An empty filter shows the whole list again.
    w.txtFlt->clear();
    QCOMPARE(w.lstEk->ListCount(), total);
    QCOMPARE(w.lblFltCount->text(), QString());
    QCOMPARE(w.lblStatus->text(), w.cboKind->currentText() + QStringLiteral("　%1 件").arg(total));
    QCOMPARE(f.fake.beeps(), 0);
}

void FilterTest::prefixSearchWorksInsideTheNarrowedList()
{
    UiFixture f;
    Ekf& w = f.openBrowseSample(1);
    QTest::keyClicks(w.txtFlt, QStringLiteral("window"));
    QCOMPARE(w.lstEk->ListCount(), 6);
    QCOMPARE(w.lstEk->note(1), QStringLiteral("Win64"));
    QCOMPARE(w.lstEk->note(4), QStringLiteral("VBA7 / Else"));
    QCOMPARE(w.lstEk->note(5), QStringLiteral("Else"));
    QTest::keyClicks(w.txtInp, QStringLiteral("set"));
    QCOMPARE(w.lstEk->currentRow(), 3);
    QVERIFY(w.lblNoMatch->isHidden());
    QTRY_COMPARE(w.lblFacts->text(),
                 QStringLiteral("DLL: user32　別名: SetWindowLongPtrA　条件: VBA7 / Win64"));
    // Names outside the narrowed list are not found by the prefix.
    w.txtInp->clear();
    QTest::keyClicks(w.txtInp, QStringLiteral("sleep"));
    QVERIFY(!w.lblNoMatch->isHidden());
    QTRY_VERIFY(w.previewName().isEmpty());
    // Widening the list finds the typed prefix again.
    w.txtFlt->clear();
    QCOMPARE(w.lstEk->ListCount(), kBrowseFunctions);
    QCOMPARE(w.lstEk->currentRow(), kBrowseFunctions - 1);
    QVERIFY(w.lblNoMatch->isHidden());

    // The filter stays across a change of kind and narrows the new kind's list.
    QTest::keyClicks(w.txtFlt, QStringLiteral("ws_ex"));
    f.chooseKind(0);
    QCOMPARE(listed(*w.lstEk),
             (QStringList{QStringLiteral("WS_EX_TOPMOST"), QStringLiteral("WS_EX_TRANSPARENT")}));
    QCOMPARE(w.lblFltCount->text(), QStringLiteral("%1 件中 2 件").arg(kBrowseConstants));
    // Add looks a name up in the whole kind, as before.
    w.txtInp->setText(QStringLiteral("MAX_PATH"));
    w.cmdAdd->setEnabled(true);
    w.cmdAdd->click();
    QCOMPARE(w.lstDest->ListCount(), 1);
}

void FilterTest::prefixWithoutMatchIsShownWithoutABeep()
{
    UiFixture f;
    Ekf& w = f.openBrowseSample(1);
    const QColor normal = w.txtInp->palette().color(QPalette::Base);
    QTest::keyClicks(w.txtInp, QStringLiteral("getw"));
    QCOMPARE(w.lstEk->currentRow(), 3);
    const int top = w.lstEk->TopIndex();
    QTest::keyClicks(w.txtInp, QStringLiteral("indowz"));
    QVERIFY(!w.lblNoMatch->isHidden());
    QCOMPARE(w.lblNoMatch->text(), QStringLiteral("該当なし"));
    QVERIFY(w.txtInp->palette().color(QPalette::Base) != normal);
    // The list stays where the last match put it, and the keyboard goes on from there; the
    // preview no longer shows that row as the one found.
    QCOMPARE(w.lstEk->TopIndex(), top);
    QCOMPARE(w.lstEk->currentRow(), 3);
    QTRY_VERIFY(w.previewName().isEmpty());
    QVERIFY(w.txtPrv->toPlainText().isEmpty());
    QCOMPARE(f.fake.beeps(), 0);
    QTest::keyClick(w.txtInp, Qt::Key_Backspace);
    QVERIFY(w.lblNoMatch->isHidden());
    QCOMPARE(w.txtInp->palette().color(QPalette::Base), normal);
    QTRY_COMPARE(w.previewName(), QStringLiteral("GetWindowLong"));
    // An emptied box shows nothing wrong either.
    QTest::keyClicks(w.txtInp, QStringLiteral("q"));
    QVERIFY(!w.lblNoMatch->isHidden());
    w.txtInp->clear();
    QVERIFY(w.lblNoMatch->isHidden());
}

void FilterTest::returnInTheFilterCollectsTheFirstMatch()
{
    UiFixture f;
    Ekf& w = f.openBrowseSample(1);
    QTest::keyClick(w.txtInp, Qt::Key_S, Qt::AltModifier);
    QVERIFY(w.txtFlt->hasFocus());
    QTest::keyClicks(w.txtFlt, QStringLiteral("WindowLongP"));
    QTest::keyClick(w.txtFlt, Qt::Key_Return);
    QCOMPARE(w.lstDest->ListCount(), 1);
    QCOMPARE(w.lstDest->List(0), QStringLiteral("関 GetWindowLongPtr"));
    QVERIFY(w.txtPrv->toPlainText().startsWith(QStringLiteral("#If Win64 Then\n")));
    // Nothing narrowed in: Return beeps and collects nothing.
    QTest::keyClicks(w.txtFlt, QStringLiteral("zz"));
    QTest::keyClick(w.txtFlt, Qt::Key_Return);
    QCOMPARE(w.lstDest->ListCount(), 1);
    QCOMPARE(f.fake.beeps(), 1);
}

QTEST_MAIN(FilterTest)
#include "filter_test.moc"
