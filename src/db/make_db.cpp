// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "make_db.h"

#include "database.h"
#include "db_error.h"
#include "schema.h"

#include <QFile>
#include <QFileInfo>

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
    std::shared_ptr<Database> db = Database::CreateDatabase(sDbFile);
    db->execute(kDeclarationSchema);
    db->Close();
}
