// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "new_database.h"

#include "db_error.h"
#include "errno_fault.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

// Hidden files of a build are the target's name after a dot, then a dot and 16 hex
// digits, so that the move into place stays on one disk.
QRegularExpression hiddenPattern(const QString& targetName)
{
    return QRegularExpression(QStringLiteral("^\\.%1\\.[0-9a-f]{16}(-journal|-wal|-shm)?$")
                                  .arg(QRegularExpression::escape(targetName)));
}

#ifndef _WIN32
// True when the hidden database at path is no running build's: its lock is free.
bool isAbandoned(const QString& path)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    struct stat st
    {
    };
    const bool abandoned =
        ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return abandoned;
}
#endif

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
#ifdef _WIN32
        // A file that is open cannot be removed there: that is the lock.
        QFile::remove(path);
#else
        if (isAbandoned(database))
            ::unlink(native(path).constData());
#endif
    }
}

NewDatabase::NewDatabase(const QString& target)
    : m_target(target)
{
    const QFileInfo info(target);
    if (info.exists() && !info.isFile() && !info.isSymLink())
        throw DbError(DbFault::NotAFile, target);
    if (!info.absoluteDir().exists())
        throw DbError(DbFault::BadPath, target);
    m_before = FileStamp::ofPath(target);
    if (m_before.valid && !info.isSymLink()) {
#ifndef _WIN32
        struct stat st
        {
        };
        if (::stat(native(target).constData(), &st) == 0)
            m_mode = st.st_mode & 0777;
        // Whoever may not write the file may not replace it, whatever the folder allows.
        if ((m_mode & 0222) == 0 || ::access(native(target).constData(), W_OK) != 0)
            throw DbError(DbFault::ReadOnly, target);
#else
        if (!info.isWritable())
            throw DbError(DbFault::ReadOnly, target);
#endif
        if (isLockedByWriter(target))
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
#ifndef _WIN32
    // Made, and locked, under the folder lock: no other build's clean-up can take it
    // for abandoned in between.
    m_lock = ::open(native(m_hidden).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, m_mode);
    if (m_lock < 0) {
        const int error = errno;
        throw DbError(faultOfErrno(error, FileStep::Create).value_or(DbFault::AccessDenied), m_target,
                      systemText(error));
    }
    // The umask must not take from the old file's permissions.
    if (m_before.valid)
        ::fchmod(m_lock, m_mode);
    ::flock(m_lock, LOCK_EX);
#endif
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
#ifndef _WIN32
    if (m_lock >= 0)
        ::close(m_lock);
#endif
}

void NewDatabase::discard() noexcept
{
    m_connection.reset();
    if (m_hidden.isEmpty())
        return;
    QFile::remove(m_hidden);
    for (const char* suffix : kSideFileSuffixes)
        QFile::remove(m_hidden + QLatin1String(suffix));
}

bool NewDatabase::atFileSizeLimit() const
{
#ifdef _WIN32
    return false;
#else
    struct rlimit limit
    {
    };
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return false;
    // SQLite writes a page or a few at a time.
    constexpr qint64 kLargestWrite = qint64(1) << 20;
    return FileStamp::ofPath(m_hidden).size + kLargestWrite >= qint64(limit.rlim_cur);
#endif
}

bool NewDatabase::outOfInodes() const
{
#ifdef _WIN32
    return false;
#else
    struct statvfs fs
    {
    };
    // A file system without inodes of its own (some report 0 of 0) is never out of them.
    return ::statvfs(native(QFileInfo(m_target).absolutePath()).constData(), &fs) == 0 && fs.f_files > 0 &&
           fs.f_favail == 0;
#endif
}

void NewDatabase::putInPlace()
{
    m_connection.reset();
    syncFile(m_hidden);
    const FileStamp made = FileStamp::ofPath(m_hidden);
    if (!made.valid)
        throw DbError(DbFault::Moved, m_target);
    const FolderLock lock(QFileInfo(m_target).absolutePath(), m_target);
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
