// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace Cli {

// ek-cli layout DBFILE TYPENAME [--c]. Bad arguments come back as the message in
// usage, for run to report as it reports every usage error; DbError passes.
int layout(const QStringList& args, QTextStream& out, QTextStream& err, QString& usage);

} // namespace Cli
