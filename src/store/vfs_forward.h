// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

struct sqlite3_vfs;

// Makes vfs a shim over base, registered under name: base's sizes, and every call
// passed on to base until the shim sets its own. base must be of version 2 or later.
void forwardVfs(sqlite3_vfs& vfs, sqlite3_vfs* base, const char* name);
