// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "db_checks.h"

#include <QDirIterator>
#include <QFile>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The conventional "nobody" identity.
constexpr unsigned kUnprivileged = 65534;
} // namespace

unsigned UnprivilegedFiles::uid()
{
    return kUnprivileged;
}

UnprivilegedFiles::UnprivilegedFiles()
{
    if (geteuid() != 0)
        return;
    m_previous = unsigned(setfsuid(kUnprivileged));
    // setfsuid reports the previous value whether or not it succeeded; asking
    // again with an invalid id tells which identity is in force.
    m_active = unsigned(setfsuid(unsigned(-1))) == kUnprivileged;
}

bool UnprivilegedFiles::modesApply() const
{
    return geteuid() != 0 || m_active;
}

UnprivilegedFiles::~UnprivilegedFiles()
{
    if (geteuid() == 0)
        setfsuid(m_previous);
}

void giveToUnprivilegedUser(const QString& path)
{
    if (geteuid() != 0)
        return;
    if (chown(QFile::encodeName(path).constData(), kUnprivileged, kUnprivileged) != 0)
        return;
    QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString entry = it.next();
        if (lchown(QFile::encodeName(entry).constData(), kUnprivileged, kUnprivileged) != 0)
            return;
    }
}

bool posixFiles()
{
    return true;
}

bool makeFifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool isFifo(const QString& path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

QString sqliteShell()
{
    const QString path = QStringLiteral("/usr/bin/sqlite3");
    return QFile::exists(path) ? path : QString();
}
