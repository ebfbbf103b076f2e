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
    case SQLITE_INTERRUPT:
        return DbFault::TooSlow;
    default:
        return DbFault::Engine;
    }
}

// A busy file answers within this time rather than freezing the window.
constexpr int kBusyTimeoutMs = 1000;
// No step of a statement on a real declaration database comes near this; a crafted
// file (a view over an endless query, say) is stopped here.
constexpr auto kStepLimit = std::chrono::seconds(5);
// How many virtual machine instructions run between two looks at the clock.
constexpr int kProgressInstructions = 10000;

QByteArray fileName(const QString& path)
{
#ifdef _WIN32
    // SQLite takes UTF-8 file names on Windows, not the ANSI code page.
    return path.toUtf8();
#else
    return QFile::encodeName(path);
#endif
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

// The first bytes of a rollback journal SQLite wrote. A file of that name that
// lacks them is someone else's, and browsing must not delete it.
bool isRollbackJournal(const QString& path)
{
    static const char kMagic[] = {'\xd9', '\xd5', '\x05', '\xf9', '\x20', '\xa1', '\x63', '\xd7'};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(sizeof kMagic) == QByteArray(kMagic, sizeof kMagic);
}

// SQLite takes "immutable" only in a URI, so the file name is escaped as one.
QByteArray immutableUri(const QString& path)
{
    const QByteArray name = fileName(QFileInfo(path).absoluteFilePath());
    QByteArray uri = "file:";
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || c == '/' ||
            c == '-' || c == '_' || c == '.' || c == '~')
            uri += c;
        else
            uri += '%' + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    return uri + "?immutable=1";
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
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_progress_handler(m_db, kProgressInstructions, &Database::onProgress, this);
}

Database::~Database()
{
    Close();
}

std::shared_ptr<Database> Database::open(const QString& path, int flags)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(fileName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
        sqlite3_close(db);
        throw DbError(faultFor(rc), path, message);
    }
    return std::shared_ptr<Database>(new Database(db, path));
}

std::shared_ptr<Database> Database::CreateDatabase(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink())
        throw DbError(info.isFile() ? DbFault::AlreadyExists : DbFault::NotAFile, path);
    if (!info.absoluteDir().exists())
        throw DbError(DbFault::BadPath, path);
    return open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

// sqlite3_open_v2 reads nothing; this first read tells a database from other bytes,
// and it is where SQLite finds a hot journal.
void Database::probe()
{
    sqlite3_stmt* stmt = prepare("SELECT count(*) FROM sqlite_master");
    const int rc = step(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW)
        raise(rc);
}

std::shared_ptr<Database> Database::OpenDatabase(const QString& path, Access access)
{
    checkPathForOpen(path);
    if (access == Access::Exclusive) {
        std::shared_ptr<Database> db = open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW);
        db->execute("PRAGMA locking_mode = EXCLUSIVE");
        // Taking the write lock at once keeps it until Close.
        db->execute("BEGIN EXCLUSIVE");
        db->CommitTrans();
        return db;
    }
    if (access == Access::ReadWrite) {
        std::shared_ptr<Database> db = open(path, SQLITE_OPEN_READWRITE);
        db->probe();
        return db;
    }
    std::shared_ptr<Database> db = open(path, SQLITE_OPEN_READONLY);
    try {
        db->probe();
        return db;
    } catch (const DbError&) {
        const int rc = sqlite3_extended_errcode(db->m_db);
        db->Close();
        if (rc == SQLITE_READONLY_ROLLBACK && !isRollbackJournal(path + QStringLiteral("-journal"))) {
            // Not a journal at all: nothing to roll back, and nothing to delete.
            db = open(QString::fromUtf8(immutableUri(path)), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
            db->m_path = path;
        } else if (rc == SQLITE_READONLY_ROLLBACK || rc == SQLITE_READONLY_RECOVERY ||
                   rc == SQLITE_READONLY_CANTINIT || rc == SQLITE_READONLY_CANTLOCK) {
            db = open(path, SQLITE_OPEN_READWRITE);
        } else {
            throw;
        }
    }
    db->probe();
    return db;
}

bool Database::isLockedByOther(const QString& path)
{
    sqlite3* db = nullptr;
    bool locked = false;
    if (sqlite3_open_v2(fileName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                        nullptr) == SQLITE_OK) {
        // No busy timeout: a lock held now is the answer.
        locked = (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) & 0xff) == SQLITE_BUSY;
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    return locked;
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
        exec("COMMIT", false);
    if (inTransaction())
        exec("ROLLBACK", false);
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

int Database::onProgress(void* self)
{
    const auto* db = static_cast<const Database*>(self);
    return db->m_limited && std::chrono::steady_clock::now() > db->m_deadline ? 1 : 0;
}

int Database::step(sqlite3_stmt* stmt)
{
    m_deadline = std::chrono::steady_clock::now() + kStepLimit;
    m_limited = true;
    const int rc = sqlite3_step(stmt);
    m_limited = false;
    return rc;
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

// A commit is never interrupted: stopping it half way would only roll back what
// the user has waited for.
int Database::exec(const char* sql, bool limited, QString* message)
{
    char* text = nullptr;
    m_deadline = std::chrono::steady_clock::now() + kStepLimit;
    m_limited = limited;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &text);
    m_limited = false;
    if (message && text)
        *message = QString::fromUtf8(text);
    sqlite3_free(text);
    return rc;
}

void Database::run(const char* sql, bool limited)
{
    checkOpen();
    QString message;
    const int rc = exec(sql, limited, &message);
    if (rc != SQLITE_OK)
        throw DbError(faultFor(rc), m_path, message);
}

void Database::execute(const char* sql)
{
    run(sql, true);
}

void Database::BeginTrans()
{
    execute("BEGIN");
}

void Database::CommitTrans()
{
    run("COMMIT", false);
}

void Database::Rollback()
{
    if (inTransaction())
        run("ROLLBACK", false);
}

bool Database::inTransaction() const
{
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

void Database::setMaxPageCount(long long pages)
{
    execute(QByteArray("PRAGMA max_page_count = " + QByteArray::number(pages)).constData());
}
