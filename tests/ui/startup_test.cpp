// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ui_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

class StartupTest : public QObject
{
    Q_OBJECT
private slots:
    void startsWithFunctionsAndNoDatabase();
};

void StartupTest::startsWithFunctionsAndNoDatabase()
{
    UiFixture f;
    Ekf& w = f.start();
    QCOMPARE(w.windowTitle(), QStringLiteral(" Ek"));
    QCOMPARE(w.cboKind->count(), 3);
    QCOMPARE(w.cboKind->currentText(), QStringLiteral("関数"));
    QCOMPARE(f.module.iKind, 1);
    QVERIFY(w.mFile[1]->isEnabled());
    QVERIFY(!w.mFile[3]->isVisible());
    QVERIFY(!w.cmdAdd->isEnabled());
    EK_VERIFY_NO_UNEXPECTED(f);
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
