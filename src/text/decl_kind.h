// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <optional>

// What a listed name declares. The values are the kinds' positions in the window's
// kind selector, which is how the window and ek-cli number them.
enum class DeclKind {
    Constant = 0,
    Procedure = 1,
    Type = 2,
};

inline constexpr DeclKind kDeclKinds[] = {DeclKind::Constant, DeclKind::Procedure, DeclKind::Type};

// The kind at a selector position; nothing for a position outside 0..2.
inline std::optional<DeclKind> declKindAt(int index)
{
    if (index < 0 || index > 2)
        return std::nullopt;
    return static_cast<DeclKind>(index);
}

inline int declKindIndex(DeclKind kind)
{
    return static_cast<int>(kind);
}
