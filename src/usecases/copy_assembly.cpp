// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "copy_assembly.h"

#include "connection.h"
#include "decl_store.h"
#include "decl_uses.h"
#include "group_copy.h"
#include "line_shape.h"
#include "name_fold.h"
#include "type_layout_lookup.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The header is read once, for both the scope keyword and the end line.
QString scopedText(DeclKind kind, const StoredDecl& decl, CopyScope scope)
{
    const bool needsStart = kind == DeclKind::Type || scope != CopyScope::AsDeclared;
    const StatementStart start = needsStart ? statementAt(decl.full) : StatementStart{};
    QString text = withScope(decl.full, scope, start);
    if (kind != DeclKind::Type)
        return text;
    text += kCrLf;
    for (const QString& member : decl.members)
        text += member + kCrLf;
    const std::string_view end = blockEndLine(start);
    return text + QLatin1String(end.data(), qsizetype(end.size()));
}

// The words of a declaration that may name others.
std::vector<UsedName> usesOf(DeclKind kind, const StoredDecl& decl)
{
    if (kind == DeclKind::Constant)
        return namesUsedIn(decl.full, UseLine::Constant);
    if (kind == DeclKind::Procedure)
        return namesUsedIn(decl.full, UseLine::Procedure);
    // A record type's header names only the type itself.
    std::vector<UsedName> used;
    for (const QString& member : decl.members) {
        for (UsedName& name : namesUsedIn(member, UseLine::Member))
            used.push_back(std::move(name));
    }
    return used;
}

// What one name copies as, and what that uses.
struct Unit
{
    bool found = false;
    CopyPiece piece;
    std::vector<UsedName> uses;
};

CopyPiece textPiece(QString text)
{
    CopyPiece piece;
    piece.text = std::move(text);
    return piece;
}

// The comment after a record type copied with the size note: after End Type, or after
// the #End If of the group it is given in, so the paste still compiles. Enums get none.
QStringList sizeNoteOf(DeclStore& store, DeclKind kind, const QString& name, const CopyOptions& options)
{
    if (kind != DeclKind::Type || !options.sizeNote)
        return {};
    const std::optional<LayoutReport> report = typeLayoutOf(store, name);
    if (!report)
        return {};
    for (const HostLayouts& host : report->hosts) {
        if (host.vba.problem && host.vba.problem->kind == LayoutProblemKind::IsEnum)
            return {};
    }
    return {options.sizeNote(*report)};
}

Unit unitWithoutNote(DeclStore& store, DeclKind kind, const QString& name, const CopyOptions& options);

// The first declaration of the name decides: alone when it stands in no group, else
// the outermost group around it, with every declaration of the name in that group.
Unit unitOf(DeclStore& store, DeclKind kind, const QString& name, const CopyOptions& options)
{
    Unit unit = unitWithoutNote(store, kind, name, options);
    if (unit.found)
        unit.piece.after = sizeNoteOf(store, kind, name, options);
    return unit;
}

Unit unitWithoutNote(DeclStore& store, DeclKind kind, const QString& name, const CopyOptions& options)
{
    const CopyScope scope = options.scope;
    const std::vector<StoredDecl> found = store.find(kind, name);
    if (found.empty())
        return {};
    std::vector<qint64> conds;
    conds.reserve(found.size());
    for (const StoredDecl& decl : found)
        conds.push_back(decl.cond);
    const std::vector<StoredConditional> lines = store.groupsAround(conds);
    if (!lines.empty()) {
        QStringList texts;
        for (const StoredDecl& decl : found)
            texts << scopedText(kind, decl, scope);
        std::vector<size_t> given;
        CopyPiece group = groupPiece(lines, found, texts, given);
        if (!given.empty() && given.front() == 0) {
            Unit unit{true, std::move(group), {}};
            for (size_t i : given) {
                for (UsedName& used : usesOf(kind, found[i]))
                    unit.uses.push_back(std::move(used));
            }
            return unit;
        }
    }
    return {true, textPiece(scopedText(kind, found.front(), scope)), usesOf(kind, found.front())};
}

// The pieces of one copy and what they hold.
struct Assembly
{
    std::vector<CopyPiece> pieces;
    CopySummary summary;

    void give(DeclKind kind, CopyPiece piece)
    {
        ++summary.declarations;
        auto it = std::find_if(summary.perKind.begin(), summary.perKind.end(),
                               [kind](const auto& counted) { return counted.first == kind; });
        if (it == summary.perKind.end())
            summary.perKind.emplace_back(kind, 1);
        else
            ++it->second;
        pieces.push_back(std::move(piece));
    }
    void giveMissing()
    {
        ++summary.missing;
        pieces.emplace_back();
    }
};

// One copy with the used declarations: every name is looked up once, and a
// declaration is given once, after what it uses.
class UseWalk
{
public:
    UseWalk(const CopyOptions& options, Assembly& out)
        : m_options(options)
        , m_out(out)
    {
    }

    void giveEntry(DeclStore* store, DeclKind kind, const QString& name)
    {
        const int entry = find(store, kind, name);
        if (!m_decls[entry].unit.found) {
            m_out.giveMissing();
            return;
        }
        if (m_decls[entry].state != Decl::New)
            return;
        // An explicit stack: a chain of constants each defined by the next may be
        // as long as the table.
        struct Frame
        {
            int decl;
            size_t next;
        };
        std::vector<Frame> stack;
        open(entry);
        stack.push_back({entry, 0});
        while (!stack.empty()) {
            const int at = stack.back().decl;
            const size_t next = stack.back().next++;
            if (next < m_decls[at].uses.size()) {
                const UsedName used = m_decls[at].uses[next];
                // What a declaration uses is looked up where it was found.
                const int d = find(m_decls[at].store, used.kind, used.name);
                // Open covers the declaration itself and every one on the way to
                // it, so a cycle ends where it closes.
                if (m_decls[d].unit.found && m_decls[d].state == Decl::New) {
                    open(d);
                    stack.push_back({d, 0});
                }
                continue;
            }
            Decl& done = m_decls[at];
            done.state = Decl::Given;
            done.uses = {};
            m_out.give(done.kind, std::move(done.unit.piece));
            stack.pop_back();
        }
    }

private:
    struct Decl
    {
        enum State { New, Open, Given };
        Unit unit;
        DeclStore* store = nullptr;
        DeclKind kind = DeclKind::Procedure;
        State state = New;
        std::vector<UsedName> uses;
    };

    void open(int d)
    {
        m_decls[d].state = Decl::Open;
        m_decls[d].uses = std::move(m_decls[d].unit.uses);
    }

    // A declaration is its kind and its name under the fold: every spelling, in any
    // database, finds the same one, so a module never gets a name twice.
    int find(DeclStore* store, DeclKind kind, const QString& name)
    {
        const QString key = foldName(name);
        QHash<QString, int>& known = m_known[size_t(declKindIndex(kind))];
        const auto it = known.constFind(key);
        if (it != known.cend())
            return it.value();
        Decl d;
        if (store)
            d.unit = unitOf(*store, kind, name, m_options);
        d.store = store;
        d.kind = kind;
        m_decls.push_back(std::move(d));
        const int at = int(m_decls.size() - 1);
        known.insert(key, at);
        return at;
    }

    const CopyOptions& m_options;
    Assembly& m_out;
    std::array<QHash<QString, int>, 3> m_known;
    std::vector<Decl> m_decls;
};

// The entries without a second one of the same kind and folded name.
std::vector<const CopyEntry*> onceEach(const std::vector<CopyEntry>& entries)
{
    std::array<QSet<QString>, 3> seen;
    std::vector<const CopyEntry*> once;
    once.reserve(entries.size());
    for (const CopyEntry& entry : entries) {
        QSet<QString>& ofKind = seen[size_t(declKindIndex(entry.kind))];
        const QString key = foldName(entry.name);
        if (ofKind.contains(key))
            continue;
        ofKind.insert(key);
        once.push_back(&entry);
    }
    return once;
}

Assembly assemble(const StoreOf& storeOf, const std::vector<CopyEntry>& entries, const CopyOptions& options)
{
    Assembly out;
    const std::vector<const CopyEntry*> once = onceEach(entries);
    out.pieces.reserve(once.size());
    if (options.withUses) {
        UseWalk walk(options, out);
        for (const CopyEntry* entry : once)
            walk.giveEntry(storeOf(entry->database), entry->kind, entry->name);
    } else {
        for (const CopyEntry* entry : once) {
            DeclStore* store = storeOf(entry->database);
            Unit unit = store ? unitOf(*store, entry->kind, entry->name, options) : Unit{};
            if (unit.found)
                out.give(entry->kind, std::move(unit.piece));
            else
                out.giveMissing();
        }
    }
    if (options.mergeGroups)
        mergeGroups(out.pieces);
    for (const CopyPiece& piece : out.pieces)
        out.summary.groups += piece.isGroup() ? 1 : 0;
    return out;
}

} // namespace

QString fullText(DeclKind kind, const StoredDecl& decl)
{
    return scopedText(kind, decl, CopyScope::AsDeclared);
}

QString GetFull(DeclStore& store, DeclKind kind, const QString& sName)
{
    const std::vector<StoredDecl> found = store.find(kind, sName);
    return found.empty() ? QString() : fullText(kind, found.front());
}

CollectionCopy copyCollection(const StoreOf& storeOf, const std::vector<CopyEntry>& entries,
                              const CopyOptions& options, CopyEnd end)
{
    Assembly assembly = assemble(storeOf, entries, options);
    CollectionCopy copy;
    copy.summary = std::move(assembly.summary);
    QStringList texts;
    texts.reserve(qsizetype(assembly.pieces.size()));
    for (const CopyPiece& piece : assembly.pieces)
        texts << piece.render();
    copy.text = joinCopies(texts, end);
    return copy;
}

CollectionCopy copyCollection(DeclStore* current, const std::vector<CopyEntry>& entries,
                              const CopyOptions& options, CopyEnd end)
{
    QHash<QString, std::shared_ptr<DeclStore>> others;
    // Each other file read for this copy alone is bounded as the current one is; the
    // bounds, made after the files, go before them.
    std::vector<std::unique_ptr<WholeRead>> bounds;
    const StoreOf storeOf = [current, &others, &bounds](const QString& database) -> DeclStore* {
        if (current && database == current->path())
            return current;
        std::shared_ptr<DeclStore>& other = others[database];
        if (!other) {
            other = DeclStore::open(database);
            bounds.push_back(other->wholeRead());
        }
        return other.get();
    };
    return copyCollection(storeOf, entries, options, end);
}

QString assembleCopy(DeclStore* store, DeclKind kind, const QStringList& names, const CopyOptions& options,
                     CopyEnd end)
{
    std::vector<CopyEntry> entries;
    entries.reserve(size_t(names.size()));
    for (const QString& name : names)
        entries.push_back({QString(), kind, name});
    return copyCollection([store](const QString&) { return store; }, entries, options, end).text;
}

QString joinCopies(const QStringList& texts, CopyEnd end)
{
    if (end == CopyEnd::NoFinalBreak)
        return texts.join(kCrLf);
    QString text;
    for (const QString& t : texts)
        text += t + kCrLf;
    return text;
}
