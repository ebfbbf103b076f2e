// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

enum class DbFault;

// The number a fault is reported under, in the report's title and after ek-cli's
// message: the database engine's and the run time's own numbers for that failure,
// which the users of such tools know.
int faultNumber(DbFault fault);
