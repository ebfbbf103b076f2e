// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "decl_kind.h"
#include "scope.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

class DeclStore;
struct LayoutReport;
struct StoredDecl;

struct CopyOptions
{
    // Each entry is preceded by the record types and constants it uses, depth
    // first, and no declaration is given twice in one copy.
    bool withUses = false;
    CopyScope scope = CopyScope::AsDeclared;
    // Consecutive groups with the same conditions become one (mergeGroups); off only
    // to compare a copy with what it would give unmerged.
    bool mergeGroups = true;
    // The comment line that follows every record type copied (a group holding one:
    // after its #End If), from the type's layout; none when empty. Enums get none.
    std::function<QString(const LayoutReport&)> sizeNote = nullptr;
};

// One entry of a collection: a name of a kind, in the database it was collected from.
struct CopyEntry
{
    QString database;
    DeclKind kind = DeclKind::Procedure;
    QString name;
};

// What one copy gave, as the window reports it.
struct CopySummary
{
    // The declarations given (a name given as its group counts once), and of each
    // kind, the kinds in the order they first come in the text.
    int declarations = 0;
    std::vector<std::pair<DeclKind, int>> perKind;
    // The groups of conditional compilation at the top of the text.
    int groups = 0;
    // Entries their database does not hold (or no database): each gives an empty line.
    int missing = 0;
};

struct CollectionCopy
{
    QString text;
    CopySummary summary;
};

// The open database of a path, or nullptr when there is none; may throw DbError.
using StoreOf = std::function<DeclStore*(const QString& database)>;

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

// One declarations section for a collection of any kinds and databases, as a module
// takes it: every entry once (its kind and its name under the fold decide, whichever
// database it came from), in collection order, each as assembleCopy gives it; with
// the uses, every used type and constant once, before its first use, looked up in the
// database of the declaration that uses it. Consecutive groups with the same
// conditions are merged as mergeGroups says.
CollectionCopy copyCollection(const StoreOf& storeOf, const std::vector<CopyEntry>& entries,
                              const CopyOptions& options, CopyEnd end);
// The same, each entry from its own file: current when it is that one (or none when
// current is null), any other opened for this copy alone. A file that cannot be opened
// is a DbError, and nothing is copied.
CollectionCopy copyCollection(DeclStore* current, const std::vector<CopyEntry>& entries,
                              const CopyOptions& options, CopyEnd end);
// The texts of one copy joined as end says.
QString joinCopies(const QStringList& texts, CopyEnd end);
