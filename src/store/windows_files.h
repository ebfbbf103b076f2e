// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

// What the Windows siblings of the file code share: the one mapping of a system
// error to a fault, and paths as the wide API takes them.
#include "db_error.h"

#include <QString>
#include <string>

// The system's own sentence for a GetLastError() code, in the user's language.
QString windowsErrorText(unsigned long error);
// The fault a GetLastError() code means; otherwise for codes with no fault of their own.
DbFault faultOfWindowsError(unsigned long error, DbFault otherwise);
[[noreturn]] void throwWindowsError(unsigned long error, const QString& path, DbFault otherwise);
// The path with backslashes, as the wide API takes it.
std::wstring widePath(const QString& path);
