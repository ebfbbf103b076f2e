// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <map>
#include <memory>
#include <set>

struct sqlite3;
struct sqlite3_stmt;
class Recordset;

enum class RecordsetType {
    Table = 1,   // walks in the order of the current index; Seek, AddNew, Update
    Snapshot = 4 // rows in the order they were added; FindFirst, FindNext
};

// One declaration database file. Everything goes through SQLite's C API; the shape
// of the interface is the one the windows were written against (open recordsets,
// walk, Seek, AddNew/Update), and every failure is a DbError with its number.
// GUI thread only.
class Database
{
public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Fails with AlreadyExists when anything is at the path: replacing is MakeDb's job.
    static std::unique_ptr<Database> CreateDatabase(const QString& path);
    // Never creates a file: a missing one is FileNotFound (3024).
    static std::unique_ptr<Database> OpenDatabase(const QString& path);

    const QString& name() const { return m_path; }
    bool isOpen() const { return m_db != nullptr; }
    // Closes every recordset still open on it; closing twice does nothing.
    void Close();

    std::unique_ptr<Recordset> OpenRecordset(const QString& table, RecordsetType type = RecordsetType::Table);

    void execute(const char* sql);
    void BeginTrans();
    void CommitTrans();
    void Rollback();
    bool inTransaction() const;

    // Caps the file at this many pages; what a full disk looks like to the writer.
    void setMaxPageCount(long long pages);

    // For Recordset: prepares or raises the mapped fault.
    sqlite3_stmt* prepare(const QByteArray& sql);
    // Prepared statements are kept for reuse: a recordset opened for every lookup
    // then costs no parsing. A released statement is reset and unbound.
    sqlite3_stmt* acquire(const QByteArray& sql);
    void release(sqlite3_stmt* stmt);
    [[noreturn]] void raise(int rc) const;
    sqlite3* handle() const { return m_db; }

private:
    friend class Recordset;
    Database(sqlite3* db, QString path);
    void checkOpen() const;

    sqlite3* m_db;
    QString m_path;
    std::set<Recordset*> m_recordsets;
    std::multimap<QByteArray, sqlite3_stmt*> m_idle;
};

// Maps an SQLite result code to the fault users are told about.
[[noreturn]] void raiseSqlite(int rc, const QString& path, const char* message);
