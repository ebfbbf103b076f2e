// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "db_error.h"

#include <QString>
#include <optional>

// What the program was doing to a file when the system refused: the same errno means
// a missing file when opening one, a missing folder when making one, and a file moved
// away while it was written. Rename puts the new database in place; SyncFolder writes
// the folder that holds its new name to the disk, after which the old file is gone
// whatever failed.
enum class FileStep { Open, Create, Write, Rename, SyncFolder };

// The fault the system's error number names for that step; none when the number says
// no more than that the step failed, and the caller's own fault applies. Every error
// number the program tells apart is told apart here, and nowhere else.
std::optional<DbFault> faultOfErrno(int error, FileStep step);

// The system's own words for an error number, kept as a fault's detail.
QString systemText(int error);
