// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "line_shape.h"

#include <QtGlobal>
#include <string>
#include <string_view>
#include <vector>

// The groups of conditional compilation a conversion is inside, line by line. The
// conditional lines are numbered from 1 in file order, which is how tbCond stores
// them and how a declaration records the last one before it.
class ConditionalGroups
{
public:
    // A conditional line to store.
    struct Line
    {
        qint64 id = 0;
        qint64 group = 0;  // the id of its group's #If line
        qint64 parent = 0; // the id of the branch line its group stands in, 0 at the top
    };

    // One open group and the branch a declaration stored now falls into.
    struct Branch
    {
        qint64 group = 0;
        qint64 branch = 0;
    };
    using Place = std::vector<Branch>; // outermost first

    // A group still open at the end of the text.
    struct Unclosed
    {
        qint64 lineNumber = 0;
        std::string opening; // the start of its #If line, as a report quotes it
        bool cut = false;
    };

    // Takes the conditional line at lineNumber: false, with the reason, when it belongs
    // to no group (an #Else with none open, an #ElseIf after #Else…) and is not stored.
    bool take(ConditionalKind kind, qint64 lineNumber, std::string_view text, Line& stored,
              SkipReason& refused);

    // What a declaration stored now records: the last conditional line, 0 outside any group.
    qint64 cond() const { return m_open.empty() ? 0 : m_last; }
    Place place() const;
    std::vector<Unclosed> unclosed() const;

    // Two declarations of one name can never both be compiled when some group holds
    // both, each in another branch.
    static bool exclusive(const Place& a, const Place& b);

private:
    struct Open
    {
        Branch at;
        bool sawElse = false;
        Unclosed opening;
    };

    qint64 parentOfTop() const;

    std::vector<Open> m_open;
    qint64 m_next = 1;
    qint64 m_last = 0;
};
