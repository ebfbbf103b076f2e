// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "db_error.h"
#include "new_database.h"
#include "windows_files.h"

#include <QFileInfo>
#include <windows.h>

namespace {

// The byte a build locks in its hidden file while it runs, far past anything
// SQLite writes or locks (its locks lie at 1 GiB): Windows locks are mandatory,
// and one on a byte SQLite touched would stop SQLite's own handle.
constexpr DWORD kHeldByteHigh = 0x40000000;

bool lockHeldByte(HANDLE h)
{
    OVERLAPPED at{};
    at.OffsetHigh = kHeldByteHigh;
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

} // namespace

void NewDatabase::removeIfAbandoned(const QString& path, const QString& database)
{
    const HANDLE h = CreateFileW(widePath(database).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    bool abandoned;
    if (h == INVALID_HANDLE_VALUE) {
        abandoned = GetLastError() == ERROR_FILE_NOT_FOUND;
    } else {
        // The build that made it holds its byte until it ends, or dies.
        abandoned = lockHeldByte(h);
        CloseHandle(h);
    }
    if (abandoned)
        DeleteFileW(widePath(path).c_str());
}

void NewDatabase::checkWritable(const QString& named)
{
    // The read-only attribute is what Explorer and every program go by. Owner, ACL
    // and attributes need no note: ReplaceFileW gives the old file's to the new one.
    const DWORD attributes = GetFileAttributesW(widePath(m_target).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw DbError(DbFault::ReadOnly, named);
}

void NewDatabase::makeHidden()
{
    // Made here, not by SQLite, so that it is new (never another program's file) and
    // held from the first moment. The handle shares reading and writing with
    // SQLite's own and deleting with the final move; it asks for no access SQLite's
    // sharing would refuse.
    const HANDLE h = CreateFileW(widePath(m_hidden).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A new file is made in a folder: that is what may not be written.
        if (error == ERROR_ACCESS_DENIED)
            throw DbError(DbFault::FolderDenied, QFileInfo(m_target).absolutePath(), windowsErrorText(error));
        throwWindowsError(error, m_target, DbFault::AccessDenied);
    }
    m_lock = reinterpret_cast<qintptr>(h);
    lockHeldByte(h);
}

void NewDatabase::releaseHidden() noexcept
{
    if (m_lock == -1)
        return;
    CloseHandle(reinterpret_cast<HANDLE>(m_lock));
    m_lock = -1;
}

// Windows has no limit on the size of a file a process writes, and no inodes.
bool NewDatabase::atFileSizeLimit() const
{
    return false;
}

bool NewDatabase::outOfInodes() const
{
    return false;
}
