// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "settings_store.h"

#include <QSettings>

// The settings live in the per-user registry: no file anyone could put a FIFO or a
// device in place of, so QSettings may read and write them itself.
namespace {

QString keyPath(const QString& section, const QString& key)
{
    return section + u'/' + key;
}

} // namespace

QString readSetting(const QString& app, const QString& section, const QString& key,
                    const QString& defaultValue)
{
    const QSettings settings(QSettings::UserScope, app, app);
    return settings.value(keyPath(section, key), defaultValue).toString();
}

void writeSetting(const QString& app, const QString& section, const QString& key, const QString& value)
{
    QSettings settings(QSettings::UserScope, app, app);
    settings.setValue(keyPath(section, key), value);
    settings.sync();
}
