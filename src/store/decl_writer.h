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

    void addConstant(std::string_view name, std::string_view full);
    void addProcedure(std::string_view name, std::string_view full);
    void addType(std::string_view name, std::string_view full, qint64 typeNumber);
    void addMember(std::string_view full, qint64 typeNumber);

    // Builds the indexes and commits: every row added so far is kept. Type names must
    // be unique under the name fold; the converter refuses the second of a name.
    void finish();

private:
    Connection& m_connection;
    Statement m_constant;
    Statement m_procedure;
    Statement m_type;
    Statement m_member;
    bool m_finished = false;
};
