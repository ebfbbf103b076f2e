// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conversion.h"

#include "db_error.h"
#include "decl_writer.h"
#include "new_database.h"

#include <QFileInfo>

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
// disk can.
DbError refined(const DbError& e, const NewDatabase& database)
{
    const bool writeOrOpen =
        e.fault() == DbFault::Io || e.fault() == DbFault::DiskFull || e.fault() == DbFault::AccessDenied;
    if (writeOrOpen && e.fault() != DbFault::AccessDenied && database.atFileSizeLimit())
        return DbError(DbFault::FileSizeLimit, e.path(), e.detail());
    if (writeOrOpen && database.outOfInodes())
        return DbError(DbFault::NoInodes, e.path(), e.detail());
    return e;
}

} // namespace

Conversion::Conversion(QString textPath, QString dbPath, ConvertOptions options)
    : m_text(std::move(textPath))
    , m_db(std::move(dbPath))
    , m_options(std::move(options))
{
    checkPaths(m_text, m_db);
    m_opened = openRegularFile(m_text, FileRole::Text);
    requireCp932Text(m_opened, m_text);
}

void Conversion::checkPaths(const QString& textPath, const QString& dbPath)
{
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
}

ConvertResult Conversion::run(ConvertProgress& progress)
{
    const bool existed = FileStamp::ofPath(m_db).valid;
    try {
        NewDatabase database(m_db);
        try {
            // The writer and its statements end before the file is put in place: Windows
            // does not move a file SQLite still holds open through them.
            const ConvertResult result = [&] {
                DeclWriter writer(database.connection());
                ConvertResult r = convertDeclarations(m_opened, m_text, writer, progress, m_options);
                writer.finish();
                return r;
            }();
            database.putInPlace();
            return result;
        } catch (const DbError& e) {
            throw refined(e, database);
        }
    } catch (DbError& e) {
        e.setPreviousKept(existed && e.fault() != DbFault::Replaced);
        throw;
    }
}
