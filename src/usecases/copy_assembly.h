// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "decl_kind.h"
#include "scope.h"

#include <QString>
#include <QStringList>

class DeclStore;
struct StoredDecl;

struct CopyOptions
{
    // Each entry is preceded by the record types and constants it uses, depth
    // first, and no declaration is given twice in one copy.
    bool withUses = false;
    CopyScope scope = CopyScope::AsDeclared;
};

// How the texts of one copy are joined: Copy and ek-cli end every text with CR LF,
// the last one included; the double-click on one entry adds no final break.
enum class CopyEnd { BreakAfterEach, NoFinalBreak };

// The full text of a stored declaration: its line, or for a record type its header,
// its member lines in stored order and "End Type" ("End Enum" after an Enum header).
QString fullText(DeclKind kind, const StoredDecl& decl);

// The full text of the first declaration of that name, or an empty text.
QString GetFull(DeclStore& store, DeclKind kind, const QString& sName);

// What a copy of these names of one kind gives, as one text. A name whose first
// declaration stands in no group gives that declaration's full text; one that stands
// in a group gives the outermost group around it, with every declaration of the name
// in that group under its branch line. A name that is not stored, or every name when
// there is no store, gives an empty text, which still gets its line break. Used
// declarations are looked up under the name fold among the record types and
// constants of the same store, and given the same way; the scope keyword goes on
// each declaration, never on a conditional line.
QString assembleCopy(DeclStore* store, DeclKind kind, const QStringList& names, const CopyOptions& options,
                     CopyEnd end);
