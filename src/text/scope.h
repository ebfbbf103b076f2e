// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>

// The keyword every copied declaration starts with; VBA refuses public
// declarations in class, form and sheet modules.
enum class CopyScope { AsDeclared, Public, Private };

// text with its first line given the scope keyword: a first word that is a scope
// word is replaced, a line that starts with a statement that takes a scope word gets
// the keyword in front, any other line stays as it is.
QString withScope(const QString& text, CopyScope scope);
// The same for a text whose first line starts with the statement given, read already.
struct StatementStart;
QString withScope(const QString& text, CopyScope scope, const StatementStart& start);
