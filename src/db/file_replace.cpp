// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "file_replace.h"

#include "db_error.h"

#include <QFile>
#include <QThread>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

FolderLock::FolderLock(const QString& folder, const QString& forPath)
{
#ifdef _WIN32
    Q_UNUSED(folder);
    Q_UNUSED(forPath);
#else
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder we may write but not read cannot be locked; replacing still works.
    if (m_fd < 0)
        return;
    constexpr int kAttempts = 100; // 5 s: another program's replacement takes milliseconds
    for (int i = 0; i < kAttempts; ++i) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        QThread::msleep(50);
    }
    ::close(m_fd);
    m_fd = -1;
    throw DbError(DbFault::Locked, forPath);
#endif
}

FolderLock::~FolderLock()
{
#ifndef _WIN32
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

FileIdentity FileIdentity::of(const QString& path)
{
    FileIdentity id;
#ifdef _WIN32
    HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), 0,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return id;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(h, &info)) {
        id.device = info.dwVolumeSerialNumber;
        id.inode = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        id.valid = true;
    }
    CloseHandle(h);
#else
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0) {
        id.device = st.st_dev;
        id.inode = st.st_ino;
        id.valid = true;
    }
#endif
    return id;
}

void replaceFile(const QString& from, const QString& to)
{
#ifdef _WIN32
    const bool ok = MoveFileExW(reinterpret_cast<const wchar_t*>(from.utf16()),
                                reinterpret_cast<const wchar_t*>(to.utf16()), MOVEFILE_REPLACE_EXISTING);
    if (!ok)
        throw DbError(DbFault::AccessDenied, to);
#else
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw DbError(errno == ENOSPC ? DbFault::DiskFull : DbFault::AccessDenied, to,
                      QString::fromLocal8Bit(std::strerror(errno)));
#endif
}
