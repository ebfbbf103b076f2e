// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <QStringView>

// The one fold used wherever names are compared: ASCII a-z become A-Z and every
// other character stays as it is. It is exactly what SQLite's built-in upper()
// does, and the name indexes are built on upper(fdName), so the list order, Seek
// and the incremental search can never disagree.
QString foldName(QStringView s);

inline bool isFoldableLower(char16_t c)
{
    return c >= u'a' && c <= u'z';
}

// Orders by Unicode code point, which is the order SQLite's BINARY collation gives
// UTF-8 text. A plain UTF-16 comparison would put U+E000..U+FFFF after surrogate
// pairs and disagree with the index.
int compareCodePoints(QStringView a, QStringView b);
