// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "connection.h"

#include <string_view>

// Stores the rows of a conversion into a new declaration database, all in one
// transaction: nothing reads the file before it is put in place, so nothing needs
// to see a row before the end. Texts are UTF-8 and bound without a copy.
class DeclWriter
{
public:
    // Creates the tables in the empty database.
    explicit DeclWriter(Connection& connection);
    ~DeclWriter();
    DeclWriter(const DeclWriter&) = delete;
    DeclWriter& operator=(const DeclWriter&) = delete;

    // cond: the conditional line the declaration follows inside a group, 0 outside
    // any group.
    void addConstant(std::string_view name, std::string_view full, qint64 cond = 0);
    void addProcedure(std::string_view name, std::string_view full, qint64 cond = 0);
    void addType(std::string_view name, std::string_view full, qint64 typeNumber, qint64 cond = 0);
    void addMember(std::string_view full, qint64 typeNumber);
    // id: the line's place among the conditional lines, from 1 in file order.
    void addConditional(qint64 id, qint64 group, qint64 parent, std::string_view full);

    // How the indexes are sorted. Either way the file is the same, byte for byte.
    enum class IndexSort {
        // In memory as far as 32 MB go: nothing but the database is written.
        FewestWrites,
        // In pieces of 1 MB, merged through temporary files: half the processor time
        // and a third of the wait, for someone who waits on it (a cancelled run).
        Soonest,
    };

    // Builds the indexes and commits: every row added so far is kept. Type names must
    // be unique under the name fold within one fdCond; the converter refuses a second
    // type of a name on the same path.
    void finish(IndexSort sort = IndexSort::FewestWrites);

private:
    Connection& m_connection;
    Statement m_constant;
    Statement m_procedure;
    Statement m_type;
    Statement m_member;
    Statement m_conditional;
    bool m_finished = false;
};
