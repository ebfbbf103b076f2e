// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conversion.h"

#include "db_error.h"
#include "decl_writer.h"
#include "errno_fault.h"
#include "files.h"
#include "new_database.h"

#include <QFileInfo>
#include <new>

namespace {

// Code page 932 has no NUL byte and no byte-order mark of UTF-16; a file that
// starts with either would convert into nothing without a word.
void requireCp932Text(OpenedFile& text, const QString& path)
{
    constexpr qint64 kLooked = qint64(64) * 1024;
    const QByteArray head = text.file().read(kLooked);
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF") || head.contains('\0'))
        throw DbError(DbFault::NotText, path);
    text.file().seek(0);
}

// SQLite cannot tell these from any other failure to write or to open a file; the
// disk can. The hidden file is the program's own business: a fault in it is told
// under the database's name.
DbError refined(const DbError& e, const NewDatabase& database, const QString& dbPath)
{
    const QString path = NewDatabase::isNamedLikeBuildFile(e.path(), dbPath) ? dbPath : e.path();
    const bool writeOrOpen =
        e.fault() == DbFault::Io || e.fault() == DbFault::DiskFull || e.fault() == DbFault::AccessDenied;
    if (writeOrOpen && e.fault() != DbFault::AccessDenied && database.atFileSizeLimit())
        return DbError(DbFault::FileSizeLimit, path, e.detail());
    if (writeOrOpen && database.outOfInodes())
        return DbError(DbFault::NoInodes, path, e.detail());
    return DbError(e.fault(), path, e.detail());
}

// Only a failed sync of the folder comes after the old file was replaced.
bool keepsPrevious(DbFault fault)
{
    return fault != DbFault::Replaced && fault != DbFault::FolderNotSynced;
}

bool standsAt(const QString& path)
{
    return FileStamp::ofPath(path).valid;
}

} // namespace

Conversion::Conversion(QString textPath, QString dbPath, ConvertOptions options)
    : m_text(std::move(textPath))
    , m_db(std::move(dbPath))
    , m_options(std::move(options))
{
    checkPaths(m_text, m_db);
    try {
        m_opened = openRegularFile(m_text, FileRole::Text);
        requireCp932Text(m_opened, m_text);
    } catch (DbError& e) {
        e.setPreviousKept(standsAt(m_db), m_db);
        throw;
    }
}

void Conversion::checkPaths(const QString& textPath, const QString& dbPath)
{
    // A database path that names no file the program can tell stands nowhere.
    requireFaithfulPath(dbPath);
    try {
        requireFaithfulPath(textPath);
        if (isSameFile(textPath, dbPath))
            throw DbError(DbFault::SameFile, textPath);
        for (const char* suffix : kSideFileSuffixes) {
            const QString side = dbPath + QLatin1String(suffix);
            if (textPath == side || isSameFile(textPath, side))
                throw DbError(DbFault::SideFileName, textPath, side);
        }
        // A conversion removes what earlier ones left under such names.
        if (NewDatabase::isNamedLikeBuildFile(textPath, dbPath))
            throw DbError(DbFault::SideFileName, textPath, QFileInfo(textPath).fileName());
    } catch (DbError& e) {
        e.setPreviousKept(standsAt(dbPath), dbPath);
        throw;
    }
}

ConvertResult Conversion::run(ConvertProgress& progress)
{
    const bool existed = standsAt(m_db);
    try {
        NewDatabase database(m_db);
        try {
            // The writer and its statements end before the file is put in place: Windows
            // does not move a file SQLite still holds open through them.
            const ConvertResult result = [&] {
                DeclWriter writer(database.connection());
                ConvertResult r = convertDeclarations(m_opened, m_text, writer, progress, m_options);
                // After a cancel the user waits on the report.
                writer.finish(r.cancelled ? DeclWriter::IndexSort::Soonest
                                          : DeclWriter::IndexSort::FewestWrites);
                return r;
            }();
            database.putInPlace();
            return result;
        } catch (const DbError& e) {
            throw refined(e, database, m_db);
        }
    } catch (DbError& e) {
        e.setPreviousKept(existed && keepsPrevious(e.fault()), m_db);
        throw;
    } catch (const std::bad_alloc&) {
        // The hidden file went with the run; what stood at the path stands.
        throw DbError(DbFault::OutOfMemory, m_db).setPreviousKept(existed, m_db);
    }
}
