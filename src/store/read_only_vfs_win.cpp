// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "read_only_vfs.h"

// Windows has no FIFOs at file paths, and the immutable URI keeps SQLite from
// locking and from journals.
const char* readOnlyVfsName()
{
    return nullptr;
}
