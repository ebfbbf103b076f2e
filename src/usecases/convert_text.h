// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "line_shape.h"

#include <QByteArray>
#include <QList>
#include <QString>

class DeclWriter;
class OpenedFile;

// What the conversion needs from whoever shows its progress: the progress window,
// the CLI's terminal line, or a test.
class ConvertProgress
{
public:
    virtual ~ConvertProgress() = default;
    // total is the text file's length in bytes.
    virtual void started(qint64 total) = 0;
    // Called once per line with the bytes read so far; true means stop before the line.
    virtual bool shouldStop(qint64 done) = 0;
    // Called once per line after it was handled: the moment pending events may run.
    virtual void processEvents() {}
    virtual void finished() = 0;
};

struct SkippedLine
{
    // A report quotes this much of a line; a line of megabytes would freeze it.
    static constexpr qsizetype kQuotedChars = 200;

    qint64 lineNumber = 0; // from 1
    SkipReason reason = SkipReason::EmptyName;
    QString text;     // after the comment was cut, at most kQuotedChars characters
    bool cut = false; // the line went on after text
};

struct ConvertResult
{
    static constexpr int kSkippedKept = 20;

    qint64 lines = 0; // lines read, the one at which Cancel was noticed included
    // Every line of the file, counted after a cancel; -1 when the run was not cancelled.
    qint64 totalLines = -1;
    qint64 constants = 0;
    qint64 procedures = 0;
    qint64 types = 0;
    qint64 members = 0;
    qint64 conditionals = 0; // #If, #ElseIf, #Else and #End If lines stored
    qint64 groups = 0;       // the #If lines among them
    // Lines not stored, and #If lines stored but never closed.
    qint64 skippedCount = 0;
    QList<SkippedLine> skipped; // the first kSkippedKept of them by line number
    bool cancelled = false;
    // The text file changed while it was read: its size, its time or the file itself.
    bool textChanged = false;
};

struct ConvertOptions
{
    // The text file's code page, by the converter's name for it.
    QByteArray codePage = "CP932";
};

// Reads the declaration text file textPath, opened as text, and stores its lines
// through writer. Lines that cannot be stored are counted and listed in the result
// and never stop the run. A file that cannot be read ends the run with a DbError,
// after the progress has been ended.
ConvertResult convertDeclarations(OpenedFile& text, const QString& textPath, DeclWriter& writer,
                                  ConvertProgress& progress, const ConvertOptions& options = {});
