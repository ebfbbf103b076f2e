// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "key_preview.h"

#include <QDialog>

class QLabel;
class QPushButton;

// The modal about window: program name, version and the caller's icon.
class VersionF : public QDialog
{
    Q_OBJECT
public:
    VersionF();

    // Returns when the window has been closed.
    void Dsp(QWidget* vF, const QString& sPrg, const QString& sVer);

    QLabel* picAbout;
    QLabel* lblName;
    QLabel* lblVer;
    QLabel* lblCopy;
    QPushButton* cmdOk;

    void cmdOk_Click();
    void Form_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift);

private:
    KeyPreview m_keyPreview;
};
