// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "browse_text.h"

#include "decl_preview.h"
#include "layout_text.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("BrowseText", text);
}

QString grouped(qint64 n)
{
    // Digits grouped by three with commas, as Japanese text writes them, whatever the locale.
    return QLocale(QLocale::English).toString(n);
}

} // namespace

QString countText(qint64 count)
{
    return tr("%1 件").arg(grouped(count));
}

QString countText(qint64 total, qint64 shown)
{
    return tr("%1 件中 %2 件").arg(grouped(total), grouped(shown));
}

QString factsLine(const DeclFacts& facts)
{
    QStringList parts;
    if (!facts.library.isEmpty())
        parts << tr("DLL: %1").arg(facts.library);
    if (!facts.alias.isEmpty())
        parts << tr("別名: %1").arg(facts.alias);
    if (facts.members >= 0)
        parts << tr("メンバー: %1 個").arg(facts.members);
    if (facts.layout)
        parts << layoutSummary(*facts.layout);
    if (!facts.conditions.isEmpty())
        parts << tr("条件: %1").arg(facts.conditions.join(QStringLiteral(" / ")));
    return parts.join(QStringLiteral("　"));
}

QString noMatchText()
{
    return tr("該当なし");
}
