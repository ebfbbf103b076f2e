// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "db_error.h"
#include "errno_fault.h"
#include "files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileStamp stampOf(const struct stat& st)
{
    FileStamp s;
    s.size = st.st_size;
    s.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.valid = true;
    return s;
}

[[noreturn]] void refuseOpen(const QString& path, FileRole role, int error)
{
    const bool text = role == FileRole::Text;
    const DbFault fault = faultOfErrno(error, FileStep::Open).value_or(DbFault::AccessDenied);
    switch (fault) {
    case DbFault::FileNotFound:
        if (!QFileInfo(path).absoluteDir().exists())
            throw DbError(DbFault::BadPath, path);
        throw DbError(text ? DbFault::TextNotFound : DbFault::FileNotFound, path);
    case DbFault::TooManyOpenFiles:
        throw DbError(fault, path, systemText(error));
    case DbFault::NotAFile:
        throw DbError(fault, path);
    default:
        throw DbError(text ? DbFault::TextAccess : DbFault::AccessDenied, path, systemText(error));
    }
}

} // namespace

FileStamp FileStamp::ofPath(const QString& path)
{
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return FileStamp{};
    return stampOf(st);
}

FileStamp OpenedFile::stamp() const
{
    struct stat st
    {
    };
    if (::fstat(int(m_file->handle()), &st) != 0)
        return FileStamp{};
    return stampOf(st);
}

OpenedFile openRegularFile(const QString& path, FileRole role)
{
    OpenedFile opened;
    opened.m_file = std::make_unique<QFile>();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        refuseOpen(path, role, errno);
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        refuseOpen(path, role, EISDIR);
    }
    // A regular file never blocks; the flag only kept the open from waiting.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!opened.m_file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        refuseOpen(path, role, EACCES);
    }
    return opened;
}

bool isSameFile(const QString& a, const QString& b)
{
    struct stat sa
    {
    };
    struct stat sb
    {
    };
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool isLockedByWriter(const QString& path, qint64 lockByte)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    // Whoever writes holds the byte; readers never do.
    struct flock probe
    {
    };
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = off_t(lockByte);
    probe.l_len = 1;
    const bool locked = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    // Closing drops every POSIX lock this process holds on the file; no connection
    // of this process writes it, so none is lost.
    ::close(fd);
    return locked;
}

FolderLock::FolderLock(const QString& folder, const QString& forPath)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder we may write but not read cannot be locked; replacing still works.
    if (fd < 0)
        return;
    constexpr int kAttempts = 100; // 5 s: another program's replacement takes milliseconds
    for (int i = 0; i < kAttempts; ++i) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_handle = fd;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(fd);
            return;
        }
        QThread::msleep(50);
    }
    ::close(fd);
    throw DbError(DbFault::Locked, forPath);
}

FolderLock::~FolderLock()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
}

void replaceFile(const QString& from, const QString& to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        const int error = errno;
        throw DbError(faultOfErrno(error, FileStep::Rename).value_or(DbFault::AccessDenied), to,
                      systemText(error));
    }
    const int dir = ::open(QFile::encodeName(QFileInfo(to).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        const bool synced = ::fsync(dir) == 0;
        const int error = errno;
        ::close(dir);
        if (!synced)
            throw DbError(faultOfErrno(error, FileStep::SyncFolder).value_or(DbFault::FolderNotSynced), to,
                          systemText(error));
    }
}

void syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        throw DbError(faultOfErrno(error, FileStep::Write).value_or(DbFault::Io), path, systemText(error));
    }
    const bool ok = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!ok)
        throw DbError(faultOfErrno(error, FileStep::Write).value_or(DbFault::Io), path, systemText(error));
}

QByteArray sqliteFileName(const QString& path)
{
    return QFile::encodeName(path);
}

void requireFaithfulPath(const QString& path)
{
    // A file name is bytes here; the bytes that did not decode are gone.
    if (path.contains(QChar::ReplacementCharacter))
        throw DbError(DbFault::BadFileName, path);
    const QByteArray native = QFile::encodeName(path);
    if (::access(native.constData(), F_OK) != 0) {
        const int error = errno;
        if (faultOfErrno(error, FileStep::Open) == DbFault::NameTooLong)
            throw DbError(DbFault::NameTooLong, path, systemText(error));
    }
}
