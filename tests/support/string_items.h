// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "search_list.h"

#include <QStringList>

// A list of names as SearchList reads a list box.
class StringItems : public ListItems
{
public:
    explicit StringItems(const QStringList& names)
        : m_names(names)
    {
    }
    qint64 ListCount() const override { return m_names.size(); }
    QStringView ListView(qint64 index) const override
    {
        return index >= 0 && index < m_names.size() ? QStringView(m_names.at(index)) : QStringView();
    }

private:
    const QStringList& m_names;
};
