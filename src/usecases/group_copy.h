// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

struct StoredConditional;
struct StoredDecl;

// One piece of a copy: a declaration's text, or a conditional group holding pieces.
struct CopyPiece
{
    struct Branch
    {
        QString line; // #If, #ElseIf or #Else as stored
        std::vector<CopyPiece> pieces;
    };

    QString text;                 // a declaration's full text; unused by a group
    std::vector<Branch> branches; // a group's branches, its #If first; none for a declaration
    QString endLine;              // empty: a group never closed, closed with "#End If"
    // Comment lines after the piece (after a group's end line), as a record type's size
    // note; a group merged into another brings them along.
    QStringList after;

    bool isGroup() const { return !branches.empty(); }
    // The lines joined by CR LF, without a final break.
    QString render() const;
};

// A group of conditional compilation as a copy gives it: each of its lines as stored,
// and under each branch line the declarations that follow it there, in file order.
// A group inside it is given, the same way, where it stands in its branch when it
// holds one of the declarations; a group never closed is closed. lines are those of
// the outermost group, or of the groups in it that hold the declarations with the
// line before each (DeclStore::groupsAround), decls the declarations of one name,
// texts[i] what decls[i] copies as.
//
// The indexes of the declarations given go to given, in the order they are given;
// none, and a piece that is no group, when lines hold no group.
CopyPiece groupPiece(const std::vector<StoredConditional>& lines, const std::vector<StoredDecl>& decls,
                     const QStringList& texts, std::vector<size_t>& given);

// Joins each run of consecutive groups whose branch lines read the same under the name
// fold with blanks collapsed (string literals kept as written) into one group, each
// branch holding what the groups held there in order; groups inside branches likewise.
// A group with fewer branches joins when its lines are the first ones of the other's and
// it has no #Else. A host compiles the same lines from the result under every setting of
// the conditions: the conditions are evaluated once instead of once per group, so groups
// whose declarations carry a directive line of their own (a #Const could change a
// condition between them) are left apart. A joined group drops its empty last branches,
// which select nothing; its #If branch always stays.
void mergeGroups(std::vector<CopyPiece>& pieces);
