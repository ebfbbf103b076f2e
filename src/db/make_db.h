// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <memory>

class Database;

// Puts an empty declaration database in the place of whatever regular file or
// symbolic link stands at sDbFile, and returns it open as the only connection to
// it (Database::Access::Exclusive); it is closed when the last owner lets go. The new file is written beside
// the old one and moved into place in one step, so the path never names half a database. Refused without
// touching anything: a folder or other non-regular file at the path (NotAFile), a database another program is
// writing (Locked). When another program puts its own file at the path at the same moment, this is Replaced.
std::shared_ptr<Database> MakeDb(const QString& sDbFile);
