// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>

class Database;
class Recordset;

inline constexpr int kKindConstant = 0;
inline constexpr int kKindProcedure = 1;
inline constexpr int kKindType = 2;

// The table listed for a kind, or an empty string for a kind outside 0..2.
QString kindTable(int iKind);

// The full text of sName in the kind's table: the stored line, or for a record type
// its header, member lines in stored order and "End Type". Empty when not found.
// Moves rsDecl (a table recordset with index ixName) to the found row.
QString GetFull(Recordset& rsDecl, Database& dbDecl, int iKind, const QString& sName);
