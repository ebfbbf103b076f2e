// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "database.h"

#include "db_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace {

DbFault faultFor(int rc)
{
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
        return DbFault::Duplicate;
    switch (rc & 0xff) {
    case SQLITE_FULL:
        return DbFault::DiskFull;
    case SQLITE_READONLY:
        return DbFault::ReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbFault::Locked;
    case SQLITE_IOERR:
        return DbFault::Io;
    case SQLITE_CORRUPT:
        return DbFault::Corrupt;
    case SQLITE_NOTADB:
        return DbFault::NotADatabase;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return DbFault::AccessDenied;
    case SQLITE_NOMEM:
        return DbFault::OutOfMemory;
    default:
        return DbFault::Engine;
    }
}

// A busy file answers within this time rather than freezing the window.
constexpr int kBusyTimeoutMs = 1000;

sqlite3* openHandle(const QString& path, int flags)
{
    sqlite3* db = nullptr;
#ifdef _WIN32
    // SQLite takes UTF-8 file names on Windows, not the ANSI code page.
    const QByteArray name = path.toUtf8();
#else
    const QByteArray name = QFile::encodeName(path);
#endif
    const int rc = sqlite3_open_v2(name.constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
        sqlite3_close(db);
        throw DbError(faultFor(rc), path, message);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return db;
}

void checkPathForOpen(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        if (!info.absoluteDir().exists())
            throw DbError(DbFault::BadPath, path);
        throw DbError(DbFault::FileNotFound, path);
    }
    if (!info.isFile())
        throw DbError(DbFault::NotAFile, path);
}

} // namespace

void raiseSqlite(int rc, const QString& path, const char* message)
{
    throw DbError(faultFor(rc), path, message ? QString::fromUtf8(message) : QString());
}

Database::Database(sqlite3* db, QString path)
    : m_db(db)
    , m_path(std::move(path))
{
}

Database::~Database()
{
    Close();
}

std::shared_ptr<Database> Database::CreateDatabase(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink())
        throw DbError(info.isFile() ? DbFault::AlreadyExists : DbFault::NotAFile, path);
    if (!info.absoluteDir().exists())
        throw DbError(DbFault::BadPath, path);
    return std::shared_ptr<Database>(
        new Database(openHandle(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE), path));
}

std::shared_ptr<Database> Database::OpenDatabase(const QString& path)
{
    checkPathForOpen(path);
    std::shared_ptr<Database> db(new Database(openHandle(path, SQLITE_OPEN_READWRITE), path));
    // sqlite3_open_v2 reads nothing; this first read tells a database from other bytes.
    sqlite3_stmt* probe = db->prepare("SELECT count(*) FROM sqlite_master");
    const int rc = sqlite3_step(probe);
    sqlite3_finalize(probe);
    if (rc != SQLITE_ROW)
        db->raise(rc);
    return db;
}

void Database::Close()
{
    if (!m_db)
        return;
    // A recordset that is still open may be in the middle of a walk; its statement
    // would keep a read lock on the file until the recordset is gone.
    for (sqlite3_stmt* stmt = sqlite3_next_stmt(m_db, nullptr); stmt; stmt = sqlite3_next_stmt(m_db, stmt))
        sqlite3_reset(stmt);
    for (auto& [sql, stmt] : m_idle)
        sqlite3_finalize(stmt);
    m_idle.clear();
    if (inTransaction())
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (inTransaction())
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    // Statements of open recordsets are finalized when they are released; until
    // then SQLite keeps the handle without its file locks.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void Database::checkOpen() const
{
    if (!m_db)
        throw DbError(DbFault::Closed, m_path);
}

void Database::raise(int rc) const
{
    raiseSqlite(rc, m_path, m_db ? sqlite3_errmsg(m_db) : nullptr);
}

sqlite3_stmt* Database::prepare(const QByteArray& sql)
{
    checkOpen();
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &stmt, nullptr);
    if (rc != SQLITE_OK)
        raise(rc);
    return stmt;
}

sqlite3_stmt* Database::acquire(const QByteArray& sql)
{
    checkOpen();
    const auto idle = m_idle.find(sql);
    if (idle == m_idle.end())
        return prepare(sql);
    sqlite3_stmt* stmt = idle->second;
    m_idle.erase(idle);
    return stmt;
}

void Database::release(sqlite3_stmt* stmt)
{
    if (!stmt)
        return;
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (!m_db) {
        sqlite3_finalize(stmt);
        return;
    }
    m_idle.emplace(QByteArray(sqlite3_sql(stmt)), stmt);
}

void Database::execute(const char* sql)
{
    checkOpen();
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const QString text = message ? QString::fromUtf8(message) : QString();
        sqlite3_free(message);
        throw DbError(faultFor(rc), m_path, text);
    }
}

void Database::BeginTrans()
{
    execute("BEGIN");
}

void Database::CommitTrans()
{
    execute("COMMIT");
}

void Database::Rollback()
{
    if (inTransaction())
        execute("ROLLBACK");
}

bool Database::inTransaction() const
{
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

void Database::setMaxPageCount(long long pages)
{
    execute(QByteArray("PRAGMA max_page_count = " + QByteArray::number(pages)).constData());
}
