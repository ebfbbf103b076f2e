// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString keyPath(const QString& section, const QString& key)
{
    return section + u'/' + key;
}

// Far beyond the few lines Ek writes; a larger file is not Ek's and is left alone.
constexpr qint64 kMaxSettingsBytes = qint64(1) << 20;

QString settingsPath(const QString& app)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + app + u'/' + app +
           QStringLiteral(".conf");
}

// QSettings opens its file again after any check made on the path, and waits on
// it: a FIFO or a device put in its place between the two would keep the window
// from ever appearing. So the file is read once, through one descriptor that is
// checked to be a regular file, and QSettings only ever sees a private copy.
// Nothing when the file is not one to use; an empty text when there is none yet.
std::optional<QByteArray> readSettingsFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    struct stat st
    {
    };
    std::optional<QByteArray> text;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxSettingsBytes) {
        QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        if (got == bytes.size())
            text = bytes;
    }
    ::close(fd);
    return text;
}

// A copy of the settings text in a temporary file QSettings may open as it likes.
bool writeCopy(QTemporaryFile& copy, const QByteArray& text)
{
    return copy.open() && copy.write(text) == text.size() && copy.flush() && (copy.close(), true);
}

} // namespace

QString readSetting(const QString& app, const QString& section, const QString& key,
                    const QString& defaultValue)
{
    const std::optional<QByteArray> text = readSettingsFile(settingsPath(app));
    if (!text || text->isEmpty())
        return defaultValue;
    QTemporaryFile copy;
    if (!writeCopy(copy, *text))
        return defaultValue;
    const QSettings settings(copy.fileName(), QSettings::IniFormat);
    return settings.value(keyPath(section, key), defaultValue).toString();
}

void writeSetting(const QString& app, const QString& section, const QString& key, const QString& value)
{
    const QString path = settingsPath(app);
    const std::optional<QByteArray> text = readSettingsFile(path);
    if (!text || !QDir().mkpath(QFileInfo(path).path()))
        return;
    // The new text is made beside the file and renamed over it, so that whatever
    // stands at the path now is replaced, never opened.
    QTemporaryFile copy(path + QStringLiteral(".XXXXXX"));
    if (!writeCopy(copy, *text))
        return;
    {
        QSettings settings(copy.fileName(), QSettings::IniFormat);
        settings.setValue(keyPath(section, key), value);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return;
    }
    if (::rename(QFile::encodeName(copy.fileName()).constData(), QFile::encodeName(path).constData()) == 0)
        copy.setAutoRemove(false);
}
