// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "keywords.h"

#include <QStringView>
#include <optional>
#include <string_view>

// Why a line of a declaration text file is not stored.
enum class SkipReason {
    NoConstDelimiter, // " =" missing or before the name
    NoLibDelimiter,   // " LIB " missing or before the name
    NoProcKeyword,    // "DECLARE " not followed by "FUNCTION ", "SUB " or "PTRSAFE " and one of them
    EmptyName,
    DuplicateType, // a type of that name (in any letter case) is already stored
    TooLong,       // longer than any reader of the database would load
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
    qsizetype nameStart = 0; // from 0, in code units of the line
    qsizetype nameLength = 0;
    std::optional<SkipReason> refused; // set when the line is not stored
    ScopeWord scope = ScopeWord::None;
};

// What a line is, from its first characters alone. The line has its comment cut
// off already and is not empty; inTypeBlock tells whether a "Type" line is open.
// Positions count UTF-16 units of a QStringView and bytes of UTF-8 text: the words
// and delimiters are ASCII, so both cut out the same name.
LineShape classifyLine(QStringView line, bool inTypeBlock);
LineShape classifyLine(std::string_view utf8, bool inTypeBlock);

// The statement a line starts with, after any scope word its form allows; nothing
// when it starts with none of the forms.
struct StatementStart
{
    const StatementForm* form = nullptr;
    ScopeWord scope = ScopeWord::None;
    qsizetype scopeLength = 0; // the scope word and its blank
};
StatementStart statementAt(QStringView line);
