// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QList>
#include <QString>

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

enum class SkipReason {
    NoConstDelimiter, // " =" missing or before the name
    NoLibDelimiter,   // " LIB " missing or before the name
    NoProcKeyword,    // "DECLARE " not followed by "FUNCTION " or "SUB "
    EmptyName,
    DuplicateType, // a type of that name (in any letter case) is already stored
};

struct SkippedLine
{
    qint64 lineNumber = 0; // from 1
    SkipReason reason = SkipReason::EmptyName;
    QString text; // after the comment was cut
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
};

struct ConvertOptions
{
    // Rows are grouped into transactions no longer than this; 0 commits every row.
    int commitIntervalMs = 200;
    // Caps the database at this many pages (0: no cap); how a full disk is simulated.
    long long maxPageCount = 0;
};

// Fills the existing, empty declaration database sDbFile from the code page 932
// text file sTxtFile. Lines that cannot be stored are counted and listed in the
// result and never stop the run. A file that cannot be opened or read, or a
// database that cannot be written, ends the run with a DbError; the rows stored
// before stay, and the database is closed and the progress ended first.
ConvertResult ConvertText(const QString& sTxtFile, const QString& sDbFile, ConvertProgress& progress,
                          const ConvertOptions& options = {});

// Opens a declaration text file for reading, or raises why it cannot be read:
// missing (53), its folder missing (3044), not a regular file (3051), refused (75).
void openTextFile(QFile& file, const QString& path);
// The same check without keeping the file open, for callers that must know before
// they delete anything.
void requireReadableText(const QString& path);

// True when both paths name the same existing file (also through links).
bool isSameFile(const QString& a, const QString& b);
