// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <QStringView>
#include <string_view>

// The one fold used wherever names are compared: ASCII a-z become A-Z and every
// other character stays as it is. It is exactly what SQLite's built-in upper()
// does, and the name indexes are built on upper(fdName), so the list order, the
// lookups and the incremental search can never disagree.
QString foldName(QStringView s);

inline bool isFoldableLower(char16_t c)
{
    return c >= u'a' && c <= u'z';
}

inline char16_t foldChar(char16_t c)
{
    return isFoldableLower(c) ? char16_t(c - (u'a' - u'A')) : c;
}

// A line as UTF-16 (the window, the tests) or as UTF-8 bytes (the conversion): the
// keywords are ASCII, and no byte of a UTF-8 sequence beyond ASCII equals one, so
// both read the same.
inline char16_t unitAt(QStringView s, qsizetype i)
{
    return s[i].unicode();
}
inline char16_t unitAt(std::string_view s, qsizetype i)
{
    return static_cast<unsigned char>(s[size_t(i)]);
}
inline qsizetype unitCount(QStringView s)
{
    return s.size();
}
inline qsizetype unitCount(std::string_view s)
{
    return qsizetype(s.size());
}

// True when text holds word at position at under the fold; word is upper-case
// ASCII. No folded copy of the text is made: the conversion asks this of every line.
template <class View> bool hasFoldedAt(View text, qsizetype at, std::string_view word)
{
    if (at < 0 || at + qsizetype(word.size()) > unitCount(text))
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (foldChar(unitAt(text, at + qsizetype(i))) != static_cast<unsigned char>(word[i]))
            return false;
    }
    return true;
}

// Where word first stands in text under the fold, or -1.
template <class View> qsizetype indexOfFolded(View text, std::string_view word, qsizetype from = 0)
{
    for (qsizetype at = from; at + qsizetype(word.size()) <= unitCount(text); ++at) {
        if (hasFoldedAt(text, at, word))
            return at;
    }
    return -1;
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
