// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "search_list.h"

#include <QStringList>

// A list of names as SearchList reads a list box, counting the items it reads so
// that a test can tell a bisection from a scan.
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
        ++reads;
        if (index < 0 || index >= m_names.size()) {
            ++readsBeyondTheEnd;
            return QStringView();
        }
        return m_names.at(index);
    }
    mutable qint64 reads = 0;
    mutable qint64 readsBeyondTheEnd = 0;

private:
    const QStringList& m_names;
};
