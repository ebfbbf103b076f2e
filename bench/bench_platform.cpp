// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "bench_platform.h"

#include <QCoreApplication>
#include <QWidget>

int BenchPlatform::msgBox(const QString& prompt, int style, const QString& title)
{
    Q_UNUSED(style);
    messages << title + QStringLiteral(": ") + prompt;
    return MsgBox::AnswerOk;
}

QString BenchPlatform::fileDialog(QWidget* owner, const FileDialogRequest& request)
{
    Q_UNUSED(owner);
    Q_UNUSED(request);
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

QString BenchPlatform::getSetting(const QString& app, const QString& section, const QString& key,
                                  const QString& defaultValue)
{
    const QString k = app + u'/' + section + u'/' + key;
    for (qsizetype i = 0; i + 1 < m_settings.size(); i += 2) {
        if (m_settings[i] == k)
            return m_settings[i + 1];
    }
    return defaultValue;
}

void BenchPlatform::saveSetting(const QString& app, const QString& section, const QString& key,
                                const QString& value)
{
    const QString k = app + u'/' + section + u'/' + key;
    for (qsizetype i = 0; i + 1 < m_settings.size(); i += 2) {
        if (m_settings[i] == k) {
            m_settings[i + 1] = value;
            return;
        }
    }
    m_settings << k << value;
}

void BenchPlatform::processEvents()
{
    // Real events, as in the program: painting and input are part of what is measured.
    QCoreApplication::processEvents();
}

void BenchPlatform::keepOnTop(QWidget& window)
{
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}
