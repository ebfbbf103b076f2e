// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <exception>
#include <string>

// What went wrong, independent of wording: the windows and the CLI turn it into
// Japanese text. Each fault carries a fixed number, shown in the report's title.
enum class DbFault {
    Duplicate,        // 3022
    FileNotFound,     // 3024
    DiskFull,         // 3026
    NoInodes,         // 3026: the disk has room but no file can be made
    FileSizeLimit,    // 3026: a file would outgrow the size this process may write
    ReadOnly,         // 3027
    Io,               // 3043
    Moved,            // 3043: a file was moved or deleted while it was written
    BadPath,          // 3044: the folder does not exist
    Locked,           // 3045
    AccessDenied,     // 3051
    NotAFile,         // 3051: a folder or device stands at the path
    Corrupt,          // 3049
    UnfinishedWrite,  // 3049: a write into the database did not end; detail: the side file
    BeingWritten,     // 3045: another program is writing the database now; detail: the side file
    FolderDenied,     // 3051: a new file cannot be made in the folder (the path)
    NoTable,          // 3078
    NotATable,        // 3078: a view or virtual table where a table must be
    ValueTooLong,     // 3251: a name or line far longer than any declaration
    NoField,          // 3265
    NotADatabase,     // 3343
    OutOfMemory,      // 7
    TooManyOpenFiles, // 67
    TextNotFound,     // 53
    TextIo,           // 57
    TextAccess,       // 75
    NotText,          // 75: UTF-16 or binary data, not a code page 932 text
    SameFile,         // 75: converting a text file onto itself
    SideFileName,     // 75: a text file named like the new database's journal or WAL file
    TooSlow,          // 3035: a step ran past the time limit (a crafted file)
    Replaced,         // 3045: another program put its own file at the path meanwhile
    NoCodePage,       // 51: the system cannot convert the text file's code page
    Engine,           // 3000: anything else the storage reports
};

int faultNumber(DbFault fault);

class DbError : public std::exception
{
public:
    DbError(DbFault fault, QString path, QString detail = {});

    DbFault fault() const { return m_fault; }
    int number() const { return faultNumber(m_fault); }
    // The file the operation was about; empty when none applies.
    const QString& path() const { return m_path; }
    // Untranslated technical detail (SQLite's or the system's own text).
    const QString& detail() const { return m_detail; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    DbFault m_fault;
    QString m_path;
    QString m_detail;
    std::string m_what;
};
