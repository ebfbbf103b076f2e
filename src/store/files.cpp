// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "files.h"

#include "db_error.h"

#include <QFileInfo>
#include <cstring>
#include <string_view>

namespace {

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
