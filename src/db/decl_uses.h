// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// A word of a declaration that may name another one: a record type (kKindType)
// or a constant (kKindConstant). Whether it does is for the database to say;
// "Long", "String" or "To" come out here like any other word.
struct UsedName
{
    int kind;
    QString name;
};

// How a line refers to others.
enum class UseLine {
    Constant,  // the identifiers after its first " =" are constants
    Procedure, // the word after each "As" is a record type
    Member,    // the word after "As" is a record type; every other identifier but
               // the first (the member's name) is a constant: array bounds, string lengths
};

// The words of one line that may name declarations, in the order they appear.
// Text between double quotes is skipped, and a word directly after "&" or a digit
// is part of a number (&HFF, 1&, 1E5).
std::vector<UsedName> namesUsedIn(QStringView line, UseLine how);

// The same for a whole text of kind iKind as GetFull gives it; a record type's
// header and its "End Type" refer to nothing.
std::vector<UsedName> namesUsedBy(int iKind, QStringView full);
