// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "platform.h"

#include <QElapsedTimer>

// The real desktop behind Platform, through Qt Widgets.
class QtPlatform : public Platform
{
public:
    // The title of message boxes that bring none of their own.
    explicit QtPlatform(QString programTitle);

    void beep() override;
    int msgBox(const QString& prompt, int style, const QString& title) override;
    void listReport(const ListReport& report) override;
    QString fileDialog(QWidget* owner, const FileDialogRequest& request) override;
    void setClipboardText(const QString& text) override;
    void setMousePointer(int pointer) override;
    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void saveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override;
    void processEvents() override;
    void keepOnTop(QWidget& window) override;
    QRect screenRect() const override;
    QList<QRect> screenRects() const override;

private:
    int showMessage(QWidget* owner, const QString& prompt, int style, const QString& title);

    QString m_title;
    QString m_lastFileName; // what the dialog "still holds" from its previous use
    QElapsedTimer m_eventClock;
};
