// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "line_shape.h"

#include "name_fold.h"

namespace {

qsizetype indexOfFolded(QStringView line, QLatin1StringView word)
{
    for (qsizetype at = 0; at + word.size() <= line.size(); ++at) {
        if (hasFoldedAt(line, at, word))
            return at;
    }
    return -1;
}

// The name runs from start up to the first delimiter, searched in the whole line.
LineShape named(LineKind kind, QStringView line, qsizetype start, QLatin1StringView delimiter,
                SkipReason missing)
{
    LineShape shape{kind, start, 0, {}};
    const qsizetype end = indexOfFolded(line, delimiter);
    if (end < start)
        shape.refused = missing;
    else if (end == start)
        shape.refused = SkipReason::EmptyName;
    else
        shape.nameLength = end - start;
    return shape;
}

// The 32-bit declarations put "PtrSafe" between "Declare" and the kind of procedure.
LineShape procedure(QStringView line)
{
    constexpr qsizetype kAfterDeclare = 8;
    struct Form
    {
        QLatin1StringView keyword;
        qsizetype nameStart;
    };
    static constexpr Form kForms[] = {
        {QLatin1StringView("FUNCTION "), 17},
        {QLatin1StringView("SUB "), 12},
        {QLatin1StringView("PTRSAFE FUNCTION "), 25},
        {QLatin1StringView("PTRSAFE SUB "), 20},
    };
    for (const Form& form : kForms) {
        if (hasFoldedAt(line, kAfterDeclare, form.keyword))
            return named(LineKind::Procedure, line, form.nameStart, QLatin1StringView(" LIB "),
                         SkipReason::NoLibDelimiter);
    }
    return LineShape{LineKind::Procedure, 0, 0, SkipReason::NoProcKeyword};
}

// Blanks and tabs before a cut-off comment are no part of a type's name.
LineShape typeHeader(QStringView line)
{
    constexpr qsizetype kStart = 5;
    qsizetype end = line.size();
    while (end > kStart && (line[end - 1] == u' ' || line[end - 1] == u'\t'))
        --end;
    LineShape shape{LineKind::TypeHeader, kStart, end - kStart, {}};
    if (shape.nameLength == 0)
        shape.refused = SkipReason::EmptyName;
    return shape;
}

} // namespace

LineShape classifyLine(QStringView line, bool inTypeBlock)
{
    if (!inTypeBlock) {
        if (hasFoldedAt(line, 0, QLatin1StringView("PUBLIC CONST ")))
            return named(LineKind::Constant, line, 13, QLatin1StringView(" ="), SkipReason::NoConstDelimiter);
        if (hasFoldedAt(line, 0, QLatin1StringView("CONST ")))
            return named(LineKind::Constant, line, 6, QLatin1StringView(" ="), SkipReason::NoConstDelimiter);
        if (hasFoldedAt(line, 0, QLatin1StringView("DECLARE ")))
            return procedure(line);
    }
    if (hasFoldedAt(line, 0, QLatin1StringView("END TYPE")))
        return LineShape{LineKind::TypeEnd, 0, 0, {}};
    if (hasFoldedAt(line, 0, QLatin1StringView("TYPE ")))
        return typeHeader(line);
    return LineShape{};
}
