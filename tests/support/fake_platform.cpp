// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "fake_platform.h"

#include <QCoreApplication>
#include <QWidget>
#include <algorithm>

int FakePlatform::msgBox(const QString& prompt, int style, const QString& title)
{
    events.append(Event{Event::Box, Message{prompt, style, title, messageOwner()}, {}, {}, 0});
    if ((style & 0xF) == MsgBox::OkCancel) {
        if (answers.isEmpty()) {
            unexpected << QStringLiteral("unscripted question: ") + prompt;
            return MsgBox::AnswerCancel;
        }
        return answers.dequeue();
    }
    return MsgBox::AnswerOk;
}

QString FakePlatform::fileDialog(QWidget*, const FileDialogRequest& request)
{
    events.append(Event{Event::FileDialog, {}, request, {}, 0});
    if (fileNames.isEmpty()) {
        unexpected << QStringLiteral("unscripted file dialog: ") + request.title;
        return QString();
    }
    return fileNames.dequeue();
}

void FakePlatform::setClipboardText(const QString& text)
{
    clipboard = text;
    events.append(Event{Event::Clipboard, {}, {}, text, 0});
}

void FakePlatform::setMousePointer(int value)
{
    pointer = value;
    events.append(Event{Event::MousePointer, {}, {}, {}, value});
}

int FakePlatform::beeps() const
{
    return int(
        std::count_if(events.cbegin(), events.cend(), [](const Event& e) { return e.kind == Event::Beep; }));
}

QList<FakePlatform::Message> FakePlatform::messages() const
{
    QList<Message> boxes;
    for (const Event& e : events) {
        if (e.kind == Event::Box)
            boxes.append(e.message);
    }
    return boxes;
}

QList<FileDialogRequest> FakePlatform::fileDialogs() const
{
    QList<FileDialogRequest> dialogs;
    for (const Event& e : events) {
        if (e.kind == Event::FileDialog)
            dialogs.append(e.request);
    }
    return dialogs;
}

int FakePlatform::clipboardWrites() const
{
    return int(std::count_if(events.cbegin(), events.cend(),
                             [](const Event& e) { return e.kind == Event::Clipboard; }));
}

QList<int> FakePlatform::pointerHistory(qsizetype from) const
{
    QList<int> pointers;
    for (qsizetype i = from; i < events.size(); ++i) {
        if (events[i].kind == Event::MousePointer)
            pointers.append(events[i].pointer);
    }
    return pointers;
}

QList<FakePlatform::Event::Kind> FakePlatform::kinds() const
{
    QList<Event::Kind> kinds;
    for (const Event& e : events)
        kinds.append(e.kind);
    return kinds;
}

QString FakePlatform::settingKey(const QString& app, const QString& section, const QString& key)
{
    return app + u'/' + section + u'/' + key;
}

QString FakePlatform::getSetting(const QString& app, const QString& section, const QString& key,
                                 const QString& defaultValue)
{
    return settings.value(settingKey(app, section, key), defaultValue);
}

void FakePlatform::saveSetting(const QString& app, const QString& section, const QString& key,
                               const QString& value)
{
    settings.insert(settingKey(app, section, key), value);
    ++settingWrites;
}

void FakePlatform::processEvents()
{
    ++processEventsCalls;
    if (onProcessEvents)
        onProcessEvents(processEventsCalls);
    if (realEvents)
        QCoreApplication::processEvents();
}

void FakePlatform::keepOnTop(QWidget& window)
{
    ++keepOnTopCalls;
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}
