// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "decl_kind.h"

#include <QString>
#include <optional>

class DeclStore;

// Read access to a list of names, as a list box or the CLI has one.
class ListItems
{
public:
    virtual ~ListItems() = default;
    virtual qint64 ListCount() const = 0;
    // The item without a copy, valid until the list changes; empty beyond the end.
    virtual QStringView ListView(qint64 index) const = 0;
    QString List(qint64 index) const { return ListView(index).toString(); }
};

// The position of the first item whose first characters equal sKey under the name
// fold, or -1. A bisection: it relies on the items being in the order of the name
// index and reads at most log2(count) + 2 items, however many match.
long SearchList(const ListItems& lstBox, const QString& sKey);

// What SearchList finds among a kind's listed names, without listing them: one step
// down the name index, so the cost does not grow with the number of names. The name
// as stored, or nothing.
std::optional<QString> SearchIndex(DeclStore& store, DeclKind kind, const QString& sKey);
