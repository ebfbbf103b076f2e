// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_store.h"

#include "connection.h"
#include "db_error.h"
#include "files.h"
#include "name_fold.h"

#include <QSet>

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

// Reading a view or a virtual table would run whatever query its author chose.
// SQLite's own account says which is which: only an ordinary table has pages.
void requireOrdinaryTable(Connection& c, const char* table)
{
    Statement kind(c, "SELECT type = 'table' AND rootpage > 0 FROM sqlite_master "
                      "WHERE type IN ('table', 'view') AND name = ?1 COLLATE NOCASE");
    kind.bind(1, std::string_view(table));
    if (!kind.step())
        throw DbError(DbFault::NoTable, c.path(), QString::fromLatin1(table));
    if (kind.integer(0) != 1)
        throw DbError(DbFault::NotATable, c.path(), QString::fromLatin1(table));
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

void requireColumns(Connection& c, const char* table, std::initializer_list<const char*> needed)
{
    const QSet<QString> columns = columnsOf(c, table);
    for (const char* column : needed) {
        if (!columns.contains(QString::fromLatin1(column).toUpper()))
            throw DbError(DbFault::NoField, c.path(),
                          QString::fromLatin1(table) + u'.' + QString::fromLatin1(column));
    }
}

// A statement's text with the kind's table in it.
std::string forTable(DeclKind kind, const char* sql)
{
    return QString::fromLatin1(sql).arg(QLatin1String(tableName(kind))).toStdString();
}

std::string_view viewOf(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), size_t(bytes.size()));
}

} // namespace

// The statements of one kind, prepared when the kind is first read.
struct DeclStore::Table
{
    Table(Connection& c, DeclKind kind)
        : names(c, forTable(kind, "SELECT fdName FROM %1 ORDER BY upper(fdName), rowid"))
        , find(c, forTable(kind, kind == DeclKind::Type
                                     ? "SELECT fdFull, fdTypeID FROM %1 WHERE upper(fdName) = ?1 "
                                       "ORDER BY upper(fdName), rowid"
                                     : "SELECT fdFull FROM %1 WHERE upper(fdName) = ?1 "
                                       "ORDER BY upper(fdName), rowid"))
        , atOrAfter(c, forTable(kind, "SELECT fdName FROM %1 WHERE upper(fdName) >= ?1 "
                                      "ORDER BY upper(fdName), rowid LIMIT 1"))
    {
    }

    Statement names;
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
    if (hasUnfinishedWrite(path))
        throw DbError(DbFault::UnfinishedWrite, path);
    return std::unique_ptr<DeclStore>(new DeclStore(Connection::openForReading(path)));
}

const QString& DeclStore::path() const
{
    return m_connection->path();
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
        t = std::make_unique<Table>(c, kind);
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

std::vector<StoredDecl> DeclStore::find(DeclKind kind, QStringView name)
{
    Statement& find = table(kind).find;
    const QByteArray key = foldName(name).toUtf8();
    find.bind(1, viewOf(key));
    std::vector<StoredDecl> found;
    std::vector<std::optional<qint64>> typeNumbers;
    while (find.step()) {
        found.push_back(StoredDecl{find.text(0), {}});
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
        m_members = std::make_unique<Statement>(
            *m_connection, "SELECT fdFull FROM tbMenb WHERE fdTypeID = ?1 ORDER BY fdTypeID, rowid");
    }
    m_members->bind(1, typeNumber);
    QStringList lines;
    while (m_members->step())
        lines << m_members->text(0);
    return lines;
}
