// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <chrono>
#include <memory>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class Connection;

// One prepared statement, finalized when it goes. Values are bound and read as
// UTF-8, the database's own encoding, so no text is converted twice.
class Statement
{
public:
    Statement(Connection& connection, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters count from 1. Text is not copied: it must outlive the next step().
    Statement& bind(int parameter, std::string_view utf8);
    Statement& bind(int parameter, qint64 value);
    // A QString is converted once and kept with the statement until the next bind of it.
    Statement& bind(int parameter, QStringView text);

    // True when it stands on a row, false when it has run to its end. Each call runs
    // under the connection's time limit.
    bool step();
    // Ready to run again with new values; a finished statement holds no lock.
    void reset();

    // Columns count from 0.
    bool isNull(int column) const;
    qint64 integer(int column) const;
    QString text(int column) const;
    std::string_view utf8(int column) const;

private:
    Connection* m_connection;
    sqlite3_stmt* m_stmt = nullptr;
    std::vector<QByteArray> m_bound; // converted texts, by parameter
};

// A connection to one SQLite file, and every failure as a DbError with its number.
// GUI thread only.
//
// Declaration databases are files people exchange, so every connection distrusts
// the schema (no function that is not harmless runs from it, SQLite's defensive
// mode is on); a reading connection also lets no single step of a statement, the
// schema's reading included, run longer than a few seconds, and reads no value
// longer than kMaxValueBytes.
class Connection
{
public:
    // The longest name or line read from a database: a real declaration is a few
    // hundred bytes, and a crafted value of hundreds of megabytes would be loaded
    // whole before anything could look at it. The longest line a conversion stores,
    // 64 KB of code page 932, takes at most three times that in UTF-8.
    static constexpr int kMaxValueBytes = 256 * 1024;

    // Reads path as it stands: nothing is written, locked, rolled back or created,
    // beside it or in it. A file that is not regular (checked on the opened file) is
    // NotAFile; a missing one FileNotFound (3024).
    static std::unique_ptr<Connection> openForReading(const QString& path);
    // The only connection to the new, empty file at path, which this program has
    // just created and nothing else reads: no journal and no locks are needed.
    // messagePath names the file in messages.
    static std::unique_ptr<Connection> openNewFile(const QString& path, const QString& messagePath);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The file the messages name.
    const QString& path() const { return m_path; }

    // Runs statements without results.
    void run(std::string_view sql);

    [[noreturn]] void raise(int rc) const;

private:
    friend class Statement;
    friend class WholeRead;
    Connection(sqlite3* db, QString path, bool guarded);
    static std::unique_ptr<Connection> open(const QByteArray& name, int flags, const char* vfs,
                                            const QString& path, bool guarded);
    // False when the whole read under way has spent its budget: nothing may run.
    bool startClock();
    void stopClock();
    static int onProgress(void* self);

    sqlite3* m_db;
    QString m_path;
    // A file of this program's own making, that nothing else reads, needs no guard:
    // it saves a look at the clock on every row.
    bool m_guarded;
    // While set, a statement that runs past it is interrupted.
    std::chrono::steady_clock::time_point m_deadline{};
    bool m_limited = false;
    // The whole read under way: how deep, what is left of its budget, when the step
    // under way began, and whether the budget ran out.
    int m_wholeDepth = 0;
    std::chrono::steady_clock::duration m_wholeLeft{};
    std::chrono::milliseconds m_wholeBudget{};
    std::chrono::steady_clock::time_point m_stepStart{};
    bool m_wholeSpent = false;
};

// One whole read (a listing, a copy of a collection) spends no more than budget
// inside the database, whatever each step takes: a crafted file can make every step
// just short of the step limit, and a few hundred of them an endless copy. Time the
// caller spends between steps (printing, waiting on a pipe) does not count. Reads
// nest: only the outermost sets the budget. Past it a step fails with OverTimeLimit,
// its detail the budget in seconds.
class WholeRead
{
public:
    WholeRead(Connection& connection, std::chrono::milliseconds budget);
    ~WholeRead();
    WholeRead(const WholeRead&) = delete;
    WholeRead& operator=(const WholeRead&) = delete;

private:
    Connection& m_connection;
};
