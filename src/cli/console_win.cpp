// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "console.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {
std::atomic<bool>* g_flag = nullptr;

// Called on a thread of its own; the conversion looks at the flag between lines.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    g_flag->store(true);
    return TRUE;
}
} // namespace

void stopOnInterrupt(std::atomic<bool>* flag)
{
    g_flag = flag;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void useBinaryStandardStreams()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool stderrIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}
