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
    DbFault write;
};

// A file that cannot be made on a disk with room lacks an inode.
constexpr ErrnoFaults kErrnoFaults[] = {
    {ENOENT, DbFault::FileNotFound, DbFault::BadPath, DbFault::Moved},
    {ENOSPC, DbFault::DiskFull, DbFault::NoInodes, DbFault::DiskFull},
    {EMFILE, DbFault::TooManyOpenFiles, DbFault::TooManyOpenFiles, DbFault::TooManyOpenFiles},
    {ENFILE, DbFault::TooManyOpenFiles, DbFault::TooManyOpenFiles, DbFault::TooManyOpenFiles},
    {EFBIG, DbFault::FileSizeLimit, DbFault::FileSizeLimit, DbFault::FileSizeLimit},
    {EROFS, DbFault::ReadOnly, DbFault::ReadOnly, DbFault::ReadOnly},
    {EISDIR, DbFault::NotAFile, DbFault::NotAFile, DbFault::NotAFile},
    {ENXIO, DbFault::NotAFile, DbFault::NotAFile, DbFault::NotAFile},
};

} // namespace

std::optional<DbFault> faultOfErrno(int error, FileStep step)
{
    for (const ErrnoFaults& row : kErrnoFaults) {
        if (row.error != error)
            continue;
        switch (step) {
        case FileStep::Open:
            return row.open;
        case FileStep::Create:
            return row.create;
        case FileStep::Write:
            return row.write;
        }
    }
    return std::nullopt;
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
