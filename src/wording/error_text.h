// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>

class DbError;
struct ConvertResult;
struct SkippedLine;
enum class SkipReason;

// Reserved codes of the program itself.
inline constexpr int kErrNotYet = -99;
inline constexpr int kErrUnsupportedFile = -1;
// Run-time error numbers the program reports by itself.
inline constexpr int kErrInvalidCall = 5;
inline constexpr int kErrOutOfMemory = 7;

// The run-time text for an error number, or the general text for numbers the table
// lacks (every database engine number among them).
QString errorText(int number);
// "エラー  : " and the number with the blank a sign would take. Numbers of any
// size are shown whole.
QString errorTitle(long long iErr);
// A storage failure in words: what happened, to which file.
QString describeDbError(const DbError& error);
// A failed conversion in words: the failure, and that the database which stood at the
// path is still whole when it is, the paragraphs joined by lineBreak twice.
QString describeConversionFailure(const DbError& error, const QString& lineBreak);
// Why a line of a declaration text file was not stored.
QString skipReasonText(SkipReason reason);
// After a failed conversion: the database at the path was not touched.
QString previousKeptText(const QString& dbPath);
// A line that was not stored as a report quotes it: its start, "…" when cut.
QString quotedLine(const SkippedLine& line);
// A line that was not stored, after its place: why, and the line quoted.
QString skippedLineText(const SkippedLine& line);
// The lines not stored beyond those a report lists; empty when it lists them all.
QString moreSkippedText(const ConvertResult& result);
// The window's paragraph on the lines a conversion did not store, its lines joined
// by lineBreak.
QString skippedLinesText(const ConvertResult& result, const QString& lineBreak);
// A file that opens as a database but lacks the tables of a declaration database
// (or has views in their place): refused as unsupported, not as a fault of the file.
bool isNotADeclarationDatabase(const DbError& error);
// ek-cli's words for that refusal.
QString notADeclarationDatabaseText(const QString& path);
// The text file was longer or shorter at the end of a conversion than at its start.
QString textChangedText(const QString& textPath);
// A conversion the user stopped: after how many of the text file's lines, and what the
// database holds.
QString cancelledText(const ConvertResult& result, const QString& textPath, const QString& dbPath);
