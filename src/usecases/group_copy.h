// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

struct StoredConditional;
struct StoredDecl;

// A group of conditional compilation as a copy gives it: each of its lines as stored,
// and under each branch line the declarations that follow it there, in file order.
// A group inside it is given, the same way, where it stands in its branch when it
// holds one of the declarations; a group never closed is closed. lines are those of
// the outermost group (DeclStore::groupAround), decls the declarations of one name,
// texts[i] what decls[i] copies as.
//
// The indexes of the declarations given go to given, in the order they are given;
// none, and an empty text, when lines hold no group.
QString groupText(const std::vector<StoredConditional>& lines, const std::vector<StoredDecl>& decls,
                  const QStringList& texts, std::vector<size_t>& given);
