// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "line_shape.h"

#include "name_fold.h"

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

template <class View> StatementStart findStatement(View line)
{
    StatementStart start;
    for (const ScopeSpelling& scope : kScopeWords) {
        if (hasFoldedAt(line, 0, scope.text)) {
            start.scope = scope.word;
            start.scopeLength = qsizetype(scope.text.size());
            break;
        }
    }
    for (const StatementForm& form : kStatementForms) {
        if ((form.scopes & scopeBit(start.scope)) && hasFoldedAt(line, start.scopeLength, form.words)) {
            start.form = &form;
            return start;
        }
    }
    return StatementStart{};
}

SkipReason missingDelimiter(const StatementForm& form)
{
    return form.kind == StatementKind::Constant ? SkipReason::NoConstDelimiter : SkipReason::NoLibDelimiter;
}

LineKind lineKind(StatementKind kind)
{
    switch (kind) {
    case StatementKind::Constant:
        return LineKind::Constant;
    case StatementKind::Procedure:
        return LineKind::Procedure;
    case StatementKind::TypeHeader:
        break;
    }
    return LineKind::TypeHeader;
}

// The name runs from start up to the form's delimiter, searched in the whole line;
// a name to the end of the line leaves out the blanks before a cut-off comment.
template <class View> LineShape named(View line, const StatementStart& start)
{
    const StatementForm& form = *start.form;
    LineShape shape;
    shape.kind = lineKind(form.kind);
    shape.scope = start.scope;
    shape.nameStart = start.scopeLength + qsizetype(form.words.size());
    qsizetype end;
    if (form.nameEnd.empty()) {
        end = unitCount(line);
        while (end > shape.nameStart && isBlank(unitAt(line, end - 1)))
            --end;
    } else {
        end = indexOfFolded(line, form.nameEnd);
    }
    if (end < shape.nameStart)
        shape.refused = missingDelimiter(form);
    else if (end == shape.nameStart)
        shape.refused = SkipReason::EmptyName;
    else
        shape.nameLength = end - shape.nameStart;
    return shape;
}

template <class View> LineShape classify(View line, bool inTypeBlock)
{
    const StatementStart start = findStatement(line);
    const bool typeHeader = start.form && start.form->kind == StatementKind::TypeHeader;
    if (!inTypeBlock && start.form && !typeHeader)
        return named(line, start);
    if (!inTypeBlock && hasFoldedAt(line, 0, kDeclareWord)) {
        LineShape refused{LineKind::Procedure, 0, 0, SkipReason::NoProcKeyword};
        return refused;
    }
    if (hasFoldedAt(line, 0, kTypeEnd))
        return LineShape{LineKind::TypeEnd, 0, 0, {}};
    if (typeHeader)
        return named(line, start);
    return LineShape{};
}

} // namespace

LineShape classifyLine(QStringView line, bool inTypeBlock)
{
    return classify(line, inTypeBlock);
}

LineShape classifyLine(std::string_view utf8, bool inTypeBlock)
{
    return classify(utf8, inTypeBlock);
}

StatementStart statementAt(QStringView line)
{
    return findStatement(line);
}
