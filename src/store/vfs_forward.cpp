// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "vfs_forward.h"

#include <sqlite3.h>

namespace {

// The shim's pAppData holds the VFS it stands over.
sqlite3_vfs* baseOf(sqlite3_vfs* vfs)
{
    return static_cast<sqlite3_vfs*>(vfs->pAppData);
}

int forwardOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    return baseOf(vfs)->xOpen(baseOf(vfs), name, file, flags, outFlags);
}

int forwardDelete(sqlite3_vfs* vfs, const char* name, int syncDir)
{
    return baseOf(vfs)->xDelete(baseOf(vfs), name, syncDir);
}

int forwardAccess(sqlite3_vfs* vfs, const char* name, int flags, int* result)
{
    return baseOf(vfs)->xAccess(baseOf(vfs), name, flags, result);
}

int forwardFullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out)
{
    return baseOf(vfs)->xFullPathname(baseOf(vfs), name, size, out);
}

int forwardRandomness(sqlite3_vfs* vfs, int size, char* out)
{
    return baseOf(vfs)->xRandomness(baseOf(vfs), size, out);
}

int forwardSleep(sqlite3_vfs* vfs, int microseconds)
{
    return baseOf(vfs)->xSleep(baseOf(vfs), microseconds);
}

int forwardCurrentTime(sqlite3_vfs* vfs, double* now)
{
    return baseOf(vfs)->xCurrentTime(baseOf(vfs), now);
}

int forwardLastError(sqlite3_vfs* vfs, int size, char* text)
{
    return baseOf(vfs)->xGetLastError(baseOf(vfs), size, text);
}

int forwardCurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* now)
{
    return baseOf(vfs)->xCurrentTimeInt64(baseOf(vfs), now);
}

} // namespace

void forwardVfs(sqlite3_vfs& vfs, sqlite3_vfs* base, const char* name)
{
    vfs = sqlite3_vfs{};
    vfs.iVersion = 2;
    vfs.szOsFile = base->szOsFile;
    vfs.mxPathname = base->mxPathname;
    vfs.zName = name;
    vfs.pAppData = base;
    vfs.xOpen = forwardOpen;
    vfs.xDelete = forwardDelete;
    vfs.xAccess = forwardAccess;
    vfs.xFullPathname = forwardFullPathname;
    vfs.xRandomness = forwardRandomness;
    vfs.xSleep = forwardSleep;
    vfs.xCurrentTime = forwardCurrentTime;
    vfs.xGetLastError = forwardLastError;
    vfs.xCurrentTimeInt64 = forwardCurrentTimeInt64;
}
