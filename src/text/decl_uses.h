// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "decl_kind.h"

#include <QString>
#include <QStringView>
#include <vector>

// A word of a declaration that may name another one: a record type or a constant. Whether it does is for the
// database to say; VBA's own words ("Long", "String", "To", "Or"), which cannot name one, never come out.
struct UsedName
{
    DeclKind kind;
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
