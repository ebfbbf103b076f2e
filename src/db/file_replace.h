// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>

// Serialises the programs that replace files in one folder: two conversions into
// the same file must not both think the old file is theirs to replace. Held only
// while a new database is put in place, never during a conversion. Where the
// system offers no such lock (Windows refuses to replace a file that is open
// anyway) this does nothing.
class FolderLock
{
public:
    // Waits a few seconds at most, then fails with Locked (3045) naming forPath.
    FolderLock(const QString& folder, const QString& forPath);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd = -1;
};

// Which file a path names now, to tell whether somebody put another one there.
struct FileIdentity
{
    unsigned long long device = 0;
    unsigned long long inode = 0;
    bool valid = false;

    static FileIdentity of(const QString& path);
    bool operator==(const FileIdentity& o) const
    {
        return valid && o.valid && device == o.device && inode == o.inode;
    }
};

// Puts the file at from in the place of whatever stands at to, in one step: a file
// or a symbolic link there is replaced, never followed.
void replaceFile(const QString& from, const QString& to);

// The journal and WAL files SQLite keeps beside a database.
inline const char* const kSideFileSuffixes[] = {"-journal", "-wal", "-shm"};
