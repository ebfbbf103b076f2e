// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "type_layout_lookup.h"

#include "decl_store.h"
#include "line_shape.h"
#include "name_fold.h"
#include "vba_chars.h"

namespace {

constexpr qsizetype kMaxChain = 64;

// The value part of a constant line: after its first " =", without the comment.
QStringView valueOf(QStringView line)
{
    const qsizetype equals = line.indexOf(u" =");
    if (equals < 0)
        return {};
    return withoutComment(line.mid(equals + 2)).trimmed();
}

// The branch a group of these lines takes on the host: its first line whose
// condition holds, or its #Else; 0 for none.
qint64 takenBranch(const std::vector<StoredConditional>& lines, qint64 group, Host host)
{
    for (const StoredConditional& line : lines) {
        if (line.group != group)
            continue;
        const std::optional<ConditionalKind> kind = conditionalAt(line.full);
        if (kind == ConditionalKind::Else)
            return line.id;
        if ((kind == ConditionalKind::If || kind == ConditionalKind::ElseIf) &&
            conditionHolds(conditionOf(line.full), host).value_or(false))
            return line.id;
    }
    return 0;
}

template <class Found> const StoredDecl* compiledVariant(DeclStore& store, const Found& found, Host host)
{
    for (const StoredDecl& decl : found) {
        if (compiledOn(store.groupsAround({decl.cond}), decl.cond, host))
            return &decl;
    }
    return nullptr;
}

} // namespace

bool compiledOn(const std::vector<StoredConditional>& lines, qint64 cond, Host host)
{
    QHash<qint64, const StoredConditional*> byId;
    for (const StoredConditional& line : lines)
        byId.insert(line.id, &line);
    const StoredConditional* at = byId.value(cond);
    // Outside any group, or in a database that does not say where: always compiled.
    if (!at)
        return true;
    // After the #End If of a group inside, a declaration stands in the branch that
    // holds that group.
    qint64 branch = conditionalAt(at->full) == ConditionalKind::EndIf ? at->parent : at->id;
    while (branch != 0) {
        const StoredConditional* line = byId.value(branch);
        if (!line)
            return true;
        if (takenBranch(lines, line->group, host) != branch)
            return false;
        branch = line->parent;
    }
    return true;
}

StoreLayoutResolver::StoreLayoutResolver(DeclStore& store)
    : m_store(store)
{
}

std::optional<TypeBody> StoreLayoutResolver::typeBody(QStringView name, Host host)
{
    const std::vector<StoredDecl> found = m_store.find(DeclKind::Type, name);
    const StoredDecl* decl = compiledVariant(m_store, found, host);
    if (!decl)
        return std::nullopt;
    const StatementStart start = statementAt(decl->full);
    return TypeBody{decl->members, start.form && start.form->kind == StatementKind::EnumHeader};
}

std::optional<qint64> StoreLayoutResolver::constantValue(QStringView name, Host host)
{
    const size_t h = hostIndex(host);
    const QString key = foldName(name);
    const auto known = m_values[h].constFind(key);
    if (known != m_values[h].cend())
        return *known;
    // A constant defined through itself has no value; nor has one at the end of a
    // chain longer than any bound is written with, which keeps the stack small.
    if (m_evaluating[h].contains(key) || m_evaluating[h].size() >= kMaxChain)
        return std::nullopt;
    m_evaluating[h].insert(key);
    std::optional<qint64> value;
    const std::vector<StoredDecl> found = m_store.find(DeclKind::Constant, name);
    if (const StoredDecl* decl = compiledVariant(m_store, found, host)) {
        value = evaluateExpression(valueOf(decl->full), [this, host](QStringView used) {
                    return constantValue(used, host);
                }).value;
    }
    m_evaluating[h].remove(key);
    m_values[h].insert(key, value);
    return value;
}

std::optional<LayoutReport> typeLayoutOf(DeclStore& store, QStringView name)
{
    if (!store.contains(DeclKind::Type, name))
        return std::nullopt;
    StoreLayoutResolver resolver(store);
    return layoutReport(name, resolver);
}
