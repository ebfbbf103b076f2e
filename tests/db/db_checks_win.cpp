// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "db_checks.h"

// Windows has no permission bits and no user to hand files to: a file is read-only
// by its attribute, which applies to every user alike.
unsigned UnprivilegedFiles::uid()
{
    return 0;
}

UnprivilegedFiles::UnprivilegedFiles() = default;

bool UnprivilegedFiles::modesApply() const
{
    return false;
}

UnprivilegedFiles::~UnprivilegedFiles() = default;

void giveToUnprivilegedUser(const QString&) {}

bool posixFiles()
{
    return false;
}

bool makeFifo(const QString&)
{
    return false;
}

bool isFifo(const QString&)
{
    return false;
}

// Windows has no sqlite3 shell of its own, and the Linux one beside wine cannot run.
QString sqliteShell()
{
    return QString();
}
