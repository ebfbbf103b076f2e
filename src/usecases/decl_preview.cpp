// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_preview.h"

#include "decl_store.h"
#include "line_shape.h"
#include "name_filter.h"
#include "name_fold.h"
#include "type_layout_lookup.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace {

// The branch lines a declaration whose cond this is stands under, outermost first.
QStringList conditionsOf(DeclStore& store, qint64 cond)
{
    const std::vector<StoredConditional> lines = store.groupsAround({cond});
    QHash<qint64, const StoredConditional*> byId;
    for (const StoredConditional& line : lines)
        byId.insert(line.id, &line);
    const StoredConditional* at = byId.value(cond);
    // After an inner group's #End If the declaration is back in the branch around that group.
    if (at && conditionalAt(at->full) == ConditionalKind::EndIf)
        at = byId.value(at->parent);
    QStringList labels;
    QSet<qint64> passed;
    while (at && !passed.contains(at->id)) {
        passed.insert(at->id);
        labels.prepend(branchLabel(at->full));
        at = byId.value(at->parent);
    }
    return labels;
}

bool sameFolded(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (foldChar(a[i].unicode()) != foldChar(b[i].unicode()))
            return false;
    }
    return true;
}

bool isMemberDeclaration(QStringView line)
{
    const QStringView t = line.trimmed();
    return !t.isEmpty() && t.front() != u'#' && t.front() != u'\'';
}

DeclFacts factsOf(DeclStore& store, DeclKind kind, const StoredDecl& decl)
{
    DeclFacts facts;
    if (kind == DeclKind::Procedure) {
        facts.library = libraryOf(decl.full);
        facts.alias = aliasOf(decl.full);
    } else if (kind == DeclKind::Type) {
        facts.members = int(std::count_if(decl.members.begin(), decl.members.end(),
                                          [](const QString& m) { return isMemberDeclaration(m); }));
    }
    if (decl.cond != 0)
        facts.conditions = conditionsOf(store, decl.cond);
    return facts;
}

} // namespace

QString branchLabel(QStringView conditionalLine)
{
    QStringView t = conditionalLine.trimmed();
    const std::optional<ConditionalKind> kind = conditionalAt(t);
    if (kind == ConditionalKind::Else)
        return QStringLiteral("Else");
    if (kind != ConditionalKind::If && kind != ConditionalKind::ElseIf)
        return t.toString();
    t = t.mid(kind == ConditionalKind::If ? 4 : 8).trimmed();
    if (t.size() >= 5 && hasFoldedAt(t, t.size() - 5, " THEN"))
        t.chop(5);
    return t.trimmed().toString();
}

DeclPreview previewOf(DeclStore& store, DeclKind kind, const QString& name, int variant,
                      const CopyOptions& options)
{
    DeclPreview preview;
    preview.name = name;
    const std::vector<StoredDecl> decls = store.find(kind, name);
    if (decls.empty())
        return preview;
    preview.found = true;
    const StoredDecl& decl = decls[size_t(std::clamp(variant, 0, int(decls.size()) - 1))];
    preview.facts = factsOf(store, kind, decl);
    if (kind == DeclKind::Type) {
        std::optional<LayoutReport> layout = typeLayoutOf(store, name);
        const auto isEnum = [](const HostLayouts& h) {
            return h.vba.problem && h.vba.problem->kind == LayoutProblemKind::IsEnum;
        };
        if (layout && !(isEnum(layout->hosts[0]) || isEnum(layout->hosts[1])))
            preview.facts.layout = std::move(layout);
    }
    preview.text = assembleCopy(&store, kind, {name}, options, CopyEnd::NoFinalBreak);
    return preview;
}

QStringList variantLabels(DeclStore& store, DeclKind kind, const QString& name)
{
    QStringList labels;
    for (const StoredDecl& decl : store.find(kind, name)) {
        const QStringList conditions = decl.cond == 0 ? QStringList() : conditionsOf(store, decl.cond);
        labels << conditions.join(QStringLiteral(" / "));
    }
    return labels;
}

QHash<int, QString> variantRows(DeclStore& store, DeclKind kind, const QStringList& names)
{
    QHash<int, QString> labels;
    const int count = int(names.size());
    for (int first = 0; first < count;) {
        int end = first + 1;
        while (end < count && sameFolded(names.at(end), names.at(first)))
            ++end;
        if (end - first > 1) {
            const QStringList found = variantLabels(store, kind, names.at(first));
            for (int i = first; i < end && i - first < found.size(); ++i) {
                if (!found.at(i - first).isEmpty())
                    labels.insert(i, found.at(i - first));
            }
        }
        first = end;
    }
    return labels;
}
