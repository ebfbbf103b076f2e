// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conditional_groups.h"

#include <algorithm>
#include <iterator>

namespace {

// As much of a line as a report can quote: no character takes more than 4 bytes.
constexpr size_t kQuotedBytes = 200 * 4;

} // namespace

qint64 ConditionalGroups::parentOfTop() const
{
    return m_open.size() < 2 ? 0 : m_open[m_open.size() - 2].at.branch;
}

bool ConditionalGroups::take(ConditionalKind kind, qint64 lineNumber, std::string_view text, Line& stored,
                             SkipReason& refused)
{
    if (m_refusedDepth > 0 || (kind == ConditionalKind::If && m_open.size() >= kMaxDepth)) {
        if (kind == ConditionalKind::If)
            ++m_refusedDepth;
        else if (kind == ConditionalKind::EndIf)
            --m_refusedDepth;
        refused = SkipReason::TooDeep;
        return false;
    }
    if (kind == ConditionalKind::If) {
        stored.id = m_next++;
        stored.group = stored.id;
        stored.parent = m_open.empty() ? 0 : m_open.back().at.branch;
        Open open;
        open.at = {stored.id, stored.id};
        open.ifLine = lineNumber;
        open.branchLine = lineNumber;
        open.opening = {lineNumber, std::string(text.substr(0, kQuotedBytes)), text.size() > kQuotedBytes};
        m_open.push_back(std::move(open));
        m_last = stored.id;
        return true;
    }
    if (m_open.empty()) {
        refused = SkipReason::NoOpenIf;
        return false;
    }
    Open& top = m_open.back();
    if (kind != ConditionalKind::EndIf && top.sawElse) {
        refused = SkipReason::AfterElse;
        return false;
    }
    stored.id = m_next++;
    stored.group = top.at.group;
    stored.parent = parentOfTop();
    m_last = stored.id;
    if (kind == ConditionalKind::EndIf) {
        m_open.pop_back();
        return true;
    }
    top.at.branch = stored.id;
    top.branchLine = lineNumber;
    top.sawElse = kind == ConditionalKind::Else;
    return true;
}

std::vector<ConditionalGroups::Unclosed> ConditionalGroups::unclosed() const
{
    std::vector<Unclosed> out;
    for (const Open& open : m_open)
        out.push_back(open.opening);
    return out;
}

bool ConditionalGroups::exclusiveWithEarlier(qint64 earlierLine) const
{
    // Every open group and branch holds all that came after its line. The innermost
    // open group that began before the earlier declaration holds both; they stand in
    // two of its branches exactly when its present branch began after that one.
    const auto after = std::partition_point(m_open.begin(), m_open.end(),
                                            [&](const Open& open) { return open.ifLine < earlierLine; });
    return after != m_open.begin() && earlierLine < std::prev(after)->branchLine;
}
