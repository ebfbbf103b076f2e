// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "test_data.h"

#include "conversion.h"
#include "files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sqlite3.h>
#include <stdexcept>

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read test file " + path.toStdString());
    return file.readAll();
}

void writeCp932(const QString& path, const QStringList& lines, const QByteArray& eol)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += encodeCp932(line) + eol;
    writeBytes(path, bytes);
}

QString samplePath()
{
    return QStringLiteral(EK_SOURCE_DIR "/samples/winapi.txt");
}

void RecordingProgress::started(qint64 total)
{
    max = total;
    ++inits;
}

bool RecordingProgress::shouldStop(qint64 done)
{
    positions.append(done);
    return cancelAtCall > 0 && positions.size() >= cancelAtCall;
}

ConvertResult convertFile(const QString& textPath, const QString& dbPath, ConvertProgress& progress,
                          const ConvertOptions& options)
{
    Conversion conversion(textPath, dbPath, options);
    return conversion.run(progress);
}

ConvertResult convertLines(const QString& dir, const QStringList& lines, const QString& dbName)
{
    const QString text = QDir(dir).filePath(QStringLiteral("decl.txt"));
    writeCp932(text, lines);
    RecordingProgress progress;
    return convertFile(text, QDir(dir).filePath(dbName), progress);
}

void makeEmptyDatabase(const QString& path)
{
    const QTemporaryDir scratch;
    const QString text = scratch.filePath(QStringLiteral("empty.txt"));
    writeBytes(text, QByteArray());
    RecordingProgress progress;
    convertFile(text, path, progress);
}

namespace {

sqlite3* openForTest(const QString& dbPath, int flags)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(sqliteFileName(dbPath).constData(), &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + dbPath.toStdString());
    }
    return db;
}

} // namespace

void sqlInsert(const QString& dbPath, const QString& table, const QStringList& columns,
               const QVariantList& values)
{
    sqlite3* db = openForTest(dbPath, SQLITE_OPEN_READWRITE);
    QStringList parameters;
    for (qsizetype i = 0; i < columns.size(); ++i)
        parameters << QStringLiteral("?%1").arg(i + 1);
    const QByteArray sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(table, columns.join(u','), parameters.join(u','))
                               .toUtf8();
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
    for (int i = 0; rc == SQLITE_OK && i < values.size(); ++i) {
        const QVariant& v = values[i];
        if (v.isNull()) {
            rc = sqlite3_bind_null(stmt, i + 1);
        } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
            rc = sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
        } else {
            const QByteArray text = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_step(stmt) == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
    const std::string message = sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("insert failed: " + message);
}

QList<QVariantList> sqlRows(const QString& dbPath, const QString& sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(sqliteFileName(dbPath).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + dbPath.toStdString());
    }
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error("bad query: " + message);
    }
    QList<QVariantList> rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        QVariantList row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER:
                row << QVariant(qint64(sqlite3_column_int64(stmt, i)));
                break;
            case SQLITE_NULL:
                row << QVariant();
                break;
            default:
                row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                         sqlite3_column_bytes(stmt, i));
            }
        }
        rows << row;
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

QStringList sqlColumn(const QString& dbPath, const QString& sql)
{
    QStringList out;
    for (const QVariantList& row : sqlRows(dbPath, sql))
        out << row.value(0).toString();
    return out;
}

void sqlExec(const QString& dbPath, const QString& sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(sqliteFileName(dbPath).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + dbPath.toStdString());
    }
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "?";
        sqlite3_free(message);
        sqlite3_close(db);
        throw std::runtime_error("statement failed: " + text);
    }
    sqlite3_close(db);
}
