// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "qt_platform.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The real platform's boxes, as the user meets them: the icon of each style, its
// buttons, and what Return and Esc answer.
class RealMessageBoxTest : public QObject
{
    Q_OBJECT
private slots:
    void eachStyleHasItsIconButtonsAndKeys_data();
    void eachStyleHasItsIconButtonsAndKeys();
};

namespace {

struct Seen
{
    bool shown = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QString title;
};

// Shows a box of that style, looks at it, then answers it with key.
int answerWith(QtPlatform& platform, int style, int key, Seen& seen)
{
    QTimer::singleShot(0, qApp, [&seen, key] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.shown = true;
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.title = box->windowTitle();
        QTest::keyClick(box, Qt::Key(key));
    });
    return platform.msgBox(QStringLiteral("本文"), style, QString());
}

} // namespace

void RealMessageBoxTest::eachStyleHasItsIconButtonsAndKeys_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("onReturn");
    QTest::addColumn<int>("onEscape");
    const int ok = int(QMessageBox::Ok);
    const int okCancel = int(QMessageBox::Ok | QMessageBox::Cancel);
    QTest::newRow("plain") << MsgBox::OkOnly << int(QMessageBox::NoIcon) << ok << MsgBox::AnswerOk
                           << MsgBox::AnswerOk;
    QTest::newRow("critical") << MsgBox::Critical << int(QMessageBox::Critical) << ok << MsgBox::AnswerOk
                              << MsgBox::AnswerOk;
    QTest::newRow("question") << MsgBox::Question << int(QMessageBox::Question) << ok << MsgBox::AnswerOk
                              << MsgBox::AnswerOk;
    QTest::newRow("exclamation") << MsgBox::Exclamation << int(QMessageBox::Warning) << ok << MsgBox::AnswerOk
                                 << MsgBox::AnswerOk;
    QTest::newRow("information") << MsgBox::Information << int(QMessageBox::Information) << ok
                                 << MsgBox::AnswerOk << MsgBox::AnswerOk;
    // The confirmation before a conversion: OK on Return, Cancel on Esc.
    QTest::newRow("ok-cancel exclamation")
        << (MsgBox::OkCancel | MsgBox::Exclamation) << int(QMessageBox::Warning) << okCancel
        << MsgBox::AnswerOk << MsgBox::AnswerCancel;
    QTest::newRow("ok-cancel critical") << (MsgBox::OkCancel | MsgBox::Critical) << int(QMessageBox::Critical)
                                        << okCancel << MsgBox::AnswerOk << MsgBox::AnswerCancel;
    QTest::newRow("ok-cancel plain") << MsgBox::OkCancel << int(QMessageBox::NoIcon) << okCancel
                                     << MsgBox::AnswerOk << MsgBox::AnswerCancel;
}

void RealMessageBoxTest::eachStyleHasItsIconButtonsAndKeys()
{
    QFETCH(int, style);
    QFETCH(int, icon);
    QFETCH(int, buttons);
    QFETCH(int, onReturn);
    QFETCH(int, onEscape);
    QtPlatform platform(QStringLiteral("Ek"));
    for (const auto& [key, expected] :
         {std::pair{int(Qt::Key_Return), onReturn}, {int(Qt::Key_Escape), onEscape}}) {
        Seen seen;
        const int answer = answerWith(platform, style, key, seen);
        QVERIFY(seen.shown);
        QCOMPARE(int(seen.icon), icon);
        QCOMPARE(int(seen.buttons), buttons);
        QCOMPARE(seen.title, QStringLiteral("Ek"));
        QCOMPARE(answer, expected);
    }
}

QTEST_MAIN(RealMessageBoxTest)
#include "real_message_box_test.moc"
