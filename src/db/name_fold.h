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

inline char16_t foldChar(char16_t c)
{
    return isFoldableLower(c) ? char16_t(c - (u'a' - u'A')) : c;
}

// True when text holds word at position at under the fold; word is upper case. No
// folded copy of the text is made: the conversion asks this of every line.
inline bool hasFoldedAt(QStringView text, qsizetype at, QLatin1StringView word)
{
    if (at < 0 || at + word.size() > text.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (foldChar(text[at + i].unicode()) != word[i].unicode())
            return false;
    }
    return true;
}

// Lifts surrogates above the rest of the BMP so that code unit order becomes code
// point order.
inline unsigned codePointRank(char16_t c)
{
    if (c >= 0xD800 && c <= 0xDFFF)
        return c + 0x2000u;
    if (c >= 0xE000)
        return c - 0x800u;
    return c;
}
