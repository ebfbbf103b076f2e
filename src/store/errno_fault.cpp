// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "errno_fault.h"

#include <cerrno>
#include <cstring>

namespace {

struct ErrnoFaults
{
    int error;
    DbFault open;
    DbFault create;
    DbFault write; // and rename
};

// A file that cannot be made on a disk with room lacks an inode; a file that vanished
// before its rename was moved away, as one that vanished while it was written.
constexpr ErrnoFaults kErrnoFaults[] = {
    {ENOENT, DbFault::FileNotFound, DbFault::BadPath, DbFault::Moved},
    {ENOSPC, DbFault::DiskFull, DbFault::NoInodes, DbFault::DiskFull},
    {EMFILE, DbFault::TooManyOpenFiles, DbFault::TooManyOpenFiles, DbFault::TooManyOpenFiles},
    {ENFILE, DbFault::TooManyOpenFiles, DbFault::TooManyOpenFiles, DbFault::TooManyOpenFiles},
    {EFBIG, DbFault::FileSizeLimit, DbFault::FileSizeLimit, DbFault::FileSizeLimit},
    {EROFS, DbFault::ReadOnly, DbFault::ReadOnly, DbFault::ReadOnly},
    {EISDIR, DbFault::NotAFile, DbFault::NotAFile, DbFault::NotAFile},
    {ENXIO, DbFault::NotAFile, DbFault::NotAFile, DbFault::NotAFile},
    {ENAMETOOLONG, DbFault::NameTooLong, DbFault::NameTooLong, DbFault::NameTooLong},
    {EIO, DbFault::Io, DbFault::Io, DbFault::Io},
    {EXDEV, DbFault::CrossDevice, DbFault::CrossDevice, DbFault::CrossDevice},
    {ENOMEM, DbFault::OutOfMemory, DbFault::OutOfMemory, DbFault::OutOfMemory},
#ifdef EDQUOT
    {EDQUOT, DbFault::QuotaExceeded, DbFault::QuotaExceeded, DbFault::QuotaExceeded},
#endif
};

} // namespace

std::optional<DbFault> faultOfErrno(int error, FileStep step)
{
    // Once the new name stands, no error of the folder's sync brings the old file
    // back: whatever the reason, it is that one fault, the reason its detail.
    if (step == FileStep::SyncFolder)
        return DbFault::FolderNotSynced;
    for (const ErrnoFaults& row : kErrnoFaults) {
        if (row.error != error)
            continue;
        switch (step) {
        case FileStep::Open:
            return row.open;
        case FileStep::Create:
            return row.create;
        case FileStep::Write:
        case FileStep::Rename:
        case FileStep::SyncFolder:
            return row.write;
        }
    }
    return std::nullopt;
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
