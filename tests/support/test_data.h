// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "convert_text.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

// Code page 932 as Windows writes it; characters it lacks become '?'.
QByteArray encodeCp932(const QString& text);

// Writes lines in code page 932, each followed by eol (also the last one).
void writeCp932(const QString& path, const QStringList& lines, const QByteArray& eol = "\r\n");
void writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);

// The bundled sample declaration file.
QString samplePath();

// Records what the conversion reports and stops it at a chosen line.
class RecordingProgress : public ConvertProgress
{
public:
    void started(qint64 total) override;
    bool shouldStop(qint64 done) override;
    void processEvents() override { ++events; }
    void finished() override { ++terms; }

    qint64 max = -1;
    QList<qint64> positions;
    int inits = 0;
    int terms = 0;
    int events = 0;
    // shouldStop returns true from this call on (1-based); 0 never.
    int cancelAtCall = 0;
};

// Does what another program would do while the conversion runs, at one line:
// changes the text, or the file at the database path.
class MeddlingProgress : public RecordingProgress
{
public:
    std::function<void()> meddle;
    int atCall = 2;
    bool shouldStop(qint64 done) override
    {
        if (positions.size() + 1 == atCall && meddle)
            meddle();
        return RecordingProgress::shouldStop(done);
    }
};

// A whole conversion, as the window and ek-cli run it.
ConvertResult convertFile(const QString& textPath, const QString& dbPath, ConvertProgress& progress,
                          const ConvertOptions& options = {});

// Writes lines as decl.txt in dir and converts them into dbName there.
ConvertResult convertLines(const QString& dir, const QStringList& lines,
                           const QString& dbName = QStringLiteral("t.mdb"));

// Puts an empty declaration database at path, as a conversion of an empty file does.
void makeEmptyDatabase(const QString& path);

// Adds one row to a table of the SQLite file, through SQLite itself; values bind
// in order to the columns named, a null QVariant as NULL.
void sqlInsert(const QString& dbPath, const QString& table, const QStringList& columns,
               const QVariantList& values);

// Rows of a query on an SQLite file, read through SQLite itself: the truth about
// what is stored, whatever the engine layer believes.
QList<QVariantList> sqlRows(const QString& dbPath, const QString& sql);
QStringList sqlColumn(const QString& dbPath, const QString& sql);
// Runs statements on an SQLite file through SQLite itself; throws when they fail.
void sqlExec(const QString& dbPath, const QString& sql);
