// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

// The name of an SQLite file system that reads a database through the descriptor it
// opened itself, without blocking, and only when that descriptor is a regular file:
// a path swapped for a FIFO between a check and the open can then not hang a
// reader. It never writes, locks, or looks for a journal (the file counts as
// immutable). Registered on first use; nullptr where the platform's own file
// system already behaves so.
const char* readOnlyVfsName();
