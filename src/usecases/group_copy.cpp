// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "group_copy.h"

#include "decl_store.h"
#include "line_shape.h"

#include <QHash>
#include <QSet>
#include <optional>

namespace {

const QString kEndIf = QStringLiteral("#End If");

// How many of the lines belong to the group the first one opens.
size_t outermostLength(const std::vector<std::optional<ConditionalKind>>& kinds)
{
    if (kinds.empty() || kinds.front() != ConditionalKind::If)
        return 0;
    size_t depth = 0;
    for (size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i] == ConditionalKind::If)
            ++depth;
        else if (kinds[i] == ConditionalKind::EndIf && --depth == 0)
            return i + 1;
    }
    return kinds.size();
}

} // namespace

// Groups may nest as deep as the file is long: both walks keep their own stack.
QString groupText(const std::vector<StoredConditional>& lines, const std::vector<StoredDecl>& decls,
                  const QStringList& texts, std::vector<size_t>& given)
{
    QHash<qint64, std::vector<size_t>> following;
    for (size_t i = 0; i < decls.size(); ++i)
        following[decls[i].cond].push_back(i);
    std::vector<std::optional<ConditionalKind>> kinds;
    kinds.reserve(lines.size());
    for (const StoredConditional& line : lines)
        kinds.push_back(conditionalAt(line.full));
    const size_t count = outermostLength(kinds);
    if (count == 0)
        return QString();

    // The groups that hold a declaration, however deep.
    QSet<qint64> holding;
    std::vector<qint64> open;
    for (size_t i = 0; i < count; ++i) {
        if (kinds[i] == ConditionalKind::If)
            open.push_back(lines[i].id);
        else if (kinds[i] == ConditionalKind::EndIf)
            open.pop_back();
        if (!open.empty() && following.contains(lines[i].id)) {
            for (qint64 group : open)
                holding.insert(group);
        }
    }

    QStringList out;
    open.clear();
    size_t skipping = 0; // the depth inside a group given without its lines
    for (size_t i = 0; i < count; ++i) {
        const StoredConditional& line = lines[i];
        if (skipping > 0) {
            if (kinds[i] == ConditionalKind::If)
                ++skipping;
            else if (kinds[i] == ConditionalKind::EndIf)
                --skipping;
            // What follows the end of a group left out belongs to the branch around it.
            if (skipping > 0)
                continue;
        } else if (kinds[i] == ConditionalKind::If) {
            if (!open.empty() && !holding.contains(line.id)) {
                skipping = 1;
                continue;
            }
            open.push_back(line.id);
            out << line.full;
        } else if (kinds[i]) {
            out << line.full;
            if (*kinds[i] == ConditionalKind::EndIf)
                open.pop_back();
        }
        if (open.empty())
            continue;
        const auto here = following.constFind(line.id);
        if (here == following.cend())
            continue;
        for (size_t d : *here) {
            out << texts[qsizetype(d)];
            given.push_back(d);
        }
    }
    for (size_t i = 0; i < open.size(); ++i)
        out << kEndIf;
    return out.join(QStringLiteral("\r\n"));
}
