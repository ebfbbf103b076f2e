// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conditional_groups.h"

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
    if (kind == ConditionalKind::If) {
        stored.id = m_next++;
        stored.group = stored.id;
        stored.parent = m_open.empty() ? 0 : m_open.back().at.branch;
        Open open;
        open.at = {stored.id, stored.id};
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
    top.sawElse = kind == ConditionalKind::Else;
    return true;
}

ConditionalGroups::Place ConditionalGroups::place() const
{
    Place place;
    place.reserve(m_open.size());
    for (const Open& open : m_open)
        place.push_back(open.at);
    return place;
}

std::vector<ConditionalGroups::Unclosed> ConditionalGroups::unclosed() const
{
    std::vector<Unclosed> out;
    for (const Open& open : m_open)
        out.push_back(open.opening);
    return out;
}

bool ConditionalGroups::exclusive(const Place& a, const Place& b)
{
    // Groups nest, so the groups two places share are the outermost ones of both.
    for (size_t i = 0; i < a.size() && i < b.size() && a[i].group == b[i].group; ++i) {
        if (a[i].branch != b[i].branch)
            return true;
    }
    return false;
}
