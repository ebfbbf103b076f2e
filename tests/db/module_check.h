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
