// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "console.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
std::atomic<bool>* g_flag = nullptr;

extern "C" void onInterrupt(int)
{
    g_flag->store(true);
}
} // namespace

void stopOnInterrupt(std::atomic<bool>* flag)
{
    g_flag = flag;
    std::signal(SIGINT, onInterrupt);
    // A file-size limit is then a write that fails, reported like a full disk,
    // instead of a death without a word that leaves the work files behind.
    std::signal(SIGXFSZ, SIG_IGN);
}

void useBinaryStandardStreams() {}

bool stderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) != 0;
}
