// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "connection.h"

#include "db_error.h"
#include "errno_fault.h"
#include "files.h"
#include "new_file_vfs.h"
#include "read_only_vfs.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <sqlite3.h>

namespace {

// No step of a statement on a real declaration database comes near this; a crafted
// file (a view over an endless query, a schema of a million entries) is stopped here.
constexpr auto kStepLimit = std::chrono::seconds(5);
// How many virtual machine instructions run between two looks at the clock.
constexpr int kProgressInstructions = 10000;

struct PrimaryFault
{
    int code;
    DbFault fault;
};

constexpr PrimaryFault kPrimaryFaults[] = {
    {SQLITE_FULL, DbFault::DiskFull},
    {SQLITE_READONLY, DbFault::ReadOnly},
    {SQLITE_BUSY, DbFault::Locked},
    {SQLITE_LOCKED, DbFault::Locked},
    {SQLITE_IOERR, DbFault::Io},
    {SQLITE_CORRUPT, DbFault::Corrupt},
    {SQLITE_NOTADB, DbFault::NotADatabase},
    {SQLITE_CANTOPEN, DbFault::AccessDenied},
    {SQLITE_PERM, DbFault::AccessDenied},
    {SQLITE_AUTH, DbFault::AccessDenied},
    {SQLITE_NOMEM, DbFault::OutOfMemory},
    {SQLITE_INTERRUPT, DbFault::TooSlow},
};

// The system's own reason says more than SQLite's code: a file that cannot be
// created may be out of inodes, out of file handles or over a size limit.
DbFault faultFor(int rc, int systemErrno)
{
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
        return DbFault::Duplicate;
    if (rc == SQLITE_READONLY_DBMOVED)
        return DbFault::Moved;
    if (rc == SQLITE_TOOBIG)
        return DbFault::ValueTooLong;
    const int primary = rc & 0xff;
    // After a failed open the last errno may come from SQLite's look for a journal
    // that need not exist: a missing file then says nothing.
    const bool meaningful = !(primary == SQLITE_CANTOPEN && systemErrno == ENOENT);
    if (meaningful && (primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR || primary == SQLITE_FULL)) {
        const FileStep step = primary == SQLITE_CANTOPEN ? FileStep::Create : FileStep::Write;
        if (const std::optional<DbFault> fault = faultOfErrno(systemErrno, step))
            return *fault;
    }
    for (const PrimaryFault& p : kPrimaryFaults) {
        if (p.code == primary)
            return p.fault;
    }
    return DbFault::Engine;
}

// "immutable" is taken only in a URI, so the file name is escaped as one.
QByteArray immutableUri(const QByteArray& name)
{
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

Connection::Connection(sqlite3* db, QString path, bool guarded)
    : m_db(db)
    , m_path(std::move(path))
    , m_guarded(guarded)
{
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    if (m_guarded) {
        sqlite3_limit(m_db, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
        sqlite3_progress_handler(m_db, kProgressInstructions, &Connection::onProgress, this);
    }
}

Connection::~Connection()
{
    sqlite3_close_v2(m_db);
}

std::unique_ptr<Connection> Connection::open(const QByteArray& name, int flags, const char* vfs,
                                             const QString& path, bool guarded)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(name.constData(), &db, flags, vfs);
    if (rc != SQLITE_OK) {
        const int systemErrno = db ? sqlite3_system_errno(db) : 0;
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
        sqlite3_close(db);
        throw DbError(faultFor(rc, systemErrno), path, message);
    }
    return std::unique_ptr<Connection>(new Connection(db, path, guarded));
}

std::unique_ptr<Connection> Connection::openForReading(const QString& path)
{
    // Says why a path cannot be read, in the words a user understands; the file
    // system below checks again on the descriptor it reads through.
    openRegularFile(path, FileRole::Database);
    const char* vfs = readOnlyVfsName();
    // Without that file system, immutable keeps SQLite from locking the file and
    // from looking for a journal beside it.
    const QByteArray name = vfs ? sqliteFileName(path) : immutableUri(sqliteFileName(path));
    std::unique_ptr<Connection> c = open(name, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, vfs, path, true);
    // sqlite3_open_v2 reads nothing; this first read tells a database from other
    // bytes, and reads the schema under the time limit.
    Statement probe(*c, "SELECT count(*) FROM sqlite_master");
    probe.step();
    return c;
}

std::unique_ptr<Connection> Connection::openNewFile(const QString& path, const QString& messagePath)
{
    std::unique_ptr<Connection> c = open(sqliteFileName(path), SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                                         newFileVfsName(), messagePath, false);
    // No journal and no syncs: a failed build is thrown away whole, and the finished
    // file is synced once before it is put in place. Pages of 16 KB cost the least
    // CPU of 4, 8 and 16 KB on a million lines; the rows need no more than SQLite's
    // default cache, since the tables only grow at their ends.
    c->run("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA locking_mode = EXCLUSIVE;"
           "PRAGMA page_size = 16384");
    return c;
}

void Connection::raise(int rc) const
{
    if (rc == SQLITE_INTERRUPT && m_wholeSpent)
        throw DbError(DbFault::OverTimeLimit, m_path, QString::number(m_wholeBudget.count() / 1000));
    // The error number SQLite keeps for the connection is the one left when the failure
    // reached it, after whatever calls came between; the file keeps the one its own
    // write or read failed with.
    int systemErrno = 0;
    const int primary = rc & 0xff;
    if (primary == SQLITE_IOERR || primary == SQLITE_FULL)
        sqlite3_file_control(m_db, "main", SQLITE_FCNTL_LAST_ERRNO, &systemErrno);
    if (systemErrno == 0)
        systemErrno = sqlite3_system_errno(m_db);
    throw DbError(faultFor(rc, systemErrno), m_path, QString::fromUtf8(sqlite3_errmsg(m_db)));
}

int Connection::onProgress(void* self)
{
    const auto* c = static_cast<const Connection*>(self);
    return c->m_limited && std::chrono::steady_clock::now() > c->m_deadline ? 1 : 0;
}

bool Connection::startClock()
{
    m_limited = m_guarded;
    if (!m_limited)
        return true;
    m_stepStart = std::chrono::steady_clock::now();
    m_deadline = m_stepStart + kStepLimit;
    if (m_wholeDepth == 0)
        return true;
    // Steps too short for the progress handler ever to see are stopped here.
    if (m_wholeSpent) {
        m_limited = false;
        return false;
    }
    m_deadline = std::min(m_deadline, m_stepStart + m_wholeLeft);
    return true;
}

void Connection::stopClock()
{
    if (m_limited && m_wholeDepth > 0) {
        m_wholeLeft -= std::chrono::steady_clock::now() - m_stepStart;
        m_wholeSpent = m_wholeLeft <= std::chrono::steady_clock::duration::zero();
    }
    m_limited = false;
}

WholeRead::WholeRead(Connection& connection, std::chrono::milliseconds budget)
    : m_connection(connection)
{
    if (m_connection.m_wholeDepth++ == 0) {
        m_connection.m_wholeBudget = budget;
        m_connection.m_wholeLeft = budget;
        m_connection.m_wholeSpent = false;
    }
}

WholeRead::~WholeRead()
{
    if (--m_connection.m_wholeDepth == 0)
        m_connection.m_wholeSpent = false;
}

void Connection::run(std::string_view sql)
{
    const QByteArray text(sql.data(), qsizetype(sql.size()));
    if (!startClock())
        raise(SQLITE_INTERRUPT);
    const int rc = sqlite3_exec(m_db, text.constData(), nullptr, nullptr, nullptr);
    stopClock();
    if (rc != SQLITE_OK)
        raise(rc);
}

Statement::Statement(Connection& connection, std::string_view sql)
    : m_connection(&connection)
{
    // Preparing reads the schema first, which a crafted file can make endless.
    if (!connection.startClock())
        connection.raise(SQLITE_INTERRUPT);
    const int rc = sqlite3_prepare_v2(connection.m_db, sql.data(), int(sql.size()), &m_stmt, nullptr);
    connection.stopClock();
    if (rc != SQLITE_OK)
        connection.raise(rc);
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement&& other) noexcept
    : m_connection(other.m_connection)
    , m_stmt(other.m_stmt)
    , m_bound(std::move(other.m_bound))
{
    other.m_stmt = nullptr;
}

Statement& Statement::bind(int parameter, std::string_view utf8)
{
    const int rc = sqlite3_bind_text(m_stmt, parameter, utf8.data(), int(utf8.size()), SQLITE_STATIC);
    if (rc != SQLITE_OK)
        m_connection->raise(rc);
    return *this;
}

Statement& Statement::bind(int parameter, qint64 value)
{
    const int rc = sqlite3_bind_int64(m_stmt, parameter, value);
    if (rc != SQLITE_OK)
        m_connection->raise(rc);
    return *this;
}

Statement& Statement::bind(int parameter, QStringView text)
{
    if (m_bound.size() < size_t(parameter))
        m_bound.resize(size_t(parameter));
    QByteArray& kept = m_bound[size_t(parameter - 1)];
    kept = text.toUtf8();
    return bind(parameter, std::string_view(kept.constData(), size_t(kept.size())));
}

bool Statement::step()
{
    // A walk stopped between two rows must not stay where it stopped.
    if (!m_connection->startClock()) {
        sqlite3_reset(m_stmt);
        m_connection->raise(SQLITE_INTERRUPT);
    }
    const int rc = sqlite3_step(m_stmt);
    m_connection->stopClock();
    if (rc == SQLITE_ROW)
        return true;
    sqlite3_reset(m_stmt);
    if (rc == SQLITE_DONE)
        return false;
    m_connection->raise(rc);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

std::string_view Statement::utf8(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return text ? std::string_view(text, size_t(sqlite3_column_bytes(m_stmt, column))) : std::string_view();
}

QString Statement::text(int column) const
{
    const std::string_view s = utf8(column);
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
