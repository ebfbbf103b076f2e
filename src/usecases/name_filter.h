// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "decl_kind.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

class DeclStore;

// What the filter box asks for: the names that contain a text, the functions of one DLL
// ("lib:user32"), or the constants of one value ("=&H80").
enum class FilterForm { All, Contains, Library, Value };

struct NameFilter
{
    FilterForm form = FilterForm::All;
    // The text to look for, already in the form the rows' keys take: the folded part of a
    // name, a DLL's key (libraryKey) or a value's key (valueKey).
    QString key;
};

// The filter a typed text asks for; blanks around it and after "lib:" or "=" do not count.
NameFilter parseFilter(QStringView text);

// A DLL's name as "lib:" compares it: folded, without ".dll".
QString libraryKey(QStringView library);

// A constant's value as "=" compares it. A plain number in any of its forms (128, &H80,
// &O200, with a sign, brackets or a type suffix such as the & of &H80&) becomes its decimal value, so
// that every form of one number meets; any other value is compared as written, folded and
// with its blanks closed up.
QString valueKey(QStringView value);

// The parts of a declaration line a filter and the preview need.
QString libraryOf(QStringView procedureLine); // the text between the quotes after " Lib "
QString aliasOf(QStringView procedureLine);   // the text between the quotes after " Alias "
QString valueOf(QStringView constantLine);    // what follows the first " =", trimmed

// The names of one kind in list order, and what the filter compares of each row. The
// names' fold is made with the list, so that the first key typed costs no more than the
// others; the rows' DLLs or values are read once from the store on the first "lib:" or
// "=": a keystroke then costs one pass over memory, never a query.
class KindFilter
{
public:
    void setNames(DeclKind kind, QStringList names);
    const QStringList& names() const { return m_names; }
    DeclKind kind() const { return m_kind; }

    // The rows that pass, in list order. store is read only for the first "lib:" or "="
    // on these names; it may fail with a DbError.
    std::vector<int> rows(const NameFilter& filter, DeclStore& store);

private:
    void foldNames();
    std::vector<int> containing(const QString& key);
    void readKeys(DeclStore& store);

    DeclKind m_kind = DeclKind::Procedure;
    QStringList m_names;
    // Every folded name followed by a NUL, one after the other, and where each starts.
    QString m_folded;
    std::vector<int> m_starts;
    // The last part looked for and the rows that held it.
    QString m_lastKey;
    std::vector<int> m_lastRows;
    // The key of each row as UTF-8: its DLL for a function, its value for a constant; keys
    // repeat, so rows hold an index into m_keys, -1 for none.
    bool m_keysRead = false;
    std::vector<std::string> m_keys;
    std::vector<int> m_rowKeys;
};

// Every name of a kind that the filter text lets through, in list order: what ek-cli find
// prints and what the filter box leaves in the list.
QStringList filterNames(DeclStore& store, DeclKind kind, QStringView text);
