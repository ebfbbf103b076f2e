// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "cli_layout.h"

#include "cli.h"
#include "decl_browser.h"
#include "layout_text.h"

#include <QCoreApplication>
#include <QTextStream>

namespace Cli {

int layout(const QStringList& args, QTextStream& out, QTextStream& err, QString& usage)
{
    QStringList rest = args.mid(1);
    const bool withC = rest.removeAll(QStringLiteral("--c")) > 0;
    if (rest.size() != 2) {
        usage = QCoreApplication::translate("Cli", "引数の数が正しくありません。");
        return kUsage;
    }
    const std::unique_ptr<DeclBrowser> browser = DeclBrowser::open(rest[0]);
    const std::optional<LayoutReport> report = browser->layout(rest[1]);
    if (!report) {
        err << "ek-cli: "
            << QCoreApplication::translate("Cli", "型 %1 はデータベースにありません。").arg(rest[1]) << '\n';
        return kNotFound;
    }
    out << layoutReportText(*report, withC);
    // Without the C columns only a host without a layout is shown as a warning.
    for (const LayoutWarning& w : report->warnings) {
        if (withC || w.kind == LayoutWarningKind::NoLayout)
            return kLayoutWarnings;
    }
    return kOk;
}

} // namespace Cli
