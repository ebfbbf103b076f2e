// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "platform.h"

#include <QList>
#include <QMap>
#include <QQueue>
#include <QStringList>
#include <functional>

// Records every call a window makes to the desktop and answers dialogs from a
// script. A dialog the test did not script is recorded in `unexpected` and
// answered with Cancel, so a test fails with its text instead of blocking.
class FakePlatform : public Platform
{
public:
    struct Message
    {
        QString prompt;
        int style = 0;
        QString title;
        // The window the real box would stand over.
        QPointer<QWidget> owner;
    };

    // One call the window made, in the order made: a beep, a box, a file dialog, a
    // clipboard write or a pointer change. Beeps and boxes in one list tell which came
    // first.
    struct Event
    {
        enum Kind { Beep, Box, FileDialog, Clipboard, MousePointer };
        Kind kind;
        Message message;           // a Box
        FileDialogRequest request; // a FileDialog
        QString text;              // a Clipboard write
        int pointer = 0;           // a MousePointer
    };

    void beep() override { events.append(Event{Event::Beep, {}, {}, {}, 0}); }
    int msgBox(const QString& prompt, int style, const QString& title) override;
    // Recorded as a box too: its summary, a blank line and its lines.
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
    QRect screenRect() const override { return screen; }
    QList<QRect> screenRects() const override { return screens.isEmpty() ? QList<QRect>{screen} : screens; }

    static QString settingKey(const QString& app, const QString& section, const QString& key);

    // What happened.
    QList<Event> events;
    QList<ListReport> reports;
    int beeps() const;
    QList<Message> messages() const;
    QList<FileDialogRequest> fileDialogs() const;
    int clipboardWrites() const;
    // The pointers set from the event at index from on.
    QList<int> pointerHistory(qsizetype from = 0) const;
    // The kinds of the events, in order.
    QList<Event::Kind> kinds() const;

    // What the desktop holds now.
    QString clipboard;
    int pointer = Pointer::Default;
    QMap<QString, QString> settings;
    int settingWrites = 0;
    int processEventsCalls = 0;
    int keepOnTopCalls = 0;
    QStringList unexpected;

    // The script.
    QQueue<QString> fileNames; // one per file dialog; an empty string cancels
    QQueue<int> answers;       // one per message box with OK and Cancel
    QRect screen{0, 0, 1280, 1024};
    QList<QRect> screens; // empty: screen alone
    // Runs inside processEvents: how a test clicks while a conversion runs.
    std::function<void(int call)> onProcessEvents;
    // When set, processEvents also lets Qt deliver pending events.
    bool realEvents = false;
};
