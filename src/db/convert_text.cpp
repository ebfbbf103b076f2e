// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "convert_text.h"

#include "cp932.h"
#include "database.h"
#include "db_error.h"
#include "line_reader.h"
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

namespace {

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
    }

    void beginBatch()
    {
        if (m_options.commitIntervalMs > 0)
            m_db.BeginTrans();
        m_clock.start();
    }

    // Each commit writes back every index page the batch touched, and with names in
    // random order a batch touches most of them; a batch that grows with the rows
    // stored keeps the written volume in proportion to the file.
    void commitIfDue()
    {
        if (!m_db.inTransaction() || m_clock.elapsed() < m_options.commitIntervalMs)
            return;
        if (double(m_written - m_committed) < m_options.commitShare * double(m_committed))
            return;
        m_db.CommitTrans();
        m_committed = m_written;
        beginBatch();
    }

    // The end of a run that went well: a commit that fails here is the run's failure.
    void commit()
    {
        if (m_db.inTransaction())
            m_db.CommitTrans();
    }

    // Every way out: after a failure the rows written since the last commit are kept
    // when the disk still takes them and lost otherwise, tried this once and never
    // again and again.
    void finish() noexcept
    {
        try {
            commit();
        } catch (const DbError&) {
            try {
                m_db.Rollback();
            } catch (const DbError&) {
            }
        }
        for (Table& table : m_tables)
            table.rs->Close();
    }

    void handle(qint64 lineNumber, const QString& line)
    {
        const LineShape shape = classifyLine(line, m_inBlock);
        switch (shape.kind) {
        case LineKind::Constant:
            store(kCnst, lineNumber, shape, line, nullptr, m_result.constants);
            break;
        case LineKind::Procedure:
            store(kProc, lineNumber, shape, line, nullptr, m_result.procedures);
            break;
        case LineKind::TypeEnd:
            ++m_typeNumber;
            m_inBlock = false;
            break;
        case LineKind::TypeHeader:
            // A refused header still opens the block, so its members keep this number.
            m_inBlock = true;
            store(kType, lineNumber, shape, line, &m_typeNumber, m_result.types);
            break;
        case LineKind::Member:
            insert(kMenb, nullptr, line, &m_typeNumber);
            ++m_result.members;
            break;
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
        ++m_written;
    }

    void store(int t, qint64 lineNumber, const LineShape& shape, const QString& line,
               const qint64* typeNumber, qint64& counter)
    {
        if (shape.refused)
            return skip(lineNumber, *shape.refused, line);
        const QString name = line.mid(shape.nameStart, shape.nameLength);
        try {
            insert(t, &name, line, typeNumber);
        } catch (const DbError& e) {
            if (e.fault() == DbFault::Duplicate)
                return skip(lineNumber, SkipReason::DuplicateType, line);
            if (e.fault() == DbFault::EmptyName)
                return skip(lineNumber, SkipReason::EmptyName, line);
            throw;
        }
        ++counter;
    }

    void skip(qint64 lineNumber, SkipReason reason, const QString& line)
    {
        ++m_result.skippedCount;
        if (m_result.skipped.size() < ConvertResult::kSkippedKept)
            m_result.skipped.append(SkippedLine{lineNumber, reason, line.left(SkippedLine::kQuotedChars),
                                                line.size() > SkippedLine::kQuotedChars});
    }

    Database& m_db;
    ConvertResult& m_result;
    const ConvertOptions& m_options;
    std::array<Table, kTables> m_tables;
    QElapsedTimer m_clock;
    qint64 m_written = 0;
    qint64 m_committed = 0;
    qint64 m_typeNumber = 0;
    bool m_inBlock = false;
};

// The lines the reader has still to give, split exactly as the run splits them; -1 when
// the rest of the file cannot be read. Memory stays that of the run: the reader's buffer.
qint64 remainingLines(LineReader& reader)
{
    qint64 count = 0;
    QByteArrayView raw;
    while (reader.next(raw))
        ++count;
    return reader.failed() ? -1 : count;
}

// Everything a run opens is closed, and the progress ended, on every way out.
class Cleanup
{
public:
    Cleanup(ConvertProgress& progress, Run& run)
        : m_progress(progress)
        , m_run(run)
    {
    }
    ~Cleanup()
    {
        m_run.finish();
        if (m_initialised)
            m_progress.Term();
    }
    void initialised() { m_initialised = true; }

private:
    ConvertProgress& m_progress;
    Run& m_run;
    bool m_initialised = false;
};

} // namespace

ConvertResult ConvertText(const QString& sTxtFile, Database& dbDecl, ConvertProgress& progress,
                          const ConvertOptions& options)
{
    ConvertResult result;
    if (options.maxPageCount > 0)
        dbDecl.setMaxPageCount(options.maxPageCount);
    // The name indexes of a large file outgrow SQLite's default 2 MB page cache, and
    // then every insert reads its index pages back from the disk.
    dbDecl.execute("PRAGMA cache_size = -16384");
    Run run(dbDecl, result, options);
    QFile text;
    Cleanup cleanup(progress, run);
    openTextFile(text, sTxtFile);
    Cp932Decoder decoder(options.codePage, sTxtFile);

    const qint64 length = text.size();
    progress.Init(length);
    cleanup.initialised();
    LineReader reader(text);
    qint64 position = 0;
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
    run.commit();
    if (result.cancelled) {
        const qint64 rest = remainingLines(reader);
        result.totalLines = rest < 0 ? -1 : result.lines + rest;
    }
    result.textChanged = reader.bytesRead() != length || QFileInfo(sTxtFile).size() != length;
    if (result.cancelled)
        result.textChanged = false;
    return result;
}
