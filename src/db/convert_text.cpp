// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "convert_text.h"

#include "cp932.h"
#include "database.h"
#include "db_error.h"
#include "line_reader.h"
#include "name_fold.h"
#include "recordset.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <array>

#ifndef _WIN32
#include <sys/stat.h>
#endif

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
    if (stat(QFile::encodeName(a).constData(), &sa) != 0 || stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
}

namespace {

} // namespace

void openTextFile(QFile& file, const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw DbError(info.absoluteDir().exists() ? DbFault::TextNotFound : DbFault::BadPath, path);
    if (!info.isFile())
        throw DbError(DbFault::NotAFile, path);
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(DbFault::TextAccess, path, file.errorString());
}

void requireReadableText(const QString& path)
{
    QFile file;
    openTextFile(file, path);
}

namespace {

// Keywords are compared under the name fold without making an upper-case copy of
// every line; the keywords and delimiters themselves are upper case.
bool hasFoldedAt(QStringView line, qsizetype at, QLatin1StringView word)
{
    if (at < 0 || at + word.size() > line.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        char16_t c = line[at + i].unicode();
        if (isFoldableLower(c))
            c = char16_t(c - (u'a' - u'A'));
        if (c != word[i].unicode())
            return false;
    }
    return true;
}

qsizetype indexOfFolded(QStringView line, QLatin1StringView word)
{
    for (qsizetype at = 0; at + word.size() <= line.size(); ++at) {
        if (hasFoldedAt(line, at, word))
            return at;
    }
    return -1;
}

// Rows written since the last commit, kept in one reused buffer so that a batch
// SQLite rolls back after a full disk can be written again without re-reading.
class Batch
{
public:
    struct Row
    {
        int table;
        bool hasName;
        bool hasType;
        qint64 typeNumber;
        qsizetype at;
        qsizetype nameSize;
        qsizetype fullSize;
    };

    void clear()
    {
        m_rows.clear();
        m_text.resize(0);
    }
    void add(int table, const QString* name, const QString& full, const qint64* typeNumber)
    {
        m_rows.push_back(Row{table, name != nullptr, typeNumber != nullptr, typeNumber ? *typeNumber : 0,
                             m_text.size(), name ? name->size() : 0, full.size()});
        if (name)
            m_text += *name;
        m_text += full;
    }
    size_t size() const { return m_rows.size(); }
    const Row& row(size_t i) const { return m_rows[i]; }
    QString name(const Row& r) const { return m_text.mid(r.at, r.nameSize); }
    QString full(const Row& r) const { return m_text.mid(r.at + r.nameSize, r.fullSize); }
    // Commit early rather than let one batch hold more than this many characters.
    bool isLarge() const { return m_text.size() > 4 * 1024 * 1024; }

private:
    std::vector<Row> m_rows;
    QString m_text;
};

class Run
{
public:
    Run(Database& db, ConvertResult& result, const ConvertOptions& options)
        : m_db(db)
        , m_result(result)
        , m_options(options)
    {
        const char* const tables[] = {"tbCnst", "tbProc", "tbType", "tbMenb"};
        for (int t = 0; t < kTables; ++t) {
            Table& table = m_tables[t];
            table.rs = db.OpenRecordset(QLatin1String(tables[t]));
            table.name = t == kMenb ? -1 : table.rs->fieldIndex(QStringLiteral("fdName"));
            table.full = table.rs->fieldIndex(QStringLiteral("fdFull"));
            table.typeId = t == kType || t == kMenb ? table.rs->fieldIndex(QStringLiteral("fdTypeID")) : -1;
        }
        m_clock.start();
    }

    void beginBatch()
    {
        m_batch.clear();
        if (m_options.commitIntervalMs > 0)
            m_db.BeginTrans();
        m_clock.restart();
    }

    void commitIfDue()
    {
        if (m_db.inTransaction() && (m_clock.elapsed() >= m_options.commitIntervalMs || m_batch.isLarge())) {
            m_db.CommitTrans();
            beginBatch();
        }
    }

    // Commits what the open batch holds. A full disk may have made SQLite roll the
    // batch back by itself; its rows are then written again, as many as still fit,
    // so that every row stored before the failure stays.
    void finish() noexcept
    {
        try {
            if (m_db.inTransaction()) {
                m_db.CommitTrans();
                m_batch.clear();
            }
        } catch (const DbError&) {
            rollbackQuietly();
        }
        replayBatch();
        for (Table& table : m_tables)
            table.rs->Close();
        m_db.Close();
    }

    void handle(qint64 lineNumber, const QString& line)
    {
        if (!m_inBlock && hasFoldedAt(line, 0, QLatin1StringView("PUBLIC CONST "))) {
            constexpr qsizetype start = 13;
            const qsizetype p = line.indexOf(QLatin1StringView(" ="));
            if (p < start)
                return skip(lineNumber, SkipReason::NoConstDelimiter, line);
            store(kCnst, lineNumber, line.mid(start, p - start), line, nullptr, m_result.constants);
        } else if (!m_inBlock && hasFoldedAt(line, 0, QLatin1StringView("DECLARE "))) {
            qsizetype start;
            if (hasFoldedAt(line, 8, QLatin1StringView("FUNCTION ")))
                start = 17;
            else if (hasFoldedAt(line, 8, QLatin1StringView("SUB ")))
                start = 12;
            else
                return skip(lineNumber, SkipReason::NoProcKeyword, line);
            const qsizetype p = indexOfFolded(line, QLatin1StringView(" LIB "));
            if (p < start)
                return skip(lineNumber, SkipReason::NoLibDelimiter, line);
            store(kProc, lineNumber, line.mid(start, p - start), line, nullptr, m_result.procedures);
        } else if (hasFoldedAt(line, 0, QLatin1StringView("END TYPE"))) {
            ++m_typeNumber;
            m_inBlock = false;
        } else if (hasFoldedAt(line, 0, QLatin1StringView("TYPE "))) {
            // A refused header still opens the block, so its members keep this number.
            m_inBlock = true;
            store(kType, lineNumber, line.mid(5), line, &m_typeNumber, m_result.types);
        } else {
            write(kMenb, nullptr, line, &m_typeNumber);
            ++m_result.members;
        }
    }

private:
    enum { kCnst, kProc, kType, kMenb, kTables };

    struct Table
    {
        std::unique_ptr<Recordset> rs;
        int name = -1;
        int full = -1;
        int typeId = -1;
    };

    void insert(int t, const QString* name, const QString& full, const qint64* typeNumber)
    {
        Table& table = m_tables[t];
        table.rs->AddNew();
        if (name)
            table.rs->setField(table.name, *name);
        table.rs->setField(table.full, full);
        if (typeNumber)
            table.rs->setField(table.typeId, *typeNumber);
        table.rs->Update();
    }

    void write(int t, const QString* name, const QString& full, const qint64* typeNumber)
    {
        insert(t, name, full, typeNumber);
        if (m_db.inTransaction())
            m_batch.add(t, name, full, typeNumber);
    }

    void rollbackQuietly() noexcept
    {
        try {
            m_db.Rollback();
        } catch (const DbError&) {
        }
    }

    void replayBatch() noexcept
    {
        size_t count = m_batch.size();
        while (count > 0 && !m_db.inTransaction()) {
            size_t written = 0;
            try {
                m_db.BeginTrans();
                for (; written < count; ++written) {
                    const Batch::Row& row = m_batch.row(written);
                    const QString name = m_batch.name(row);
                    insert(row.table, row.hasName ? &name : nullptr, m_batch.full(row),
                           row.hasType ? &row.typeNumber : nullptr);
                }
                m_db.CommitTrans();
                break;
            } catch (const DbError&) {
                rollbackQuietly();
                count = std::min(written, count - 1);
            }
        }
        m_batch.clear();
    }

    void store(int t, qint64 lineNumber, const QString& name, const QString& full, const qint64* typeNumber,
               qint64& counter)
    {
        try {
            write(t, &name, full, typeNumber);
        } catch (const DbError& e) {
            if (e.fault() == DbFault::Duplicate)
                return skip(lineNumber, SkipReason::DuplicateType, full);
            if (e.fault() == DbFault::EmptyName)
                return skip(lineNumber, SkipReason::EmptyName, full);
            throw;
        }
        ++counter;
    }

    void skip(qint64 lineNumber, SkipReason reason, const QString& line)
    {
        ++m_result.skippedCount;
        if (m_result.skipped.size() < ConvertResult::kSkippedKept)
            m_result.skipped.append(SkippedLine{lineNumber, reason, line});
    }

    Database& m_db;
    ConvertResult& m_result;
    const ConvertOptions& m_options;
    std::array<Table, kTables> m_tables;
    QElapsedTimer m_clock;
    Batch m_batch;
    qint64 m_typeNumber = 0;
    bool m_inBlock = false;
};

} // namespace

ConvertResult ConvertText(const QString& sTxtFile, const QString& sDbFile, ConvertProgress& progress,
                          const ConvertOptions& options)
{
    if (isSameFile(sTxtFile, sDbFile))
        throw DbError(DbFault::SameFile, sTxtFile);
    ConvertResult result;
    std::shared_ptr<Database> db = Database::OpenDatabase(sDbFile);
    if (options.maxPageCount > 0)
        db->setMaxPageCount(options.maxPageCount);
    // The name indexes of a large file outgrow SQLite's default 2 MB page cache, and
    // then every insert reads its index pages back from the disk.
    db->execute("PRAGMA cache_size = -16384");
    Run run(*db, result, options);
    QFile text;
    try {
        openTextFile(text, sTxtFile);
    } catch (...) {
        run.finish();
        throw;
    }

    progress.Init(text.size());
    Cp932Decoder decoder;
    LineReader reader(text);
    qint64 position = 0;
    try {
        run.beginBatch();
        QByteArrayView raw;
        while (reader.next(raw)) {
            ++result.lines;
            position += raw.size() + 2;
            if (progress.Cancel(position)) {
                result.cancelled = true;
                break;
            }
            QString line = decoder.decode(raw.data(), raw.size());
            const qsizetype comment = line.indexOf(u'\'');
            if (comment >= 0)
                line.truncate(comment);
            if (!line.isEmpty()) {
                run.handle(result.lines, line);
                run.commitIfDue();
            }
            progress.processEvents();
        }
        if (reader.failed())
            throw DbError(DbFault::TextIo, sTxtFile, text.errorString());
    } catch (...) {
        run.finish();
        text.close();
        progress.Term();
        throw;
    }
    run.finish();
    text.close();
    progress.Term();
    return result;
}
