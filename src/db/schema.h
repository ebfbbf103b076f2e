// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

// The declaration database's tables and indexes, in one transaction, so that a
// crash never leaves half a schema. Index names are global to an SQLite file, so
// the stored ones carry their table.
inline constexpr const char kDeclarationSchema[] =
    "BEGIN;"
    "CREATE TABLE tbCnst (fdID INTEGER PRIMARY KEY, fdName TEXT, fdFull TEXT);"
    "CREATE INDEX tbCnst_ixName ON tbCnst (upper(fdName));"
    "CREATE TABLE tbProc (fdID INTEGER PRIMARY KEY, fdName TEXT, fdFull TEXT);"
    "CREATE INDEX tbProc_ixName ON tbProc (upper(fdName));"
    "CREATE TABLE tbType (fdName TEXT, fdFull TEXT, fdTypeID INTEGER);"
    "CREATE UNIQUE INDEX tbType_ixName ON tbType (upper(fdName));"
    "CREATE TABLE tbMenb (fdID INTEGER PRIMARY KEY, fdFull TEXT, fdTypeID INTEGER);"
    "CREATE INDEX tbMenb_ixTypeID ON tbMenb (fdTypeID);"
    "COMMIT;";
