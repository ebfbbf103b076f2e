// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "key_preview.h"

#include <QWidget>

class Platform;
class QLabel;
class QProgressBar;
class QPushButton;

// The always-on-top progress window with its Cancel button. One instance is kept;
// "closed" means hidden, and bCancel outlives the closing until the next Init.
class Prbf : public QWidget
{
    Q_OBJECT
public:
    explicit Prbf(Platform& platform);

    void Init(qint64 lMax, const QString& sTitle, QWidget* F = nullptr);
    bool Cancel(qint64 lNewValue);
    void Term();
    // What is read: the file's name and, as the run goes on, how many of its lines.
    void setSource(const QString& fileName);
    void setLinesRead(qint64 lines);
    // The user asked to stop and the window says so until Term.
    bool cancelling() const { return bCancel && m_shown; }

    bool isShown() const { return m_shown; }

    QLabel* lblFile;
    QLabel* lblLines;
    QLabel* lblPer;
    QProgressBar* prbPer;
    QPushButton* cmdCancel;

    void cmdCancel_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Form_Load();
    void Form_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift);
    void Form_LostFocus();
    void placeOver(QWidget* F);
    void showProgress(qint64 value);

    Platform& m_platform;
    KeyPreview m_keyPreview;
    bool bCancel = false;
    bool m_shown = false;
    bool m_closingByCode = false;
    qint64 m_max = 0;
    qint64 m_lines = -1;
    qint64 m_barScale = 1;
    int m_percent = -1;
};
