// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "fake_platform.h"

#include <QCoreApplication>
#include <QWidget>

int FakePlatform::msgBox(const QString& prompt, int style, const QString& title)
{
    messages.append(Message{prompt, style, title, messageOwner()});
    if ((style & 0xF) == MsgBox::OkCancel) {
        if (answers.isEmpty()) {
            unexpected << QStringLiteral("unscripted question: ") + prompt;
            return MsgBox::AnswerCancel;
        }
        return answers.dequeue();
    }
    return MsgBox::AnswerOk;
}

void FakePlatform::listReport(const ListReport& report)
{
    reports.append(report);
    QString prompt = report.summary;
    if (!report.lines.isEmpty())
        prompt += QStringLiteral("\r\n\r\n") + report.lines.join(QStringLiteral("\r\n"));
    messages.append(Message{prompt, report.icon, report.title, messageOwner()});
}

QString FakePlatform::fileDialog(QWidget*, const FileDialogRequest& request)
{
    fileDialogs.append(request);
    if (fileNames.isEmpty()) {
        unexpected << QStringLiteral("unscripted file dialog: ") + request.title;
        return QString();
    }
    return fileNames.dequeue();
}

void FakePlatform::setClipboardText(const QString& text)
{
    clipboard = text;
    ++clipboardWrites;
}

void FakePlatform::setMousePointer(int value)
{
    pointer = value;
    pointerHistory.append(value);
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
