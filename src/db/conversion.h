// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "convert_text.h"

// Everything around a conversion that the window and ek-cli share. Building one
// makes the checks that must come before any file is touched; run() then puts a
// new declaration database at the path and fills it through one connection, from
// the file's creation to the end.
class Conversion
{
public:
    // Refuses what checkPaths refuses, and a text file that cannot be read.
    Conversion(QString textPath, QString dbPath, ConvertOptions options = {});
    // Refuses a text file that is the database itself or one of the journal and
    // WAL files SQLite keeps beside it (SQLite would delete it).
    static void checkPaths(const QString& textPath, const QString& dbPath);

    const QString& textPath() const { return m_text; }
    const QString& dbPath() const { return m_db; }

    // Replaces the file at the database path (see MakeDb) and
    // converts. On any failure the database is closed and the progress ended; the
    // rows committed before stay.
    ConvertResult run(ConvertProgress& progress);

private:
    QString m_text;
    QString m_db;
    ConvertOptions m_options;
};
