// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "new_file_vfs.h"

#include "vfs_forward.h"

#include <sqlite3.h>
#include <string_view>

namespace {

constexpr const char* kName = "ek-newfile";

sqlite3_vfs* g_default = nullptr;
sqlite3_vfs g_vfs;

// With journal_mode OFF a build writes no side file of its own; any there is not its.
bool isSideFile(const char* name)
{
    const std::string_view path(name ? name : "");
    return path.size() >= 4 && (path.substr(path.size() - 4) == "-wal" ||
                                (path.size() >= 8 && path.substr(path.size() - 8) == "-journal"));
}

// The journal SQLite opens before the journal is switched off goes into a temporary
// file of its own, never beside the build, where a file of that name may be anyone's.
int vfsOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    if (isSideFile(name)) {
        constexpr int kSideKinds = SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL | SQLITE_OPEN_SUPER_JOURNAL;
        flags = (flags & ~kSideKinds) | SQLITE_OPEN_TEMP_JOURNAL | SQLITE_OPEN_DELETEONCLOSE;
        name = nullptr;
    }
    return g_default->xOpen(g_default, name, file, flags, outFlags);
}

int vfsDelete(sqlite3_vfs*, const char* name, int syncDir)
{
    return isSideFile(name) ? SQLITE_OK : g_default->xDelete(g_default, name, syncDir);
}

int vfsAccess(sqlite3_vfs*, const char* name, int flags, int* result)
{
    if (isSideFile(name)) {
        *result = 0;
        return SQLITE_OK;
    }
    return g_default->xAccess(g_default, name, flags, result);
}

} // namespace

const char* newFileVfsName()
{
    static const bool registered = [] {
        g_default = sqlite3_vfs_find(nullptr);
        if (!g_default || g_default->iVersion < 2)
            return false;
        forwardVfs(g_vfs, g_default, kName);
        g_vfs.xOpen = vfsOpen;
        g_vfs.xDelete = vfsDelete;
        g_vfs.xAccess = vfsAccess;
        return sqlite3_vfs_register(&g_vfs, 0) == SQLITE_OK;
    }();
    return registered ? kName : nullptr;
}
