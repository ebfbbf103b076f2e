// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_uses.h"

#include "keywords.h"
#include "name_fold.h"

namespace {

struct CodePoint
{
    char32_t value;
    qsizetype width;
};

// Names may be written in any script, beyond the BMP too.
CodePoint codePointAt(QStringView s, qsizetype i)
{
    const QChar c = s[i];
    if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
        return {QChar::surrogateToUcs4(c, s[i + 1]), 2};
    return {c.unicode(), 1};
}

bool startsIdentifier(char32_t c)
{
    return c == U'_' || QChar::isLetter(c);
}

bool continuesIdentifier(char32_t c)
{
    return startsIdentifier(c) || QChar::isDigit(c);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The identifiers of a line, outside double quotes and numbers.
class Words
{
public:
    explicit Words(QStringView line)
        : m_line(line)
    {
    }

    bool next()
    {
        while (m_pos < m_line.size()) {
            const CodePoint c = codePointAt(m_line, m_pos);
            m_pos += c.width;
            if (c.value == U'"') {
                // A doubled quote inside a string closes and reopens it: no harm.
                m_inQuotes = !m_inQuotes;
                m_afterNumber = false;
                continue;
            }
            if (m_inQuotes)
                continue;
            if (!startsIdentifier(c.value)) {
                m_afterNumber = c.value == U'&' || QChar::isDigit(c.value);
                continue;
            }
            const qsizetype start = m_pos - c.width;
            while (m_pos < m_line.size()) {
                const CodePoint d = codePointAt(m_line, m_pos);
                if (!continuesIdentifier(d.value))
                    break;
                m_pos += d.width;
            }
            // &HFF, &O17, 1E5: a radix letter or an exponent, not a name.
            const bool number = m_afterNumber;
            m_afterNumber = false;
            if (!number) {
                m_start = start;
                return true;
            }
        }
        return false;
    }

    QStringView word() const { return m_line.mid(m_start, m_pos - m_start); }
    qsizetype start() const { return m_start; }

    // "As" in any case, as a whole word followed by blanks or tabs; then where the
    // word it introduces would start.
    qsizetype afterAs() const
    {
        if (m_pos - m_start != 2 || !hasFoldedAt(word(), 0, "AS"))
            return -1;
        qsizetype p = m_pos;
        while (p < m_line.size() && isBlank(m_line[p]))
            ++p;
        return p > m_pos ? p : -1;
    }

private:
    QStringView m_line;
    qsizetype m_pos = 0;
    qsizetype m_start = 0;
    bool m_inQuotes = false;
    bool m_afterNumber = false;
};

bool isLanguageWord(QStringView word)
{
    for (const std::string_view keyword : kLanguageWords) {
        if (qsizetype(keyword.size()) == word.size() && hasFoldedAt(word, 0, keyword))
            return true;
    }
    return false;
}

} // namespace

std::vector<UsedName> namesUsedIn(QStringView line, UseLine how)
{
    std::vector<UsedName> used;
    if (how == UseLine::Constant) {
        const qsizetype equals = line.indexOf(u" =");
        if (equals < 0)
            return used;
        line = line.mid(equals + 2);
    }
    Words words(line);
    qsizetype typeAt = -1;
    bool first = true;
    while (words.next()) {
        const bool isFirst = first;
        first = false;
        if (isLanguageWord(words.word()))
            continue;
        if (how == UseLine::Constant) {
            used.push_back({DeclKind::Constant, words.word().toString()});
            continue;
        }
        if (words.start() == typeAt) {
            used.push_back({DeclKind::Type, words.word().toString()});
            continue;
        }
        const qsizetype next = words.afterAs();
        if (next >= 0)
            typeAt = next;
        else if (how == UseLine::Member && !isFirst)
            used.push_back({DeclKind::Constant, words.word().toString()});
    }
    return used;
}
