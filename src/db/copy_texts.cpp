// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "copy_texts.h"

#include "database.h"
#include "decl_uses.h"
#include "get_full.h"
#include "name_fold.h"
#include "recordset.h"

#include <QHash>
#include <array>
#include <memory>
#include <vector>

namespace {

qsizetype firstWordLength(QStringView line)
{
    qsizetype n = 0;
    while (n < line.size() && (line[n].isLetterOrNumber() || line[n] == u'_'))
        ++n;
    return n;
}

// A copy with the used declarations makes thousands of lookups; inside one
// transaction they take the file's shared lock once instead of once each.
// Nothing is written, so it ends with a rollback.
class ReadTransaction
{
public:
    explicit ReadTransaction(Database& db)
        : m_db(db)
        , m_own(!db.inTransaction())
    {
        if (m_own)
            m_db.BeginTrans();
    }
    ~ReadTransaction()
    {
        if (!m_own)
            return;
        try {
            m_db.Rollback();
        } catch (const std::exception&) {
            // The lock goes with the connection at the latest; a copy has nothing to undo.
        }
    }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    Database& m_db;
    bool m_own;
};

// One copy with the used declarations: every name is looked up once, and a
// declaration is given once, after what it uses.
class UseWalk
{
public:
    UseWalk(Recordset& rsDecl, int iKind, CopyScope scope, QStringList& out)
        : m_rsDecl(rsDecl)
        , m_kind(iKind)
        , m_scope(scope)
        , m_out(out)
    {
    }

    void giveEntry(const QString& name)
    {
        const int entry = find(m_kind, name);
        if (!m_decls[entry].found) {
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
                if (m_decls[d].found && m_decls[d].state == Decl::New) {
                    open(d);
                    stack.push_back({d, 0});
                }
                continue;
            }
            Decl& done = m_decls[at];
            done.state = Decl::Given;
            done.uses = {};
            m_out << withScope(done.text, m_scope);
            stack.pop_back();
        }
    }

private:
    struct Decl
    {
        enum State { New, Open, Given };
        int kind = 0;
        QString text;
        bool found = false;
        State state = New;
        std::vector<UsedName> uses;
    };

    void open(int d)
    {
        m_decls[d].state = Decl::Open;
        m_decls[d].uses = namesUsedBy(m_decls[d].kind, m_decls[d].text);
    }

    // A declaration is its kind and its name under the fold: Seek finds the same
    // row for every spelling.
    int find(int kind, const QString& name)
    {
        const QString key = foldName(name);
        const auto known = m_known[kind].constFind(key);
        if (known != m_known[kind].cend())
            return known.value();
        Recordset& rs = table(kind);
        Decl d;
        d.kind = kind;
        d.text = GetFull(rs, rs.database(), kind, name);
        d.found = !rs.NoMatch();
        m_decls.push_back(std::move(d));
        const int at = int(m_decls.size() - 1);
        m_known[kind].insert(key, at);
        return at;
    }

    Recordset& table(int kind)
    {
        if (kind == m_kind)
            return m_rsDecl;
        std::unique_ptr<Recordset>& rs = m_tables[kind];
        if (!rs) {
            rs = m_rsDecl.database().OpenRecordset(kindTable(kind));
            rs->setIndex(QStringLiteral("ixName"));
        }
        return *rs;
    }

    Recordset& m_rsDecl;
    int m_kind;
    CopyScope m_scope;
    QStringList& m_out;
    std::array<std::unique_ptr<Recordset>, 3> m_tables;
    std::array<QHash<QString, int>, 3> m_known;
    std::vector<Decl> m_decls;
};

} // namespace

QString withScope(const QString& text, CopyScope scope)
{
    if (scope == CopyScope::AsDeclared)
        return text;
    const QString keyword = scope == CopyScope::Public ? QStringLiteral("Public") : QStringLiteral("Private");
    const qsizetype lineEnd = text.indexOf(QLatin1String("\r\n"));
    const QStringView line = QStringView(text).left(lineEnd < 0 ? text.size() : lineEnd);
    const qsizetype word = firstWordLength(line);
    const QString first = foldName(line.left(word));
    if (first == QLatin1String("PUBLIC") || first == QLatin1String("PRIVATE"))
        return keyword + text.mid(word);
    if (hasFoldedAt(line, 0, QLatin1StringView("CONST ")) ||
        hasFoldedAt(line, 0, QLatin1StringView("DECLARE ")) ||
        hasFoldedAt(line, 0, QLatin1StringView("TYPE ")))
        return keyword + u' ' + text;
    return text;
}

QStringList copyTexts(Recordset& rsDecl, int iKind, const QStringList& names, const CopyOptions& options)
{
    QStringList texts;
    texts.reserve(names.size());
    if (options.withUses && iKind >= kKindConstant && iKind <= kKindType) {
        const ReadTransaction reading(rsDecl.database());
        UseWalk walk(rsDecl, iKind, options.scope, texts);
        for (const QString& name : names)
            walk.giveEntry(name);
        return texts;
    }
    for (const QString& name : names)
        texts << withScope(GetFull(rsDecl, rsDecl.database(), iKind, name), options.scope);
    return texts;
}
