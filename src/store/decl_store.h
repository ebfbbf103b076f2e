// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "decl_kind.h"
#include "stored_decl.h"

#include <QString>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class Connection;
class Statement;
class WholeRead;

// A declaration database, read: the only way the program reads one. Names compare
// under the name fold; the list order is that fold, then the stored order. Nothing
// is ever written to the file or beside it. GUI thread only; every failure is a
// DbError.
//
// A table is checked when its kind is first read: a database without it, or with a
// view or a virtual table in its place, is NoTable or NotATable (3078), one whose
// table lacks a column NoField (3265), one whose reads would go through the whole
// table for want of its index NoIndex (3078): every lookup would then cost as much as
// the file is large, and a copy of many names minutes.
class DeclStore
{
public:
    // A database with a write that did not end beside it (a journal that a writer
    // left, a WAL with frames) is UnfinishedWrite: reading the file as it stands could
    // show half of that write, and rolling it back would mean writing.
    static std::unique_ptr<DeclStore> open(const QString& path);
    ~DeclStore();
    DeclStore(const DeclStore&) = delete;
    DeclStore& operator=(const DeclStore&) = delete;

    const QString& path() const;

    // What one whole read (a listing, a copy, a lookup) may spend inside the database.
    static constexpr std::chrono::milliseconds kWholeReadBudget{30000};
    // Everything read while the guard lives counts against one budget (see WholeRead).
    std::unique_ptr<WholeRead> wholeRead(std::chrono::milliseconds budget = kWholeReadBudget);

    // Every name of a kind in list order, as UTF-8, read as it goes.
    void forEachName(DeclKind kind, const std::function<void(std::string_view utf8)>& f);
    // The row id of every declaration of a kind, in list order (from the name index).
    void forEachRowId(DeclKind kind, const std::function<void(qint64 rowId)>& f);
    // Every declaration's line (a record type's header) as UTF-8 with its row id, in row id
    // order: one pass through the table, where list order would read it page by random page.
    void forEachLine(DeclKind kind, const std::function<void(qint64 rowId, std::string_view full)>& f);
    // Every declaration of that name, in list order, each with its place; none when it
    // is not stored.
    std::vector<StoredDecl> find(DeclKind kind, QStringView name);
    // What the places of declarations need of their groups, the first cond's place
    // deciding: the lines of every group around one of the conds inside the outermost
    // group around the first, and the line of each such cond, in file order. A group
    // around none of them is left out however large it is, so what is read follows
    // what a copy gives. A database made before tbCond had its group index gives the
    // whole outermost group instead. None when the first cond is 0, when the database
    // holds no such line or no conditional lines at all: the declaration then stands
    // alone.
    std::vector<StoredConditional> groupsAround(const std::vector<qint64>& conds);
    bool contains(DeclKind kind, QStringView name);
    // The first name in list order whose fold is at or after the fold of key.
    std::optional<QString> firstAtOrAfter(DeclKind kind, QStringView key);

private:
    explicit DeclStore(std::unique_ptr<Connection> connection);
    struct Table;
    struct Conditionals;
    Table& table(DeclKind kind);
    QStringList members(qint64 typeNumber);
    Conditionals* conditionals();

    std::unique_ptr<Connection> m_connection;
    std::array<std::unique_ptr<Table>, 3> m_tables;
    std::unique_ptr<Statement> m_members;
    std::unique_ptr<Conditionals> m_conditionals;
    bool m_conditionalsChecked = false;
};
