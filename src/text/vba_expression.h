// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

// The host a declaration is compiled on: what LongPtr, the alignment of a record type
// and the compiler constants of #If depend on.
enum class Host {
    Bits32,
    Bits64,
};

// The value of a name an expression uses, or nothing when it is not known.
using NameValue = std::function<std::optional<qint64>(QStringView name)>;

struct ExpressionValue
{
    std::optional<qint64> value;
    // The first name the lookup did not know; empty when the text itself is not an
    // integer expression (or overflows).
    QString unresolved;
};

// An integer expression as array bounds, string lengths and constants write them:
// decimal, &H and &O literals with their type characters (&HFFFF is the Integer -1,
// &HFFFF& the Long 65535), names, unary minus, + - * / \ Mod ^, comparisons and
// Not/And/Or/Xor on integers with True as -1. A division that leaves a remainder is
// refused rather than rounded.
ExpressionValue evaluateExpression(QStringView text, const NameValue& name);

// Whether an #If or #ElseIf condition holds on the host; nothing when it cannot be
// read. The compiler constants are those of VBA 7 on Windows; any other name is Empty,
// as VBA takes an undefined one.
std::optional<bool> conditionHolds(QStringView condition, Host host);

// The condition of an #If or #ElseIf line, between its first word and Then.
QStringView conditionOf(QStringView line);
