// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_browser.h"

#include "connection.h"
#include "decl_store.h"
#include "search_list.h"
#include "type_layout_lookup.h"

std::unique_ptr<DeclBrowser> DeclBrowser::open(const QString& path)
{
    return std::unique_ptr<DeclBrowser>(new DeclBrowser(DeclStore::open(path)));
}

DeclBrowser::DeclBrowser(std::unique_ptr<DeclStore> store)
    : m_store(std::move(store))
    , m_budget(DeclStore::kWholeReadBudget)
{
}

DeclBrowser::~DeclBrowser() = default;

const QString& DeclBrowser::path() const
{
    return m_store->path();
}

void DeclBrowser::forEachName(DeclKind kind, const std::function<void(std::string_view utf8)>& f)
{
    const std::unique_ptr<WholeRead> whole = m_store->wholeRead(m_budget);
    m_store->forEachName(kind, f);
}

QStringList DeclBrowser::names(DeclKind kind)
{
    const std::unique_ptr<WholeRead> whole = m_store->wholeRead(m_budget);
    QStringList names;
    m_store->forEachName(kind, [&names](std::string_view utf8) {
        names << QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    });
    return names;
}

bool DeclBrowser::contains(DeclKind kind, QStringView name)
{
    const std::unique_ptr<WholeRead> whole = m_store->wholeRead(m_budget);
    return m_store->contains(kind, name);
}

std::vector<StoredDecl> DeclBrowser::find(DeclKind kind, QStringView name)
{
    const std::unique_ptr<WholeRead> whole = m_store->wholeRead(m_budget);
    return m_store->find(kind, name);
}

std::optional<LayoutReport> DeclBrowser::layout(QStringView typeName)
{
    const std::unique_ptr<WholeRead> whole = m_store->wholeRead(m_budget);
    return typeLayoutOf(*m_store, typeName);
}

QString DeclBrowser::fullText(DeclKind kind, const QString& name)
{
    const std::unique_ptr<WholeRead> whole = m_store->wholeRead(m_budget);
    return GetFull(*m_store, kind, name);
}

QString DeclBrowser::copy(DeclKind kind, const QStringList& names, const CopyOptions& options, CopyEnd end)
{
    const std::unique_ptr<WholeRead> whole = m_store->wholeRead(m_budget);
    return assembleCopy(m_store.get(), kind, names, options, end);
}

CollectionCopy DeclBrowser::copyCollection(const std::vector<CopyEntry>& entries, const CopyOptions& options,
                                           CopyEnd end)
{
    const std::unique_ptr<WholeRead> whole = m_store->wholeRead(m_budget);
    return ::copyCollection(m_store.get(), entries, options, end);
}

std::optional<QString> DeclBrowser::search(DeclKind kind, const QString& prefix)
{
    const std::unique_ptr<WholeRead> whole = m_store->wholeRead(m_budget);
    return SearchIndex(*m_store, kind, prefix);
}

std::vector<int> DeclBrowser::filterRows(KindFilter& filter, const NameFilter& wanted)
{
    const std::unique_ptr<WholeRead> whole = m_store->wholeRead(m_budget);
    return filter.rows(wanted, *m_store);
}

QStringList DeclBrowser::filterNames(DeclKind kind, QStringView text)
{
    const std::unique_ptr<WholeRead> whole = m_store->wholeRead(m_budget);
    return ::filterNames(*m_store, kind, text);
}

QHash<int, QString> DeclBrowser::variantRows(DeclKind kind, const QStringList& names)
{
    const std::unique_ptr<WholeRead> whole = m_store->wholeRead(m_budget);
    return ::variantRows(*m_store, kind, names);
}

DeclPreview DeclBrowser::preview(DeclKind kind, const QString& name, int variant, const CopyOptions& options)
{
    const std::unique_ptr<WholeRead> whole = m_store->wholeRead(m_budget);
    return previewOf(*m_store, kind, name, variant, options);
}
