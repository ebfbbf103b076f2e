// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QStringList>

// A small 64-bit declaration file for browsing: user32 and kernel32 functions (GetWindowLongPtr in
// both branches of #If Win64, SetWindowLongPtr in those of an #If Win64 inside #If VBA7 and in
// its #Else), constants whose values are written in
// every number form, and two record types. Declarations as the Windows SDK documents them.
QStringList browseLines();

// The rows of browseLines in list order, per kind, as the window lists them.
inline constexpr int kBrowseFunctions = 12;
inline constexpr int kBrowseConstants = 14;
