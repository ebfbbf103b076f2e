// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "search_list.h"

#include "name_fold.h"

namespace {

// Compares the folded first key.size() characters of item with the folded key.
int comparePrefix(const QString& item, const QString& key)
{
    const QStringView prefix = QStringView(item).left(key.size());
    const QString folded = foldName(prefix);
    return compareCodePoints(folded, key);
}

class Prefixes
{
public:
    Prefixes(const ListItems& items, const QString& key)
        : m_items(items)
        , m_key(key)
    {
    }
    // Positions at or beyond the end read as the empty text.
    int compareAt(qint64 i) const
    {
        const QString item = i < m_items.ListCount() ? m_items.List(i) : QString();
        return comparePrefix(item, m_key);
    }

private:
    const ListItems& m_items;
    const QString& m_key;
};

} // namespace

long SearchList(const ListItems& lstBox, const QString& sKey)
{
    const QString key = foldName(sKey);
    if (key.isEmpty())
        return -1;
    const Prefixes prefixes(lstBox, key);
    if (prefixes.compareAt(0) == 0)
        return 0;
    qint64 lo = 0;
    qint64 hi = lstBox.ListCount();
    while (hi - lo > 1) {
        const qint64 mid = (lo + hi) / 2;
        const int c = prefixes.compareAt(mid);
        if (c == 0) {
            qint64 i = mid;
            while (i > 0 && prefixes.compareAt(i - 1) == 0)
                --i;
            return long(i);
        }
        if (c < 0)
            lo = mid;
        else
            hi = mid;
    }
    return -1;
}
