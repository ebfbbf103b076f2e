// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QFile>
#include <QString>
#include <memory>

// What a file is, as the system saw it at one moment: another file, or this one
// changed, has another stamp.
struct FileStamp
{
    qint64 size = 0;
    qint64 modifiedNs = 0;
    unsigned long long device = 0;
    unsigned long long inode = 0;
    bool valid = false;

    // The file at path now, not followed through a symbolic link.
    static FileStamp ofPath(const QString& path);
    bool sameFile(const FileStamp& o) const
    {
        return valid && o.valid && device == o.device && inode == o.inode;
    }
    bool operator==(const FileStamp& o) const
    {
        return sameFile(o) && size == o.size && modifiedNs == o.modifiedNs;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

// Which file a path names: the messages for a missing or unreadable one differ.
enum class FileRole { Database, Text };

// A regular file opened for reading. It is opened without blocking and judged on the
// opened descriptor, so a FIFO or a device put at the path is refused, never waited
// on.
class OpenedFile
{
public:
    QFile& file() { return *m_file; }
    // The opened file now.
    FileStamp stamp() const;

private:
    friend OpenedFile openRegularFile(const QString& path, FileRole role);
    std::unique_ptr<QFile> m_file;
};

// Missing: FileNotFound (3024) or TextNotFound (53), its folder missing BadPath
// (3044); not a regular file NotAFile (3051); refused AccessDenied (3051) or
// TextAccess (75); no file handle left TooManyOpenFiles (67).
OpenedFile openRegularFile(const QString& path, FileRole role);

// True when both paths name the same existing file (also through links).
bool isSameFile(const QString& a, const QString& b);

// The journal and WAL files SQLite keeps beside a database.
inline const char* const kSideFileSuffixes[] = {"-journal", "-wal", "-shm"};

// True when the file at path is one SQLite wrote for the database beside it, by its
// first bytes: a rollback journal, a WAL or its index. A file of that name that
// someone else wrote, or anything but a regular file, is not.
bool isSqliteSideFile(const QString& path, const char* suffix);

// True when a write into the database at dbPath did not end: a rollback journal
// with its header, or a WAL with frames, lies beside it.
bool hasUnfinishedWrite(const QString& dbPath);
// The side file that holds that write, or an empty path.
QString unfinishedWriteFile(const QString& dbPath);

// The bytes SQLite locks while it writes: the reserved byte of a database file, and
// the write lock of a WAL's index file.
inline constexpr qint64 kReservedLockByte = 0x40000001;
inline constexpr qint64 kWalWriteLockByte = 120;

// True when another process holds the write lock SQLite takes on the file at path.
// Asks the lock itself and never opens the file through SQLite, which would roll
// a journal back.
bool isLockedByWriter(const QString& path, qint64 lockByte = kReservedLockByte);

// Serialises the programs that replace files in one folder: two conversions into
// the same file must not both think the old file is theirs to replace. A lock on
// the folder where the system has one, a mutex named after the folder on Windows.
class FolderLock
{
public:
    // Waits a few seconds at most, then fails with Locked (3045) naming forPath.
    FolderLock(const QString& folder, const QString& forPath);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    qintptr m_handle = -1;
};

// Puts the file at from in the place of whatever stands at to, in one step: a file
// or a symbolic link there is replaced, never followed. The folder is synced after,
// so that the new name survives a power loss; a failed sync is FolderNotSynced, the
// file then being in place.
void replaceFile(const QString& from, const QString& to);

// The path as SQLite takes it: the system's file name bytes, UTF-8 on Windows (not
// the ANSI code page).
QByteArray sqliteFileName(const QString& path);

// Writes the file's data to the disk.
void syncFile(const QString& path);

// Refuses a path the system would not take, or would take for another file, before
// anything is done with it: a name whose bytes were not valid UTF-8 reached the
// program with those bytes replaced, and opening or making it would reach another
// file (BadFileName); a path or a name in it longer than the system takes
// (NameTooLong), which would otherwise look like a missing folder.
void requireFaithfulPath(const QString& path);
