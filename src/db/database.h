// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <chrono>
#include <map>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;
class Recordset;

// One declaration database file, through SQLite's C API. The windows work with it
// in recordsets (walk, Seek, AddNew/Update), and every failure is a DbError with
// its number. A database is always owned by shared pointers: each recordset holds
// its database, so a recordset stays usable after the window has moved on to
// another file. GUI thread only.
//
// Declaration databases are files people exchange, so every connection distrusts
// the schema (no function that is not harmless runs from it, SQLite's defensive
// mode is on) and no single step of a statement may run longer than a few seconds.
class Database : public std::enable_shared_from_this<Database>
{
public:
    enum class Access {
        ReadWrite,
        // Browsing never writes to the file. Only when a hot journal left by a
        // crashed writer must be rolled back, or a WAL file needs recovery, is the
        // file opened for writing, since that is what keeps its data.
        ReadOnly,
        // The only connection to a file this program has just made: symbolic links
        // are not followed, and the file stays locked against every other
        // connection until it is closed.
        Exclusive,
    };

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Fails with AlreadyExists when anything is at the path: replacing is MakeDb's job.
    static std::shared_ptr<Database> CreateDatabase(const QString& path);
    // Never creates a file: a missing one is FileNotFound (3024).
    static std::shared_ptr<Database> OpenDatabase(const QString& path, Access access = Access::ReadWrite);
    // True when another connection holds a lock on the SQLite file at path that
    // keeps this program from writing it. Not followed through symbolic links.
    static bool isLockedByOther(const QString& path);

    const QString& name() const { return m_path; }
    bool isOpen() const { return m_db != nullptr; }
    // Recordsets still open on it fail with Closed (3420) from now on and hold no
    // lock on the file; closing twice does nothing.
    void Close();

    // A cursor over a table, walking in stored order until an index is chosen.
    // Only an ordinary table of the file is opened: a view or a virtual table of
    // that name is NotATable (3078).
    std::unique_ptr<Recordset> OpenRecordset(const QString& table);

    void execute(const char* sql);
    void BeginTrans();
    void CommitTrans();
    void Rollback();
    bool inTransaction() const;

    // Caps the file at this many pages; what a full disk looks like to the writer.
    void setMaxPageCount(long long pages);

    // Prepared statements are kept for reuse: a recordset opened for every lookup
    // then costs no parsing. A released statement is reset and unbound; after
    // Close it is finalized.
    sqlite3_stmt* acquire(const QByteArray& sql);
    void release(sqlite3_stmt* stmt);
    // sqlite3_step under the time limit.
    int step(sqlite3_stmt* stmt);
    [[noreturn]] void raise(int rc) const;

private:
    Database(sqlite3* db, QString path);
    static std::shared_ptr<Database> open(const QString& path, int flags);
    sqlite3_stmt* prepare(const QByteArray& sql);
    void checkOpen() const;
    int exec(const char* sql, bool limited, QString* message = nullptr);
    void run(const char* sql, bool limited);
    void probe();
    static int onProgress(void* self);

    sqlite3* m_db;
    QString m_path;
    std::multimap<QByteArray, sqlite3_stmt*> m_idle;
    // While set, a statement that runs past it is interrupted.
    std::chrono::steady_clock::time_point m_deadline{};
    bool m_limited = false;
};

// Maps an SQLite result code to the fault users are told about.
[[noreturn]] void raiseSqlite(int rc, const QString& path, const char* message);
