// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "platform.h"

#include <QStringList>

// The desktop as the in-process benchmarks need it: the clipboard is a string, the
// file dialog answers with the next queued path, settings live in memory, and
// nothing waits for a user. A message box means the measured path went wrong, so
// every one is kept for the benchmark to report.
class BenchPlatform : public Platform
{
public:
    void beep() override { ++beeps; }
    int msgBox(const QString& prompt, int style, const QString& title) override;
    QString fileDialog(QWidget* owner, const FileDialogRequest& request) override;
    void setClipboardText(const QString& text) override { clipboard = text; }
    void setMousePointer(int pointer) override { m_pointer = pointer; }
    int mousePointer() const override { return m_pointer; }
    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void saveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override;
    void processEvents() override;
    void keepOnTop(QWidget& window) override;
    QRect screenRect() const override { return QRect(0, 0, 1280, 1024); }

    int beeps = 0;
    QStringList messages;
    QStringList fileNames; // answers to the file dialogs, first first
    QString clipboard;

private:
    int m_pointer = Pointer::Default;
    QStringList m_settings; // key, value, key, value, ...
};
