// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QStringView>
#include <optional>

// Why a line of a declaration text file is not stored.
enum class SkipReason {
    NoConstDelimiter, // " =" missing or before the name
    NoLibDelimiter,   // " LIB " missing or before the name
    NoProcKeyword,    // "DECLARE " not followed by "FUNCTION ", "SUB " or "PTRSAFE " and one of them
    EmptyName,
    DuplicateType, // a type of that name (in any letter case) is already stored
};

enum class LineKind {
    Constant,   // a row of tbCnst
    Procedure,  // a row of tbProc
    TypeEnd,    // closes the type block, advances the type number
    TypeHeader, // a row of tbType; opens the type block even when refused
    Member,     // a row of tbMenb
};

struct LineShape
{
    LineKind kind = LineKind::Member;
    qsizetype nameStart = 0; // from 0, in characters of the line
    qsizetype nameLength = 0;
    std::optional<SkipReason> refused; // set when the line is not stored
};

// What a line is, from its first characters alone. The line has its comment cut
// off already and is not empty; inTypeBlock tells whether a "Type" line is open.
LineShape classifyLine(QStringView line, bool inTypeBlock);
