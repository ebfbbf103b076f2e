// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "group_copy.h"

#include "decl_store.h"
#include "line_shape.h"
#include "name_fold.h"

#include <QHash>
#include <QSet>
#include <optional>

namespace {

const QString kEndIf = QStringLiteral("#End If");
const QString kCrLf = QStringLiteral("\r\n");

// How many of the lines belong to the group the first one opens: up to its #End If.
size_t outermostLength(const std::vector<StoredConditional>& lines,
                       const std::vector<std::optional<ConditionalKind>>& kinds)
{
    if (kinds.empty() || kinds.front() != ConditionalKind::If)
        return 0;
    for (size_t i = 1; i < kinds.size(); ++i) {
        if (kinds[i] == ConditionalKind::EndIf && lines[i].group == lines.front().id)
            return i + 1;
    }
    return kinds.size();
}

// A branch line as a host reads it: letters outside string literals in either case,
// runs of blanks as one, none at either end, no comment.
QString headingKey(const QString& line)
{
    QString key;
    key.reserve(line.size());
    bool inString = false;
    bool blank = false;
    for (const QChar c : line) {
        if (c == u'"')
            inString = !inString;
        if (!inString && c == u'\'')
            break;
        if (!inString && (c == u' ' || c == u'\t')) {
            blank = true;
            continue;
        }
        if (blank && !key.isEmpty())
            key += u' ';
        blank = false;
        key += inString ? c : QChar(foldChar(c.unicode()));
    }
    return key;
}

// Two groups one after the other select the same branch under every setting when their
// branch lines read the same as far as both go. When one has fewer, its branches must end
// without #Else: where none of them is taken it gives nothing, and the other goes on to its
// further branches alone.
bool joinable(const CopyPiece& a, const CopyPiece& b)
{
    const CopyPiece& shorter = a.branches.size() <= b.branches.size() ? a : b;
    for (size_t i = 0; i < shorter.branches.size(); ++i) {
        if (headingKey(a.branches[i].line) != headingKey(b.branches[i].line))
            return false;
    }
    return a.branches.size() == b.branches.size() ||
           conditionalAt(shorter.branches.back().line) != ConditionalKind::Else;
}

// A declaration line that starts with # is a directive a member line carried in.
bool carriesDirective(const CopyPiece& piece)
{
    if (!piece.isGroup()) {
        for (const QStringView line : QStringView(piece.text).split(kCrLf)) {
            if (line.trimmed().startsWith(u'#'))
                return true;
        }
        return false;
    }
    for (const CopyPiece::Branch& branch : piece.branches) {
        for (const CopyPiece& inner : branch.pieces) {
            if (carriesDirective(inner))
                return true;
        }
    }
    return false;
}

void renderInto(const CopyPiece& piece, QStringList& out)
{
    if (!piece.isGroup()) {
        out << piece.text << piece.after;
        return;
    }
    for (const CopyPiece::Branch& branch : piece.branches) {
        out << branch.line;
        for (const CopyPiece& inner : branch.pieces)
            renderInto(inner, out);
    }
    out << (piece.endLine.isEmpty() ? kEndIf : piece.endLine) << piece.after;
}

} // namespace

QString CopyPiece::render() const
{
    QStringList out;
    renderInto(*this, out);
    return out.join(kCrLf);
}

// Groups may nest as deep as the file is long: both walks keep their own stack. An
// #End If closes the open group only when it is that group's: the lines may hold the
// #End If of a group left out, where a declaration of the name follows it.
CopyPiece groupPiece(const std::vector<StoredConditional>& lines, const std::vector<StoredDecl>& decls,
                     const QStringList& texts, std::vector<size_t>& given)
{
    QHash<qint64, std::vector<size_t>> following;
    for (size_t i = 0; i < decls.size(); ++i)
        following[decls[i].cond].push_back(i);
    std::vector<std::optional<ConditionalKind>> kinds;
    kinds.reserve(lines.size());
    for (const StoredConditional& line : lines)
        kinds.push_back(conditionalAt(line.full));
    const size_t count = outermostLength(lines, kinds);
    CopyPiece top;
    if (count == 0)
        return top;
    const auto closes = [&](size_t i, const std::vector<qint64>& openIds) {
        return kinds[i] == ConditionalKind::EndIf && !openIds.empty() && lines[i].group == openIds.back();
    };

    // The groups that hold a declaration, however deep.
    QSet<qint64> holding;
    std::vector<qint64> openIds;
    for (size_t i = 0; i < count; ++i) {
        if (kinds[i] == ConditionalKind::If)
            openIds.push_back(lines[i].id);
        else if (closes(i, openIds))
            openIds.pop_back();
        if (!openIds.empty() && following.contains(lines[i].id)) {
            for (qint64 group : openIds)
                holding.insert(group);
        }
    }

    // Each open group is the last piece of the current branch of the one around it,
    // and only branches of groups already closed grow behind it: the pointers hold.
    std::vector<CopyPiece*> open;
    openIds.clear();
    qint64 skipped = 0; // a group given without its lines, until its #End If
    for (size_t i = 0; i < count; ++i) {
        const StoredConditional& line = lines[i];
        if (skipped != 0) {
            // What follows the end of a group left out belongs to the branch around it.
            if (kinds[i] != ConditionalKind::EndIf || line.group != skipped)
                continue;
            skipped = 0;
        } else if (kinds[i] == ConditionalKind::If) {
            if (!open.empty() && !holding.contains(line.id)) {
                skipped = line.id;
                continue;
            }
            CopyPiece* group = &top;
            if (!open.empty()) {
                open.back()->branches.back().pieces.emplace_back();
                group = &open.back()->branches.back().pieces.back();
            }
            group->branches.push_back({line.full, {}});
            open.push_back(group);
            openIds.push_back(line.id);
        } else if (closes(i, openIds)) {
            open.back()->endLine = line.full;
            open.pop_back();
            openIds.pop_back();
        } else if (kinds[i] && kinds[i] != ConditionalKind::EndIf && !open.empty()) {
            open.back()->branches.push_back({line.full, {}});
        }
        if (open.empty())
            continue;
        const auto here = following.constFind(line.id);
        if (here == following.cend())
            continue;
        for (size_t d : *here) {
            CopyPiece decl;
            decl.text = texts[qsizetype(d)];
            open.back()->branches.back().pieces.push_back(std::move(decl));
            given.push_back(d);
        }
    }
    return top;
}

void mergeGroups(std::vector<CopyPiece>& pieces)
{
    std::vector<CopyPiece> out;
    std::vector<bool> merged;
    out.reserve(pieces.size());
    for (CopyPiece& piece : pieces) {
        if (piece.isGroup() && !out.empty() && out.back().isGroup() && joinable(out.back(), piece) &&
            !carriesDirective(out.back()) && !carriesDirective(piece)) {
            CopyPiece& into = out.back();
            for (size_t i = into.branches.size(); i < piece.branches.size(); ++i)
                into.branches.push_back({piece.branches[i].line, {}});
            for (size_t i = 0; i < piece.branches.size(); ++i) {
                for (CopyPiece& inner : piece.branches[i].pieces)
                    into.branches[i].pieces.push_back(std::move(inner));
            }
            into.after << piece.after;
            merged.back() = true;
            continue;
        }
        out.push_back(std::move(piece));
        merged.push_back(false);
    }
    for (size_t i = 0; i < out.size(); ++i) {
        if (!out[i].isGroup())
            continue;
        for (CopyPiece::Branch& branch : out[i].branches)
            mergeGroups(branch.pieces);
        // With the last branch empty, a host that would take it compiles nothing from the
        // group either way; an empty #If branch would change which branch the next takes.
        while (merged[i] && out[i].branches.size() > 1 && out[i].branches.back().pieces.empty())
            out[i].branches.pop_back();
    }
    pieces = std::move(out);
}
