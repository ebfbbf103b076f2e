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

void openText(QFile& file, const QString& path)
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

enum class Shape { Constant, Procedure, TypeEnd, TypeHeader, Member };

class Run
{
public:
    Run(Database& db, ConvertResult& result, const ConvertOptions& options)
        : m_db(db)
        , m_result(result)
        , m_options(options)
        , m_cnst(db.OpenRecordset(QStringLiteral("tbCnst")))
        , m_proc(db.OpenRecordset(QStringLiteral("tbProc")))
        , m_type(db.OpenRecordset(QStringLiteral("tbType")))
        , m_menb(db.OpenRecordset(QStringLiteral("tbMenb")))
    {
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
        if (m_db.inTransaction() && m_clock.elapsed() >= m_options.commitIntervalMs) {
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
        m_cnst->Close();
        m_proc->Close();
        m_type->Close();
        m_menb->Close();
        m_db.Close();
    }
    void handle(qint64 lineNumber, const QString& line)
    {
        const QString upper = foldName(line);
        if (!m_inBlock && upper.startsWith(QLatin1String("PUBLIC CONST "))) {
            constexpr qsizetype start = 13;
            const qsizetype p = upper.indexOf(QLatin1String(" ="));
            if (p < start)
                return skip(lineNumber, SkipReason::NoConstDelimiter, line);
            store(*m_cnst, lineNumber, line.mid(start, p - start), line, nullptr, m_result.constants);
        } else if (!m_inBlock && upper.startsWith(QLatin1String("DECLARE "))) {
            qsizetype start;
            if (QStringView(upper).mid(8, 9) == QLatin1String("FUNCTION "))
                start = 17;
            else if (QStringView(upper).mid(8, 4) == QLatin1String("SUB "))
                start = 12;
            else
                return skip(lineNumber, SkipReason::NoProcKeyword, line);
            const qsizetype p = upper.indexOf(QLatin1String(" LIB "));
            if (p < start)
                return skip(lineNumber, SkipReason::NoLibDelimiter, line);
            store(*m_proc, lineNumber, line.mid(start, p - start), line, nullptr, m_result.procedures);
        } else if (upper.startsWith(QLatin1String("END TYPE"))) {
            ++m_typeNumber;
            m_inBlock = false;
        } else if (upper.startsWith(QLatin1String("TYPE "))) {
            // A refused header still opens the block, so its members keep this number.
            m_inBlock = true;
            store(*m_type, lineNumber, line.mid(5), line, &m_typeNumber, m_result.types);
        } else {
            write(Row{m_menb.get(), QString(), line, m_typeNumber, false, true});
            ++m_result.members;
        }
    }

private:
    struct Row
    {
        Recordset* rs;
        QString name;
        QString full;
        qint64 typeNumber;
        bool hasName;
        bool hasType;
    };

    static void insert(const Row& row)
    {
        row.rs->AddNew();
        if (row.hasName)
            row.rs->setField(QStringLiteral("fdName"), row.name);
        row.rs->setField(QStringLiteral("fdFull"), row.full);
        if (row.hasType)
            row.rs->setField(QStringLiteral("fdTypeID"), row.typeNumber);
        row.rs->Update();
    }

    void write(Row row)
    {
        insert(row);
        if (m_db.inTransaction())
            m_batch.push_back(std::move(row));
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
                for (; written < count; ++written)
                    insert(m_batch[written]);
                m_db.CommitTrans();
                break;
            } catch (const DbError&) {
                rollbackQuietly();
                count = std::min(written, count - 1);
            }
        }
        m_batch.clear();
    }

    void store(Recordset& rs, qint64 lineNumber, const QString& name, const QString& full,
               const qint64* typeNumber, qint64& counter)
    {
        try {
            write(Row{&rs, name, full, typeNumber ? *typeNumber : 0, true, typeNumber != nullptr});
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
    std::unique_ptr<Recordset> m_cnst;
    std::unique_ptr<Recordset> m_proc;
    std::unique_ptr<Recordset> m_type;
    std::unique_ptr<Recordset> m_menb;
    QElapsedTimer m_clock;
    std::vector<Row> m_batch;
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
    std::unique_ptr<Database> db = Database::OpenDatabase(sDbFile);
    if (options.maxPageCount > 0)
        db->setMaxPageCount(options.maxPageCount);
    Run run(*db, result, options);
    QFile text;
    try {
        openText(text, sTxtFile);
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
