// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "search_list.h"

#include "decl_store.h"
#include "name_fold.h"

namespace {

// Compares the first key.size() characters of item, folded as they are read, with
// the folded key. Runs once per item the search reads, so it allocates nothing.
int comparePrefix(QStringView item, QStringView key)
{
    const qsizetype n = std::min(item.size(), key.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = foldChar(item[i].unicode());
        const char16_t k = key[i].unicode();
        if (c != k)
            return codePointRank(c) < codePointRank(k) ? -1 : 1;
    }
    return item.size() >= key.size() ? 0 : -1;
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
        return comparePrefix(i < m_items.ListCount() ? m_items.ListView(i) : QStringView(), m_key);
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
            // The first of the run of matches lies after lo, which is no match, and at or
            // before mid. Found by bisection too, so a short key that a hundred thousand
            // names share costs no more than a long one.
            qint64 first = mid;
            while (first - lo > 1) {
                const qint64 m = (lo + first) / 2;
                if (prefixes.compareAt(m) == 0)
                    first = m;
                else
                    lo = m;
            }
            return long(first);
        }
        if (c < 0)
            lo = mid;
        else
            hi = mid;
    }
    return -1;
}

// The index orders names by the same fold and code point order as the list, so the
// first name at or after the key either starts with it or no name does.
std::optional<QString> SearchIndex(DeclStore& store, DeclKind kind, const QString& sKey)
{
    const QString key = foldName(sKey);
    if (key.isEmpty())
        return std::nullopt;
    // A key that ends in the first half of a character beyond U+FFFF (typed so far,
    // or cut) seeks from the first character that half may begin: the index holds
    // whole characters.
    QString seek = key;
    const QChar last = key.back();
    if (last.isHighSurrogate())
        seek.append(QChar(char16_t(0xDC00)));
    std::optional<QString> name = store.firstAtOrAfter(kind, seek);
    if (!name || comparePrefix(*name, key) != 0)
        return std::nullopt;
    return name;
}
