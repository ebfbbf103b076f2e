// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QStringList>
#include <atomic>

class QTextStream;

namespace Cli {

// Exit statuses, as documented by --help and the README.
inline constexpr int kOk = 0;
inline constexpr int kSomeLinesNotStored = 1; // convert
inline constexpr int kNotFound = 1;           // search, layout
inline constexpr int kLayoutWarnings = 1;     // layout
inline constexpr int kUsage = 2;
inline constexpr int kFailed = 3;
inline constexpr int kInterrupted = 4; // convert stopped by Ctrl+C

struct Options
{
    // Progress lines on err, for a terminal.
    bool progress = false;
    // Set from a signal handler to stop a conversion after the current line.
    const std::atomic<bool>* interrupted = nullptr;
};

// args excludes the program name. out receives results, err messages.
int run(const QStringList& args, QTextStream& out, QTextStream& err, const Options& options = {});

} // namespace Cli
