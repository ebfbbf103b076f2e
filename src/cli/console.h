// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <atomic>

// The system's side of ek-cli's console: its platform siblings are console_posix.cpp
// and console_win.cpp.

// Ctrl+C sets flag instead of ending the program: a conversion stops between two
// lines and keeps the rows stored so far.
void stopOnInterrupt(std::atomic<bool>* flag);
// Standard output and error carry the bytes as written: "show" keeps its CR LF, and
// Windows must not add a CR of its own.
void useBinaryStandardStreams();
bool stderrIsTerminal();
