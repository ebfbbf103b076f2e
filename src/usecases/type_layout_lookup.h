// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "type_layout.h"

#include <QHash>
#include <QSet>
#include <optional>

class DeclStore;
struct StoredConditional;

// The types and constants a layout uses, read from a declaration database. Of a name
// declared in several branches of a group, each host gets the branch it compiles.
class StoreLayoutResolver : public LayoutResolver
{
public:
    explicit StoreLayoutResolver(DeclStore& store);

    std::optional<TypeBody> typeBody(QStringView name, Host host) override;
    // A constant whose value is an integer expression, the constants it names
    // included; nothing for a string, a cycle or one that is not stored.
    std::optional<qint64> constantValue(QStringView name, Host host) override;

private:
    DeclStore& m_store;
    QHash<QString, std::optional<qint64>> m_values[2];
    QSet<QString> m_evaluating[2];
};

// Whether a declaration that records cond among these conditional lines (the group
// around it, as DeclStore::groupsAround gives them) is compiled on the host: every
// group around it takes the branch it stands in.
bool compiledOn(const std::vector<StoredConditional>& lines, qint64 cond, Host host);

// The layout of a record type on both hosts, or nothing when no type of that name is
// stored. DbError passes.
std::optional<LayoutReport> typeLayoutOf(DeclStore& store, QStringView name);
