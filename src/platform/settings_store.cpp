// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "settings_store.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString keyPath(const QString& section, const QString& key)
{
    return section + u'/' + key;
}

// QSettings opens its file and waits on it: a FIFO or a device put in its place
// would keep the window from ever appearing. Such a file is judged on the opened
// descriptor, and the settings are then left alone, as if there were none.
bool settingsFileUsable(const QString& app)
{
#ifdef _WIN32
    Q_UNUSED(app);
    return true; // the registry
#else
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
                         app + u'/' + app + QStringLiteral(".conf");
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return true; // none yet, or one QSettings will report as unreadable itself
    struct stat st
    {
    };
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
#endif
}

} // namespace

QString readSetting(const QString& app, const QString& section, const QString& key,
                    const QString& defaultValue)
{
    if (!settingsFileUsable(app))
        return defaultValue;
    const QSettings settings(QSettings::UserScope, app, app);
    return settings.value(keyPath(section, key), defaultValue).toString();
}

void writeSetting(const QString& app, const QString& section, const QString& key, const QString& value)
{
    if (!settingsFileUsable(app))
        return;
    QSettings settings(QSettings::UserScope, app, app);
    settings.setValue(keyPath(section, key), value);
    settings.sync();
}
