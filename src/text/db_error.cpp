// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "db_error.h"

int faultNumber(DbFault fault)
{
    switch (fault) {
    case DbFault::Duplicate:
        return 3022;
    case DbFault::FileNotFound:
        return 3024;
    case DbFault::DiskFull:
    case DbFault::NoInodes:
    case DbFault::FileSizeLimit:
        return 3026;
    case DbFault::ReadOnly:
        return 3027;
    case DbFault::Io:
    case DbFault::Moved:
        return 3043;
    case DbFault::BadPath:
        return 3044;
    case DbFault::Locked:
    case DbFault::Replaced:
    case DbFault::BeingWritten:
        return 3045;
    case DbFault::AccessDenied:
    case DbFault::NotAFile:
    case DbFault::FolderDenied:
        return 3051;
    case DbFault::Corrupt:
    case DbFault::UnfinishedWrite:
        return 3049;
    case DbFault::NoTable:
    case DbFault::NotATable:
        return 3078;
    case DbFault::ValueTooLong:
        return 3251;
    case DbFault::NoField:
        return 3265;
    case DbFault::NotADatabase:
        return 3343;
    case DbFault::OutOfMemory:
        return 7;
    case DbFault::TooManyOpenFiles:
        return 67;
    case DbFault::TextNotFound:
        return 53;
    case DbFault::TextIo:
        return 57;
    case DbFault::TextAccess:
    case DbFault::NotText:
    case DbFault::SameFile:
    case DbFault::SideFileName:
        return 75;
    case DbFault::TooSlow:
        return 3035;
    case DbFault::NoCodePage:
        return 51;
    case DbFault::Engine:
        return 3000;
    }
    return 3000;
}

DbError::DbError(DbFault fault, QString path, QString detail)
    : m_fault(fault)
    , m_path(std::move(path))
    , m_detail(std::move(detail))
{
    m_what = "error " + std::to_string(number()) + ": " + m_path.toStdString();
    if (!m_detail.isEmpty())
        m_what += " (" + m_detail.toStdString() + ")";
}
