// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QStringList>

class Recordset;

// The keyword every copied declaration starts with; VBA refuses public
// declarations in class, form and sheet modules.
enum class CopyScope { AsDeclared, Public, Private };

struct CopyOptions
{
    // Each entry is preceded by the record types and constants it uses, depth
    // first, and no declaration is given twice in one copy.
    bool withUses = false;
    CopyScope scope = CopyScope::AsDeclared;
};

// text with its first line given the scope keyword: a first word Public or Private
// is replaced, a line starting with "Const ", "Declare " or "Type " gets the keyword
// in front, any other line stays as it is.
QString withScope(const QString& text, CopyScope scope);

// The texts Copy gives for the names of kind iKind, in order: with the default
// options one GetFull per name, an empty text for a name not found. Used
// declarations are looked up, under the name fold, in tbType and tbCnst of
// rsDecl's database. rsDecl (a table recordset with index ixName) is moved.
QStringList copyTexts(Recordset& rsDecl, int iKind, const QStringList& names, const CopyOptions& options);
