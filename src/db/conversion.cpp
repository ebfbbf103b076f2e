// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conversion.h"

#include "database.h"
#include "db_error.h"
#include "file_replace.h"
#include "make_db.h"

#include <QFile>

Conversion::Conversion(QString textPath, QString dbPath, ConvertOptions options)
    : m_text(std::move(textPath))
    , m_db(std::move(dbPath))
    , m_options(std::move(options))
{
    checkPaths(m_text, m_db);
    QFile text;
    openTextFile(text, m_text);
}

void Conversion::checkPaths(const QString& textPath, const QString& dbPath)
{
    if (isSameFile(textPath, dbPath))
        throw DbError(DbFault::SameFile, textPath);
    for (const char* suffix : kSideFileSuffixes) {
        const QString side = dbPath + QLatin1String(suffix);
        if (textPath == side || isSameFile(textPath, side))
            throw DbError(DbFault::SideFileName, textPath, side);
    }
}

ConvertResult Conversion::run(ConvertProgress& progress)
{
    // The only owner: the database is closed when the run leaves, whichever way.
    const std::shared_ptr<Database> db = MakeDb(m_db);
    return ConvertText(m_text, *db, progress, m_options);
}
