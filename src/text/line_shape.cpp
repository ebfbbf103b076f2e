// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "line_shape.h"

#include "name_fold.h"

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

template <class View> bool onlyBlanks(View line, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i) {
        if (!isBlank(unitAt(line, i)))
            return false;
    }
    return true;
}

// Where the line ends without its trailing blanks, never before from.
template <class View> qsizetype trimmedEnd(View line, qsizetype from)
{
    qsizetype end = unitCount(line);
    while (end > from && isBlank(unitAt(line, end - 1)))
        --end;
    return end;
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

// "Declare" where a declaration may stand, whatever follows it.
template <class View> bool startsDeclare(View line)
{
    if (hasFoldedAt(line, 0, kDeclareWord))
        return true;
    for (const ScopeSpelling& scope : kScopeWords) {
        if ((kDeclareScopes & scopeBit(scope.word)) && hasFoldedAt(line, 0, scope.text) &&
            hasFoldedAt(line, qsizetype(scope.text.size()), kDeclareWord))
            return true;
    }
    return false;
}

template <class View> std::optional<ConditionalKind> findConditional(View line)
{
    for (const ConditionalForm& form : kConditionalForms) {
        if (!hasFoldedAt(line, 0, form.words))
            continue;
        const qsizetype from = qsizetype(form.words.size());
        if (!form.hasCondition) {
            if (onlyBlanks(line, from, unitCount(line)))
                return form.kind;
            continue;
        }
        const qsizetype then = trimmedEnd(line, from) - qsizetype(kConditionEnd.size());
        if (then >= from && hasFoldedAt(line, then, kConditionEnd) && !onlyBlanks(line, from, then))
            return form.kind;
    }
    return std::nullopt;
}

template <class View> bool closesBlock(View line, StatementKind header)
{
    for (const BlockForm& block : kBlockForms) {
        if (block.header == header)
            return hasFoldedAt(line, 0, block.end);
    }
    return false;
}

SkipReason missingDelimiter(const StatementForm& form)
{
    return form.kind == StatementKind::Constant ? SkipReason::NoConstDelimiter : SkipReason::NoLibDelimiter;
}

LineShape shapeOf(StatementKind kind)
{
    LineShape shape;
    switch (kind) {
    case StatementKind::Constant:
        shape.kind = LineKind::Constant;
        break;
    case StatementKind::Procedure:
        shape.kind = LineKind::Procedure;
        break;
    case StatementKind::TypeHeader:
        shape.kind = LineKind::BlockHeader;
        shape.opens = OpenBlock::Type;
        break;
    case StatementKind::EnumHeader:
        shape.kind = LineKind::BlockHeader;
        shape.opens = OpenBlock::Enum;
        break;
    }
    return shape;
}

// The name runs from start up to the form's delimiter, searched in the whole line;
// a name to the end of the line leaves out the blanks before a cut-off comment.
template <class View> LineShape named(View line, const StatementStart& start)
{
    const StatementForm& form = *start.form;
    LineShape shape = shapeOf(form.kind);
    shape.scope = start.scope;
    shape.nameStart = start.scopeLength + qsizetype(form.words.size());
    qsizetype end;
    if (form.nameEnd.empty()) {
        end = trimmedEnd(line, shape.nameStart);
    } else {
        end = indexOfFolded(line, form.nameEnd);
        if (form.kind == StatementKind::Constant && end > shape.nameStart) {
            const qsizetype typed = indexOfFolded(line, kConstantTypeWord, shape.nameStart);
            if (typed >= 0 && typed < end)
                end = typed;
        }
    }
    if (end < shape.nameStart)
        shape.refused = missingDelimiter(form);
    else if (end == shape.nameStart)
        shape.refused = SkipReason::EmptyName;
    else
        shape.nameLength = end - shape.nameStart;
    return shape;
}

LineShape ofKind(LineKind kind)
{
    LineShape shape;
    shape.kind = kind;
    return shape;
}

// Inside a type block the rules stay those of a file with nothing but types,
// constants and declarations: only its end and a header without a scope word count.
template <class View> LineShape inTypeBlock(View line)
{
    if (closesBlock(line, StatementKind::TypeHeader))
        return ofKind(LineKind::BlockEnd);
    const StatementStart start = findStatement(line);
    if (start.form && start.form->kind == StatementKind::TypeHeader && start.scope == ScopeWord::None)
        return named(line, start);
    return ofKind(LineKind::Member);
}

template <class View> LineShape outsideBlocks(View line)
{
    const StatementStart start = findStatement(line);
    if (start.form)
        return named(line, start);
    if (startsDeclare(line)) {
        LineShape refused = ofKind(LineKind::Procedure);
        refused.refused = SkipReason::NoProcKeyword;
        return refused;
    }
    for (const BlockForm& block : kBlockForms) {
        if (hasFoldedAt(line, 0, block.end))
            return ofKind(LineKind::BlockEnd);
    }
    if (const std::optional<ConditionalKind> conditional = findConditional(line)) {
        LineShape shape = ofKind(LineKind::Conditional);
        shape.conditional = *conditional;
        return shape;
    }
    if (onlyBlanks(line, 0, unitCount(line)))
        return ofKind(LineKind::Blank);
    LineShape outside = ofKind(LineKind::Outside);
    outside.refused = SkipReason::OutsideType;
    return outside;
}

template <class View> LineShape classify(View line, OpenBlock block)
{
    switch (block) {
    case OpenBlock::Type:
        return inTypeBlock(line);
    case OpenBlock::Enum:
        return ofKind(closesBlock(line, StatementKind::EnumHeader) ? LineKind::BlockEnd : LineKind::Member);
    case OpenBlock::None:
        break;
    }
    return outsideBlocks(line);
}

} // namespace

LineShape classifyLine(QStringView line, OpenBlock block)
{
    return classify(line, block);
}

LineShape classifyLine(std::string_view utf8, OpenBlock block)
{
    return classify(utf8, block);
}

StatementStart statementAt(QStringView line)
{
    return findStatement(line);
}

std::optional<ConditionalKind> conditionalAt(QStringView line)
{
    return findConditional(line);
}

std::string_view blockEndLine(QStringView header)
{
    return blockEndLine(statementAt(header));
}

std::string_view blockEndLine(const StatementStart& start)
{
    for (const BlockForm& block : kBlockForms) {
        if (start.form && block.header == start.form->kind)
            return block.endLine;
    }
    return kBlockForms[0].endLine;
}
