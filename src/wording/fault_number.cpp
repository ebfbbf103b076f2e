// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "fault_number.h"

#include "db_error.h"

namespace {

struct Numbered
{
    DbFault fault;
    int number;
};

// Faults without a number of their own take that of the nearest failure users know.
constexpr Numbered kNumbers[] = {
    {DbFault::Duplicate, 3022},
    {DbFault::FileNotFound, 3024},
    {DbFault::DiskFull, 3026},
    {DbFault::NoInodes, 3026},
    {DbFault::FileSizeLimit, 3026},
    {DbFault::ReadOnly, 3027},
    {DbFault::Io, 3043},
    {DbFault::Moved, 3043},
    {DbFault::BadPath, 3044},
    {DbFault::Locked, 3045},
    {DbFault::Replaced, 3045},
    {DbFault::AccessDenied, 3051},
    {DbFault::NotAFile, 3051},
    {DbFault::ForeignOwner, 3051},
    {DbFault::Corrupt, 3049},
    {DbFault::UnfinishedWrite, 3049},
    {DbFault::BeingWritten, 3045},
    {DbFault::FolderDenied, 3051},
    {DbFault::NoTable, 3078},
    {DbFault::NotATable, 3078},
    {DbFault::ValueTooLong, 3251},
    {DbFault::NoField, 3265},
    {DbFault::NotADatabase, 3343},
    {DbFault::OutOfMemory, 7},
    {DbFault::TooManyOpenFiles, 67},
    {DbFault::TextNotFound, 53},
    {DbFault::TextIo, 57},
    {DbFault::TextAccess, 75},
    {DbFault::NotText, 75},
    {DbFault::SameFile, 75},
    {DbFault::SideFileName, 75},
    {DbFault::TooSlow, 3035},
    {DbFault::NoCodePage, 51},
    {DbFault::NameTooLong, 75},
    {DbFault::CrossDevice, 3051},
    {DbFault::QuotaExceeded, 3026},
    {DbFault::FolderNotSynced, 3043},
    {DbFault::BadFileName, 52},
    {DbFault::NoIndex, 3078},
    {DbFault::OverTimeLimit, 3035},
    {DbFault::Engine, 3000},
};

} // namespace

int faultNumber(DbFault fault)
{
    for (const Numbered& n : kNumbers) {
        if (n.fault == fault)
            return n.number;
    }
    return 3000;
}
