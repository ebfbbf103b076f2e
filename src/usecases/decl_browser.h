// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "copy_assembly.h"
#include "decl_kind.h"
#include "decl_preview.h"
#include "name_filter.h"
#include "stored_decl.h"
#include "type_layout.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class DeclStore;

// One open declaration database, as the window and ek-cli browse it: the only way
// either of them reaches one. Reading never writes. Every failure is a DbError; a
// failed read leaves the database open and usable for the kinds it can read. Each
// call below is one whole read: besides the limit on every step, it spends no more
// than a budget inside the database (OverTimeLimit past it).
class DeclBrowser
{
public:
    // Checks the file and opens it: a missing or unreadable file, one with an
    // unfinished write beside it, or no database at all is refused here.
    static std::unique_ptr<DeclBrowser> open(const QString& path);
    ~DeclBrowser();
    const QString& path() const;

    // Every name of a kind in list order.
    QStringList names(DeclKind kind);
    // The same, as UTF-8, read as it goes: the memory does not grow with the table.
    void forEachName(DeclKind kind, const std::function<void(std::string_view utf8)>& f);
    // The first name of the kind that starts with prefix under the name fold, by one
    // step down the name index; nothing when none does.
    std::optional<QString> search(DeclKind kind, const QString& prefix);
    // Whether a name of that kind is stored, under the name fold.
    bool contains(DeclKind kind, QStringView name);

    // What Copy gives for these names of one kind with these options.
    QString copy(DeclKind kind, const QStringList& names, const CopyOptions& options, CopyEnd end);
    // One section for a collection of any kinds, each entry from the database it was
    // collected from: this one, or another file opened for this copy alone.
    CollectionCopy copyCollection(const std::vector<CopyEntry>& entries, const CopyOptions& options,
                                  CopyEnd end);
    // The full text of the first declaration of that name, alone and as stored; an
    // empty text when it is not stored.
    QString fullText(DeclKind kind, const QString& name);
    // Every declaration of that name, in list order; none when it is not stored.
    std::vector<StoredDecl> find(DeclKind kind, QStringView name);
    // A record type's layout on both hosts; none when no type has that name.
    std::optional<LayoutReport> layout(QStringView typeName);

    // The rows of filter's names (a kind's names in list order) that pass; the database is
    // read only for the first "lib:" or "=" on those names.
    std::vector<int> filterRows(KindFilter& filter, const NameFilter& wanted);
    // Every name of a kind that the filter box's text lets through, in list order.
    QStringList filterNames(DeclKind kind, QStringView text);
    // The condition after each row whose name has variants, by row of names (a kind's
    // names in list order).
    QHash<int, QString> variantRows(DeclKind kind, const QStringList& names);
    // What Copy gives for a listed row's name, and the facts of the row's own variant.
    DeclPreview preview(DeclKind kind, const QString& name, int variant, const CopyOptions& options);
    // The budget of each whole read from now on.
    void setReadBudget(std::chrono::milliseconds budget) { m_budget = budget; }

private:
    Q_DISABLE_COPY(DeclBrowser)
    explicit DeclBrowser(std::unique_ptr<DeclStore> store);
    std::unique_ptr<DeclStore> m_store;
    std::chrono::milliseconds m_budget;
};
