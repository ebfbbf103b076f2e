// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "keywords.h"

#include <QStringView>
#include <optional>
#include <string_view>

// Why a line of a declaration text file is not stored, or what the end report says
// about it.
enum class SkipReason {
    NoConstDelimiter, // " =" missing or before the name
    NoLibDelimiter,   // " LIB " missing or before the name
    NoProcKeyword,    // "DECLARE " not followed by "FUNCTION ", "SUB " or "PTRSAFE " and one of them
    EmptyName,
    DuplicateType, // a type of that name (in any letter case) is already stored on the same path
    TooLong,       // longer than any reader of the database would load
    OutsideType,   // outside any block and of no known shape: a procedure body, an indented line…
    NoOpenIf,      // #ElseIf, #Else or #End If with no group open
    AfterElse,     // #ElseIf or #Else after the #Else of its group
    IfNotClosed,   // an #If still open at the end of the file; stored, and closed in every copy
};

// The block a header opened and that is still open.
enum class OpenBlock {
    None,
    Type,
    Enum,
};

enum class LineKind {
    Constant,    // a row of tbCnst
    Procedure,   // a row of tbProc
    BlockHeader, // a row of tbType, "Type" or "Enum"; opens its block even when refused
    BlockEnd,    // closes the block, advances the type number
    Member,      // a row of tbMenb: any line inside a block
    Conditional, // #If, #ElseIf, #Else or #End If outside a block
    Outside,     // outside any block, of no known shape: refused as OutsideType
    Blank,       // outside any block, blanks only: dropped
};

struct LineShape
{
    LineKind kind = LineKind::Member;
    qsizetype nameStart = 0; // from 0, in code units of the line
    qsizetype nameLength = 0;
    std::optional<SkipReason> refused; // set when the line is not stored
    ScopeWord scope = ScopeWord::None;
    OpenBlock opens = OpenBlock::None;                 // for a BlockHeader
    ConditionalKind conditional = ConditionalKind::If; // for a Conditional
};

// What a line is, from its first characters alone. The line has its comment cut
// off already and is not empty; block tells which block is open. Positions count
// UTF-16 units of a QStringView and bytes of UTF-8 text: the words and delimiters
// are ASCII, so both cut out the same name.
LineShape classifyLine(QStringView line, OpenBlock block);
LineShape classifyLine(std::string_view utf8, OpenBlock block);

// The statement a line starts with, after any scope word its form allows; nothing
// when it starts with none of the forms.
struct StatementStart
{
    const StatementForm* form = nullptr;
    ScopeWord scope = ScopeWord::None;
    qsizetype scopeLength = 0; // the scope word and its blank
};
StatementStart statementAt(QStringView line);

// The conditional compilation line this is, if it is one.
std::optional<ConditionalKind> conditionalAt(QStringView line);

// The line that closes the block a header opens: "End Enum" after an Enum header,
// "End Type" after any other.
std::string_view blockEndLine(QStringView header);
// The same for a header whose statement has been read already.
std::string_view blockEndLine(const StatementStart& header);
