// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_writer.h"

#include "schema.h"

namespace {

// The tables must stand before their inserts can be prepared.
Connection& withTables(Connection& connection)
{
    connection.run("BEGIN");
    connection.run(kDeclarationTables);
    return connection;
}

void insert(Statement& statement)
{
    statement.step();
}

} // namespace

DeclWriter::DeclWriter(Connection& connection)
    : m_connection(withTables(connection))
    , m_constant(connection, "INSERT INTO tbCnst (fdName, fdFull, fdCond) VALUES (?1, ?2, ?3)")
    , m_procedure(connection, "INSERT INTO tbProc (fdName, fdFull, fdCond) VALUES (?1, ?2, ?3)")
    , m_type(connection, "INSERT INTO tbType (fdName, fdFull, fdTypeID, fdCond) VALUES (?1, ?2, ?3, ?4)")
    , m_member(connection, "INSERT INTO tbMenb (fdFull, fdTypeID) VALUES (?1, ?2)")
    , m_conditional(connection,
                    "INSERT INTO tbCond (fdID, fdGroup, fdParent, fdFull) VALUES (?1, ?2, ?3, ?4)")
{
}

DeclWriter::~DeclWriter() = default;

void DeclWriter::addConstant(std::string_view name, std::string_view full, qint64 cond)
{
    insert(m_constant.bind(1, name).bind(2, full).bind(3, cond));
}

void DeclWriter::addProcedure(std::string_view name, std::string_view full, qint64 cond)
{
    insert(m_procedure.bind(1, name).bind(2, full).bind(3, cond));
}

void DeclWriter::addType(std::string_view name, std::string_view full, qint64 typeNumber, qint64 cond)
{
    insert(m_type.bind(1, name).bind(2, full).bind(3, typeNumber).bind(4, cond));
}

void DeclWriter::addMember(std::string_view full, qint64 typeNumber)
{
    insert(m_member.bind(1, full).bind(2, typeNumber));
}

void DeclWriter::addConditional(qint64 id, qint64 group, qint64 parent, std::string_view full)
{
    insert(m_conditional.bind(1, id).bind(2, group).bind(3, parent).bind(4, full));
}

void DeclWriter::finish(IndexSort sort)
{
    if (m_finished)
        return;
    // The sort behind each index keeps as many keys in memory as the cache holds and
    // writes the rest to a temporary file: with 32 MB, a million lines sort without
    // one (the bytes written are the database's size), and five million stay under
    // 100 MB of memory. Small pieces, each sorted within the processor's caches and
    // then merged, cost less time than one large sort that grows its memory as it
    // goes, at the price of writing the keys once more.
    m_connection.run(sort == IndexSort::Soonest ? "PRAGMA cache_size = -1024" : "PRAGMA cache_size = -32768");
    m_connection.run(kDeclarationIndexes);
    m_connection.run("COMMIT");
    m_finished = true;
}
