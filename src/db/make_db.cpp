// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "make_db.h"

#include "database.h"
#include "db_error.h"

#include <QFile>
#include <QFileInfo>

QString storedIndexName(const QString& table, const QString& index)
{
    return table + u'_' + index;
}

namespace {

void removeExisting(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return;
    // A symbolic link is replaced, not followed: the file it points to is not ours.
    if (!info.isFile() && !info.isSymLink())
        throw DbError(DbFault::NotAFile, path);
    QFile file(path);
    if (!file.remove())
        throw DbError(DbFault::AccessDenied, path, file.errorString());
}

} // namespace

void MakeDb(const QString& sDbFile)
{
    removeExisting(sDbFile);
    std::unique_ptr<Database> db = Database::CreateDatabase(sDbFile);
    // One transaction, so that a crash never leaves a file with half a schema.
    db->execute("BEGIN;"
                "CREATE TABLE tbCnst (fdID INTEGER PRIMARY KEY, fdName TEXT, fdFull TEXT);"
                "CREATE INDEX tbCnst_ixName ON tbCnst (upper(fdName));"
                "CREATE TABLE tbProc (fdID INTEGER PRIMARY KEY, fdName TEXT, fdFull TEXT);"
                "CREATE INDEX tbProc_ixName ON tbProc (upper(fdName));"
                "CREATE TABLE tbType (fdName TEXT, fdFull TEXT, fdTypeID INTEGER);"
                "CREATE UNIQUE INDEX tbType_ixName ON tbType (upper(fdName));"
                "CREATE TABLE tbMenb (fdID INTEGER PRIMARY KEY, fdFull TEXT, fdTypeID INTEGER);"
                "CREATE INDEX tbMenb_ixTypeID ON tbMenb (fdTypeID);"
                "COMMIT;");
    db->Close();
}
