// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "convert_text.h"
#include "files.h"

// Everything around a conversion that the window and ek-cli share. Building one
// makes the checks that must come before any file is touched and keeps the text file
// open; run() then builds the new declaration database beside the target and puts it
// in place at the end.
class Conversion
{
public:
    // Refuses what checkPaths refuses, and a text file that cannot be read or is no
    // code page 932 text (UTF-16, binary data: NotText).
    Conversion(QString textPath, QString dbPath, ConvertOptions options = {});
    // Refuses a text file that is the database itself or one of the journal and
    // WAL files SQLite keeps beside it: what can be told from the names alone.
    static void checkPaths(const QString& textPath, const QString& dbPath);

    const QString& textPath() const { return m_text; }
    const QString& dbPath() const { return m_db; }

    // Converts into a hidden file beside the database path and, when the run ends or
    // is cancelled, puts it in the place of whatever stood there. On a failure the
    // hidden file is removed and the file at the path is left as it was, which the
    // DbError says (previousKept) when a file stood there; the progress is ended on
    // every way out. Runs once.
    ConvertResult run(ConvertProgress& progress);

private:
    QString m_text;
    QString m_db;
    ConvertOptions m_options;
    OpenedFile m_opened;
};
