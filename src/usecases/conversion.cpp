// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conversion.h"

#include "db_error.h"
#include "decl_writer.h"
#include "files.h"
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

} // namespace

Conversion::Conversion(QString textPath, QString dbPath, ConvertOptions options)
    : m_text(std::move(textPath))
    , m_db(std::move(dbPath))
    , m_options(std::move(options))
{
    checkPaths(m_text, m_db);
    OpenedFile text = openRegularFile(m_text, FileRole::Text);
    requireCp932Text(text, m_text);
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
    m_previousKept = false;
    const bool existed = FileStamp::ofPath(m_db).valid;
    try {
        OpenedFile text = openRegularFile(m_text, FileRole::Text);
        requireCp932Text(text, m_text);
        NewDatabase database(m_db);
        try {
            DeclWriter writer(database.connection());
            ConvertResult result = ConvertText(text, m_text, writer, progress, m_options);
            writer.finish();
            database.putInPlace();
            return result;
        } catch (const DbError& e) {
            // SQLite cannot tell these from any other failure to write or to open a file.
            const bool writeOrOpen = e.fault() == DbFault::Io || e.fault() == DbFault::DiskFull ||
                                     e.fault() == DbFault::AccessDenied;
            if (writeOrOpen && e.fault() != DbFault::AccessDenied && database.atFileSizeLimit())
                throw DbError(DbFault::FileSizeLimit, e.path(), e.detail());
            if (writeOrOpen && database.outOfInodes())
                throw DbError(DbFault::NoInodes, e.path(), e.detail());
            throw;
        }
    } catch (const DbError& e) {
        m_previousKept = existed && e.fault() != DbFault::Replaced;
        throw;
    }
}
