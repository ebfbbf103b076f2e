// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "code_point_order.h"
#include "fuzz_check.h"
#include "name_fold.h"
#include "search_list.h"
#include "string_items.h"

#include <QList>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <sqlite3.h>

// Input: lines separated by LF. A line that starts with '?' is a search key, any
// other line a name. Bytes below 0x80 are themselves; 0x80..0xEF are U+0080..U+00EF
// (Latin-1 letters the fold must leave alone); 0xF0..0xFE pick from kSpecial; 0xFF
// and the two bytes after it give any UTF-16 unit, big-endian, lone surrogates too.
namespace {

constexpr char16_t kSpecial[] = {
    0x0131, // dotless i: a Unicode upper-casing would turn it into 'I'
    0x017F, // long s: likewise into 'S'
    0x212A, // Kelvin sign, which folds to 'k' under full case folding
    0xFF21, 0xFF41, 0x3042, 0x30A2, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, // surrogate bounds
    0xD83D, 0xDE00,                                                 // the two halves of U+1F600
    0xE000, 0xFFFF, // around the surrogates in code unit order
};
static_assert(sizeof kSpecial / sizeof kSpecial[0] == 0xFF - 0xF0);

constexpr qsizetype kMaxNames = 256;
constexpr qsizetype kMaxKeys = 128;

QString decodeLine(const uint8_t* p, size_t n)
{
    QString s;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = p[i];
        if (b < 0xF0) {
            s += QChar(char16_t(b));
        } else if (b < 0xFF) {
            s += QChar(kSpecial[b - 0xF0]);
        } else if (i + 2 < n) {
            s += QChar(char16_t((p[i + 1] << 8) | p[i + 2]));
            i += 2;
        }
    }
    return s;
}

bool wellFormed(const QString& s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i;
        else if (s[i].isSurrogate())
            return false;
    }
    return true;
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

// What SQLite's BINARY collation does with the UTF-8 of both.
int compareUtf8(const QString& a, const QString& b)
{
    const QByteArray x = a.toUtf8();
    const QByteArray y = b.toUtf8();
    const int c = std::memcmp(x.constData(), y.constData(), size_t(std::min(x.size(), y.size())));
    if (c != 0)
        return sign(c);
    return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

// Written apart from foldName, so that the reference does not share its faults.
QString referenceFold(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (const QChar c : s)
        out += (c >= u'a' && c <= u'z') ? QChar(c.unicode() - 0x20) : c;
    return out;
}

void checkFold(const QString& s)
{
    const QString f = foldName(s);
    FUZZ_CHECK(f.size() == s.size(), describe(s));
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        const char16_t want = (c >= u'a' && c <= u'z') ? char16_t(c - 0x20) : c;
        FUZZ_CHECK(f[i].unicode() == want, describe(s) + QStringLiteral(" -> ") + describe(f));
    }
    FUZZ_CHECK(foldName(f) == f, describe(s));
}

void checkCompare(const QString& a, const QString& b)
{
    const int ab = compareCodePoints(a, b);
    FUZZ_CHECK(ab >= -1 && ab <= 1, describe(a) + u' ' + describe(b));
    FUZZ_CHECK(compareCodePoints(b, a) == -ab, describe(a) + u' ' + describe(b));
    FUZZ_CHECK((ab == 0) == (a == b), describe(a) + u' ' + describe(b));
    // Lone surrogates have no UTF-8 form: for them only the total order is promised.
    if (wellFormed(a) && wellFormed(b))
        FUZZ_CHECK(ab == compareUtf8(a, b), describe(a) + u' ' + describe(b));
}

bool nameLess(const QString& a, const QString& b)
{
    return compareCodePoints(foldName(a), foldName(b)) < 0;
}

// The order the name index hands out: asks SQLite itself, for the names it can
// store unchanged. Ties stay in insertion order through the rowid.
void checkAgainstIndex(const QStringList& names, const QList<qsizetype>& sortedOrder)
{
    QList<qsizetype> expected;
    for (qsizetype i : sortedOrder) {
        if (wellFormed(names[i]))
            expected.append(i);
    }
    sqlite3* db = nullptr;
    FUZZ_CHECK(sqlite3_open(":memory:", &db) == SQLITE_OK, QString());
    FUZZ_CHECK(sqlite3_exec(db, "CREATE TABLE t (fdName TEXT); CREATE INDEX ix ON t (upper(fdName));",
                            nullptr, nullptr, nullptr) == SQLITE_OK,
               QString());
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t (rowid, fdName) VALUES (?1, ?2)", -1, &insert, nullptr);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (!wellFormed(names[i]))
            continue;
        const QByteArray utf8 = names[i].toUtf8();
        sqlite3_bind_int64(insert, 1, i);
        sqlite3_bind_text(insert, 2, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        FUZZ_CHECK(sqlite3_step(insert) == SQLITE_DONE, describe(names[i]));
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_stmt* walk = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid FROM t ORDER BY upper(fdName), rowid", -1, &walk, nullptr);
    QList<qsizetype> actual;
    while (sqlite3_step(walk) == SQLITE_ROW)
        actual.append(qsizetype(sqlite3_column_int64(walk, 0)));
    sqlite3_finalize(walk);
    sqlite3_close(db);
    FUZZ_CHECK(actual.size() == expected.size(), QString::number(actual.size()));
    for (qsizetype k = 0; k < actual.size(); ++k) {
        FUZZ_CHECK(actual[k] == expected[k], QStringLiteral("index has ") + describe(names[actual[k]]) +
                                                 QStringLiteral(", fold has ") +
                                                 describe(names[expected[k]]));
    }
}

int bitLength(qint64 n)
{
    int bits = 0;
    while (n > 0) {
        ++bits;
        n >>= 1;
    }
    return bits;
}

void checkSearch(const QStringList& sorted, const QString& key)
{
    const QString folded = referenceFold(key);
    qint64 expected = -1;
    qint64 matches = 0;
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        if (referenceFold(sorted[i].left(key.size())) == folded) {
            if (expected < 0)
                expected = i;
            ++matches;
        }
    }
    if (key.isEmpty())
        expected = -1;
    StringItems items(sorted);
    const long at = SearchList(items, key);
    FUZZ_CHECK(at == expected, describe(key) + QStringLiteral(": ") + QString::number(at) +
                                   QStringLiteral(" instead of ") + QString::number(expected));
    FUZZ_CHECK(items.readsBeyondTheEnd == 0, describe(key) + QStringLiteral(": read beyond the end"));
    // A bisection, plus the walk back over the run of matches before the hit.
    FUZZ_CHECK(items.reads <= 2 + bitLength(sorted.size()) + matches,
               describe(key) + QStringLiteral(": read ") + QString::number(items.reads));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QStringList names;
    QStringList keys;
    size_t begin = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != '\n')
            continue;
        if (i > begin && data[begin] == '?') {
            if (keys.size() < kMaxKeys)
                keys.append(decodeLine(data + begin + 1, i - begin - 1));
        } else if (i < size || i > begin) {
            if (names.size() < kMaxNames)
                names.append(decodeLine(data + begin, i - begin));
        }
        begin = i + 1;
    }

    for (const QString& s : std::as_const(names))
        checkFold(s);
    for (const QString& s : std::as_const(keys))
        checkFold(s);
    for (qsizetype i = 0; i + 1 < names.size(); ++i)
        checkCompare(names[i], names[i + 1]);
    for (qsizetype i = 0; i < std::min(names.size(), keys.size()); ++i)
        checkCompare(foldName(names[i]), foldName(keys[i]));

    QList<qsizetype> order(names.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return nameLess(names[a], names[b]); });
    QStringList sorted;
    for (qsizetype i : std::as_const(order))
        sorted.append(names[i]);
    for (qsizetype i = 0; i + 1 < sorted.size(); ++i)
        FUZZ_CHECK(!nameLess(sorted[i + 1], sorted[i]), describe(sorted[i]) + u' ' + describe(sorted[i + 1]));
    checkAgainstIndex(names, order);

    if (keys.isEmpty()) {
        for (qsizetype i = 0; i < std::min<qsizetype>(sorted.size(), kMaxKeys / 4); ++i) {
            const QString& n = sorted[i];
            keys << n << n.left(1) << n.left(n.size() / 2) << n.left(n.size() - 1);
        }
    }
    for (const QString& key : std::as_const(keys))
        checkSearch(sorted, key);
    return 0;
}
