// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "files.h"

#include "db_error.h"
#include "errno_fault.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
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
#endif

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

// The first bytes of the regular file at path, at most n; empty for anything else.
QByteArray firstBytes(const QString& path, qsizetype n)
{
    try {
        OpenedFile opened = openRegularFile(path, FileRole::Database);
        return opened.file().read(n);
    } catch (const DbError&) {
        return QByteArray();
    }
}

const QByteArray kJournalMagic("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);

} // namespace

FileStamp FileStamp::ofPath(const QString& path)
{
#ifdef _WIN32
    const QFileInfo info(path);
    FileStamp s;
    if (!info.exists())
        return s;
    s.size = info.size();
    s.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    s.inode = qHash(info.canonicalFilePath().toLower());
    s.valid = true;
    return s;
#else
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return FileStamp{};
    return stampOf(st);
#endif
}

FileStamp OpenedFile::stamp() const
{
#ifdef _WIN32
    return FileStamp::ofPath(m_file->fileName());
#else
    struct stat st
    {
    };
    if (::fstat(int(m_file->handle()), &st) != 0)
        return FileStamp{};
    return stampOf(st);
#endif
}

OpenedFile openRegularFile(const QString& path, FileRole role)
{
    OpenedFile opened;
    opened.m_file = std::make_unique<QFile>();
#ifdef _WIN32
    const QFileInfo info(path);
    if (!info.exists())
        refuseOpen(path, role, ENOENT);
    if (!info.isFile())
        refuseOpen(path, role, EISDIR);
    opened.m_file->setFileName(path);
    if (!opened.m_file->open(QIODevice::ReadOnly))
        throw DbError(role == FileRole::Text ? DbFault::TextAccess : DbFault::AccessDenied, path,
                      opened.m_file->errorString());
#else
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
#endif
    return opened;
}

bool isSameFile(const QString& a, const QString& b)
{
#ifdef _WIN32
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca.compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) == 0;
#else
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
#endif
}

bool isSqliteSideFile(const QString& path, const char* suffix)
{
    const QByteArray head = firstBytes(path, 8);
    const std::string_view kind(suffix);
    // An emptied or zeroed journal may be SQLite's, and may as well be anybody's:
    // nothing would take it for a write to roll back, so it stays.
    if (kind == "-journal")
        return head == kJournalMagic;
    if (kind == "-wal")
        return head.startsWith("\x37\x7f\x06\x82") || head.startsWith("\x37\x7f\x06\x83");
    if (kind == "-shm") {
        // The WAL index starts with its version number, in the machine's byte order.
        constexpr quint32 kVersion = 3007000;
        quint32 version = 0;
        if (head.size() < 4)
            return false;
        std::memcpy(&version, head.constData(), 4);
        return version == kVersion;
    }
    return false;
}

bool hasUnfinishedWrite(const QString& dbPath)
{
    return !unfinishedWriteFile(dbPath).isEmpty();
}

QString unfinishedWriteFile(const QString& dbPath)
{
    const QString journal = dbPath + QStringLiteral("-journal");
    if (firstBytes(journal, 8) == kJournalMagic)
        return journal;
    // A WAL holds frames after its 32-byte header until they are copied back.
    const QString wal = dbPath + QStringLiteral("-wal");
    return isSqliteSideFile(wal, "-wal") && FileStamp::ofPath(wal).size > 32 ? wal : QString();
}

bool isLockedByWriter(const QString& path, qint64 lockByte)
{
#ifdef _WIN32
    Q_UNUSED(path);
    Q_UNUSED(lockByte);
    return false;
#else
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
#endif
}

FolderLock::FolderLock(const QString& folder, const QString& forPath)
{
#ifdef _WIN32
    Q_UNUSED(folder);
    Q_UNUSED(forPath);
#else
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder we may write but not read cannot be locked; replacing still works.
    if (m_fd < 0)
        return;
    constexpr int kAttempts = 100; // 5 s: another program's replacement takes milliseconds
    for (int i = 0; i < kAttempts; ++i) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        QThread::msleep(50);
    }
    ::close(m_fd);
    m_fd = -1;
    throw DbError(DbFault::Locked, forPath);
#endif
}

FolderLock::~FolderLock()
{
#ifndef _WIN32
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

void replaceFile(const QString& from, const QString& to)
{
#ifdef _WIN32
    const bool ok = MoveFileExW(reinterpret_cast<const wchar_t*>(from.utf16()),
                                reinterpret_cast<const wchar_t*>(to.utf16()),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok)
        throw DbError(DbFault::AccessDenied, to);
#else
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
#endif
}

void syncFile(const QString& path)
{
#ifdef _WIN32
    HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw DbError(DbFault::Moved, path);
    const bool ok = FlushFileBuffers(h);
    CloseHandle(h);
    if (!ok)
        throw DbError(DbFault::Io, path);
#else
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
#endif
}
