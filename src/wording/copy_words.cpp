// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "copy_words.h"

#include "copy_assembly.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("CopyWords", text);
}

} // namespace

QString kindWord(DeclKind kind)
{
    switch (kind) {
    case DeclKind::Constant:
        return tr("定数");
    case DeclKind::Procedure:
        return tr("関数");
    case DeclKind::Type:
        break;
    }
    return tr("型");
}

QString kindMark(DeclKind kind)
{
    return kindWord(kind).left(1);
}

QString copiedText(const CopySummary& summary)
{
    QStringList parts;
    for (const auto& [kind, count] : summary.perKind)
        parts << tr("%1 %2").arg(kindWord(kind)).arg(count);
    if (summary.groups > 0)
        parts << tr("#If %1 組").arg(summary.groups);
    QString text =
        parts.isEmpty()
            ? tr("%1 件をコピーしました").arg(summary.declarations)
            : tr("%1 件 (%2) をコピーしました").arg(summary.declarations).arg(parts.join(tr("、")));
    if (summary.missing > 0)
        text += tr("。見つからない名前 %1 件は空の行です").arg(summary.missing);
    return text;
}

QString alreadyCollectedText(DeclKind kind, const QString& name)
{
    return tr("%1 %2 はもう選択リストにあります").arg(kindWord(kind), name);
}
