// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "copy_assembly.h"
#include "decl_kind.h"
#include "type_layout.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

class DeclStore;

// What is known of one declaration beyond its text.
struct DeclFacts
{
    QString library; // a function's DLL, as its Lib "…" gives it
    QString alias;   // a function's Alias "…"; empty without one
    // The branches of conditional compilation it stands in, outermost first, each by its
    // condition ("Win64") or "Else"; none outside any group.
    QStringList conditions;
    int members = -1; // a record type's or Enum's member lines; -1 for other kinds
    // A record type's layout on both hosts, of the variant each host compiles; none for
    // other kinds and for an Enum.
    std::optional<LayoutReport> layout;
};

// The preview of a listed row: what Copy gives for its name with the options as set,
// and the facts of the row's own variant.
struct DeclPreview
{
    bool found = false;
    QString name;
    DeclFacts facts;
    QString text; // lines joined with CR LF, without a final break
};

// variant is the row's place among the rows of its name in list order, from 0.
DeclPreview previewOf(DeclStore& store, DeclKind kind, const QString& name, int variant,
                      const CopyOptions& options);

// For each declaration of a name in list order, the conditions of the branches it stands in
// ("Win64", "Else", "VBA7 / Win64" inside a group inside another), empty outside any group.
QStringList variantLabels(DeclStore& store, DeclKind kind, const QString& name);

// A branch line's condition: "Win64" of "#If Win64 Then", "Else" of "#Else".
QString branchLabel(QStringView conditionalLine);

// The labels of every row whose name has more than one row, by row; names holds a kind's
// names in list order, so the rows of one name stand together.
QHash<int, QString> variantRows(DeclStore& store, DeclKind kind, const QStringList& names);
