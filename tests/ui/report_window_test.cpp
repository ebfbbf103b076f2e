// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "fake_platform.h"
#include "report_dialog.h"
#include "test_data.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The report of a large run: many lines, one of them far wider than any screen.
ListReport bigReport(int lines)
{
    ListReport report;
    report.title = QStringLiteral("データベース作成");
    report.summary =
        QStringLiteral("テキストファイル /t/big.txt の %1 行を読み、…\r\n\r\n%1 行をデータベースに"
                       "格納できませんでした。")
            .arg(lines);
    report.icon = MsgBox::Information;
    for (int i = 1; i <= lines; ++i)
        report.lines
            << QStringLiteral("%1 行目: 型の外にある、定数でも関数でも型でもない行です: x = %1").arg(i);
    report.lines[1] += QString(3000, u'w');
    report.saveName = QStringLiteral("/t/t_変換結果.txt");
    return report;
}

// A key event at a time of the window system, in milliseconds.
void send(QWidget* widget, QEvent::Type type, int key, bool autoRepeat, ulong at)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    event.setTimestamp(at);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class ReportWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void fitsASmallScreenWithEveryLineWithinReach();
    void saveWritesTheWholeReportAsUtf8AndCtrlCCopiesIt();
    void onlyAFreshEscOrReturnClosesIt();
};

void ReportWindowTest::fitsASmallScreenWithEveryLineWithinReach()
{
    FakePlatform fake;
    fake.screen = QRect(0, 0, 800, 600);
    const ListReport report = bigReport(63668);
    ReportDialog dialog(fake, report);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY2(fake.screen.contains(dialog.frameGeometry()),
             qPrintable(QStringLiteral("%1,%2 %3x%4")
                            .arg(dialog.x())
                            .arg(dialog.y())
                            .arg(dialog.frameGeometry().width())
                            .arg(dialog.frameGeometry().height())));
    QVERIFY(dialog.rect().contains(dialog.cmdOk->geometry()));
    QVERIFY(dialog.rect().contains(dialog.cmdSave->geometry()));
    // Every line is in the list, the last one too, and the list scrolls to it.
    QCOMPARE(dialog.lstLines->model()->rowCount(), 63668);
    const QModelIndex last = dialog.lstLines->model()->index(63667, 0);
    QCOMPARE(last.data().toString(), report.lines.last());
    dialog.lstLines->scrollTo(last);
    QVERIFY(dialog.lstLines->viewport()->rect().intersects(dialog.lstLines->visualRect(last)));
    QVERIFY(dialog.lstLines->height() > 3 * dialog.lstLines->sizeHintForRow(0));
    // The user may make it smaller or larger, never larger than the screen.
    QVERIFY(dialog.isSizeGripEnabled());
    QVERIFY(dialog.maximumWidth() <= 800 && dialog.maximumHeight() <= 600);
    QTRY_VERIFY(dialog.cmdOk->hasFocus());

    // A clean run lists nothing: no list, no Save.
    ListReport clean = report;
    clean.lines.clear();
    ReportDialog small(fake, clean);
    QVERIFY(small.lstLines->isHidden());
    QVERIFY(small.cmdSave->isHidden());
}

void ReportWindowTest::saveWritesTheWholeReportAsUtf8AndCtrlCCopiesIt()
{
    QTemporaryDir dir;
    FakePlatform fake;
    const ListReport report = bigReport(3);
    ReportDialog dialog(fake, report);
    const QString path = dir.filePath(QStringLiteral("一覧.txt"));
    fake.fileNames.enqueue(path);
    QTest::mouseClick(dialog.cmdSave, Qt::LeftButton);
    QCOMPARE(fake.fileDialogs().size(), 1);
    QVERIFY(fake.fileDialogs()[0].save);
    QCOMPARE(fake.fileDialogs()[0].initialName, report.saveName);
    QCOMPARE(fake.fileDialogs()[0].filterText, QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)"));
    QCOMPARE(QString::fromUtf8(readBytes(path)),
             QString(report.summary).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) +
                 QStringLiteral("\n\n") + report.lines.join(u'\n') + u'\n');

    // A file that cannot be written is said, and the report stays.
    fake.fileNames.enqueue(dir.filePath(QStringLiteral("no/such/folder/x.txt")));
    QTest::mouseClick(dialog.cmdSave, Qt::LeftButton);
    QCOMPARE(fake.messages().size(), 1);
    QVERIFY(fake.messages()[0].prompt.contains(QStringLiteral("no/such/folder/x.txt")));
    QCOMPARE(fake.messages()[0].style, MsgBox::Critical);

    // Ctrl+C copies everything, from the list as from the buttons.
    QTest::keyClick(dialog.lstLines, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(fake.clipboard, report.summary + QStringLiteral("\r\n\r\n") +
                                 report.lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    fake.clipboard.clear();
    QTest::keyClick(dialog.cmdOk, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(fake.clipboard.endsWith(report.lines.last() + QStringLiteral("\r\n")));
    QVERIFY2(fake.unexpected.isEmpty(), qPrintable(fake.unexpected.join(u'\n')));
}

void ReportWindowTest::onlyAFreshEscOrReturnClosesIt()
{
    FakePlatform fake;
    ReportDialog dialog(fake, bigReport(2));
    dialog.open();
    // A key held down in the window before repeats here, marked as such or not, with
    // or without its releases: it must not close the report.
    ulong at = 1000;
    send(dialog.cmdOk, QEvent::KeyRelease, Qt::Key_Escape, true, at);
    for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        for (int i = 0; i < 5; ++i) {
            send(dialog.cmdOk, QEvent::KeyPress, key, i % 2 == 0, at += 33);
            send(dialog.lstLines, QEvent::KeyPress, key, false, at += 33);
            send(dialog.cmdOk, QEvent::KeyRelease, key, true, at);
            QVERIFY(dialog.isVisible());
        }
    }
    // Let go, and press again.
    send(dialog.lstLines, QEvent::KeyRelease, Qt::Key_Enter, false, at += 20);
    send(dialog.lstLines, QEvent::KeyPress, Qt::Key_Return, false, at += 400);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    // Pressed in a window shown a while ago, Esc closes it at once.
    dialog.open();
    QTest::qWait(200);
    send(dialog.cmdOk, QEvent::KeyPress, Qt::Key_Escape, false, at += 5000);
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(ReportWindowTest)
#include "report_window_test.moc"
