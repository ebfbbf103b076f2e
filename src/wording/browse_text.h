// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>

struct DeclFacts;

// A number of entries: "1,555 件".
QString countText(qint64 count);
// A narrowed list: "1,555 件中 12 件".
QString countText(qint64 total, qint64 shown);
// The line of facts above a preview: the DLL and alias of a function, the member count and
// layout of a type, the branch an entry stands in. Empty when there is nothing to say.
QString factsLine(const DeclFacts& facts);
// Beside a prefix that matches no name.
QString noMatchText();
