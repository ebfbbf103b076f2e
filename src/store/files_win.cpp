// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "db_error.h"
#include "files.h"
#include "windows_files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

QString windowsErrorText(unsigned long error)
{
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString s = n ? QString::fromWCharArray(text, int(n)).trimmed() : QStringLiteral("error %1").arg(error);
    LocalFree(text);
    return s;
}

DbFault faultOfWindowsError(unsigned long error, DbFault otherwise)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return DbFault::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return DbFault::BadPath;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return DbFault::Locked;
    case ERROR_WRITE_PROTECT:
        return DbFault::ReadOnly;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return DbFault::DiskFull;
    case ERROR_TOO_MANY_OPEN_FILES:
        return DbFault::TooManyOpenFiles;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return DbFault::OutOfMemory;
    case ERROR_DIRECTORY:
        return DbFault::NotAFile;
    default:
        return otherwise;
    }
}

[[noreturn]] void throwWindowsError(unsigned long error, const QString& path, DbFault otherwise)
{
    throw DbError(faultOfWindowsError(error, otherwise), path, windowsErrorText(error));
}

std::wstring widePath(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

namespace {

FileStamp stampOf(HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info))
        return FileStamp{};
    FileStamp s;
    s.size = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    // 100 ns steps; the epoch does not matter, only that a change changes it.
    s.modifiedNs =
        qint64((quint64(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime) *
        100;
    // The volume and the file's number on it name the file whatever path leads to it.
    s.device = info.dwVolumeSerialNumber;
    s.inode = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    s.valid = true;
    return s;
}

// A handle that asks for no access and shares everything disturbs nobody: only
// for reading what the system knows about the file. A link is not followed.
HANDLE openForStamp(const QString& path, bool followLinks)
{
    return CreateFileW(widePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                       nullptr);
}

FileStamp stampOfPath(const QString& path, bool followLinks)
{
    const HANDLE h = openForStamp(path, followLinks);
    if (h == INVALID_HANDLE_VALUE)
        return FileStamp{};
    const FileStamp s = stampOf(h);
    CloseHandle(h);
    return s;
}

[[noreturn]] void refuseOpen(const QString& path, FileRole role, DWORD error)
{
    const bool text = role == FileRole::Text;
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        throw DbError(text ? DbFault::TextNotFound : DbFault::FileNotFound, path);
    case ERROR_PATH_NOT_FOUND:
        throw DbError(DbFault::BadPath, path);
    default: {
        const DbFault fault = faultOfWindowsError(error, text ? DbFault::TextAccess : DbFault::AccessDenied);
        throw DbError(text && fault == DbFault::Locked ? DbFault::TextAccess : fault, path,
                      windowsErrorText(error));
    }
    }
}

} // namespace

FileStamp FileStamp::ofPath(const QString& path)
{
    return stampOfPath(path, false);
}

FileStamp OpenedFile::stamp() const
{
    return stampOf(reinterpret_cast<HANDLE>(_get_osfhandle(m_file->handle())));
}

OpenedFile openRegularFile(const QString& path, FileRole role)
{
    // Shared for writing and deleting, as a file opened on Linux is: reading never
    // keeps another program from replacing the file.
    const HANDLE h = CreateFileW(widePath(path).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A folder opened without backup semantics is refused access.
        const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            throw DbError(DbFault::NotAFile, path);
        refuseOpen(path, role, error);
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        throw DbError(DbFault::NotAFile, path);
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        throw DbError(DbFault::TooManyOpenFiles, path);
    }
    OpenedFile opened;
    opened.m_file = std::make_unique<QFile>();
    if (!opened.m_file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        throw DbError(role == FileRole::Text ? DbFault::TextAccess : DbFault::AccessDenied, path);
    }
    return opened;
}

bool isSameFile(const QString& a, const QString& b)
{
    return stampOfPath(a, true).sameFile(stampOfPath(b, true));
}

bool isLockedByWriter(const QString& path, qint64 lockByte)
{
    const HANDLE h = CreateFileW(widePath(path).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    // A program that opened the file without sharing it is writing it, or about to.
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    // Whoever writes holds the byte exclusively; readers never take it. Windows
    // cannot ask about a lock without taking it, so the probe takes it and gives it
    // back at once.
    OVERLAPPED at{};
    at.Offset = DWORD(lockByte);
    at.OffsetHigh = DWORD(quint64(lockByte) >> 32);
    const bool free = LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
    if (free)
        UnlockFileEx(h, 0, 1, 0, &at);
    CloseHandle(h);
    return !free;
}

// Windows has no lock on a folder; a mutex named after the folder serialises the
// programs that replace files in it. The system releases it when its holder dies.
FolderLock::FolderLock(const QString& folder, const QString& forPath)
{
    const QString key = QDir::cleanPath(QFileInfo(folder).absoluteFilePath()).toLower();
    const QString name =
        QStringLiteral("Local\\Ek-folder-") +
        QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex());
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t*>(name.utf16()));
    // Without the mutex replacing still works, as with a folder that cannot be locked.
    if (!mutex)
        return;
    constexpr DWORD kWaitMs = 5000; // another program's replacement takes milliseconds
    const DWORD waited = WaitForSingleObject(mutex, kWaitMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        m_handle = reinterpret_cast<qintptr>(mutex);
        return;
    }
    CloseHandle(mutex);
    throw DbError(DbFault::Locked, forPath);
}

FolderLock::~FolderLock()
{
    if (m_handle == -1)
        return;
    const auto mutex = reinterpret_cast<HANDLE>(m_handle);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

void replaceFile(const QString& from, const QString& to)
{
    const std::wstring source = widePath(from);
    const std::wstring target = widePath(to);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    // ReplaceFileW keeps the old file's attributes, security and creation time; a
    // link at the path is replaced as a name, never followed, so it is moved over.
    bool ok;
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        ok = ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                          nullptr);
        const DWORD error = ok ? 0 : GetLastError();
        // Both files are as they were when the old one could not be removed: the plain
        // move then says why. When the old one is gone but the new one was not renamed,
        // the path is empty and the new one must still take it.
        if (error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT)
            ok = MoveFileExW(source.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    } else {
        ok = MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    if (!ok) {
        const DWORD error = GetLastError();
        // The hidden file gone is a build whose file was taken away under it.
        if (error == ERROR_FILE_NOT_FOUND)
            throw DbError(DbFault::Moved, to, windowsErrorText(error));
        throwWindowsError(error, to, DbFault::AccessDenied);
    }
    // ReplaceFileW gives the new file the old one's attributes; the plain move after
    // a refusal does not, and neither does every implementation of the call.
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        SetFileAttributesW(target.c_str(), attributes);
}

void syncFile(const QString& path)
{
    const HANDLE h = CreateFileW(widePath(path).c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        throw DbError(error == ERROR_FILE_NOT_FOUND ? DbFault::Moved
                                                    : faultOfWindowsError(error, DbFault::Io),
                      path, windowsErrorText(error));
    }
    const bool ok = FlushFileBuffers(h);
    const DWORD error = GetLastError();
    CloseHandle(h);
    if (!ok)
        throwWindowsError(error, path, DbFault::Io);
}

QByteArray sqliteFileName(const QString& path)
{
    return path.toUtf8();
}

// A file name is UTF-16 here, as QString holds it: nothing is lost on the way.
void requireFaithfulPath(const QString&) {}
