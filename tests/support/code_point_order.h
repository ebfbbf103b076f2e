// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QStringView>
#include <algorithm>

// Orders by Unicode code point, which is the order SQLite's BINARY collation gives
// UTF-8 text: the order the name index keeps, stated apart from the search so that
// tests and fuzzing can check one against the other. Surrogates are lifted above
// the rest of the BMP; lone ones still get a total order.
inline int compareCodePoints(QStringView a, QStringView b)
{
    const auto rank = [](char16_t c) -> unsigned {
        if (c >= 0xD800 && c <= 0xDFFF)
            return c + 0x2000u;
        return c >= 0xE000 ? c - 0x800u : c;
    };
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y)
            return rank(x) < rank(y) ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}
