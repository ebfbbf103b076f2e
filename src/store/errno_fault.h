// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "db_error.h"

#include <QString>
#include <optional>

// What the program was doing to a file when the system refused: the same errno means
// a missing file when opening one, a missing folder when making one, and a file moved
// away while it was written.
enum class FileStep { Open, Create, Write };

// The fault the system's error number names for that step; none when the number says
// no more than that the step failed, and the caller's own fault applies.
std::optional<DbFault> faultOfErrno(int error, FileStep step);

// The system's own words for an error number, kept as a fault's detail.
QString systemText(int error);
