// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <string_view>

// The words a declaration line starts with: the one table the line classifier, the
// copy's scope rewrite and the benchmark's bare insert read. Words are upper case and
// matched under the name fold; each carries the one blank that must follow it, so a
// name starts right after its statement's words.

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
};

// A set of scope words, None included when a statement may stand without one.
constexpr unsigned scopeBit(ScopeWord word)
{
    return 1u << static_cast<unsigned>(word);
}

enum class StatementKind {
    Constant,
    Procedure,
    TypeHeader,
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
    {StatementKind::Constant, "CONST ", " =", scopeBit(ScopeWord::None) | scopeBit(ScopeWord::Public)},
    {StatementKind::Procedure, "DECLARE FUNCTION ", " LIB ", scopeBit(ScopeWord::None)},
    {StatementKind::Procedure, "DECLARE SUB ", " LIB ", scopeBit(ScopeWord::None)},
    {StatementKind::Procedure, "DECLARE PTRSAFE FUNCTION ", " LIB ", scopeBit(ScopeWord::None)},
    {StatementKind::Procedure, "DECLARE PTRSAFE SUB ", " LIB ", scopeBit(ScopeWord::None)},
    {StatementKind::TypeHeader, "TYPE ", "", scopeBit(ScopeWord::None)},
};

// A declaration that starts with this and fits none of the forms has no name.
inline constexpr std::string_view kDeclareWord = "DECLARE ";
// Closes a type block, wherever it stands.
inline constexpr std::string_view kTypeEnd = "END TYPE";
