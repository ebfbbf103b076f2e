// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QChar>
#include <QStringView>

// The characters VBA's statements are cut at.

inline bool isVbaBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

inline bool isVbaWordChar(QChar c)
{
    return c == u'_' || c.isLetterOrNumber();
}

// A line without its comment: everything after an apostrophe outside double quotes.
inline QStringView withoutComment(QStringView line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'"')
            quoted = !quoted;
        else if (line[i] == u'\'' && !quoted)
            return line.left(i);
    }
    return line;
}
