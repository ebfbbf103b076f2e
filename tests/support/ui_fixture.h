// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "ekb.h"
#include "ekf.h"
#include "fake_platform.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

// One main window on a fake desktop, with its own temporary folder. When it goes out of
// scope it fails the current test if a dialog came up that the test had not scripted, or a
// scripted one never came.
struct UiFixture
{
    UiFixture();
    ~UiFixture();

    // Creates and shows the window (runs Form_Load); settings must be scripted first.
    Ekf& start();
    // The same, and makes it the active window, where keys reach the control with the focus.
    Ekf& startActive();
    // Converts lines into a database in the temporary folder and returns its path.
    QString makeDatabase(const QStringList& lines, const QString& name = QStringLiteral("t.mdb"));
    // Opens a database through the File menu's Open command.
    void open(const QString& path);
    // Clicks item row of lstEk as a user would.
    void clickItem(ListBox& list, int row);
    void doubleClickItem(ListBox& list, int row);
    void chooseKind(int index);
    // The window started active with browseLines() listed under that kind.
    Ekf& openBrowseSample(int kind = 1);
    QString path(const QString& name) const;

    QTemporaryDir dir;
    FakePlatform fake;
    Ekb module;
    std::unique_ptr<Ekf> window;
};

// Triggers the menu item or command of window whose objectName is name, as a user's choice
// does. Fails the current test, and returns false, when there is no such action or it is
// hidden or disabled, where a user could not choose it.
bool triggerAction(QWidget& window, const char* name);

// Fails the current test when the window asked for a dialog no one scripted.
#define EK_VERIFY_NO_UNEXPECTED(f)                                                                           \
    QVERIFY2((f).fake.unexpected.isEmpty(), qPrintable((f).fake.unexpected.join(u'\n')))
