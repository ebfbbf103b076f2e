// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "test_data.h"

#include "cp932.h"
#include "database.h"
#include "db_error.h"
#include "make_db.h"

#include <QDir>
#include <QFile>
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

void RecordingProgress::Init(qint64 lMax)
{
    max = lMax;
    ++inits;
}

bool RecordingProgress::Cancel(qint64 lNewValue)
{
    positions.append(lNewValue);
    return cancelAtCall > 0 && positions.size() >= cancelAtCall;
}

ConvertResult convertInto(const QString& textPath, const QString& dbPath, ConvertProgress& progress,
                          const ConvertOptions& options)
{
    if (isSameFile(textPath, dbPath))
        throw DbError(DbFault::SameFile, textPath);
    const std::shared_ptr<Database> db = Database::OpenDatabase(dbPath);
    return ConvertText(textPath, *db, progress, options);
}

ConvertResult convertLines(const QString& dir, const QStringList& lines, const QString& dbName)
{
    const QString text = QDir(dir).filePath(QStringLiteral("decl.txt"));
    const QString db = QDir(dir).filePath(dbName);
    writeCp932(text, lines);
    MakeDb(db);
    RecordingProgress progress;
    return convertInto(text, db, progress);
}

QList<QVariantList> sqlRows(const QString& dbPath, const QString& sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(dbPath).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
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
    if (sqlite3_open_v2(QFile::encodeName(dbPath).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
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
