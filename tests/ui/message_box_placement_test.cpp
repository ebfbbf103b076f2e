// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "prbf.h"
#include "qt_platform.h"
#include "test_data.h"
#include "ui_fixture.h"

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

// Every message box stands centred over the window that caused it: the main window, or the
// progress window while a conversion runs.
class MessageBoxPlacementTest : public QObject
{
    Q_OBJECT
private slots:
    void errorAfterAFileDialogStandsOverTheMainWindow();
    void boxesWhileConvertingStandOverTheProgressWindow();
    void realBoxIsCentredOverItsOwnerWhenNoWindowIsActive();
};

void MessageBoxPlacementTest::errorAfterAFileDialogStandsOverTheMainWindow()
{
    UiFixture f;
    const QString bad = f.path(QStringLiteral("not-a-database.mdb"));
    writeBytes(bad, QByteArray(4096, 'x'));
    Ekf& w = f.start();
    f.open(bad);
    QCOMPARE(f.fake.messages().size(), 1);
    QCOMPARE(f.fake.messages()[0].owner, &w);
}

void MessageBoxPlacementTest::boxesWhileConvertingStandOverTheProgressWindow()
{
    UiFixture f;
    const QString text = f.path(QStringLiteral("decl.txt"));
    writeCp932(text, {QStringLiteral("Public Const A = 1"), QStringLiteral("Public Const NOEQUALS 2"),
                      QStringLiteral("Public Const B = 3")});
    Ekf& w = f.start();
    f.fake.fileNames << text << f.path(QStringLiteral("out.mdb"));
    f.fake.answers << MsgBox::AnswerOk;
    f.fake.onProcessEvents = [&](int call) {
        if (call == 2)
            triggerAction(w, "mHelp0");
    };
    triggerAction(w, "mFile1");
    // The confirmation, the notice asked for during the run, the lines not stored after it.
    QCOMPARE(f.fake.messages().size(), 3);
    QCOMPARE(f.fake.messages()[0].owner, &w);
    QCOMPARE(f.fake.messages()[1].owner, &w.progressWindow());
    QCOMPARE(f.fake.messages()[2].owner, &w);
}

void MessageBoxPlacementTest::realBoxIsCentredOverItsOwnerWhenNoWindowIsActive()
{
    QtPlatform platform(QStringLiteral("Ek"));
    QWidget owner;
    owner.setGeometry(40, 60, 500, 320);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    platform.addMessageOwner(owner);
    // As after a file dialog: another window was active, and has closed.
    {
        QDialog dialog;
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }
    QTRY_COMPARE(QApplication::activeWindow(), nullptr);

    QWidget* parent = nullptr;
    QPoint offset(-1000, -1000);
    QTimer::singleShot(0, &owner, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        parent = box->parentWidget();
        offset = box->frameGeometry().center() - owner.frameGeometry().center();
        box->button(QMessageBox::Ok)->click();
    });
    platform.msgBox(QStringLiteral("サポート外のファイルです"), MsgBox::Critical, QString());
    QCOMPARE(parent, &owner);
    QVERIFY2(offset.manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
}

QTEST_MAIN(MessageBoxPlacementTest)
#include "message_box_placement_test.moc"
