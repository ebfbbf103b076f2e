// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "recordset.h"

#include "db_error.h"

#include <sqlite3.h>

namespace {

QByteArray quoted(const QString& identifier)
{
    QByteArray s = identifier.toUtf8();
    s.replace('"', "\"\"");
    return '"' + s + '"';
}

// Every walk selects the "key equals the sought value" flag, the index key and the
// rowid before the table's own columns.
constexpr int kEqualColumn = 0;
constexpr int kKeyColumn = 1;
constexpr int kRowIdColumn = 2;
constexpr int kFirstColumn = 3;

// Bit masks of assigned columns limit a table to 64 columns for AddNew; the
// declaration tables have three.
constexpr int kMaxColumns = 64;

QVariant columnValue(sqlite3_stmt* stmt, int i)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, i));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, i)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, i));
        return QVariant(QByteArray(data, sqlite3_column_bytes(stmt, i)));
    }
    default:
        return QVariant();
    }
}

int bindValue(sqlite3_stmt* stmt, int i, const QVariant& value)
{
    if (value.isNull())
        return sqlite3_bind_null(stmt, i);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::Bool:
        return sqlite3_bind_int64(stmt, i, value.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(stmt, i, value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob(stmt, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text(stmt, i, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
}

// Reading a view or a virtual table would run whatever query its author chose.
void requireOrdinaryTable(Database& db, const QString& table)
{
    sqlite3_stmt* kind =
        db.acquire("SELECT type, sql LIKE 'CREATE VIRTUAL%' FROM sqlite_master WHERE type IN "
                   "('table', 'view') AND name = ?1 COLLATE NOCASE");
    const QByteArray name = table.toUtf8();
    int rc = sqlite3_bind_text(kind, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    if (rc == SQLITE_OK)
        rc = db.step(kind);
    const bool found = rc == SQLITE_ROW;
    const bool ordinary =
        found && QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(kind, 0))) == "table" &&
        sqlite3_column_int(kind, 1) == 0;
    db.release(kind);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        db.raise(rc);
    if (!found)
        throw DbError(DbFault::NoTable, db.name(), table);
    if (!ordinary)
        throw DbError(DbFault::NotATable, db.name(), table);
}

} // namespace

std::unique_ptr<Recordset> Database::OpenRecordset(const QString& table)
{
    checkOpen();
    return std::make_unique<Recordset>(shared_from_this(), table);
}

Recordset::Recordset(std::shared_ptr<Database> database, const QString& table)
    : m_db(std::move(database))
    , m_table(table)
    , m_quotedTable(quoted(table))
{
    Database& db = *m_db;
    requireOrdinaryTable(db, table);
    sqlite3_stmt* info = db.acquire("PRAGMA table_info(" + m_quotedTable + ")");
    int rc;
    while ((rc = db.step(info)) == SQLITE_ROW)
        m_columns << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 1)));
    db.release(info);
    if (rc != SQLITE_DONE)
        db.raise(rc);
    if (m_columns.isEmpty())
        throw DbError(DbFault::NoTable, db.name(), table);
    if (m_columns.size() > kMaxColumns)
        throw DbError(DbFault::Unsupported, db.name(), table);
    m_pending.resize(m_columns.size());
    m_nameField = int(m_columns.indexOf(QStringLiteral("fdName")));
    setIndex(QString());
}

Recordset::~Recordset()
{
    Close();
}

void Recordset::Close()
{
    if (!m_db)
        return;
    releaseWalks();
    for (auto& [mask, stmt] : m_inserts)
        m_db->release(stmt);
    m_inserts.clear();
    m_onRow = false;
    m_detached = false;
    m_firstPending = false;
    m_adding = false;
    m_db.reset();
}

void Recordset::checkOpen() const
{
    if (!m_db)
        throw DbError(DbFault::Closed, QString(), m_table);
    if (!m_db->isOpen())
        throw DbError(DbFault::Closed, m_db->name(), m_table);
}

void Recordset::raise(int rc) const
{
    m_db->raise(rc);
}

int Recordset::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw DbError(DbFault::NoField, m_db ? m_db->name() : QString(), m_table + u'.' + name);
}

void Recordset::setIndex(const QString& index)
{
    checkOpen();
    QByteArray key;
    QByteArray sought = "?1";
    if (index.isEmpty()) {
        key = "rowid";
    } else if (index == QLatin1String("ixName")) {
        key = "upper(" + quoted(m_columns[fieldIndex(QStringLiteral("fdName"))]) + ')';
        sought = "upper(?1)";
    } else if (index == QLatin1String("ixTypeID")) {
        key = quoted(m_columns[fieldIndex(QStringLiteral("fdTypeID"))]);
    } else {
        throw DbError(DbFault::NoField, m_db->name(), m_table + u'.' + index);
    }
    releaseWalks();
    m_index = index;
    m_key = key;
    m_sought = sought;
    m_textKey = index == QLatin1String("ixName");
    QByteArray columns;
    for (const QString& c : std::as_const(m_columns))
        columns += ", " + quoted(c);
    m_selectFrom = ", " + key + ", rowid" + columns + " FROM " + m_quotedTable;
    // Equal keys follow in stored order, the order the index keeps them in.
    m_order = index.isEmpty() ? QByteArray(" ORDER BY rowid") : " ORDER BY " + key + ", rowid";
    m_firstPending = true;
}

sqlite3_stmt* Recordset::walkStatement(Walk walk)
{
    if (!m_walks[walk]) {
        QByteArray sql;
        switch (walk) {
        case FromFirst:
            sql = "SELECT 0" + m_selectFrom + m_order;
            break;
        case FromKey:
            sql = "SELECT " + m_key + " = " + m_sought + m_selectFrom + " WHERE " + m_key +
                  " >= " + m_sought + m_order;
            break;
        case AfterRow:
            sql = "SELECT 0" + m_selectFrom + " WHERE (" + m_key + ", rowid) > (?1, ?2)" + m_order;
            break;
        case AfterNullKeyRow:
            // NULL keys sort first and compare as nothing, so the rows after one need
            // their own condition.
            sql = "SELECT 0" + m_selectFrom + " WHERE (" + m_key + " IS NULL AND rowid > ?2) OR " + m_key +
                  " IS NOT NULL" + m_order;
            break;
        case WalkCount:
            break;
        }
        m_walks[walk] = m_db->acquire(sql);
    }
    return m_walks[walk];
}

void Recordset::releaseWalks()
{
    for (sqlite3_stmt*& stmt : m_walks) {
        if (stmt)
            m_db->release(stmt);
        stmt = nullptr;
    }
    m_walk = nullptr;
    m_onRow = false;
    m_detached = false;
}

// Ends the current walk; a finished walk holds no read lock on the file.
void Recordset::stopWalk()
{
    if (m_walk) {
        sqlite3_reset(m_walk);
        sqlite3_clear_bindings(m_walk);
    }
    m_walk = nullptr;
    m_onRow = false;
    m_detached = false;
}

void Recordset::settle()
{
    if (m_firstPending) {
        m_firstPending = false;
        startWalk(nullptr);
    }
}

void Recordset::detach()
{
    if (!m_onRow || m_detached)
        return;
    m_rowKey = columnValue(m_walk, kKeyColumn);
    m_rowId = sqlite3_column_int64(m_walk, kRowIdColumn);
    m_row.resize(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        m_row[i] = columnValue(m_walk, i + kFirstColumn);
    sqlite3_reset(m_walk);
    sqlite3_clear_bindings(m_walk);
    m_walk = nullptr;
    m_detached = true;
}

void Recordset::startAfterCurrent()
{
    const QVariant key = m_rowKey;
    const qint64 rowId = m_rowId;
    stopWalk();
    sqlite3_stmt* stmt = walkStatement(key.isNull() ? AfterNullKeyRow : AfterRow);
    int rc = key.isNull() ? SQLITE_OK : bindValue(stmt, 1, key);
    if (rc == SQLITE_OK)
        rc = sqlite3_bind_int64(stmt, 2, rowId);
    if (rc != SQLITE_OK)
        raise(rc);
    m_walk = stmt;
    step();
}

void Recordset::startWalk(const QVariant* from)
{
    stopWalk();
    m_firstPending = false;
    if (from) {
        sqlite3_stmt* stmt = walkStatement(FromKey);
        const int rc = m_textKey ? bindValue(stmt, 1, QVariant(from->toString())) : bindValue(stmt, 1, *from);
        if (rc != SQLITE_OK)
            raise(rc);
        m_walk = stmt;
    } else {
        m_walk = walkStatement(FromFirst);
    }
    step();
}

void Recordset::step()
{
    const int rc = m_db->step(m_walk);
    if (rc == SQLITE_ROW) {
        m_onRow = true;
        return;
    }
    stopWalk();
    if (rc != SQLITE_DONE)
        raise(rc);
}

bool Recordset::Eof()
{
    checkOpen();
    settle();
    return !m_onRow;
}

void Recordset::MoveNext()
{
    checkOpen();
    settle();
    if (!m_onRow)
        throw DbError(DbFault::NoCurrentRecord, m_db->name(), m_table);
    if (m_detached)
        startAfterCurrent();
    else
        step();
}

void Recordset::MoveFirst()
{
    checkOpen();
    startWalk(nullptr);
    if (!m_onRow)
        throw DbError(DbFault::NoCurrentRecord, m_db->name(), m_table);
    detach();
}

void Recordset::Seek(const QString& comparison, const QVariant& key)
{
    checkOpen();
    const bool equal = comparison == QLatin1String("=");
    if (m_index.isEmpty() || (!equal && comparison != QLatin1String(">=")))
        throw DbError(DbFault::Unsupported, m_db->name(), m_table);
    startWalk(&key);
    m_noMatch = !m_onRow || (equal && sqlite3_column_int(m_walk, kEqualColumn) != 1);
    if (m_noMatch)
        stopWalk();
    else
        detach();
}

QVariant Recordset::Fields(const QString& name)
{
    checkOpen();
    return Fields(fieldIndex(name));
}

QVariant Recordset::Fields(int field)
{
    checkOpen();
    settle();
    if (!m_onRow)
        throw DbError(DbFault::NoCurrentRecord, m_db->name(), m_table);
    if (field < 0 || field >= m_columns.size())
        throw DbError(DbFault::NoField, m_db->name(), m_table);
    return m_detached ? m_row[field] : columnValue(m_walk, field + kFirstColumn);
}

void Recordset::AddNew()
{
    checkOpen();
    std::fill(m_pending.begin(), m_pending.end(), QVariant());
    m_assigned = 0;
    m_adding = true;
}

void Recordset::setField(const QString& name, const QVariant& value)
{
    checkOpen();
    setField(fieldIndex(name), value);
}

void Recordset::setField(int field, const QVariant& value)
{
    checkOpen();
    if (!m_adding)
        throw DbError(DbFault::Unsupported, m_db->name(), m_table);
    if (field < 0 || field >= m_columns.size())
        throw DbError(DbFault::NoField, m_db->name(), m_table);
    m_pending[field] = value;
    m_assigned |= 1ull << field;
}

sqlite3_stmt* Recordset::insertStatement(unsigned long long columns)
{
    const auto found = m_inserts.find(columns);
    if (found != m_inserts.end())
        return found->second;
    QByteArray names;
    QByteArray values;
    int parameter = 0;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (!(columns & (1ull << i)))
            continue;
        names += (names.isEmpty() ? "" : ", ") + quoted(m_columns[i]);
        values += (values.isEmpty() ? "?" : ", ?") + QByteArray::number(++parameter);
    }
    const QByteArray sql = names.isEmpty()
                               ? "INSERT INTO " + m_quotedTable + " DEFAULT VALUES"
                               : "INSERT INTO " + m_quotedTable + " (" + names + ") VALUES (" + values + ')';
    sqlite3_stmt* stmt = m_db->acquire(sql);
    m_inserts.emplace(columns, stmt);
    return stmt;
}

void Recordset::Update()
{
    checkOpen();
    if (!m_adding)
        throw DbError(DbFault::Unsupported, m_db->name(), m_table);
    m_adding = false;
    if (m_nameField >= 0 && (m_assigned & (1ull << m_nameField)) && !m_pending[m_nameField].isNull() &&
        m_pending[m_nameField].toString().isEmpty())
        throw DbError(DbFault::EmptyName, m_db->name(), m_table + QStringLiteral(".fdName"));
    sqlite3_stmt* stmt = insertStatement(m_assigned);
    int parameter = 0;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (!(m_assigned & (1ull << i)))
            continue;
        const int rc = bindValue(stmt, ++parameter, m_pending[i]);
        if (rc != SQLITE_OK)
            raise(rc);
    }
    const int rc = m_db->step(stmt);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc != SQLITE_DONE)
        raise(rc);
}
