// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_store.h"

#include "connection.h"
#include "db_error.h"
#include "errno_fault.h"
#include "files.h"
#include "line_shape.h"
#include "name_fold.h"

#include <QHash>
#include <QSet>
#include <map>
#include <optional>

namespace {

const char* tableName(DeclKind kind)
{
    switch (kind) {
    case DeclKind::Constant:
        return "tbCnst";
    case DeclKind::Procedure:
        return "tbProc";
    case DeclKind::Type:
        break;
    }
    return "tbType";
}

enum class TableState { Missing, NotATable, Ordinary };

// Reading a view or a virtual table would run whatever query its author chose.
// SQLite's own account says which is which: only an ordinary table has pages.
TableState tableState(Connection& c, const char* table)
{
    Statement kind(c, "SELECT type = 'table' AND rootpage > 0 FROM sqlite_master "
                      "WHERE type IN ('table', 'view') AND name = ?1 COLLATE NOCASE");
    kind.bind(1, std::string_view(table));
    if (!kind.step())
        return TableState::Missing;
    const bool ordinary = kind.integer(0) == 1;
    kind.reset();
    return ordinary ? TableState::Ordinary : TableState::NotATable;
}

void requireOrdinaryTable(Connection& c, const char* table)
{
    switch (tableState(c, table)) {
    case TableState::Missing:
        throw DbError(DbFault::NoTable, c.path(), QString::fromLatin1(table));
    case TableState::NotATable:
        throw DbError(DbFault::NotATable, c.path(), QString::fromLatin1(table));
    case TableState::Ordinary:
        break;
    }
}

QSet<QString> columnsOf(Connection& c, const char* table)
{
    QSet<QString> columns;
    Statement info(c, "SELECT upper(name) FROM pragma_table_info(?1)");
    info.bind(1, std::string_view(table));
    while (info.step())
        columns.insert(info.text(0));
    return columns;
}

bool hasColumn(const QSet<QString>& columns, const char* column)
{
    return columns.contains(QString::fromLatin1(column).toUpper());
}

void requireColumns(Connection& c, const char* table, std::initializer_list<const char*> needed)
{
    const QSet<QString> columns = columnsOf(c, table);
    for (const char* column : needed) {
        if (!hasColumn(columns, column))
            throw DbError(DbFault::NoField, c.path(),
                          QString::fromLatin1(table) + u'.' + QString::fromLatin1(column));
    }
}

// Whether SQLite reads the statement through an index, as a declaration database is
// made to be read, rather than the whole table for every lookup. A statement that
// walks the whole table in order must not sort it either; a lookup may sort what it
// found.
bool readsThroughIndex(Connection& c, const std::string& sql, bool walksInOrder)
{
    Statement plan(c, "EXPLAIN QUERY PLAN " + sql);
    bool indexed = false;
    while (plan.step()) {
        const std::string_view detail = plan.utf8(3);
        const bool usesIndex = detail.find(" INDEX ") != std::string_view::npos;
        // Sorting the rows of one name by their order ("RIGHT PART OF ORDER BY") is
        // no sort of the table.
        const bool sorts = detail == "USE TEMP B-TREE FOR ORDER BY";
        if ((detail.substr(0, 5) == "SCAN " && !usesIndex) || (walksInOrder && sorts))
            return false;
        indexed = indexed || usesIndex;
    }
    return indexed;
}

void requireIndex(Connection& c, const std::string& sql, bool walksInOrder, const char* table,
                  const char* key)
{
    if (!readsThroughIndex(c, sql, walksInOrder))
        throw DbError(DbFault::NoIndex, c.path(),
                      QStringLiteral("%1 (%2)").arg(QLatin1String(table), QLatin1String(key)));
}

// A statement's text with the kind's table in it.
std::string forTable(DeclKind kind, const char* sql)
{
    return QString::fromLatin1(sql).arg(QLatin1String(tableName(kind))).toStdString();
}

// Every declaration of a name: its line, its type number, its place.
std::string findStatement(DeclKind kind, bool hasCond)
{
    const QString sql =
        QStringLiteral("SELECT fdFull, %1, %2 FROM %3 WHERE upper(fdName) = ?1 "
                       "ORDER BY upper(fdName), rowid")
            .arg(kind == DeclKind::Type ? QLatin1String("fdTypeID") : QLatin1String("NULL"),
                 hasCond ? QLatin1String("fdCond") : QLatin1String("0"), QLatin1String(tableName(kind)));
    return sql.toStdString();
}

const char kNamesStatement[] = "SELECT fdName FROM %1 ORDER BY upper(fdName), rowid";

std::string_view viewOf(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), size_t(bytes.size()));
}

} // namespace

// The statements of one kind, prepared when the kind is first read. A table made
// before groups were stored has no fdCond: all of it stands outside any group.
struct DeclStore::Table
{
    Table(Connection& c, DeclKind kind, bool hasCond)
        : names(c, forTable(kind, kNamesStatement))
        , rowIds(c, forTable(kind, "SELECT rowid FROM %1 ORDER BY upper(fdName), rowid"))
        , lines(c, forTable(kind, "SELECT rowid, fdFull FROM %1 ORDER BY rowid"))
        , find(c, findStatement(kind, hasCond))
        , atOrAfter(c, forTable(kind, "SELECT fdName FROM %1 WHERE upper(fdName) >= ?1 "
                                      "ORDER BY upper(fdName), rowid LIMIT 1"))
    {
    }

    Statement names;
    Statement rowIds;
    Statement lines;
    Statement find;
    Statement atOrAfter;
};

DeclStore::DeclStore(std::unique_ptr<Connection> connection)
    : m_connection(std::move(connection))
{
}

DeclStore::~DeclStore() = default;

std::unique_ptr<DeclStore> DeclStore::open(const QString& path)
{
    requireFaithfulPath(path);
    const QString side = unfinishedWriteFile(path);
    if (!side.isEmpty()) {
        // A writer that still holds its lock is at work, not gone: its write will end.
        const bool wal = side.endsWith(QLatin1String("-wal"));
        const bool writing =
            wal ? isLockedByWriter(path + QStringLiteral("-shm"), kWalWriteLockByte) : isLockedByWriter(path);
        throw DbError(writing ? DbFault::BeingWritten : DbFault::UnfinishedWrite, path, side);
    }
    return std::unique_ptr<DeclStore>(new DeclStore(Connection::openForReading(path)));
}

const QString& DeclStore::path() const
{
    return m_connection->path();
}

std::unique_ptr<WholeRead> DeclStore::wholeRead(std::chrono::milliseconds budget)
{
    return std::make_unique<WholeRead>(*m_connection, budget);
}

DeclStore::Table& DeclStore::table(DeclKind kind)
{
    std::unique_ptr<Table>& t = m_tables[size_t(declKindIndex(kind))];
    if (!t) {
        Connection& c = *m_connection;
        const char* name = tableName(kind);
        requireOrdinaryTable(c, name);
        if (kind == DeclKind::Type)
            requireColumns(c, name, {"fdName", "fdFull", "fdTypeID"});
        else
            requireColumns(c, name, {"fdName", "fdFull"});
        const bool hasCond = hasColumn(columnsOf(c, name), "fdCond");
        requireIndex(c, findStatement(kind, hasCond), false, name, "upper(fdName)");
        requireIndex(c, forTable(kind, kNamesStatement), true, name, "upper(fdName)");
        t = std::make_unique<Table>(c, kind, hasCond);
    }
    return *t;
}

void DeclStore::forEachName(DeclKind kind, const std::function<void(std::string_view)>& f)
{
    Statement& names = table(kind).names;
    // A walk cut short by a failure of f must not stay where it stopped.
    struct Reset
    {
        Statement& s;
        ~Reset() { s.reset(); }
    } reset{names};
    while (names.step())
        f(names.utf8(0));
}

namespace {

// A walk cut short by a failure must not stay where it stopped.
struct ResetAtEnd
{
    Statement& s;
    ~ResetAtEnd() { s.reset(); }
};

} // namespace

void DeclStore::forEachRowId(DeclKind kind, const std::function<void(qint64)>& f)
{
    Statement& rowIds = table(kind).rowIds;
    const ResetAtEnd reset{rowIds};
    while (rowIds.step())
        f(rowIds.integer(0));
}

void DeclStore::forEachLine(DeclKind kind, const std::function<void(qint64, std::string_view)>& f)
{
    Statement& lines = table(kind).lines;
    const ResetAtEnd reset{lines};
    while (lines.step())
        f(lines.integer(0), lines.utf8(1));
}

std::vector<StoredDecl> DeclStore::find(DeclKind kind, QStringView name)
{
    Statement& find = table(kind).find;
    const QByteArray key = foldName(name).toUtf8();
    find.bind(1, viewOf(key));
    std::vector<StoredDecl> found;
    std::vector<std::optional<qint64>> typeNumbers;
    while (find.step()) {
        // A null place, which only another program writes, is no place.
        found.push_back(StoredDecl{find.text(0), {}, find.integer(2)});
        if (kind == DeclKind::Type)
            typeNumbers.push_back(find.isNull(1) ? std::nullopt : std::optional<qint64>(find.integer(1)));
    }
    // A type without a number, which a conversion never stores, has no members.
    for (size_t i = 0; i < typeNumbers.size(); ++i) {
        if (typeNumbers[i])
            found[i].members = members(*typeNumbers[i]);
    }
    return found;
}

bool DeclStore::contains(DeclKind kind, QStringView name)
{
    Statement& find = table(kind).find;
    const QByteArray key = foldName(name).toUtf8();
    find.bind(1, viewOf(key));
    const bool found = find.step();
    find.reset();
    return found;
}

std::optional<QString> DeclStore::firstAtOrAfter(DeclKind kind, QStringView key)
{
    Statement& atOrAfter = table(kind).atOrAfter;
    const QByteArray folded = foldName(key).toUtf8();
    atOrAfter.bind(1, viewOf(folded));
    if (!atOrAfter.step())
        return std::nullopt;
    const QString name = atOrAfter.text(0);
    atOrAfter.reset();
    return name;
}

QStringList DeclStore::members(qint64 typeNumber)
{
    if (!m_members) {
        requireOrdinaryTable(*m_connection, "tbMenb");
        requireColumns(*m_connection, "tbMenb", {"fdFull", "fdTypeID"});
        const std::string sql = "SELECT fdFull FROM tbMenb WHERE fdTypeID = ?1 ORDER BY fdTypeID, rowid";
        requireIndex(*m_connection, sql, false, "tbMenb", "fdTypeID");
        m_members = std::make_unique<Statement>(*m_connection, sql);
    }
    m_members->bind(1, typeNumber);
    QStringList lines;
    while (m_members->step())
        lines << m_members->text(0);
    return lines;
}

// The statements over tbCond, prepared when a group is first needed.
struct DeclStore::Conditionals
{
    static constexpr const char* kGroupLines =
        "SELECT fdID, fdGroup, fdParent, fdFull FROM tbCond WHERE fdGroup = ?1 ORDER BY fdID";

    explicit Conditionals(Connection& c)
        : line(c, "SELECT fdGroup, fdParent, fdFull FROM tbCond WHERE fdID = ?1")
        // A group's lines and those of the groups inside it come one after the other,
        // up to the next group at the top.
        , outermost(
              c, "SELECT fdID, fdGroup, fdParent, fdFull FROM tbCond WHERE fdID >= ?1 AND fdID < "
                 "ifnull((SELECT min(fdID) FROM tbCond WHERE fdID > ?1 AND fdParent = 0 AND fdGroup = fdID), "
                 "9223372036854775807) ORDER BY fdID")
        , groupLines(c, kGroupLines)
        , byGroup(readsThroughIndex(c, kGroupLines, false))
    {
    }

    Statement line;
    Statement outermost;
    Statement groupLines;
    // Whether one group's lines can be read alone; without the index they would cost a
    // pass through the table each.
    bool byGroup;
};

DeclStore::Conditionals* DeclStore::conditionals()
{
    if (!m_conditionalsChecked) {
        m_conditionalsChecked = true;
        Connection& c = *m_connection;
        const QSet<QString> columns =
            tableState(c, "tbCond") == TableState::Ordinary ? columnsOf(c, "tbCond") : QSet<QString>();
        if (hasColumn(columns, "fdID") && hasColumn(columns, "fdGroup") && hasColumn(columns, "fdParent") &&
            hasColumn(columns, "fdFull"))
            m_conditionals = std::make_unique<Conditionals>(c);
    }
    return m_conditionals.get();
}

namespace {

StoredConditional conditionalOf(Statement& s)
{
    return StoredConditional{s.integer(0), s.integer(1), s.integer(2), s.text(3)};
}

} // namespace

std::vector<StoredConditional> DeclStore::groupsAround(const std::vector<qint64>& conds)
{
    Conditionals* conditionals = conds.empty() || conds.front() == 0 ? nullptr : this->conditionals();
    if (!conditionals)
        return {};
    // Every line passed on the way up, with the outermost group it stands in: a second
    // cond stops where it meets a line the first went through, so the walks cost no
    // more than the lines they pass.
    QHash<qint64, qint64> topOf;
    std::map<qint64, StoredConditional> lines;
    QSet<qint64> holding;
    qint64 top = 0;
    for (const qint64 cond : conds) {
        if (cond == 0)
            continue;
        QSet<qint64> passed;
        QSet<qint64> groups;
        std::optional<StoredConditional> own;
        qint64 at = cond;
        qint64 reached = 0;
        bool holdsNothing = false;
        for (;;) {
            if (const auto known = topOf.constFind(at); known != topOf.cend()) {
                reached = *known;
                break;
            }
            // Branches that hold each other, which no conversion writes, hold nothing.
            if (passed.contains(at)) {
                holdsNothing = true;
                break;
            }
            Statement& line = conditionals->line;
            line.bind(1, at);
            if (!line.step()) {
                holdsNothing = true;
                break;
            }
            const qint64 group = line.integer(0);
            const qint64 parent = line.integer(1);
            // After a group's #End If a declaration stands in the branch around that group.
            if (at == cond)
                own = StoredConditional{at, group, parent, line.text(2)};
            if (at != cond || conditionalAt(own->full) != ConditionalKind::EndIf)
                groups.insert(group);
            line.reset();
            passed.insert(at);
            if (parent == 0) {
                reached = group;
                break;
            }
            at = parent;
        }
        if (holdsNothing && cond == conds.front())
            return {};
        if (holdsNothing || (top != 0 && reached != top))
            continue;
        top = reached;
        for (const qint64 id : passed)
            topOf.insert(id, reached);
        holding.unite(groups);
        if (own)
            lines.emplace(cond, std::move(*own));
    }
    if (holding.isEmpty())
        return {};

    std::vector<StoredConditional> out;
    if (!conditionals->byGroup) {
        Statement& outermost = conditionals->outermost;
        outermost.bind(1, top);
        while (outermost.step())
            out.push_back(conditionalOf(outermost));
        outermost.reset();
        return out;
    }
    for (const qint64 group : holding) {
        Statement& groupLines = conditionals->groupLines;
        groupLines.bind(1, group);
        while (groupLines.step()) {
            StoredConditional line = conditionalOf(groupLines);
            const qint64 id = line.id;
            lines.insert_or_assign(id, std::move(line));
        }
        groupLines.reset();
    }
    out.reserve(lines.size());
    for (auto& [id, line] : lines)
        out.push_back(std::move(line));
    return out;
}
