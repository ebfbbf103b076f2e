// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "make_db.h"

#include "database.h"
#include "db_error.h"
#include "file_replace.h"
#include "schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace {

void removeQuietly(const QString& path)
{
    QFile::remove(path);
    for (const char* suffix : kSideFileSuffixes)
        QFile::remove(path + QLatin1String(suffix));
}

// A hidden name beside the target, so that the move into place stays on one disk.
QString siblingName(const QFileInfo& target)
{
    return target.absoluteDir().filePath(
        QStringLiteral(".%1.%2")
            .arg(target.fileName())
            .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')));
}

} // namespace

std::shared_ptr<Database> MakeDb(const QString& sDbFile)
{
    const QFileInfo target(sDbFile);
    if (target.exists() && !target.isFile() && !target.isSymLink())
        throw DbError(DbFault::NotAFile, sDbFile);
    if (!target.absoluteDir().exists())
        throw DbError(DbFault::BadPath, sDbFile);

    const FolderLock lock(target.absolutePath(), sDbFile);
    // A symbolic link is replaced, not followed: the file it points to is not ours.
    if (!target.isSymLink() && target.isFile() && Database::isLockedByOther(sDbFile))
        throw DbError(DbFault::Locked, sDbFile);

    const QString fresh = siblingName(target);
    FileIdentity made;
    try {
        std::shared_ptr<Database> db = Database::CreateDatabase(fresh);
        db->execute(kDeclarationSchema);
        db->Close();
        made = FileIdentity::of(fresh);
        // What a database that stood here left beside it would be taken for the new
        // one's journal.
        for (const char* suffix : kSideFileSuffixes)
            QFile::remove(sDbFile + QLatin1String(suffix));
        replaceFile(fresh, sDbFile);
    } catch (const DbError& e) {
        removeQuietly(fresh);
        // The message names the file the user chose, not the one beside it.
        throw DbError(e.fault(), sDbFile, e.detail());
    }
    std::shared_ptr<Database> db = Database::OpenDatabase(sDbFile, Database::Access::Exclusive);
    if (!(FileIdentity::of(sDbFile) == made)) {
        db->Close();
        throw DbError(DbFault::Replaced, sDbFile);
    }
    return db;
}
