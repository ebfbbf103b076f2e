// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <cstdio>
#include <cstdlib>

// assert() vanishes under NDEBUG, and the fuzz build is an optimised one: a broken
// invariant must still stop the run so that libFuzzer keeps the input.
[[noreturn]] inline void fuzzFail(const char* file, int line, const char* what, const QString& detail)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

#define FUZZ_CHECK(cond, detail)                                                                             \
    do {                                                                                                     \
        if (!(cond))                                                                                         \
            fuzzFail(__FILE__, __LINE__, #cond, (detail));                                                   \
    } while (false)

// Shows every unit, so that lone surrogates and NULs are visible in a report.
inline QString describe(const QString& s)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F)
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0'));
    }
    return out + u'"';
}
