// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "error_text.h"

#include <QString>

class Platform;
class DbError;

// Restores the arrow pointer, beeps and shows the error in a modal critical box.
void ErrDsp(Platform& platform, long long iErr);
// The same report with a prompt of the caller's that names the file and reason.
void ErrDsp(Platform& platform, long long iErr, const QString& sPrompt);

// Reports a storage failure with ErrDsp, under its engine number.
void reportDbError(Platform& platform, const DbError& error);
