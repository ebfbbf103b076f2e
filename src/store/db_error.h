// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <exception>
#include <string>

// What went wrong with a file or a database, independent of wording: the windows and
// the CLI turn it into Japanese text and give it its number.
enum class DbFault {
    Duplicate,
    FileNotFound,
    DiskFull,
    NoInodes,      // the disk has room but no file can be made
    FileSizeLimit, // a file would outgrow the size this process may write
    ReadOnly,
    Io,
    Moved,   // a file was moved or deleted while it was written
    BadPath, // the folder does not exist
    Locked,
    AccessDenied,
    NotAFile, // a folder or device stands at the path
    Corrupt,
    UnfinishedWrite, // a write into the database did not end; detail: the side file
    BeingWritten,    // another program is writing the database now; detail: the side file
    FolderDenied,    // a new file cannot be made in the folder (the path)
    NoTable,
    NotATable,    // a view or virtual table where a table must be
    ValueTooLong, // a name or line far longer than any declaration
    NoField,
    NotADatabase,
    OutOfMemory,
    TooManyOpenFiles,
    TextNotFound,
    TextIo,
    TextAccess,
    NotText,         // UTF-16 or binary data, not a code page 932 text
    SameFile,        // converting a text file onto itself
    SideFileName,    // a text file named like the new database's journal or WAL file
    TooSlow,         // a step ran past the time limit (a crafted file)
    Replaced,        // another program put its own file at the path meanwhile
    ForeignOwner,    // the file's owner or group could not be given to its replacement
    NoCodePage,      // the system cannot convert the text file's code page
    NameTooLong,     // a file name or path longer than the system takes
    CrossDevice,     // a rename that would move a file to another file system
    QuotaExceeded,   // the user's disk quota is used up
    FolderNotSynced, // the new file is in place, but its folder could not be written to the disk
    BadFileName,     // a file name that is not valid UTF-8, which would name another file
    NoIndex,         // a table without the index every read of it relies on; detail: the index
    OverTimeLimit,   // a whole read (a list, a copy) ran past its limit, each step within its own
    Engine,          // anything else the storage reports
};

class DbError : public std::exception
{
public:
    DbError(DbFault fault, QString path, QString detail = {});

    DbFault fault() const { return m_fault; }
    // The file the operation was about; empty when none applies.
    const QString& path() const { return m_path; }
    // Untranslated technical detail (SQLite's or the system's own text).
    const QString& detail() const { return m_detail; }
    const char* what() const noexcept override { return m_what.c_str(); }

    // A conversion that failed while a file stood at the database path and still
    // stands there, untouched: the user must know that it is whole. The fault may be
    // about another file (the text), so the database's path is kept beside it.
    bool previousKept() const { return m_previousKept; }
    const QString& database() const { return m_database.isEmpty() ? m_path : m_database; }
    DbError& setPreviousKept(bool kept, const QString& database = {})
    {
        m_previousKept = kept;
        if (!database.isEmpty())
            m_database = database;
        return *this;
    }

private:
    DbFault m_fault;
    QString m_path;
    QString m_detail;
    QString m_database;
    std::string m_what;
    bool m_previousKept = false;
};
