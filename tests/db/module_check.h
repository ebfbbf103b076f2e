// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// What a module would say of a declarations section (lines ending in CR LF),
// stated apart from the code under test: conditional lines balanced, every other
// line a declaration or inside its block, and on every path through the conditions
// (each condition's text taken as one unknown, true or false) no record type used
// before it is defined and no name declared twice. Empty when it is accepted.
QStringList moduleProblems(const QString& text);

// The conditions of the #If and #ElseIf lines, each once, upper-cased: the unknowns of
// moduleProblems.
QStringList conditionsIn(const QString& text);
// The lines other than conditional ones that a host compiles when the conditions in truths
// (upper-cased) hold and no others; the problems when the conditional lines do not balance.
QStringList compiledLines(const QString& text, const QSet<QString>& truths);
