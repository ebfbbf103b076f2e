// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "db_error.h"
#include "errno_fault.h"
#include "new_database.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

QString ownerName(uid_t owner, gid_t group)
{
    const passwd* user = ::getpwuid(owner);
    const struct group* team = ::getgrgid(group);
    return (user ? QString::fromLocal8Bit(user->pw_name) : QString::number(owner)) + u':' +
           (team ? QString::fromLocal8Bit(team->gr_name) : QString::number(group));
}

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

} // namespace

void NewDatabase::removeIfAbandoned(const QString& path, const QString& database)
{
    if (isAbandoned(database))
        ::unlink(native(path).constData());
}

void NewDatabase::checkWritable(const QString& named)
{
    struct stat st
    {
    };
    if (::stat(native(m_target).constData(), &st) == 0) {
        m_mode = st.st_mode & 0777;
        m_owner = st.st_uid;
        m_group = st.st_gid;
    }
    // Whoever may not write the file may not replace it, whatever the folder allows.
    if ((m_mode & 0222) == 0 || ::access(native(m_target).constData(), W_OK) != 0)
        throw DbError(DbFault::ReadOnly, named);
}

void NewDatabase::makeHidden()
{
    // Made, and locked, under the folder lock: no other build's clean-up can take it
    // for abandoned in between.
    const int fd =
        ::open(native(m_hidden).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, m_mode);
    if (fd < 0) {
        const int error = errno;
        // A new file is made in a folder: that is what may not be written.
        const DbFault fault = error == EACCES || error == EPERM
                                  ? DbFault::FolderDenied
                                  : faultOfErrno(error, FileStep::Create).value_or(DbFault::AccessDenied);
        throw DbError(fault, fault == DbFault::FolderDenied ? QFileInfo(m_target).absolutePath() : m_target,
                      systemText(error));
    }
    m_lock = fd;
    // The replacement keeps the old file's owner, group and permissions, or is not
    // built: a file that changed hands, or that the umask opened or closed, would
    // lock out its owner or let others change the names pasted into code.
    struct stat made
    {
    };
    if (m_before.valid && ::fstat(fd, &made) == 0) {
        const bool ownerKept =
            (made.st_uid == m_owner && made.st_gid == m_group) || ::fchown(fd, m_owner, m_group) == 0;
        if (!ownerKept || ::fchmod(fd, m_mode) != 0) {
            discard();
            throw DbError(DbFault::ForeignOwner, m_target, ownerName(m_owner, m_group));
        }
    }
    ::flock(fd, LOCK_EX);
}

void NewDatabase::releaseHidden() noexcept
{
    if (m_lock >= 0)
        ::close(int(m_lock));
    m_lock = -1;
}

bool NewDatabase::atFileSizeLimit() const
{
    struct rlimit limit
    {
    };
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return false;
    // SQLite writes a page or a few at a time.
    constexpr qint64 kLargestWrite = qint64(1) << 20;
    return FileStamp::ofPath(m_hidden).size + kLargestWrite >= qint64(limit.rlim_cur);
}

bool NewDatabase::outOfInodes() const
{
    struct statvfs fs
    {
    };
    // A file system without inodes of its own (some report 0 of 0) is never out of them.
    return ::statvfs(native(QFileInfo(m_target).absolutePath()).constData(), &fs) == 0 && fs.f_files > 0 &&
           fs.f_favail == 0;
}
