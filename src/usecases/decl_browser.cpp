// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_browser.h"

#include "decl_store.h"
#include "search_list.h"
#include "type_layout_lookup.h"

std::unique_ptr<DeclBrowser> DeclBrowser::open(const QString& path)
{
    return std::unique_ptr<DeclBrowser>(new DeclBrowser(DeclStore::open(path)));
}

DeclBrowser::DeclBrowser(std::unique_ptr<DeclStore> store)
    : m_store(std::move(store))
{
}

DeclBrowser::~DeclBrowser() = default;

const QString& DeclBrowser::path() const
{
    return m_store->path();
}

void DeclBrowser::forEachName(DeclKind kind, const std::function<void(std::string_view utf8)>& f)
{
    m_store->forEachName(kind, f);
}

QStringList DeclBrowser::names(DeclKind kind)
{
    QStringList names;
    m_store->forEachName(kind, [&names](std::string_view utf8) {
        names << QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    });
    return names;
}

bool DeclBrowser::contains(DeclKind kind, QStringView name)
{
    return m_store->contains(kind, name);
}

std::vector<StoredDecl> DeclBrowser::find(DeclKind kind, QStringView name)
{
    return m_store->find(kind, name);
}

std::optional<LayoutReport> DeclBrowser::layout(QStringView typeName)
{
    return typeLayoutOf(*m_store, typeName);
}

QString DeclBrowser::fullText(DeclKind kind, const QString& name)
{
    return GetFull(*m_store, kind, name);
}

QString DeclBrowser::copy(DeclKind kind, const QStringList& names, const CopyOptions& options, CopyEnd end)
{
    return assembleCopy(m_store.get(), kind, names, options, end);
}

CollectionCopy DeclBrowser::copyCollection(const std::vector<CopyEntry>& entries, const CopyOptions& options,
                                           CopyEnd end)
{
    return ::copyCollection(m_store.get(), entries, options, end);
}

std::optional<QString> DeclBrowser::search(DeclKind kind, const QString& prefix)
{
    return SearchIndex(*m_store, kind, prefix);
}

std::vector<int> DeclBrowser::filterRows(KindFilter& filter, const NameFilter& wanted)
{
    return filter.rows(wanted, *m_store);
}

QStringList DeclBrowser::filterNames(DeclKind kind, QStringView text)
{
    return ::filterNames(*m_store, kind, text);
}

QHash<int, QString> DeclBrowser::variantRows(DeclKind kind, const QStringList& names)
{
    return ::variantRows(*m_store, kind, names);
}

DeclPreview DeclBrowser::preview(DeclKind kind, const QString& name, int variant, const CopyOptions& options)
{
    return previewOf(*m_store, kind, name, variant, options);
}
