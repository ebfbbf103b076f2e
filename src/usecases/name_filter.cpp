// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "name_filter.h"

#include "decl_store.h"
#include "name_fold.h"

#include <QStringMatcher>
#include <algorithm>
#include <unordered_map>

namespace {

const QString kLibraryPrefix = QStringLiteral("LIB:");
const QString kDllSuffix = QStringLiteral(".DLL");

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimmed(QStringView s)
{
    while (!s.isEmpty() && isBlank(s.front()))
        s = s.mid(1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

int digitValue(QChar c, int base)
{
    const char16_t u = foldChar(c.unicode());
    int d = -1;
    if (u >= u'0' && u <= u'9')
        d = u - u'0';
    else if (u >= u'A' && u <= u'F')
        d = u - u'A' + 10;
    return d < base ? d : -1;
}

// The decimal form of a plain number, or nothing when s is none.
std::optional<QString> plainNumber(QStringView s)
{
    // (-16) is the number -16, as headers bracket their negative values.
    while (s.size() >= 2 && s.front() == u'(' && s.back() == u')')
        s = trimmed(s.mid(1, s.size() - 2));
    bool negative = false;
    if (!s.isEmpty() && (s.front() == u'-' || s.front() == u'+')) {
        negative = s.front() == u'-';
        s = trimmed(s.mid(1));
    }
    // A type suffix: Integer, Long, LongLong, Single, Double, Currency.
    if (!s.isEmpty() && QStringView(u"%&^!#@").contains(s.back()))
        s.chop(1);
    int base = 10;
    if (s.size() > 2 && s[0] == u'&' && foldChar(s[1].unicode()) == u'H') {
        base = 16;
        s = s.mid(2);
    } else if (s.size() > 2 && s[0] == u'&' && foldChar(s[1].unicode()) == u'O') {
        base = 8;
        s = s.mid(2);
    }
    if (s.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : s) {
        const int d = digitValue(c, base);
        if (d < 0 || value > (~quint64(0) - quint64(d)) / quint64(base))
            return std::nullopt;
        value = value * quint64(base) + quint64(d);
    }
    return (negative && value != 0 ? QStringLiteral("-") : QString()) + QString::number(value);
}

// The quoted text after word (" LIB ", " ALIAS "), found under the fold.
QString quotedAfter(QStringView line, std::string_view word)
{
    const qsizetype at = indexOfFolded(line, word);
    if (at < 0)
        return QString();
    QStringView rest = trimmed(line.mid(at + qsizetype(word.size())));
    if (rest.isEmpty() || rest.front() != u'"')
        return QString();
    rest = rest.mid(1);
    const qsizetype end = rest.indexOf(u'"');
    return (end < 0 ? rest : rest.left(end)).toString();
}

} // namespace

NameFilter parseFilter(QStringView text)
{
    const QStringView t = trimmed(text);
    if (t.isEmpty())
        return {};
    if (hasFoldedAt(t, 0, "LIB:"))
        return {FilterForm::Library, libraryKey(t.mid(kLibraryPrefix.size()))};
    if (t.front() == u'=')
        return {FilterForm::Value, valueKey(t.mid(1))};
    // A NUL separates the folded names: it can never be part of what is looked for.
    QString key = foldName(t);
    key.remove(QChar(0));
    return {FilterForm::Contains, key};
}

QString libraryKey(QStringView library)
{
    QString key = foldName(trimmed(library));
    if (key.endsWith(kDllSuffix))
        key.chop(kDllSuffix.size());
    return key;
}

QString valueKey(QStringView value)
{
    const QStringView t = trimmed(value);
    if (const std::optional<QString> number = plainNumber(t))
        return *number;
    QString key;
    key.reserve(t.size());
    bool blank = false;
    for (const QChar c : t) {
        if (isBlank(c)) {
            blank = true;
            continue;
        }
        if (blank)
            key += u' ';
        blank = false;
        key += QChar(foldChar(c.unicode()));
    }
    return key;
}

QString libraryOf(QStringView procedureLine)
{
    return quotedAfter(procedureLine, " LIB ");
}

QString aliasOf(QStringView procedureLine)
{
    return quotedAfter(procedureLine, " ALIAS ");
}

QString valueOf(QStringView constantLine)
{
    const qsizetype at = constantLine.indexOf(QStringLiteral(" ="));
    return at < 0 ? QString() : trimmed(constantLine.mid(at + 2)).toString();
}

void KindFilter::setNames(DeclKind kind, QStringList names)
{
    m_kind = kind;
    m_names = std::move(names);
    m_folded.clear();
    m_starts.clear();
    m_keysRead = false;
    m_keys.clear();
    m_rowKeys.clear();
    m_lastKey.clear();
    m_lastRows.clear();
    foldNames();
}

void KindFilter::foldNames()
{
    if (!m_starts.empty() || m_names.isEmpty())
        return;
    qsizetype length = 0;
    for (const QString& name : std::as_const(m_names))
        length += name.size() + 1;
    m_folded.resize(length);
    m_starts.reserve(size_t(m_names.size()));
    QChar* out = m_folded.data();
    qsizetype at = 0;
    for (const QString& name : std::as_const(m_names)) {
        m_starts.push_back(int(at));
        for (const QChar c : name)
            out[at++] = QChar(foldChar(c.unicode()));
        out[at++] = QChar(0);
    }
}

namespace {

// A DLL's key straight from a UTF-8 line: the fold is ASCII's alone, so it works on bytes.
std::string libraryKeyOf(std::string_view line)
{
    const qsizetype at = indexOfFolded(line, " LIB ");
    if (at < 0)
        return std::string();
    std::string_view rest = line.substr(size_t(at) + 5);
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
        rest.remove_prefix(1);
    if (rest.empty() || rest.front() != '"')
        return std::string();
    rest.remove_prefix(1);
    rest = rest.substr(0, rest.find('"'));
    return libraryKey(QString::fromUtf8(rest.data(), qsizetype(rest.size()))).toStdString();
}

std::string valueKeyOf(std::string_view line)
{
    const size_t at = line.find(" =");
    if (at == std::string_view::npos)
        return std::string();
    const std::string_view value = line.substr(at + 2);
    return valueKey(QString::fromUtf8(value.data(), qsizetype(value.size()))).toStdString();
}

} // namespace

void KindFilter::readKeys(DeclStore& store)
{
    if (m_keysRead)
        return;
    // The list's rows by row id, to meet the table's lines as one pass reads them.
    std::vector<std::pair<qint64, int>> byRowId;
    byRowId.reserve(size_t(m_names.size()));
    store.forEachRowId(m_kind,
                       [&byRowId](qint64 rowId) { byRowId.emplace_back(rowId, int(byRowId.size())); });
    std::sort(byRowId.begin(), byRowId.end());
    // Rows the list does not show (a database changed under it) match nothing.
    std::vector<int> rowKeys(size_t(m_names.size()), -1);
    std::unordered_map<std::string, int> known;
    const bool procedures = m_kind == DeclKind::Procedure;
    size_t next = 0;
    store.forEachLine(m_kind, [&](qint64 rowId, std::string_view full) {
        while (next < byRowId.size() && byRowId[next].first < rowId)
            ++next;
        if (next == byRowId.size() || byRowId[next].first != rowId)
            return;
        const auto [it, added] =
            known.try_emplace(procedures ? libraryKeyOf(full) : valueKeyOf(full), int(m_keys.size()));
        if (added)
            m_keys.push_back(it->first);
        if (size_t(byRowId[next].second) < rowKeys.size())
            rowKeys[size_t(byRowId[next].second)] = it->second;
        ++next;
    });
    m_rowKeys = std::move(rowKeys);
    m_keysRead = true;
}

std::vector<int> KindFilter::containing(const QString& key)
{
    foldNames();
    std::vector<int> passed;
    // A key that holds the last one, as typing on makes it, can only be in the rows that held that.
    if (!m_lastKey.isEmpty() && key.contains(m_lastKey)) {
        for (const int row : m_lastRows) {
            const qsizetype start = m_starts[size_t(row)];
            const qsizetype end =
                size_t(row) + 1 < m_starts.size() ? m_starts[size_t(row) + 1] - 1 : m_folded.size() - 1;
            if (QStringView(m_folded).mid(start, end - start).contains(key))
                passed.push_back(row);
        }
        return passed;
    }
    const QStringMatcher matcher(key);
    // Hits come in order: the row of each is found by walking on from the last one.
    size_t row = 0;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = matcher.indexIn(m_folded, from);
        if (at < 0)
            break;
        while (row + 1 < m_starts.size() && m_starts[row + 1] <= at)
            ++row;
        passed.push_back(int(row));
        if (row + 1 == m_starts.size())
            break;
        from = m_starts[row + 1];
    }
    return passed;
}

std::vector<int> KindFilter::rows(const NameFilter& filter, DeclStore& store)
{
    std::vector<int> passed;
    const int count = int(m_names.size());
    switch (filter.form) {
    case FilterForm::All:
        passed.resize(size_t(count));
        for (int i = 0; i < count; ++i)
            passed[size_t(i)] = i;
        return passed;
    case FilterForm::Contains:
        passed = containing(filter.key);
        m_lastKey = filter.key;
        m_lastRows = passed;
        return passed;
    case FilterForm::Library:
    case FilterForm::Value:
        break;
    }
    const bool fits = (filter.form == FilterForm::Library && m_kind == DeclKind::Procedure) ||
                      (filter.form == FilterForm::Value && m_kind == DeclKind::Constant);
    if (!fits)
        return passed;
    // "lib:" or "=" alone asks for nothing yet.
    if (filter.key.isEmpty())
        return rows(NameFilter{}, store);
    readKeys(store);
    const auto found = std::find(m_keys.begin(), m_keys.end(), filter.key.toStdString());
    if (found == m_keys.end())
        return passed;
    const int key = int(found - m_keys.begin());
    for (int i = 0; i < count; ++i) {
        if (m_rowKeys[size_t(i)] == key)
            passed.push_back(i);
    }
    return passed;
}

QStringList filterNames(DeclStore& store, DeclKind kind, QStringView text)
{
    QStringList names;
    store.forEachName(kind, [&names](std::string_view utf8) {
        names << QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    });
    KindFilter filter;
    filter.setNames(kind, std::move(names));
    QStringList passed;
    for (const int row : filter.rows(parseFilter(text), store))
        passed << filter.names().at(row);
    return passed;
}
