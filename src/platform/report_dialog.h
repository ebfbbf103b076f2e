// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "platform.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QListView;
class QPushButton;

// The window of a ListReport: the summary at the top, every listed line in a list
// that scrolls, 保存(S)... and OK. It never grows past the screen, however many lines
// it lists. Esc and Return close it only when pressed in it: a key held down since
// the window before it repeats without closing it, whether or not the window system
// marks the repeats.
class ReportDialog : public QDialog
{
    Q_OBJECT
public:
    ReportDialog(Platform& platform, ListReport report, QWidget* owner = nullptr);

    // The summary and every line, as Ctrl+C copies them and 保存(S)... writes them.
    QString wholeText(const QString& lineBreak) const;
    // Asks for a file through the platform and writes the report into it as UTF-8.
    void save();

    QLabel* lblSummary;
    QListView* lstLines;
    QPushButton* cmdSave;
    QPushButton* cmdOk;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void fitOnScreen(QWidget* owner);
    bool copyKey(QKeyEvent* event);
    // True for an Esc or Return the user pressed here: after a pause in those keys
    // since the window was shown or since their last event.
    bool freshCloseKey(const QKeyEvent* event);

    Platform& m_platform;
    ListReport m_report;
    QElapsedTimer m_sinceShown;
    qint64 m_lastCloseKey = -1; // the event time of the last Esc or Return, pressed or released
};
