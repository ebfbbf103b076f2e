// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "member_line.h"

#include "line_shape.h"
#include "name_fold.h"
#include "vba_chars.h"

#include <utility>

namespace {

QString typeOfTypeChar(QChar c)
{
    static constexpr std::pair<char16_t, const char*> kTypeChars[] = {
        {u'&', "Long"},   {u'%', "Integer"},  {u'^', "LongLong"}, {u'!', "Single"},
        {u'#', "Double"}, {u'@', "Currency"}, {u'$', "String"}};
    for (const auto& [typeChar, type] : kTypeChars) {
        if (c.unicode() == typeChar)
            return QLatin1String(type);
    }
    return QString();
}

// The dimensions between the parentheses, split at the commas and "To" that stand
// outside any inner parentheses.
std::vector<ArrayBound> boundsOf(QStringView inside)
{
    std::vector<ArrayBound> bounds;
    int depth = 0;
    qsizetype start = 0;
    qsizetype to = -1;
    for (qsizetype i = 0; i <= inside.size(); ++i) {
        const QChar c = i < inside.size() ? inside[i] : QChar(u',');
        if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        else if (depth == 0 && c == u',') {
            ArrayBound b;
            if (to >= 0) {
                b.lower = inside.mid(start, to - start).trimmed().toString();
                b.upper = inside.mid(to + 2, i - to - 2).trimmed().toString();
            } else {
                b.upper = inside.mid(start, i - start).trimmed().toString();
            }
            bounds.push_back(std::move(b));
            start = i + 1;
            to = -1;
        } else if (depth == 0 && to < 0 && hasFoldedAt(inside, i, "TO") && i > start &&
                   isVbaBlank(inside[i - 1]) && i + 2 < inside.size() && isVbaBlank(inside[i + 2])) {
            to = i;
        }
    }
    return bounds;
}

bool isTypeName(QStringView s)
{
    if (s.isEmpty() || s.front() == u'.' || s.back() == u'.')
        return false;
    for (QChar c : s) {
        if (!isVbaWordChar(c) && c != u'.')
            return false;
    }
    return !s.front().isDigit();
}

MemberLine unreadable(MemberLine line)
{
    line.kind = MemberLine::Kind::Unreadable;
    return line;
}

} // namespace

MemberLine readMemberLine(QStringView raw)
{
    MemberLine line;
    const QStringView text = withoutComment(raw).trimmed();
    line.text = text.toString();
    if (text.isEmpty())
        return line;
    if (text.front() == u'#') {
        const std::optional<ConditionalKind> kind = conditionalAt(text);
        if (!kind)
            return unreadable(line);
        line.kind = MemberLine::Kind::Conditional;
        line.conditional = *kind;
        return line;
    }
    line.kind = MemberLine::Kind::Member;
    qsizetype pos = 0;
    while (pos < text.size() && isVbaWordChar(text[pos]))
        ++pos;
    if (pos == 0 || text.front().isDigit())
        return unreadable(line);
    line.name = text.left(pos).toString();
    if (pos < text.size() && !typeOfTypeChar(text[pos]).isEmpty())
        line.typeName = typeOfTypeChar(text[pos++]);
    while (pos < text.size() && isVbaBlank(text[pos]))
        ++pos;
    if (pos < text.size() && text[pos] == u'(') {
        int depth = 0;
        qsizetype close = -1;
        for (qsizetype i = pos; i < text.size() && close < 0; ++i) {
            if (text[i] == u'(')
                ++depth;
            else if (text[i] == u')' && --depth == 0)
                close = i;
        }
        if (close < 0)
            return unreadable(line);
        const QStringView inside = text.mid(pos + 1, close - pos - 1).trimmed();
        line.isArray = true;
        line.dynamic = inside.isEmpty();
        if (!line.dynamic)
            line.bounds = boundsOf(inside);
        pos = close + 1;
    }
    const QStringView rest = text.mid(pos).trimmed();
    if (rest.isEmpty())
        return line;
    if (!line.typeName.isEmpty() || !hasFoldedAt(rest, 0, "AS") || rest.size() < 3 || !isVbaBlank(rest[2]))
        return unreadable(line);
    QStringView type = rest.mid(3).trimmed();
    const qsizetype star = type.indexOf(u'*');
    if (star >= 0) {
        if (type.left(star).trimmed().compare(u"String", Qt::CaseInsensitive) != 0)
            return unreadable(line);
        line.fixedLength = type.mid(star + 1).trimmed().toString();
        type = type.left(star).trimmed();
        if (line.fixedLength.isEmpty())
            return unreadable(line);
    }
    if (!isTypeName(type))
        return unreadable(line);
    line.typeName = type.toString();
    return line;
}
