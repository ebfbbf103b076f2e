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

    // Deeper groups than any real file has are refused with all they hold, so that
    // a crafted text cannot make the stack, or what each declaration keeps, grow.
    static constexpr size_t kMaxDepth = 1000;

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
    std::vector<Unclosed> unclosed() const;
    // Inside a group refused for its depth: nothing there is stored.
    bool refusing() const { return m_refusedDepth > 0; }

    // Two declarations of one name can never both be compiled when some group holds
    // both, each in another branch: whether one stored at an earlier line and one
    // stored now are. Only the open groups are needed, not the earlier one's path.
    bool exclusiveWithEarlier(qint64 earlierLine) const;

private:
    struct Open
    {
        Branch at;
        qint64 ifLine = 0;     // the line number of its #If line
        qint64 branchLine = 0; // the line number of its current branch line
        bool sawElse = false;
        Unclosed opening;
    };

    qint64 parentOfTop() const;

    std::vector<Open> m_open;
    size_t m_refusedDepth = 0;
    qint64 m_next = 1;
    qint64 m_last = 0;
};
