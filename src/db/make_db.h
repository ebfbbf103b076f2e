// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>

// Replaces whatever regular file stands at sDbFile with an empty declaration
// database and closes it. A folder or other non-regular file is never deleted:
// that is a NotAFile error.
void MakeDb(const QString& sDbFile);
