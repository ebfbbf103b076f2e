// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "test_data.h"

#include <windows.h>

QByteArray encodeCp932(const QString& text)
{
    QByteArray out;
    // One character at a time, so that one the code page lacks becomes one '?', never
    // a look-alike that Windows would choose for it.
    const QList<uint> characters = text.toUcs4();
    for (const uint c : characters) {
        const std::wstring in = QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1).toStdWString();
        char buffer[8];
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, in.data(), int(in.size()), buffer,
                                          int(sizeof buffer), nullptr, &usedDefault);
        if (n <= 0 || usedDefault)
            out += '?';
        else
            out.append(buffer, n);
    }
    return out;
}
