// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <string_view>

// The words a declaration line starts with: the one table the line classifier, the
// copy's scope rewrite, the copy's block ends and the benchmark's bare insert read.
// Words are upper case and matched under the name fold; each carries the one blank
// that must follow it, so a name starts right after its statement's words.

// A scope word before a statement.
enum class ScopeWord : unsigned {
    None = 0,
    Public = 1,
    Private = 2,
    Global = 3,
};

struct ScopeSpelling
{
    ScopeWord word;
    std::string_view text;
};

inline constexpr ScopeSpelling kScopeWords[] = {
    {ScopeWord::Public, "PUBLIC "},
    {ScopeWord::Private, "PRIVATE "},
    {ScopeWord::Global, "GLOBAL "},
};

// A set of scope words, None included when a statement may stand without one.
constexpr unsigned scopeBit(ScopeWord word)
{
    return 1u << static_cast<unsigned>(word);
}

inline constexpr unsigned kModuleScopes =
    scopeBit(ScopeWord::None) | scopeBit(ScopeWord::Public) | scopeBit(ScopeWord::Private);

enum class StatementKind {
    Constant,
    Procedure,
    TypeHeader,
    EnumHeader,
};

struct StatementForm
{
    StatementKind kind;
    // The statement's words after any scope word, each with its blank.
    std::string_view words;
    // The name ends before the first occurrence of this in the whole line; empty: the
    // name runs to the line's last character that is not a blank or a tab.
    std::string_view nameEnd;
    // The scope words it may follow (scopeBit of each).
    unsigned scopes;
};

inline constexpr StatementForm kStatementForms[] = {
    {StatementKind::Constant, "CONST ", " =", kModuleScopes | scopeBit(ScopeWord::Global)},
    {StatementKind::Procedure, "DECLARE FUNCTION ", " LIB ", kModuleScopes},
    {StatementKind::Procedure, "DECLARE SUB ", " LIB ", kModuleScopes},
    {StatementKind::Procedure, "DECLARE PTRSAFE FUNCTION ", " LIB ", kModuleScopes},
    {StatementKind::Procedure, "DECLARE PTRSAFE SUB ", " LIB ", kModuleScopes},
    {StatementKind::TypeHeader, "TYPE ", "", kModuleScopes},
    {StatementKind::EnumHeader, "ENUM ", "", kModuleScopes},
};

// A constant written with its type ("Const X As Long = 1") is named by the words
// before this, when it stands before the form's nameEnd.
inline constexpr std::string_view kConstantTypeWord = " AS ";

// A declaration that starts with this, after a scope word Declare may take, and fits
// none of the forms has no name.
inline constexpr std::string_view kDeclareWord = "DECLARE ";
inline constexpr unsigned kDeclareScopes = kModuleScopes;

// What closes the block a header opens: the word matched at the start of a line,
// and the line a copy ends the block with, whatever the text file had.
struct BlockForm
{
    StatementKind header;
    std::string_view end;
    std::string_view endLine;
};

inline constexpr BlockForm kBlockForms[] = {
    {StatementKind::TypeHeader, "END TYPE", "End Type"},
    {StatementKind::EnumHeader, "END ENUM", "End Enum"},
};

// The lines of conditional compilation. Those with a condition end with " THEN"
// (trailing blanks aside) and have one between; the others have only blanks after
// their words.
enum class ConditionalKind {
    If,
    ElseIf,
    Else,
    EndIf,
};

struct ConditionalForm
{
    ConditionalKind kind;
    std::string_view words;
    bool hasCondition;
};

inline constexpr ConditionalForm kConditionalForms[] = {
    {ConditionalKind::If, "#IF ", true},
    {ConditionalKind::ElseIf, "#ELSEIF ", true},
    {ConditionalKind::Else, "#ELSE", false},
    {ConditionalKind::EndIf, "#END IF", false},
};

inline constexpr std::string_view kConditionEnd = " THEN";

// Words VBA keeps for itself, which no declaration can be named: its own types and
// the words an array bound, a string length or a constant's value is written with.
// Folded, as the name index compares.
inline constexpr std::string_view kLanguageWords[] = {
    "ANY",      "BOOLEAN", "BYTE",   "CURRENCY", "DATE",   "DOUBLE",  "INTEGER", "LONG",
    "LONGLONG", "LONGPTR", "OBJECT", "SINGLE",   "STRING", "VARIANT", "TO",      "AND",
    "OR",       "NOT",     "XOR",    "MOD",      "EQV",    "IMP",     "LIKE",    "IS",
};
