// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

// The name of an SQLite file system for building a new database without a journal:
// the platform's own, except that no journal or WAL beside the file exists for it.
// A file of such a name that someone else put beside the hidden build file is then
// neither read, rolled back, nor deleted, and cannot make the build fail.
// Registered on first use.
const char* newFileVfsName();
