// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "db_error.h"
#include "decl_kind.h"
#include "fault_number.h"

#include <QString>
#include <QStringList>
#include <optional>

class DeclStore;

// The DbError that f raised, or nothing when it returned normally.
template <class F> std::optional<DbError> dbErrorOf(F&& f)
{
    try {
        f();
    } catch (const DbError& e) {
        return e;
    }
    return std::nullopt;
}

// The fault number f raised, or 0 when it returned normally.
template <class F> int faultNumberOf(F&& f)
{
    const std::optional<DbError> e = dbErrorOf(std::forward<F>(f));
    return e ? faultNumber(e->fault()) : 0;
}

// Every name of a kind, in list order.
QStringList listNames(DeclStore& store, DeclKind kind);

// The standard sqlite3 shell, or an empty string when it is not installed.
QString sqliteShell();
// Runs sql through the shell; the output with surrounding blanks trimmed, or a
// string starting with "FAILED" when the shell could not run or exited non-zero.
QString runSqliteShell(const QString& dbPath, const QString& sql);

// "ok" when SQLite finds nothing wrong with the file.
QString integrityCheck(const QString& dbPath);

// Files a test process owns can still be written by root, whatever their mode.
// For as long as it lives, this drops the file-system identity of the calling
// thread to an unprivileged user, so that file modes apply again. The path's
// folder must be reachable by that user.
class UnprivilegedFiles
{
public:
    UnprivilegedFiles();
    ~UnprivilegedFiles();
    UnprivilegedFiles(const UnprivilegedFiles&) = delete;
    UnprivilegedFiles& operator=(const UnprivilegedFiles&) = delete;
    // True when file modes are enforced for this thread: either the guard took
    // effect or the process was never privileged.
    bool modesApply() const;
    static unsigned uid();

private:
    bool m_active = false;
    unsigned m_previous = 0;
};

// Hands a folder and everything in it to the unprivileged user, so that it can
// reach and create files there.
void giveToUnprivilegedUser(const QString& path);

// Every row of a query, each as its values joined by '|', NULL shown as <null>:
// short enough to compare whole tables in one line.
QStringList rowTexts(const QString& dbPath, const QString& sql);
// The rows of one declaration table in stored order: tbCnst and tbProc as
// "name|full", tbType as "name|full|type number", tbMenb as "full|type number".
QStringList tableRows(const QString& dbPath, const QString& table);

// A text of count constants named PREFIX_0 … in order.
void writeConstants(const QString& path, int count, const QString& prefix);
// What stands at the path: "PREFIX:count" for a whole declaration database of
// constants made from one text, "-" for nothing, or what is wrong with it.
QString holds(const QString& db);
// Hidden entries of a folder: what a conversion into it may leave behind.
QStringList hiddenIn(const QString& folder);

// True where files have permission bits, and FIFOs and symbolic links can stand at
// their paths; not on Windows, where the tests of those are skipped.
bool posixFiles();
// Makes a FIFO at path; true when it was made.
bool makeFifo(const QString& path);
// True when a FIFO stands at path (not followed through a link).
bool isFifo(const QString& path);
