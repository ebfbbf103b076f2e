// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "read_only_vfs.h"
#include "vfs_forward.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kName = "ek-readonly";

struct ReadOnlyFile
{
    sqlite3_file base;
    int fd;
};

sqlite3_vfs* g_default = nullptr;
thread_local int g_lastErrno = 0;

int fileClose(sqlite3_file* file)
{
    ::close(reinterpret_cast<ReadOnlyFile*>(file)->fd);
    return SQLITE_OK;
}

int fileRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    const int fd = reinterpret_cast<ReadOnlyFile*>(file)->fd;
    auto* out = static_cast<char*>(buffer);
    int done = 0;
    while (done < amount) {
        const ssize_t got = ::pread(fd, out + done, size_t(amount - done), off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            g_lastErrno = errno;
            return SQLITE_IOERR_READ;
        }
        if (got == 0)
            break;
        done += int(got);
    }
    if (done < amount) {
        // SQLite expects the rest of a short read zeroed.
        std::fill(out + done, out + amount, '\0');
        return SQLITE_IOERR_SHORT_READ;
    }
    return SQLITE_OK;
}

int fileWrite(sqlite3_file*, const void*, int, sqlite3_int64)
{
    return SQLITE_READONLY;
}

int fileTruncate(sqlite3_file*, sqlite3_int64)
{
    return SQLITE_READONLY;
}

int fileSync(sqlite3_file*, int)
{
    return SQLITE_OK;
}

int fileSize(sqlite3_file* file, sqlite3_int64* size)
{
    struct stat st
    {
    };
    if (::fstat(reinterpret_cast<ReadOnlyFile*>(file)->fd, &st) != 0) {
        g_lastErrno = errno;
        return SQLITE_IOERR_FSTAT;
    }
    *size = st.st_size;
    return SQLITE_OK;
}

int fileLock(sqlite3_file*, int)
{
    return SQLITE_OK;
}

int fileCheckReservedLock(sqlite3_file*, int* reserved)
{
    *reserved = 0;
    return SQLITE_OK;
}

int fileControl(sqlite3_file*, int, void*)
{
    return SQLITE_NOTFOUND;
}

int fileSectorSize(sqlite3_file*)
{
    return 4096;
}

int fileCharacteristics(sqlite3_file*)
{
    return SQLITE_IOCAP_IMMUTABLE;
}

const sqlite3_io_methods kMethods = {
    1,
    fileClose,
    fileRead,
    fileWrite,
    fileTruncate,
    fileSync,
    fileSize,
    fileLock,
    fileLock,
    fileCheckReservedLock,
    fileControl,
    fileSectorSize,
    fileCharacteristics,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

int vfsOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    // Temporary files for sorting are SQLite's own business.
    if (!(flags & SQLITE_OPEN_MAIN_DB))
        return g_default->xOpen(g_default, name, file, flags, outFlags);
    auto* f = reinterpret_cast<ReadOnlyFile*>(file);
    f->base.pMethods = nullptr;
    const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        g_lastErrno = errno;
        return SQLITE_CANTOPEN;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        g_lastErrno = EISDIR;
        ::close(fd);
        return SQLITE_CANTOPEN;
    }
    f->fd = fd;
    f->base.pMethods = &kMethods;
    if (outFlags)
        *outFlags = SQLITE_OPEN_READONLY;
    return SQLITE_OK;
}

// Nothing exists beside a database read this way: no journal, no WAL.
int vfsAccess(sqlite3_vfs*, const char*, int, int* result)
{
    *result = 0;
    return SQLITE_OK;
}

int vfsDelete(sqlite3_vfs*, const char*, int)
{
    return SQLITE_READONLY;
}

int vfsLastError(sqlite3_vfs*, int, char*)
{
    return g_lastErrno;
}

sqlite3_vfs g_vfs;

} // namespace

const char* readOnlyVfsName()
{
    static const bool registered = [] {
        g_default = sqlite3_vfs_find(nullptr);
        forwardVfs(g_vfs, g_default, kName);
        g_vfs.szOsFile = std::max<int>(int(sizeof(ReadOnlyFile)), g_default->szOsFile);
        g_vfs.xOpen = vfsOpen;
        g_vfs.xDelete = vfsDelete;
        g_vfs.xAccess = vfsAccess;
        g_vfs.xGetLastError = vfsLastError;
        return sqlite3_vfs_register(&g_vfs, 0) == SQLITE_OK;
    }();
    return registered ? kName : nullptr;
}
