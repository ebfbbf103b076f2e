// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

// The declaration database's tables, made before the rows, and its indexes, made
// after them: building an index over rows that stand is cheaper than keeping it
// sorted row by row. Index names are global to an SQLite file, so they carry their
// table.
//
// The name indexes fold names with SQLite's own upper(), the one fold the program
// uses everywhere, so any SQLite tool reads the order right. Beside the folded name
// they hold the stored order and the name itself: the list is read from the index
// alone.
//
// tbCond holds the conditional compilation lines (#If, #ElseIf, #Else, #End If) in
// file order: fdGroup is the fdID of the group's #If line, fdParent the fdID of the
// branch line the group stands in, 0 at the top. fdCond of a declaration is the fdID
// of the last conditional line before it while a group is open, 0 outside any group;
// it has a default so that rows written without it, as earlier databases had them,
// stand outside any group. Two types of one name may both stand only in different
// branches, which always have different fdCond. tbCond_ixGroup gives one group's
// lines without reading the groups inside it.
inline constexpr const char kDeclarationTables[] =
    "CREATE TABLE tbCnst (fdID INTEGER PRIMARY KEY, fdName TEXT, fdFull TEXT, "
    "fdCond INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE tbProc (fdID INTEGER PRIMARY KEY, fdName TEXT, fdFull TEXT, "
    "fdCond INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE tbType (fdName TEXT, fdFull TEXT, fdTypeID INTEGER, fdCond INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE tbMenb (fdID INTEGER PRIMARY KEY, fdFull TEXT, fdTypeID INTEGER);"
    "CREATE TABLE tbCond (fdID INTEGER PRIMARY KEY, fdGroup INTEGER, fdParent INTEGER, fdFull TEXT);";

inline constexpr const char kDeclarationIndexes[] =
    "CREATE INDEX tbCnst_ixName ON tbCnst (upper(fdName), fdID, fdName);"
    "CREATE INDEX tbProc_ixName ON tbProc (upper(fdName), fdID, fdName);"
    "CREATE UNIQUE INDEX tbType_ixName ON tbType (upper(fdName), fdCond);"
    "CREATE INDEX tbMenb_ixTypeID ON tbMenb (fdTypeID);"
    "CREATE INDEX tbCond_ixGroup ON tbCond (fdGroup);";
