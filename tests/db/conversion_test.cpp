// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "convert_text.h"
#include "database.h"
#include "db_checks.h"
#include "get_full.h"
#include "make_db.h"
#include "recordset.h"
#include "test_data.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// One conversion of raw bytes into a fresh database in its own folder.
struct Conversion
{
    QTemporaryDir dir;
    QString text = dir.filePath(QStringLiteral("decl.txt"));
    QString db = dir.filePath(QStringLiteral("t.mdb"));
    RecordingProgress progress;
    ConvertResult result;

    const ConvertResult& run(const QByteArray& bytes, const ConvertOptions& options = {})
    {
        writeBytes(text, bytes);
        MakeDb(db);
        result = convertInto(text, db, progress, options);
        return result;
    }
    const ConvertResult& runLines(const QStringList& lines, const QByteArray& eol = "\r\n")
    {
        QByteArray bytes;
        for (const QString& line : lines)
            bytes += line.toUtf8() + eol;
        return run(bytes);
    }
    QStringList rows(const char* table) const { return tableRows(db, QLatin1String(table)); }
};

QStringList skippedTexts(const ConvertResult& r)
{
    QStringList out;
    for (const SkippedLine& s : r.skipped)
        out << QStringLiteral("%1|%2|%3").arg(s.lineNumber).arg(int(s.reason)).arg(s.text);
    return out;
}

QString skipped(qint64 line, SkipReason reason, const QString& text)
{
    return QStringLiteral("%1|%2|%3").arg(line).arg(int(reason)).arg(text);
}

// Cumulative positions for lines of the given byte lengths: each counts 2 for
// its line break, whatever the break really was.
QList<qint64> positionsFor(const QList<qint64>& lengths)
{
    QList<qint64> out;
    qint64 p = 0;
    for (qint64 n : lengths)
        out << (p += n + 2);
    return out;
}

// Checks the rows a watcher sees in the file at each line, from another connection.
class WatchingProgress : public RecordingProgress
{
public:
    QString db;
    QList<int> constantsSeen;
    bool Cancel(qint64 lNewValue) override
    {
        constantsSeen << sqlRows(db, QStringLiteral("SELECT count(*) FROM tbCnst")).value(0).value(0).toInt();
        return RecordingProgress::Cancel(lNewValue);
    }
};

const QStringList kEightLineFile = {
    QStringLiteral("' sample constants"),
    QStringLiteral("Public Const MAX_ITEM = 16 ' upper limit"),
    QStringLiteral("Declare Sub Reset Lib \"kernel32\" ()"),
    QStringLiteral("Type POINT2"),
    QStringLiteral("    x As Long"),
    QStringLiteral("    y As Long"),
    QStringLiteral("End Type"),
    QStringLiteral("Public Declare Function Count Lib \"kernel32\" () As Long"),
};

} // namespace

class ConversionTest : public QObject
{
    Q_OBJECT
private slots:
    void eightLineFileStoresExactRows();
    void positionEqualsFileLengthWhenEveryLineEndsWithCrLf();
    void positionCountsTwoForMissingOrSingleByteBreaks();
    void lfAndCrAloneEachEndALine();
    void crLfSplitAcrossReadsIsOneBreak();
    void emptyFileStoresNothingAndEndsProgress();
    void indentedKeywordsAreMemberLines();
    void indentedTypeEndLeavesBlockOpen();
    void typeEndOutsideBlockAdvancesNumber();
    void secondHeaderBeforeTypeEndSharesNumber();
    void unrecognisedLinesBeforeHeaderCarryNextNumber();
    void commentIsCutEvenInsideString();
    void blanksAreKeptButTypeNamesEndAtTheirLastCharacter();
    void keywordsMatchInAnyLetterCase();
    void namesRunToFirstDelimiter();
    void linesWithoutUsableNameAreListedAndRunGoesOn();
    void refusedTypeHeaderStillOpensBlock();
    void onlyFirstTwentySkippedLinesAreKeptButAllCounted();
    void linesLongerThan16BitsWork();
    void codePage932KeepsBackslashAndTrailBytes();
    void invalidBytesBecomeReplacementCharacters();
    void cancelAtFirstLineStoresNothing();
    void cancelMidFileKeepsLinesBefore();
    void cancelAtLastLineKeepsAllButLast();
    void cancelCountsTheFileLinesAsTheRunSplitsThem_data();
    void cancelCountsTheFileLinesAsTheRunSplitsThem();
    void everyRowIsVisibleAtOnceWithoutGrouping();
    void failureMidRunStillEndsProgress();
    void textFileIsNeverConvertedOntoItself();
    void pathsWithJapaneseNamesWork();
};

void ConversionTest::eightLineFileStoresExactRows()
{
    Conversion c;
    const ConvertResult& r = c.runLines(kEightLineFile);
    QCOMPARE(c.rows("tbCnst"), QStringList{QStringLiteral("MAX_ITEM|Public Const MAX_ITEM = 16 ")});
    QCOMPARE(c.rows("tbProc"), QStringList{QStringLiteral("Reset|Declare Sub Reset Lib \"kernel32\" ()")});
    QCOMPARE(c.rows("tbType"), QStringList{QStringLiteral("POINT2|Type POINT2|0")});
    QCOMPARE(c.rows("tbMenb"), QStringList({"    x As Long|0", "    y As Long|0",
                                            "Public Declare Function Count Lib \"kernel32\" () As Long|1"}));
    QCOMPARE(c.progress.positions.mid(0, 2), QList<qint64>({20, 62}));
    QCOMPARE(c.progress.positions.size(), 8);
    QCOMPARE(c.progress.max, QFileInfo(c.text).size());
    QCOMPARE(c.progress.positions.last(), c.progress.max);
    QCOMPARE(c.progress.inits, 1);
    QCOMPARE(c.progress.terms, 1);
    // Pending events run once per line, also for lines that store nothing.
    QCOMPARE(c.progress.events, 8);
    QCOMPARE(r.lines, 8);
    QCOMPARE(r.constants, 1);
    QCOMPARE(r.procedures, 1);
    QCOMPARE(r.types, 1);
    QCOMPARE(r.members, 3);
    QCOMPARE(r.skippedCount, 0);
    QVERIFY(!r.cancelled);
    QCOMPARE(integrityCheck(c.db), QStringLiteral("ok"));
}

void ConversionTest::positionEqualsFileLengthWhenEveryLineEndsWithCrLf()
{
    Conversion c;
    c.runLines({"Type A", "", "  x As Integer", "End Type", "' note"});
    QCOMPARE(c.progress.positions, positionsFor({6, 0, 14, 8, 6}));
    QCOMPARE(c.progress.positions.last(), QFileInfo(c.text).size());
}

void ConversionTest::positionCountsTwoForMissingOrSingleByteBreaks()
{
    {
        Conversion c;
        c.run("Type A\r\n  x\r\nEnd Type");
        QCOMPARE(c.progress.positions, positionsFor({6, 3, 8}));
        QCOMPARE(c.progress.positions.last(), c.progress.max + 2);
    }
    {
        Conversion c;
        c.run("Type A\r  x\rEnd Type\r");
        QCOMPARE(c.progress.positions, positionsFor({6, 3, 8}));
        QCOMPARE(c.progress.positions.last(), c.progress.max + 3);
    }
    {
        Conversion c;
        c.run("Type A\n  x\r\nEnd Type\r");
        QCOMPARE(c.progress.positions.last(), c.progress.max + 2);
        QCOMPARE(c.rows("tbMenb"), QStringList{QStringLiteral("  x|0")});
    }
}

void ConversionTest::lfAndCrAloneEachEndALine()
{
    const QStringList lines = {"Public Const A = 1", "Declare Sub B Lib \"k\" ()", "Type C", "  d As Long",
                               "End Type",           "Public Const E = 2"};
    for (const QByteArray& eol : {QByteArray("\r\n"), QByteArray("\n"), QByteArray("\r")}) {
        Conversion c;
        const ConvertResult& r = c.runLines(lines, eol);
        QCOMPARE(r.lines, 6);
        QCOMPARE(c.rows("tbCnst"), QStringList({"A|Public Const A = 1", "E|Public Const E = 2"}));
        QCOMPARE(c.rows("tbProc"), QStringList{QStringLiteral("B|Declare Sub B Lib \"k\" ()")});
        QCOMPARE(c.rows("tbType"), QStringList{QStringLiteral("C|Type C|0")});
        QCOMPARE(c.rows("tbMenb"), QStringList{QStringLiteral("  d As Long|0")});
    }
    // Mixed breaks; an empty line between LF and CR, none inside CR LF.
    Conversion c;
    const ConvertResult& r = c.run("Type T\n  a\r  b\r\n  c\n\r  d");
    QCOMPARE(r.lines, 6);
    QCOMPARE(c.rows("tbMenb"), QStringList({"  a|0", "  b|0", "  c|0", "  d|0"}));
}

void ConversionTest::crLfSplitAcrossReadsIsOneBreak()
{
    // Line lengths around the size of one read put CR and LF on either side of
    // a buffer edge somewhere in the sweep.
    for (int n = 65530; n <= 65538; ++n) {
        Conversion c;
        const QByteArray first = "Type " + QByteArray(n - 5, 'W');
        const ConvertResult& r = c.run(first + "\r\n" + QByteArray(n, ' ') + "\r\nEnd Type\r\nType Z\r");
        QCOMPARE(r.lines, 4);
        QCOMPARE(r.types, 2);
        QCOMPARE(r.members, 1);
        QCOMPARE(c.progress.positions, positionsFor({n, n, 8, 6}));
    }
}

void ConversionTest::emptyFileStoresNothingAndEndsProgress()
{
    Conversion c;
    const ConvertResult& r = c.run(QByteArray());
    QCOMPARE(c.progress.inits, 1);
    QCOMPARE(c.progress.max, 0);
    QCOMPARE(c.progress.positions, QList<qint64>());
    QCOMPARE(c.progress.terms, 1);
    QCOMPARE(r.lines, 0);
    for (const char* table : {"tbCnst", "tbProc", "tbType", "tbMenb"})
        QCOMPARE(c.rows(table), QStringList());
    QCOMPARE(integrityCheck(c.db), QStringLiteral("ok"));
}

void ConversionTest::indentedKeywordsAreMemberLines()
{
    Conversion c;
    c.runLines({" Public Const A = 1", "\tDeclare Function F Lib \"k\" () As Long", "  Type T", " End Type",
                "Type U", "End Type"});
    QCOMPARE(c.rows("tbCnst"), QStringList());
    QCOMPARE(c.rows("tbProc"), QStringList());
    QCOMPARE(c.rows("tbType"), QStringList{QStringLiteral("U|Type U|0")});
    QCOMPARE(c.rows("tbMenb"),
             QStringList({" Public Const A = 1|0", "\tDeclare Function F Lib \"k\" () As Long|0",
                          "  Type T|0", " End Type|0"}));
}

void ConversionTest::indentedTypeEndLeavesBlockOpen()
{
    Conversion c;
    c.runLines({"Type T", "  x As Long", "  End Type", "Public Const IN_BLOCK = 1",
                "Declare Sub S Lib \"k\" ()", "End Type", "Public Const OUT = 2"});
    QCOMPARE(c.rows("tbCnst"), QStringList{QStringLiteral("OUT|Public Const OUT = 2")});
    QCOMPARE(c.rows("tbProc"), QStringList());
    QCOMPARE(c.rows("tbMenb"), QStringList({"  x As Long|0", "  End Type|0", "Public Const IN_BLOCK = 1|0",
                                            "Declare Sub S Lib \"k\" ()|0"}));
}

void ConversionTest::typeEndOutsideBlockAdvancesNumber()
{
    Conversion c;
    c.runLines({"End Type", "END TYPE", "Type A", "  a", "End Type", "  stray", "end typed", "Type B",
                "End Type", "  after"});
    QCOMPARE(c.rows("tbType"), QStringList({"A|Type A|2", "B|Type B|4"}));
    QCOMPARE(c.rows("tbMenb"), QStringList({"  a|2", "  stray|3", "  after|5"}));
}

void ConversionTest::secondHeaderBeforeTypeEndSharesNumber()
{
    Conversion c;
    c.runLines({"Type A", "  a1", "Type B", "  b1", "End Type", "Type C", "  c1", "End Type"});
    QCOMPARE(c.rows("tbType"), QStringList({"A|Type A|0", "B|Type B|0", "C|Type C|1"}));
    QCOMPARE(c.rows("tbMenb"), QStringList({"  a1|0", "  b1|0", "  c1|1"}));
}

void ConversionTest::unrecognisedLinesBeforeHeaderCarryNextNumber()
{
    Conversion c;
    c.runLines({"Type FIRST", "End Type", "Public Type X", "Private Const Y = 1",
                "Public Declare Function Z Lib \"k\" () As Long", "Type SECOND", "  s", "End Type",
                "Option Explicit"});
    QCOMPARE(c.rows("tbType"), QStringList({"FIRST|Type FIRST|0", "SECOND|Type SECOND|1"}));
    QCOMPARE(c.rows("tbMenb"),
             QStringList({"Public Type X|1", "Private Const Y = 1|1",
                          "Public Declare Function Z Lib \"k\" () As Long|1", "  s|1", "Option Explicit|2"}));
}

void ConversionTest::commentIsCutEvenInsideString()
{
    Conversion c;
    c.runLines({"Public Const APOS = \"it's\"", "Declare Function F Lib \"it's\" () As Long",
                "Declare Function G Lib \"k\" (ByVal s As String) As Long ' ok", "'Public Const HIDDEN = 1"});
    QCOMPARE(c.rows("tbCnst"), QStringList{QStringLiteral("APOS|Public Const APOS = \"it")});
    QCOMPARE(c.rows("tbProc"), QStringList({"F|Declare Function F Lib \"it",
                                            "G|Declare Function G Lib \"k\" (ByVal s As String) As Long "}));
    QCOMPARE(c.rows("tbMenb"), QStringList());
}

void ConversionTest::blanksAreKeptButTypeNamesEndAtTheirLastCharacter()
{
    Conversion c;
    c.runLines({"Type  SPACED   ' two blanks before, three after", "   ", "  ' only a comment, indented", "",
                "End Type", "Public Const TRAIL = 1   ", "Type TAB\t", "End Type"});
    // The header line keeps its blanks; the name loses those a cut-off comment left.
    QCOMPARE(c.rows("tbType"), QStringList({" SPACED|Type  SPACED   |0", "TAB|Type TAB\t|1"}));
    QCOMPARE(c.rows("tbMenb"), QStringList({"   |0", "  |0"}));
    QCOMPARE(c.rows("tbCnst"), QStringList{QStringLiteral("TRAIL|Public Const TRAIL = 1   ")});
}

void ConversionTest::keywordsMatchInAnyLetterCase()
{
    Conversion c;
    c.runLines({"public const lower_c = 1", "declare function lower_f lib \"k\" () as long",
                "declare sub lower_s lib \"k\" ()", "PUBLIC CONST UPPER_C = 2",
                "DeClArE SuB Mixed LiB \"k\" ()", "type lower_t", "  m as long", "eNd TyPe", "TYPE UPPER_T",
                "END TYPE"});
    QCOMPARE(c.rows("tbCnst"),
             QStringList({"lower_c|public const lower_c = 1", "UPPER_C|PUBLIC CONST UPPER_C = 2"}));
    QCOMPARE(c.rows("tbProc"), QStringList({"lower_f|declare function lower_f lib \"k\" () as long",
                                            "lower_s|declare sub lower_s lib \"k\" ()",
                                            "Mixed|DeClArE SuB Mixed LiB \"k\" ()"}));
    QCOMPARE(c.rows("tbType"), QStringList({"lower_t|type lower_t|0", "UPPER_T|TYPE UPPER_T|1"}));
    QCOMPARE(c.rows("tbMenb"), QStringList{QStringLiteral("  m as long|0")});
}

void ConversionTest::namesRunToFirstDelimiter()
{
    Conversion c;
    c.runLines({"Public Const X As Long = 1", "Public Const A=1 = 2", "Public Const B = C = 3",
                "Declare Function LibMain Lib \"k\" () As Long", "Declare Sub Go Lib \"k\" Alias \"Lib \" ()",
                "Declare Function Odd(x) Lib \"k\" () As Long"});
    QCOMPARE(sqlColumn(c.db, QStringLiteral("SELECT fdName FROM tbCnst ORDER BY fdID")),
             QStringList({"X As Long", "A=1", "B"}));
    QCOMPARE(sqlColumn(c.db, QStringLiteral("SELECT fdName FROM tbProc ORDER BY fdID")),
             QStringList({"LibMain", "Go", "Odd(x)"}));
}

void ConversionTest::linesWithoutUsableNameAreListedAndRunGoesOn()
{
    Conversion c;
    const ConvertResult& r = c.runLines({
        "Public Const NO_EQUALS",                 // 1
        "Public Const = 1",                       // 2
        "Declare Function NoLib",                 // 3
        "Declare Sub Lib \"k\" ()",               // 4
        "Declare  Function Two Lib \"k\" ()",     // 5
        "Declare Property X Lib \"k\" ' comment", // 6
        "Public Const GOOD = 1",                  // 7
        "Public Const  = 1",                      // 8
        "Declare Sub  Lib \"k\" ()",              // 9
        "Declare Function Ends Lib",              // 10
        "Type ",                                  // 11
        "  m As Long",                            // 12
        "End Type",                               // 13
        "Declare Sub Fine Lib \"k\" ()",          // 14
    });
    QCOMPARE(skippedTexts(r), QStringList({
                                  skipped(1, SkipReason::NoConstDelimiter, "Public Const NO_EQUALS"),
                                  skipped(2, SkipReason::NoConstDelimiter, "Public Const = 1"),
                                  skipped(3, SkipReason::NoLibDelimiter, "Declare Function NoLib"),
                                  skipped(4, SkipReason::NoLibDelimiter, "Declare Sub Lib \"k\" ()"),
                                  skipped(5, SkipReason::NoProcKeyword, "Declare  Function Two Lib \"k\" ()"),
                                  skipped(6, SkipReason::NoProcKeyword, "Declare Property X Lib \"k\" "),
                                  skipped(8, SkipReason::EmptyName, "Public Const  = 1"),
                                  skipped(9, SkipReason::EmptyName, "Declare Sub  Lib \"k\" ()"),
                                  skipped(10, SkipReason::NoLibDelimiter, "Declare Function Ends Lib"),
                                  skipped(11, SkipReason::EmptyName, "Type "),
                              }));
    QCOMPARE(r.skippedCount, 10);
    QCOMPARE(c.rows("tbCnst"), QStringList{QStringLiteral("GOOD|Public Const GOOD = 1")});
    QCOMPARE(c.rows("tbProc"), QStringList{QStringLiteral("Fine|Declare Sub Fine Lib \"k\" ()")});
    QCOMPARE(c.rows("tbType"), QStringList());
    // The nameless header opened its block: its member is not taken for a statement.
    QCOMPARE(c.rows("tbMenb"), QStringList{QStringLiteral("  m As Long|0")});
    QCOMPARE(r.lines, 14);
    QCOMPARE(c.progress.terms, 1);
}

void ConversionTest::refusedTypeHeaderStillOpensBlock()
{
    Conversion c;
    const ConvertResult& r =
        c.runLines({"Type RECT", "  a As Long", "End Type", "type Rect", "  b As Long",
                    "Public Const INSIDE = 1", "End Type", "Type NEXT_T", "  c As Long", "End Type"});
    QCOMPARE(skippedTexts(r), QStringList{skipped(4, SkipReason::DuplicateType, "type Rect")});
    QCOMPARE(c.rows("tbType"), QStringList({"RECT|Type RECT|0", "NEXT_T|Type NEXT_T|2"}));
    QCOMPARE(c.rows("tbMenb"),
             QStringList({"  a As Long|0", "  b As Long|1", "Public Const INSIDE = 1|1", "  c As Long|2"}));
    QCOMPARE(c.rows("tbCnst"), QStringList());

    std::shared_ptr<Database> db = Database::OpenDatabase(c.db);
    std::unique_ptr<Recordset> rs = db->OpenRecordset(QStringLiteral("tbType"));
    rs->setIndex(QStringLiteral("ixName"));
    QCOMPARE(GetFull(*rs, *db, kKindType, QStringLiteral("rect")),
             QStringLiteral("Type RECT\r\n  a As Long\r\nEnd Type"));
}

void ConversionTest::onlyFirstTwentySkippedLinesAreKeptButAllCounted()
{
    QStringList lines;
    QList<qint64> badLines;
    for (int i = 0; i < 25; ++i) {
        lines << QStringLiteral("Public Const OK_%1 = %1").arg(i);
        lines << QStringLiteral("Public Const BAD_%1").arg(i);
        badLines << lines.size();
    }
    Conversion c;
    const ConvertResult& r = c.runLines(lines);
    QCOMPARE(r.skippedCount, 25);
    QCOMPARE(r.skipped.size(), ConvertResult::kSkippedKept);
    QCOMPARE(ConvertResult::kSkippedKept, 20);
    for (int i = 0; i < 20; ++i) {
        QCOMPARE(r.skipped[i].lineNumber, badLines[i]);
        QCOMPARE(r.skipped[i].text, QStringLiteral("Public Const BAD_%1").arg(i));
    }
    QCOMPARE(r.constants, 25);
    QCOMPARE(c.rows("tbCnst").size(), 25);
}

void ConversionTest::linesLongerThan16BitsWork()
{
    const QString longName(70000, u'N');
    const QString longType(40000, u'T');
    const QString longMember = QStringLiteral("  ") + QString(100000, u'm');
    Conversion c;
    const ConvertResult& r =
        c.runLines({QStringLiteral("Public Const ") + longName + QStringLiteral(" = 1"),
                    QStringLiteral("Type ") + longType, longMember, QStringLiteral("End Type"),
                    QStringLiteral("Public Const AFTER = 2")});
    QCOMPARE(r.skippedCount, 0);
    QCOMPARE(sqlColumn(c.db, QStringLiteral("SELECT fdName FROM tbCnst ORDER BY fdID")),
             QStringList({longName, QStringLiteral("AFTER")}));
    QCOMPARE(sqlColumn(c.db, QStringLiteral("SELECT fdName FROM tbType")), QStringList{longType});
    QCOMPARE(sqlColumn(c.db, QStringLiteral("SELECT fdFull FROM tbMenb")), QStringList{longMember});
    QCOMPARE(c.progress.positions, positionsFor({70017, 40005, 100002, 8, 22}));
}

void ConversionTest::codePage932KeepsBackslashAndTrailBytes()
{
    // 表 95 5C, 示 8E A6, ソ 83 5C, 能 94 5C, ｱ B1, ① 87 40, 纊 ED 40, ⅰ FA 40.
    const QByteArray bytes =
        "Public Const \x95\x5C\x8E\xA6 = \"C:\\Windows\\\" ' \x83\x5C\x94\x5C\r\n"
        "Declare Function \x83\x5C\x83\x74\x83\x67 Lib \"k\" (ByVal p As String) As Long\r\n"
        "Type \xB1\x87\x40\xED\x40\xFA\x40\r\n"
        "  a As String ' \x95\x5C\r\n"
        "  path As String * 5 ' ~\\\r\n"
        "End Type\r\n";
    Conversion c;
    const ConvertResult& r = c.run(bytes);
    QCOMPARE(r.skippedCount, 0);
    QCOMPARE(c.rows("tbCnst"), QStringList{QStringLiteral("表示|Public Const 表示 = \"C:\\Windows\\\" ")});
    QCOMPARE(c.rows("tbProc"), QStringList{QStringLiteral(
                                   "ソフト|Declare Function ソフト Lib \"k\" (ByVal p As String) As Long")});
    QCOMPARE(c.rows("tbType"), QStringList{QStringLiteral("ｱ①纊ⅰ|Type ｱ①纊ⅰ|0")});
    QCOMPARE(c.rows("tbMenb"), QStringList({"  a As String |0", "  path As String * 5 |0"}));
    // Positions count bytes as read, not characters.
    QCOMPARE(c.progress.positions.first(), qint64(bytes.indexOf('\r') + 2));
    QCOMPARE(c.progress.positions.last(), qint64(bytes.size()));
}

void ConversionTest::invalidBytesBecomeReplacementCharacters()
{
    const QByteArray bytes = "Public Const BAD\x81 = 1\r\n"              // lead byte before a blank
                             "Public Const HIGH\xA0\xFD\xFE\xFF = 2\r\n" // bytes no table defines
                             "Public Const GAP\x85\x5C = 3\r\n"          // lead byte of an empty row
                             "Type CUT\x82\r\n"                          // lead byte at the end of the line
                             "  \x80 x\r\n"
                             "End Type\r\n"
                             "Public Const \x95\x5C\x8E\xA6 = 4\r\n";
    Conversion c;
    const ConvertResult& r = c.run(bytes);
    QCOMPARE(r.lines, 7);
    QCOMPARE(r.skippedCount, 0);
    QCOMPARE(sqlColumn(c.db, QStringLiteral("SELECT fdName FROM tbCnst ORDER BY fdID")),
             QStringList({QStringLiteral("BAD\uFFFD"), QStringLiteral("HIGH\uFFFD\uFFFD\uFFFD\uFFFD"),
                          QStringLiteral("GAP\uFFFD\\"), QStringLiteral("表示")}));
    QCOMPARE(c.rows("tbType"), QStringList{QStringLiteral("CUT\uFFFD|Type CUT\uFFFD|0")});
    QCOMPARE(c.rows("tbMenb"), QStringList{QStringLiteral("  \uFFFD x|0")});
    QCOMPARE(c.progress.positions.last(), qint64(bytes.size()));
}

void ConversionTest::cancelAtFirstLineStoresNothing()
{
    Conversion c;
    c.progress.cancelAtCall = 1;
    const ConvertResult& r = c.runLines({"Public Const A = 1", "Type T", "  x", "End Type"});
    QVERIFY(r.cancelled);
    QCOMPARE(r.lines, 1);
    QCOMPARE(c.progress.positions.size(), 1);
    QCOMPARE(c.progress.events, 0);
    QCOMPARE(c.progress.terms, 1);
    for (const char* table : {"tbCnst", "tbProc", "tbType", "tbMenb"})
        QCOMPARE(c.rows(table), QStringList());
    QCOMPARE(integrityCheck(c.db), QStringLiteral("ok"));
}

void ConversionTest::cancelMidFileKeepsLinesBefore()
{
    const QStringList lines = {"Public Const A = 1", "Type T",   "  x As Long",
                               "  y As Long",        "End Type", "Declare Sub S Lib \"k\" ()"};
    for (int interval : {200, 0}) {
        Conversion c;
        c.progress.cancelAtCall = 4;
        ConvertOptions options;
        options.commitIntervalMs = interval;
        QByteArray bytes;
        for (const QString& line : lines)
            bytes += line.toUtf8() + "\r\n";
        const ConvertResult& r = c.run(bytes, options);
        QVERIFY(r.cancelled);
        QCOMPARE(r.lines, 4);
        QCOMPARE(c.progress.positions.size(), 4);
        QCOMPARE(c.progress.terms, 1);
        QCOMPARE(c.rows("tbCnst"), QStringList{QStringLiteral("A|Public Const A = 1")});
        QCOMPARE(c.rows("tbType"), QStringList{QStringLiteral("T|Type T|0")});
        QCOMPARE(c.rows("tbMenb"), QStringList{QStringLiteral("  x As Long|0")});
        QCOMPARE(c.rows("tbProc"), QStringList());
        QCOMPARE(integrityCheck(c.db), QStringLiteral("ok"));
    }
}

void ConversionTest::cancelAtLastLineKeepsAllButLast()
{
    Conversion c;
    c.progress.cancelAtCall = 5;
    const ConvertResult& r =
        c.runLines({"Public Const A = 1", "Type T", "  x As Long", "End Type", "Declare Sub S Lib \"k\" ()"});
    QVERIFY(r.cancelled);
    QCOMPARE(r.lines, 5);
    QCOMPARE(c.rows("tbCnst").size(), 1);
    QCOMPARE(c.rows("tbType").size(), 1);
    QCOMPARE(c.rows("tbMenb").size(), 1);
    QCOMPARE(c.rows("tbProc"), QStringList());
}

void ConversionTest::cancelCountsTheFileLinesAsTheRunSplitsThem_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF") << QByteArray("Public Const A = 1\r\nType T\r\n  x\r\nEnd Type\r\n");
    QTest::newRow("LF and CR alone") << QByteArray("Public Const A = 1\nType T\r  x\n\rEnd Type\n");
    QTest::newRow("no final break") << QByteArray("Public Const A = 1\r\n\r\n\nEnd Type");
    QTest::newRow("final CR") << QByteArray("Public Const A = 1\r\nB\r");
    QTest::newRow("LF CR is two breaks") << QByteArray("Public Const A = 1\n\r\n\r");
    // CR and LF on either side of a read's edge somewhere in the sweep.
    QByteArray edges;
    for (int n = 65530; n <= 65538; ++n)
        edges += "Public Const A = 1\r\n" + QByteArray(n, ' ') + "\r\n\r";
    QTest::newRow("breaks at read edges") << edges;
}

void ConversionTest::cancelCountsTheFileLinesAsTheRunSplitsThem()
{
    QFETCH(QByteArray, bytes);
    Conversion whole;
    const qint64 lines = whole.run(bytes).lines;
    QCOMPARE(whole.result.totalLines, -1);
    for (int at = 1; at <= lines; ++at) {
        Conversion c;
        c.progress.cancelAtCall = at;
        const ConvertResult& r = c.run(bytes);
        QVERIFY(r.cancelled);
        QCOMPARE(r.lines, at);
        QCOMPARE(r.totalLines, lines);
    }
}

void ConversionTest::everyRowIsVisibleAtOnceWithoutGrouping()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("decl.txt"));
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    writeCp932(text, {"Public Const A = 1", "' comment", "Public Const B = 2", "Public Const C = 3"});
    MakeDb(db);
    WatchingProgress progress;
    progress.db = db;
    ConvertOptions options;
    options.commitIntervalMs = 0;
    convertInto(text, db, progress, options);
    QCOMPARE(progress.constantsSeen, QList<int>({0, 1, 1, 2}));
    QCOMPARE(sqlColumn(db, QStringLiteral("SELECT count(*) FROM tbCnst")), QStringList{QStringLiteral("3")});
}

void ConversionTest::failureMidRunStillEndsProgress()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("decl.txt"));
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    writeCp932(text, {"Public Const A = 1", "Type T", "  x As Long", "End Type"});
    MakeDb(db);
    // Some other program's trigger refuses member rows: the third line cannot be stored.
    sqlExec(db, QStringLiteral(
                    "CREATE TRIGGER refuse BEFORE INSERT ON tbMenb BEGIN SELECT RAISE(ABORT, 'no'); END;"));
    RecordingProgress progress;
    const std::optional<DbError> e = dbErrorOf([&] { convertInto(text, db, progress); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::Engine);
    QCOMPARE(progress.inits, 1);
    QCOMPARE(progress.terms, 1);
    QCOMPARE(progress.positions.size(), 3);
    // The rows before the failure stay, and the file is usable at once.
    QCOMPARE(tableRows(db, QStringLiteral("tbCnst")), QStringList{QStringLiteral("A|Public Const A = 1")});
    QCOMPARE(tableRows(db, QStringLiteral("tbType")), QStringList{QStringLiteral("T|Type T|0")});
    std::shared_ptr<Database> reopened = Database::OpenDatabase(db);
    QCOMPARE(integrityCheck(db), QStringLiteral("ok"));
}

void ConversionTest::textFileIsNeverConvertedOntoItself()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("decl.txt"));
    const QString link = dir.filePath(QStringLiteral("link.mdb"));
    writeCp932(text, {"Public Const A = 1"});
    QVERIFY(QFile::link(text, link));
    for (const QString& target : {text, link}) {
        RecordingProgress progress;
        const std::optional<DbError> e = dbErrorOf([&] { convertInto(text, target, progress); });
        QVERIFY(e);
        QCOMPARE(e->fault(), DbFault::SameFile);
        QCOMPARE(progress.inits, 0);
    }
    QCOMPARE(readBytes(text), QByteArray("Public Const A = 1\r\n"));
}

void ConversionTest::pathsWithJapaneseNamesWork()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("宣言 ファイル"));
    QVERIFY(QDir().mkpath(folder));
    const QString text = QDir(folder).filePath(QStringLiteral("定数.txt"));
    const QString db = QDir(folder).filePath(QStringLiteral("データ.mdb"));
    writeCp932(text, {"Public Const A = 1"});
    MakeDb(db);
    RecordingProgress progress;
    QCOMPARE(convertInto(text, db, progress).constants, 1);
    QCOMPARE(tableRows(db, QStringLiteral("tbCnst")), QStringList{QStringLiteral("A|Public Const A = 1")});
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), QStringList({"データ.mdb", "定数.txt"}));
}

QTEST_GUILESS_MAIN(ConversionTest)
#include "conversion_test.moc"
