// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "new_database.h"

#include "db_error.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

// Hidden files of a build are the target's name after a dot, then a dot and 16 hex
// digits, so that the move into place stays on one disk.
QRegularExpression hiddenPattern(const QString& targetName)
{
    return QRegularExpression(QStringLiteral("^\\.%1\\.[0-9a-f]{16}(-journal|-wal|-shm)?$")
                                  .arg(QRegularExpression::escape(targetName)));
}

} // namespace

void NewDatabase::removeLeftovers(const QString& target)
{
    const QFileInfo info(target);
    const QRegularExpression pattern = hiddenPattern(info.fileName());
    QDirIterator it(info.absolutePath(), QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        const QRegularExpressionMatch match = pattern.match(it.fileName());
        if (!match.hasMatch())
            continue;
        const QString database = match.captured(1).isEmpty() ? path : path.chopped(match.captured(1).size());
        removeIfAbandoned(path, database);
    }
}

// A link stands for the file it names: that file is replaced, beside itself, and the
// link stays. A link that names nothing, or no regular file (/dev/stdout), is refused
// rather than replaced by a database.
QString replacedPath(const QString& target)
{
    const QFileInfo info(target);
    if (!info.isSymbolicLink())
        return target;
    const QString named = info.canonicalFilePath();
    if (named.isEmpty() || !QFileInfo(named).isFile())
        throw DbError(DbFault::NotAFile, target);
    return named;
}

bool NewDatabase::isNamedLikeBuildFile(const QString& path, const QString& target)
{
    const QFileInfo file(path);
    const QFileInfo into(replacedPath(target));
    return file.absolutePath() == into.absolutePath() &&
           hiddenPattern(into.fileName()).match(file.fileName()).hasMatch();
}

NewDatabase::NewDatabase(const QString& target)
    : m_target(replacedPath(target))
{
    const QFileInfo info(m_target);
    if (info.exists() && !info.isFile())
        throw DbError(DbFault::NotAFile, target);
    if (!info.absoluteDir().exists())
        throw DbError(DbFault::BadPath, target);
    m_before = FileStamp::ofPath(m_target);
    if (m_before.valid) {
        checkWritable(target);
        if (isLockedByWriter(m_target))
            throw DbError(DbFault::Locked, target);
    }
    create();
}

void NewDatabase::create()
{
    const QFileInfo info(m_target);
    const FolderLock lock(info.absolutePath(), m_target);
    removeLeftovers(m_target);
    m_hidden = info.absoluteDir().filePath(
        QStringLiteral(".%1.%2")
            .arg(info.fileName())
            .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')));
    makeHidden();
    try {
        m_connection = Connection::openNewFile(m_hidden, m_target);
    } catch (...) {
        discard();
        throw;
    }
}

NewDatabase::~NewDatabase()
{
    if (!m_placed)
        discard();
    releaseHidden();
}

void NewDatabase::discard() noexcept
{
    m_connection.reset();
    if (m_hidden.isEmpty())
        return;
    QFile::remove(m_hidden);
    for (const char* suffix : kSideFileSuffixes)
        QFile::remove(m_hidden + QLatin1String(suffix));
    // Held until the files are gone, so that no other build's clean-up takes them
    // meanwhile; a constructor that throws runs no destructor to close it.
    releaseHidden();
}

void NewDatabase::putInPlace()
{
    m_connection.reset();
    syncFile(m_hidden);
    const FileStamp made = FileStamp::ofPath(m_hidden);
    if (!made.valid)
        throw DbError(DbFault::Moved, m_target);
    const FolderLock lock(QFileInfo(m_target).absolutePath(), m_target);
    // The folder lock keeps other builds' clean-up away from here on, and Windows
    // refuses to replace a file with one that is still open.
    releaseHidden();
    // A file that was moved away or deleted meanwhile is no longer at the path to be
    // lost; another file that now stands there would be.
    const FileStamp now = FileStamp::ofPath(m_target);
    if (now.valid && !now.sameFile(m_before))
        throw DbError(DbFault::Replaced, m_target);
    if (now.valid && isLockedByWriter(m_target))
        throw DbError(DbFault::Locked, m_target);
    // What the old database left beside it would be taken for the new one's.
    for (const char* suffix : kSideFileSuffixes) {
        const QString side = m_target + QLatin1String(suffix);
        if (isSqliteSideFile(side, suffix))
            QFile::remove(side);
    }
    replaceFile(m_hidden, m_target);
    m_placed = true;
    if (!FileStamp::ofPath(m_target).sameFile(made))
        throw DbError(DbFault::Replaced, m_target);
}
