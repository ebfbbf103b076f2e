// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "line_shape.h"

#include <QByteArray>
#include <QList>
#include <QString>

class Database;
class QFile;

// What the conversion needs from whoever shows its progress: the progress window,
// the CLI's terminal line, or a test.
class ConvertProgress
{
public:
    virtual ~ConvertProgress() = default;
    // lMax is the text file's length in bytes.
    virtual void Init(qint64 lMax) = 0;
    // Called once per line with the bytes read so far; true means stop before the line.
    virtual bool Cancel(qint64 lNewValue) = 0;
    // Called once per line after it was handled: the moment pending events may run.
    virtual void processEvents() {}
    virtual void Term() = 0;
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
    qint64 constants = 0;
    qint64 procedures = 0;
    qint64 types = 0;
    qint64 members = 0;
    qint64 skippedCount = 0;
    QList<SkippedLine> skipped; // the first kSkippedKept of them
    bool cancelled = false;
    // Only after a cancel: the text file's lines, the rest counted after the cancel as the
    // run would have split them; -1 when unknown (the rest could not be read).
    qint64 totalLines = -1;
    // The text file was longer or shorter at the end than when the run began.
    bool textChanged = false;
};

struct ConvertOptions
{
    // Rows are grouped into transactions. A group is committed once it is this old
    // and holds at least commitShare times the rows committed before it, so that the
    // number of commits grows with the logarithm of the file, not with its length.
    // 0 commits every row by itself.
    int commitIntervalMs = 200;
    double commitShare = 0.25;
    // Caps the database at this many pages (0: no cap); how a full disk is simulated.
    long long maxPageCount = 0;
    // The text file's code page, by the converter's name for it.
    QByteArray codePage = "CP932";
};

// Fills the open, empty declaration database dbDecl from the text file sTxtFile.
// Lines that cannot be stored are counted and listed in the result and never stop
// the run. A file that cannot be read, or a database that cannot be written, ends
// the run with a DbError; the rows committed before stay, and the progress is ended
// first. The database is left open.
ConvertResult ConvertText(const QString& sTxtFile, Database& dbDecl, ConvertProgress& progress,
                          const ConvertOptions& options = {});

// Opens a declaration text file for reading, or raises why it cannot be read:
// missing (53), its folder missing (3044), not a regular file (3051), refused (75).
void openTextFile(QFile& file, const QString& path);

// True when both paths name the same existing file (also through links).
bool isSameFile(const QString& a, const QString& b);
