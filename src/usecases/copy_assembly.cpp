// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "copy_assembly.h"

#include "decl_store.h"
#include "decl_uses.h"
#include "group_copy.h"
#include "line_shape.h"
#include "name_fold.h"

#include <QHash>
#include <array>
#include <vector>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

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
    QString text;
    std::vector<UsedName> uses;
};

// The first declaration of the name decides: alone when it stands in no group, else
// the outermost group around it, with every declaration of the name in that group.
Unit unitOf(DeclStore& store, DeclKind kind, const QString& name, CopyScope scope)
{
    const std::vector<StoredDecl> found = store.find(kind, name);
    if (found.empty())
        return {};
    const std::vector<StoredConditional> lines = store.groupAround(found.front().cond);
    if (!lines.empty()) {
        QStringList texts;
        for (const StoredDecl& decl : found)
            texts << withScope(fullText(kind, decl), scope);
        std::vector<size_t> given;
        const QString text = groupText(lines, found, texts, given);
        if (!given.empty() && given.front() == 0) {
            Unit unit{true, text, {}};
            for (size_t i : given) {
                for (UsedName& used : usesOf(kind, found[i]))
                    unit.uses.push_back(std::move(used));
            }
            return unit;
        }
    }
    return {true, withScope(fullText(kind, found.front()), scope), usesOf(kind, found.front())};
}

// One copy with the used declarations: every name is looked up once, and a
// declaration is given once, after what it uses.
class UseWalk
{
public:
    UseWalk(DeclStore& store, CopyScope scope, QStringList& out)
        : m_store(store)
        , m_scope(scope)
        , m_out(out)
    {
    }

    void giveEntry(DeclKind kind, const QString& name)
    {
        const int entry = find(kind, name);
        if (!m_decls[entry].unit.found) {
            m_out << QString();
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
                const int d = find(used.kind, used.name);
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
            m_out << std::move(done.unit.text);
            stack.pop_back();
        }
    }

private:
    struct Decl
    {
        enum State { New, Open, Given };
        Unit unit;
        State state = New;
        std::vector<UsedName> uses;
    };

    void open(int d)
    {
        m_decls[d].state = Decl::Open;
        m_decls[d].uses = std::move(m_decls[d].unit.uses);
    }

    // A declaration is its kind and its name under the fold: every spelling finds
    // the same one.
    int find(DeclKind kind, const QString& name)
    {
        const QString key = foldName(name);
        QHash<QString, int>& known = m_known[size_t(declKindIndex(kind))];
        const auto it = known.constFind(key);
        if (it != known.cend())
            return it.value();
        Decl d;
        d.unit = unitOf(m_store, kind, name, m_scope);
        m_decls.push_back(std::move(d));
        const int at = int(m_decls.size() - 1);
        known.insert(key, at);
        return at;
    }

    DeclStore& m_store;
    CopyScope m_scope;
    QStringList& m_out;
    std::array<QHash<QString, int>, 3> m_known;
    std::vector<Decl> m_decls;
};

QStringList copyTexts(DeclStore* store, DeclKind kind, const QStringList& names, const CopyOptions& options)
{
    QStringList texts;
    texts.reserve(names.size());
    if (!store) {
        for (qsizetype i = 0; i < names.size(); ++i)
            texts << QString();
        return texts;
    }
    if (options.withUses) {
        UseWalk walk(*store, options.scope, texts);
        for (const QString& name : names)
            walk.giveEntry(kind, name);
        return texts;
    }
    for (const QString& name : names)
        texts << unitOf(*store, kind, name, options.scope).text;
    return texts;
}

} // namespace

QString fullText(DeclKind kind, const StoredDecl& decl)
{
    if (kind != DeclKind::Type)
        return decl.full;
    QString text = decl.full + kCrLf;
    for (const QString& member : decl.members)
        text += member + kCrLf;
    const std::string_view end = blockEndLine(decl.full);
    return text + QLatin1String(end.data(), qsizetype(end.size()));
}

QString GetFull(DeclStore& store, DeclKind kind, const QString& sName)
{
    const std::vector<StoredDecl> found = store.find(kind, sName);
    return found.empty() ? QString() : fullText(kind, found.front());
}

QString assembleCopy(DeclStore* store, DeclKind kind, const QStringList& names, const CopyOptions& options,
                     CopyEnd end)
{
    const QStringList texts = copyTexts(store, kind, names, options);
    if (end == CopyEnd::NoFinalBreak)
        return texts.join(kCrLf);
    QString text;
    for (const QString& t : texts)
        text += t + kCrLf;
    return text;
}
