// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conditional_groups.h"
#include "conversion.h"
#include "copy_assembly.h"
#include "db_checks.h"
#include "decl_store.h"
#include "test_data.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// One conversion of raw bytes into a fresh database in its own folder.
struct Run
{
    QTemporaryDir dir;
    QString text = dir.filePath(QStringLiteral("decl.txt"));
    QString db = dir.filePath(QStringLiteral("t.mdb"));
    RecordingProgress progress;
    ConvertResult result;

    const ConvertResult& run(const QByteArray& bytes, const ConvertOptions& options = {})
    {
        writeBytes(text, bytes);
        result = convertFile(text, db, progress, options);
        return result;
    }
    const ConvertResult& runLines(const QStringList& lines, const QByteArray& eol = "\r\n")
    {
        QByteArray bytes;
        for (const QString& line : lines)
            bytes += line.toUtf8() + eol;
        ConvertOptions options;
        options.keptLines = keptLines;
        return run(bytes, options);
    }
    int keptLines = ConvertResult::kSkippedKept;
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

// What stands at the database path at each line, as another program sees it; and,
// when told, a failure at one line, as a full disk would raise it.
class WatchingProgress : public RecordingProgress
{
public:
    QString db;
    QStringList seen;
    int failAtCall = 0;
    bool shouldStop(qint64 done) override
    {
        seen << (QFileInfo::exists(db)
                     ? sqlColumn(db, QStringLiteral("SELECT group_concat(fdName) FROM tbCnst")).value(0)
                     : QStringLiteral("-"));
        const bool cancel = RecordingProgress::shouldStop(done);
        if (failAtCall > 0 && positions.size() == failAtCall)
            throw DbError(DbFault::DiskFull, db);
        return cancel;
    }
};

// Entries of a folder, hidden ones included.
QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

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
    void indentedKeywordsOutsideBlocksAreReported();
    void indentedTypeEndLeavesBlockOpen();
    void typeEndOutsideBlockAdvancesNumber();
    void secondHeaderBeforeTypeEndSharesNumber();
    void linesBetweenBlocksAreReportedAndBelongToNoType();
    void scopedFormsAndEnumBlocksAreStoredAsWritten();
    void conditionalGroupsRecordWhereEachEntryStands();
    void aTypeNameMayRecurOnlyInAnotherBranch_data();
    void aTypeNameMayRecurOnlyInAnotherBranch();
    void groupsNestedTooDeepAreRefusedWithWhatTheyHold();
    void conditionalLinesOutOfTheirGroupAreReportedInLineOrder();
    void commentIsCutEvenInsideString();
    void blanksAreKeptButTypeNamesEndAtTheirLastCharacter();
    void keywordsMatchInAnyLetterCase();
    void namesRunToFirstDelimiter();
    void linesWithoutUsableNameAreListedAndRunGoesOn();
    void refusedTypeHeaderStillOpensBlock();
    void continuedLinesAreJudgedAsOneAndStoredAsWritten();
    void onlyFirstTwentySkippedLinesAreKeptButAllCounted();
    void linesUpTo64KiBAreStoredLongerOnesListed();
    void codePage932KeepsBackslashAndTrailBytes();
    void invalidBytesBecomeReplacementCharacters();
    void cancelAtFirstLineStoresNothing();
    void cancelMidFileKeepsLinesBefore();
    void cancelAtLastLineKeepsAllButLast();
    void cancelledRunSortsSoonerIntoTheSameBytes();
    void pathShowsTheOldDatabaseUntilTheNewOneIsWhole();
    void failureMidRunKeepsTheOldDatabaseAndEndsProgress();
    void cancelCountsTheFileLinesAsTheRunSplitsThem_data();
    void cancelCountsTheFileLinesAsTheRunSplitsThem();
    void textFileIsNeverConvertedOntoItself();
    void pathsWithJapaneseNamesWork();
};

void ConversionTest::eightLineFileStoresExactRows()
{
    Run c;
    const ConvertResult& r = c.runLines(kEightLineFile);
    QCOMPARE(c.rows("tbCnst"), QStringList{QStringLiteral("MAX_ITEM|Public Const MAX_ITEM = 16 ")});
    // The scoped declaration after the last type is a declaration, not a member of a type.
    QCOMPARE(c.rows("tbProc"),
             QStringList({"Reset|Declare Sub Reset Lib \"kernel32\" ()",
                          "Count|Public Declare Function Count Lib \"kernel32\" () As Long"}));
    QCOMPARE(c.rows("tbType"), QStringList{QStringLiteral("POINT2|Type POINT2|0")});
    QCOMPARE(c.rows("tbMenb"), QStringList({"    x As Long|0", "    y As Long|0"}));
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
    QCOMPARE(r.procedures, 2);
    QCOMPARE(r.types, 1);
    QCOMPARE(r.members, 2);
    QCOMPARE(r.skippedCount, 0);
    QVERIFY(!r.cancelled);
    QCOMPARE(integrityCheck(c.db), QStringLiteral("ok"));
}

void ConversionTest::positionEqualsFileLengthWhenEveryLineEndsWithCrLf()
{
    Run c;
    c.runLines({"Type A", "", "  x As Integer", "End Type", "' note"});
    QCOMPARE(c.progress.positions, positionsFor({6, 0, 14, 8, 6}));
    QCOMPARE(c.progress.positions.last(), QFileInfo(c.text).size());
}

void ConversionTest::positionCountsTwoForMissingOrSingleByteBreaks()
{
    {
        Run c;
        c.run("Type A\r\n  x\r\nEnd Type");
        QCOMPARE(c.progress.positions, positionsFor({6, 3, 8}));
        QCOMPARE(c.progress.positions.last(), c.progress.max + 2);
    }
    {
        Run c;
        c.run("Type A\r  x\rEnd Type\r");
        QCOMPARE(c.progress.positions, positionsFor({6, 3, 8}));
        QCOMPARE(c.progress.positions.last(), c.progress.max + 3);
    }
    {
        Run c;
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
        Run c;
        const ConvertResult& r = c.runLines(lines, eol);
        QCOMPARE(r.lines, 6);
        QCOMPARE(c.rows("tbCnst"), QStringList({"A|Public Const A = 1", "E|Public Const E = 2"}));
        QCOMPARE(c.rows("tbProc"), QStringList{QStringLiteral("B|Declare Sub B Lib \"k\" ()")});
        QCOMPARE(c.rows("tbType"), QStringList{QStringLiteral("C|Type C|0")});
        QCOMPARE(c.rows("tbMenb"), QStringList{QStringLiteral("  d As Long|0")});
    }
    // Mixed breaks; an empty line between LF and CR, none inside CR LF.
    Run c;
    const ConvertResult& r = c.run("Type T\n  a\r  b\r\n  c\n\r  d");
    QCOMPARE(r.lines, 6);
    QCOMPARE(c.rows("tbMenb"), QStringList({"  a|0", "  b|0", "  c|0", "  d|0"}));
}

void ConversionTest::crLfSplitAcrossReadsIsOneBreak()
{
    // Line lengths around the size of one read put CR and LF on either side of
    // a buffer edge somewhere in the sweep.
    for (int n = 65530; n <= 65536; ++n) {
        Run c;
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
    Run c;
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

void ConversionTest::indentedKeywordsOutsideBlocksAreReported()
{
    Run c;
    const ConvertResult& r = c.runLines({" Public Const A = 1", "\tDeclare Function F Lib \"k\" () As Long",
                                         "  Type T", " End Type", "Type U", "  Const B = 1", "End Type"});
    QCOMPARE(skippedTexts(r),
             QStringList({skipped(1, SkipReason::OutsideType, " Public Const A = 1"),
                          skipped(2, SkipReason::OutsideType, "\tDeclare Function F Lib \"k\" () As Long"),
                          skipped(3, SkipReason::OutsideType, "  Type T"),
                          skipped(4, SkipReason::OutsideType, " End Type")}));
    QCOMPARE(c.rows("tbCnst"), QStringList());
    QCOMPARE(c.rows("tbProc"), QStringList());
    QCOMPARE(c.rows("tbType"), QStringList{QStringLiteral("U|Type U|0")});
    QCOMPARE(c.rows("tbMenb"), QStringList{QStringLiteral("  Const B = 1|0")});
}

void ConversionTest::indentedTypeEndLeavesBlockOpen()
{
    Run c;
    c.runLines({"Type T", "  x As Long", "  End Type", "Public Const IN_BLOCK = 1",
                "Declare Sub S Lib \"k\" ()", "End Type", "Public Const OUT = 2"});
    QCOMPARE(c.rows("tbCnst"), QStringList{QStringLiteral("OUT|Public Const OUT = 2")});
    QCOMPARE(c.rows("tbProc"), QStringList());
    QCOMPARE(c.rows("tbMenb"), QStringList({"  x As Long|0", "  End Type|0", "Public Const IN_BLOCK = 1|0",
                                            "Declare Sub S Lib \"k\" ()|0"}));
}

void ConversionTest::typeEndOutsideBlockAdvancesNumber()
{
    Run c;
    c.runLines({"End Type", "END TYPE", "Type A", "  a", "End Type", "  stray", "end typed", "Type B",
                "End Type", "  after"});
    QCOMPARE(c.rows("tbType"), QStringList({"A|Type A|2", "B|Type B|4"}));
    QCOMPARE(c.rows("tbMenb"), QStringList{QStringLiteral("  a|2")});
}

void ConversionTest::secondHeaderBeforeTypeEndSharesNumber()
{
    Run c;
    c.runLines({"Type A", "  a1", "Type B", "  b1", "End Type", "Type C", "  c1", "End Type"});
    QCOMPARE(c.rows("tbType"), QStringList({"A|Type A|0", "B|Type B|0", "C|Type C|1"}));
    QCOMPARE(c.rows("tbMenb"), QStringList({"  a1|0", "  b1|0", "  c1|1"}));
}

void ConversionTest::linesBetweenBlocksAreReportedAndBelongToNoType()
{
    Run c;
    const ConvertResult& r = c.runLines({
        "Type FIRST",                                   // 1
        "End Type",                                     // 2
        "Option Explicit",                              // 3
        "Function LoWord(ByVal dw As Long) As Integer", // 4
        "    LoWord = dw And &HFFFF&",                  // 5
        "",                                             // 6
        "  \t ' blanks only, once the comment is cut",  // 7
        "End Function",                                 // 8
        "Type SECOND",                                  // 9
        "  s",                                          // 10
        "",                                             // 11
        "End Type",                                     // 12
        "Attribute VB_Name = \"Decl\"",                 // 13
    });
    QCOMPARE(skippedTexts(r),
             QStringList({skipped(3, SkipReason::OutsideType, "Option Explicit"),
                          skipped(4, SkipReason::OutsideType, "Function LoWord(ByVal dw As Long) As Integer"),
                          skipped(5, SkipReason::OutsideType, "    LoWord = dw And &HFFFF&"),
                          skipped(8, SkipReason::OutsideType, "End Function"),
                          skipped(13, SkipReason::OutsideType, "Attribute VB_Name = \"Decl\"")}));
    QCOMPARE(c.rows("tbType"), QStringList({"FIRST|Type FIRST|0", "SECOND|Type SECOND|1"}));
    QCOMPARE(c.rows("tbMenb"), QStringList{QStringLiteral("  s|1")});
    QCOMPARE(GetFull(*DeclStore::open(c.db), DeclKind::Type, QStringLiteral("SECOND")),
             QStringLiteral("Type SECOND\r\n  s\r\nEnd Type"));
}

void ConversionTest::scopedFormsAndEnumBlocksAreStoredAsWritten()
{
    Run c;
    const ConvertResult& r = c.runLines({"Private Const P_ONE = 1", "Global Const G_TWO As Long = 2",
                                         "public const HGDI_ERROR as LongPtr = -1",
                                         "Private Declare PtrSafe Sub InitCommonControls Lib \"comctl32\" ()",
                                         "Public Enum SID_NAME_USE", "    SidTypeUser = 1", "    End Type",
                                         "End Enum", "Private Type POINTAPI", "    x As Long", "    End Enum",
                                         "End Type", "Enum POINTAPI", "End Enum"});
    QCOMPARE(c.rows("tbCnst"),
             QStringList({"P_ONE|Private Const P_ONE = 1", "G_TWO|Global Const G_TWO As Long = 2",
                          "HGDI_ERROR|public const HGDI_ERROR as LongPtr = -1"}));
    QCOMPARE(c.rows("tbProc"), QStringList{QStringLiteral(
                                   "InitCommonControls|Private Declare PtrSafe Sub InitCommonControls Lib "
                                   "\"comctl32\" ()")});
    // Each block ends only at its own end line; types and enums share the names.
    QCOMPARE(c.rows("tbType"),
             QStringList({"SID_NAME_USE|Public Enum SID_NAME_USE|0", "POINTAPI|Private Type POINTAPI|1"}));
    QCOMPARE(c.rows("tbMenb"),
             QStringList({"    SidTypeUser = 1|0", "    End Type|0", "    x As Long|1", "    End Enum|1"}));
    QCOMPARE(skippedTexts(r), QStringList{skipped(13, SkipReason::DuplicateType, "Enum POINTAPI")});
    const std::unique_ptr<DeclStore> store = DeclStore::open(c.db);
    QCOMPARE(GetFull(*store, DeclKind::Type, QStringLiteral("sid_name_use")),
             QStringLiteral("Public Enum SID_NAME_USE\r\n    SidTypeUser = 1\r\n    End Type\r\nEnd Enum"));
    QCOMPARE(GetFull(*store, DeclKind::Constant, QStringLiteral("HGDI_ERROR")),
             QStringLiteral("public const HGDI_ERROR as LongPtr = -1"));
}

void ConversionTest::conditionalGroupsRecordWhereEachEntryStands()
{
    Run c;
    const ConvertResult& r = c.runLines({
        "Const TOP = 0",                      // outside
        "#If VBA7 Then",                      // 1
        "Const A = 1",                        // after 1
        "#If Win64 Then",                     // 2, in branch 1
        "Declare PtrSafe Sub S Lib \"k\" ()", // after 2
        "#Else",                              // 3
        "Type T",                             // after 3
        "#If Win64 Then",                     // a member line
        "End Type",                           //
        "#End If",                            // 4
        "Const B = 2",                        // after 4, still in branch 1
        "#Else ' comment cut",                // 5
        "Declare Sub S Lib \"k\" ()",         // after 5
        "#End If",                            // 6
        "Const BOTTOM = 3",                   // outside
    });
    QCOMPARE(r.skippedCount, 0);
    QCOMPARE(r.conditionals, 6);
    QCOMPARE(r.groups, 2);
    QCOMPARE(
        rowTexts(c.db, QStringLiteral("SELECT fdID, fdGroup, fdParent, fdFull FROM tbCond ORDER BY fdID")),
        QStringList({"1|1|0|#If VBA7 Then", "2|2|1|#If Win64 Then", "3|2|1|#Else", "4|2|1|#End If",
                     "5|1|0|#Else ", "6|1|0|#End If"}));
    QCOMPARE(rowTexts(c.db, QStringLiteral("SELECT fdName, fdCond FROM tbCnst ORDER BY fdID")),
             QStringList({"TOP|0", "A|1", "B|4", "BOTTOM|0"}));
    QCOMPARE(rowTexts(c.db, QStringLiteral("SELECT fdName, fdCond FROM tbProc ORDER BY fdID")),
             QStringList({"S|2", "S|5"}));
    QCOMPARE(rowTexts(c.db, QStringLiteral("SELECT fdName, fdCond, fdTypeID FROM tbType")),
             QStringList{QStringLiteral("T|3|0")});
    QCOMPARE(c.rows("tbMenb"), QStringList{QStringLiteral("#If Win64 Then|0")});
}

void ConversionTest::aTypeNameMayRecurOnlyInAnotherBranch_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QList<qint64>>("refusedAt");
    const QStringList ifWin64 = {"#If Win64 Then", "Type CONTEXT", "End Type"};
    QTest::newRow("one per branch, three branches")
        << QStringList({"#If Win64 Then", "Type CONTEXT", "End Type", "#ElseIf Win32 Then", "type context",
                        "End Type", "#Else", "Enum Context", "End Enum", "#End If"})
        << QStringList({"CONTEXT|1", "context|2", "Context|3"}) << QList<qint64>();
    QTest::newRow("twice in one branch")
        << QStringList({"#If Win64 Then", "Type CONTEXT", "End Type", "Type CONTEXT", "End Type", "#End If"})
        << QStringList({"CONTEXT|1"}) << QList<qint64>({4});
    QTest::newRow("in separate groups")
        << QStringList({"#If Win64 Then", "Type CONTEXT", "End Type", "#End If", "#If Win64 Then",
                        "Type CONTEXT", "End Type", "#Else", "#End If"})
        << QStringList({"CONTEXT|1"}) << QList<qint64>({6});
    QTest::newRow("outside and inside a group")
        << QStringList({"Type CONTEXT", "End Type", "#If Win64 Then", "Type CONTEXT", "End Type", "#End If"})
        << QStringList({"CONTEXT|0"}) << QList<qint64>({4});
    // A nested group in one branch against the other branch of the outer group.
    QTest::newRow("nested branches and the outer other branch")
        << QStringList({"#If VBA7 Then", "#If Win64 Then", "Type CONTEXT", "End Type", "#Else",
                        "Type CONTEXT", "End Type", "#End If", "#Else", "Type CONTEXT", "End Type",
                        "#End If"})
        << QStringList({"CONTEXT|2", "CONTEXT|3", "CONTEXT|5"}) << QList<qint64>();
    QTest::newRow("after a nested group, in the branch that holds it")
        << QStringList({"#If VBA7 Then", "#If Win64 Then", "Type CONTEXT", "End Type", "#End If",
                        "Type CONTEXT", "End Type", "#End If"})
        << QStringList({"CONTEXT|2"}) << QList<qint64>({6});
    QTest::newRow("in a group inside the branch that holds one")
        << QStringList({"#If VBA7 Then", "Type CONTEXT", "End Type", "#If Win64 Then", "Type CONTEXT",
                        "End Type", "#End If", "#End If"})
        << QStringList({"CONTEXT|1"}) << QList<qint64>({5});
    QTest::newRow("in a group inside the other branch")
        << QStringList({"#If VBA7 Then", "Type CONTEXT", "End Type", "#Else", "#If Win64 Then",
                        "Type CONTEXT", "End Type", "#End If", "#End If"})
        << QStringList({"CONTEXT|1", "CONTEXT|3"}) << QList<qint64>();
    QTest::newRow("one per branch of many, then after the group")
        << QStringList({"#If A Then", "Type X", "End Type", "#ElseIf B Then", "Type X", "End Type",
                        "#ElseIf C Then", "Type X", "End Type", "#ElseIf D Then", "Type X", "End Type",
                        "#End If", "Type X", "End Type", "#If E Then", "Type X", "End Type", "#End If"})
        << QStringList({"X|1", "X|2", "X|3", "X|4"}) << QList<qint64>({14, 17});
}

void ConversionTest::aTypeNameMayRecurOnlyInAnotherBranch()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, stored);
    QFETCH(QList<qint64>, refusedAt);
    Run c;
    const ConvertResult& r = c.runLines(lines);
    QCOMPARE(rowTexts(c.db, QStringLiteral("SELECT fdName, fdCond FROM tbType ORDER BY rowid")), stored);
    QList<qint64> refused;
    for (const SkippedLine& s : r.skipped) {
        QCOMPARE(s.reason, SkipReason::DuplicateType);
        refused << s.lineNumber;
    }
    QCOMPARE(refused, refusedAt);
    QCOMPARE(integrityCheck(c.db), QStringLiteral("ok"));
}

// A crafted text cannot make the groups' stack grow without end: a group deeper than
// any real file is refused with everything in it, and those outside it are kept.
void ConversionTest::groupsNestedTooDeepAreRefusedWithWhatTheyHold()
{
    const int depth = int(ConditionalGroups::kMaxDepth);
    QStringList lines;
    for (int i = 0; i <= depth; ++i)
        lines << QStringLiteral("#If L%1 Then").arg(i);
    lines << "Const DEEP = 1"
          << "Type T"
          << "#End If"
          << "End Type"
          << "#Else";
    for (int i = 0; i <= depth; ++i)
        lines << "#End If";
    lines << "Const AFTER = 2";
    Run c;
    const ConvertResult& r = c.runLines(lines);
    QList<qint64> deep;
    for (const SkippedLine& s : r.skipped) {
        QCOMPARE(s.reason, SkipReason::TooDeep);
        deep << s.lineNumber;
    }
    const qint64 first = depth + 1;
    // The #If past the limit, the lines it holds (the #End If inside the type is a
    // member line there, as everywhere), its #Else and its #End If.
    QCOMPARE(deep, QList<qint64>({first, first + 1, first + 2, first + 3, first + 4, first + 5, first + 6}));
    QCOMPARE(r.groups, qint64(depth));
    QCOMPARE(rowTexts(c.db, QStringLiteral("SELECT fdName, fdCond FROM tbCnst ORDER BY fdID")),
             QStringList({QStringLiteral("AFTER|0")}));
    QCOMPARE(rowTexts(c.db, QStringLiteral("SELECT count(*) FROM tbCond")),
             QStringList{QString::number(2 * depth)});
}

void ConversionTest::conditionalLinesOutOfTheirGroupAreReportedInLineOrder()
{
    QStringList lines = {
        "#End If",        // 1: nothing open
        "#If A Then",     // 2: never closed
        "#If B Then",     // 3: closed
        "#Else",          // 4
        "#ElseIf C Then", // 5: after #Else
        "#Else",          // 6: after #Else
        "#End If",        // 7
        "#If D Then",     // 8: never closed
        "Const X = 1",    // 9
    };
    for (int i = 0; i < 18; ++i)
        lines << QStringLiteral("#Else If %1").arg(i); // lines 10 to 27, of no known shape
    Run c;
    c.keptLines = 20;
    const ConvertResult& r = c.runLines(lines);
    // The unclosed #If lines are known only at the end, and still take their places
    // among the first lines reported.
    QCOMPARE(r.skippedCount, 23);
    QCOMPARE(r.skipped.size(), 20);
    QCOMPARE(skippedTexts(r).mid(0, 6), QStringList({skipped(1, SkipReason::NoOpenIf, "#End If"),
                                                     skipped(2, SkipReason::IfNotClosed, "#If A Then"),
                                                     skipped(5, SkipReason::AfterElse, "#ElseIf C Then"),
                                                     skipped(6, SkipReason::AfterElse, "#Else"),
                                                     skipped(8, SkipReason::IfNotClosed, "#If D Then"),
                                                     skipped(10, SkipReason::OutsideType, "#Else If 0")}));
    QCOMPARE(r.skipped.last().lineNumber, 24);
    // The groups stand, unclosed ones too.
    QCOMPARE(sqlColumn(c.db, QStringLiteral("SELECT fdFull FROM tbCond ORDER BY fdID")),
             QStringList({"#If A Then", "#If B Then", "#Else", "#End If", "#If D Then"}));
    QCOMPARE(rowTexts(c.db, QStringLiteral("SELECT fdName, fdCond FROM tbCnst")),
             QStringList{QStringLiteral("X|5")});
}

void ConversionTest::commentIsCutEvenInsideString()
{
    Run c;
    c.runLines({"Public Const APOS = \"it's\"", "Declare Function F Lib \"it's\" () As Long",
                "Declare Function G Lib \"k\" (ByVal s As String) As Long ' ok", "'Public Const HIDDEN = 1"});
    QCOMPARE(c.rows("tbCnst"), QStringList{QStringLiteral("APOS|Public Const APOS = \"it")});
    QCOMPARE(c.rows("tbProc"), QStringList({"F|Declare Function F Lib \"it",
                                            "G|Declare Function G Lib \"k\" (ByVal s As String) As Long "}));
    QCOMPARE(c.rows("tbMenb"), QStringList());
}

void ConversionTest::blanksAreKeptButTypeNamesEndAtTheirLastCharacter()
{
    Run c;
    c.runLines({"Type  SPACED   ' two blanks before, three after", "   ", "  ' only a comment, indented", "",
                "End Type", "Public Const TRAIL = 1   ", "Type TAB\t", "End Type"});
    // The header line keeps its blanks; the name loses those a cut-off comment left.
    QCOMPARE(c.rows("tbType"), QStringList({" SPACED|Type  SPACED   |0", "TAB|Type TAB\t|1"}));
    QCOMPARE(c.rows("tbMenb"), QStringList({"   |0", "  |0"}));
    QCOMPARE(c.rows("tbCnst"), QStringList{QStringLiteral("TRAIL|Public Const TRAIL = 1   ")});
}

void ConversionTest::keywordsMatchInAnyLetterCase()
{
    Run c;
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
    Run c;
    c.runLines({"Public Const X As Long = 1", "Public Const A=1 = 2", "Public Const B = C = 3",
                "Declare Function LibMain Lib \"k\" () As Long", "Declare Sub Go Lib \"k\" Alias \"Lib \" ()",
                "Declare Function Odd(x) Lib \"k\" () As Long"});
    QCOMPARE(sqlColumn(c.db, QStringLiteral("SELECT fdName FROM tbCnst ORDER BY fdID")),
             QStringList({"X", "A=1", "B"}));
    QCOMPARE(sqlColumn(c.db, QStringLiteral("SELECT fdName FROM tbProc ORDER BY fdID")),
             QStringList({"LibMain", "Go", "Odd(x)"}));
}

void ConversionTest::linesWithoutUsableNameAreListedAndRunGoesOn()
{
    Run c;
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
    // The nameless header opened its block: its member is not taken for a statement,
    // and goes with it.
    QCOMPARE(c.rows("tbMenb"), QStringList());
    QCOMPARE(r.skipped[9].membersNotStored, 1);
    QCOMPARE(r.lines, 14);
    QCOMPARE(c.progress.terms, 1);
}

void ConversionTest::refusedTypeHeaderStillOpensBlock()
{
    Run c;
    const ConvertResult& r =
        c.runLines({"Type RECT", "  a As Long", "End Type", "type Rect", "  b As Long",
                    "Public Const INSIDE = 1", "End Type", "Type NEXT_T", "  c As Long", "End Type"});
    QCOMPARE(skippedTexts(r), QStringList{skipped(4, SkipReason::DuplicateType, "type Rect")});
    // The report names the type kept and the members that went with the refused one.
    QCOMPARE(r.skipped[0].firstTypeLine, 1);
    QCOMPARE(r.skipped[0].membersNotStored, 2);
    QCOMPARE(r.membersNotStored, 2);
    QCOMPARE(r.refusedCount, 1);
    QCOMPARE(c.rows("tbType"), QStringList({"RECT|Type RECT|0", "NEXT_T|Type NEXT_T|2"}));
    QCOMPARE(c.rows("tbMenb"), QStringList({"  a As Long|0", "  c As Long|2"}));
    QCOMPARE(c.rows("tbCnst"), QStringList());
    QCOMPARE(r.members, 2);

    QCOMPARE(GetFull(*DeclStore::open(c.db), DeclKind::Type, QStringLiteral("rect")),
             QStringLiteral("Type RECT\r\n  a As Long\r\nEnd Type"));

    // A refused block that the file never closes counts its members all the same; a
    // second header inside it ends the count for the first.
    Run open;
    const ConvertResult& o = open.runLines({"Type A", "End Type", "Type a", "  x As Long", "Type B",
                                            "  y As Long", "End Type", "Enum a", "  One", "  Two"});
    QCOMPARE(skippedTexts(o), QStringList({skipped(3, SkipReason::DuplicateType, "Type a"),
                                           skipped(8, SkipReason::DuplicateType, "Enum a")}));
    QCOMPARE(o.skipped[0].membersNotStored, 1);
    QCOMPARE(o.skipped[1].firstTypeLine, 1);
    QCOMPARE(o.skipped[1].membersNotStored, 2);
    QCOMPARE(open.rows("tbMenb"), QStringList{"  y As Long|1"});
}

void ConversionTest::continuedLinesAreJudgedAsOneAndStoredAsWritten()
{
    const QString big(40000, u'b');
    Run c;
    const ConvertResult& r = c.runLines({
        "Declare Function GetClassLong Lib \"user32\" Alias \"GetClassLongA\" _", // 1
        "    (ByVal hwnd As Long, ByVal nIndex As Long) As Long",                 // 2
        "Public Const WM_USER_FIRST = _",                                         // 3
        "    &H400",                                                              // 4
        "Declare Function SendMessage _",                                         // 5
        "  Lib \"user32\" Alias \"SendMessageA\" (ByVal hwnd As Long, _",         // 6
        "\tByVal lParam As Any) As Long",                                         // 7
        "Type POINTAPI",                                                          // 8
        "    x As _",                                                             // 9
        "        Long",                                                           // 10
        "    y As Long",                                                          // 11
        "End Type",                                                               // 12
        "Declare Sub Sleep Lib \"kernel32\" _ ' the milliseconds follow",         // 13
        "    (ByVal dwMilliseconds As Long)",                                     // 14
        "' a remark that ends like one _",                                        // 15
        "Public Const AFTER_REMARK = 1",                                          // 16
        "Declare Function GetCursorPos Lib \"user32\" (lpPoint As _",             // 17
        "    POINTAPI) As Long",                                                  // 18
        "Public Const BIG = \"" + big + "\" & _",                                 // 19
        "    \"" + big + "\"",                                                    // 20
        "Public Const no_underscore_mark = 1_",                                   // 21
        "Declare Sub ExitProcess Lib \"kernel32\" _",                             // 22
    });
    QCOMPARE(r.lines, 22);
    QCOMPARE(
        sqlColumn(c.db, QStringLiteral("SELECT fdName || '|' || fdFull FROM tbProc ORDER BY fdID")),
        QStringList({
            "GetClassLong|Declare Function GetClassLong Lib \"user32\" Alias \"GetClassLongA\" _\r\n"
            "    (ByVal hwnd As Long, ByVal nIndex As Long) As Long",
            "SendMessage|Declare Function SendMessage _\r\n  Lib \"user32\" Alias \"SendMessageA\" (ByVal "
            "hwnd As Long, _\r\n\tByVal lParam As Any) As Long",
            "Sleep|Declare Sub Sleep Lib \"kernel32\" _ \r\n    (ByVal dwMilliseconds As Long)",
            "GetCursorPos|Declare Function GetCursorPos Lib \"user32\" (lpPoint As _\r\n    POINTAPI) As "
            "Long",
        }));
    QCOMPARE(sqlColumn(c.db, QStringLiteral("SELECT fdName || '|' || fdFull FROM tbCnst ORDER BY fdID")),
             QStringList({"WM_USER_FIRST|Public Const WM_USER_FIRST = _\r\n    &H400",
                          "AFTER_REMARK|Public Const "
                          "AFTER_REMARK = 1",
                          "no_underscore_mark|Public Const no_underscore_mark = 1_"}));
    // A continued member is one member; the whole statement past 64 KB is listed at
    // its first line, and a continuation into nothing at the end.
    QCOMPARE(c.rows("tbMenb"), QStringList({"    x As _\r\n        Long|0", "    y As Long|0"}));
    QCOMPARE(r.members, 2);
    QCOMPARE(
        skippedTexts(r),
        QStringList({skipped(19, SkipReason::TooLong, ("Public Const BIG = \"" + big).left(200)),
                     skipped(22, SkipReason::ContinuedAtEnd, "Declare Sub ExitProcess Lib \"kernel32\" ")}));

    // The copy gives the lines as written; the uses are read across the marks.
    const std::unique_ptr<DeclStore> store = DeclStore::open(c.db);
    QCOMPARE(GetFull(*store, DeclKind::Type, QStringLiteral("POINTAPI")),
             QStringLiteral("Type POINTAPI\r\n    x As _\r\n        Long\r\n    y As Long\r\nEnd Type"));
    QCOMPARE(
        assembleCopy(store.get(), DeclKind::Procedure, {QStringLiteral("GetCursorPos")},
                     CopyOptions{true, CopyScope::Private}, CopyEnd::NoFinalBreak),
        QStringLiteral("Private Type POINTAPI\r\n    x As _\r\n        Long\r\n    y As Long\r\nEnd "
                       "Type\r\nPrivate Declare Function GetCursorPos Lib \"user32\" (lpPoint As _\r\n    "
                       "POINTAPI) As Long"));
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
    Run c;
    c.keptLines = 20;
    const ConvertResult& r = c.runLines(lines);
    QCOMPARE(r.skippedCount, 25);
    QCOMPARE(r.skipped.size(), 20);
    // Without a limit of the test's every line is kept for the report.
    Run all;
    QCOMPARE(all.runLines(lines).skipped.size(), 25);
    for (int i = 0; i < 20; ++i) {
        QCOMPARE(r.skipped[i].lineNumber, badLines[i]);
        QCOMPARE(r.skipped[i].text, QStringLiteral("Public Const BAD_%1").arg(i));
    }
    QCOMPARE(r.constants, 25);
    QCOMPARE(c.rows("tbCnst").size(), 25);
}

void ConversionTest::linesUpTo64KiBAreStoredLongerOnesListed()
{
    // Longer than 16 bits can count, and up to the 64 KiB a line may have; a longer
    // line is listed, its comment cut first, and the progress counts it whole.
    const QString longName(60000, u'N');
    const QString longType(40000, u'T');
    const QString longMember = QStringLiteral("  ") + QString(65534, u'm');
    const QString tooLong = QStringLiteral("  ") + QString(65535, u'x');
    const QString cutInTime = QStringLiteral("Public Const SHORT = 3 '") + QString(70000, u'c');
    Run c;
    const ConvertResult& r =
        c.runLines({QStringLiteral("Public Const ") + longName + QStringLiteral(" = 1"),
                    QStringLiteral("Type ") + longType, longMember, tooLong, QStringLiteral("End Type"),
                    QStringLiteral("Public Const AFTER = 2"), cutInTime});
    QCOMPARE(skippedTexts(r), QStringList{skipped(4, SkipReason::TooLong, tooLong.left(200))});
    QVERIFY(r.skipped[0].cut);
    QCOMPARE(sqlColumn(c.db, QStringLiteral("SELECT fdName FROM tbCnst ORDER BY fdID")),
             QStringList({longName, QStringLiteral("AFTER"), QStringLiteral("SHORT")}));
    QCOMPARE(sqlColumn(c.db, QStringLiteral("SELECT fdName FROM tbType")), QStringList{longType});
    QCOMPARE(sqlColumn(c.db, QStringLiteral("SELECT fdFull FROM tbMenb")), QStringList{longMember});
    QCOMPARE(c.progress.positions, positionsFor({60017, 40005, 65536, 65537, 8, 22, 70024}));
    // What was stored reads back whole.
    QCOMPARE(GetFull(*DeclStore::open(c.db), DeclKind::Type, longType).size(), 40005 + 2 + 65536 + 2 + 8);
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
    Run c;
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
    Run c;
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
    Run c;
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
    {
        Run c;
        c.progress.cancelAtCall = 4;
        const ConvertResult& r = c.runLines(lines);
        QVERIFY(r.cancelled);
        QCOMPARE(r.lines, 4);
        QCOMPARE(r.totalLines, 6);
        QCOMPARE(c.progress.positions.size(), 4);
        QCOMPARE(c.progress.terms, 1);
        QCOMPARE(c.rows("tbCnst"), QStringList{QStringLiteral("A|Public Const A = 1")});
        QCOMPARE(c.rows("tbType"), QStringList{QStringLiteral("T|Type T|0")});
        QCOMPARE(c.rows("tbMenb"), QStringList{QStringLiteral("  x As Long|0")});
        QCOMPARE(c.rows("tbProc"), QStringList());
        QCOMPARE(integrityCheck(c.db), QStringLiteral("ok"));
    }
}

void ConversionTest::cancelledRunSortsSoonerIntoTheSameBytes()
{
    // Names enough for the sort after a cancel to go through its pieces, in an order
    // far from theirs, of every kind that has an index.
    QStringList lines;
    for (int i = 0; i < 30000; ++i) {
        const int key = (i * 7919) % 30000;
        lines
            << QStringLiteral("Public Const LONG_CONSTANT_NAME_%1_FOR_THE_SORT = %2").arg(key).arg(i)
            << QStringLiteral("Declare Function LongFunctionName%1ForTheSort Lib \"k\" () As Long").arg(key);
        if (i % 10 == 0)
            lines << QStringLiteral("Type T%1").arg(key) << QStringLiteral("    x As Long")
                  << QStringLiteral("End Type");
    }
    QTemporaryDir dir;
    const QString whole = dir.filePath(QStringLiteral("whole.txt"));
    const QString head = dir.filePath(QStringLiteral("head.txt"));
    const qsizetype kept = lines.size() * 2 / 3;
    writeCp932(whole, lines);
    writeCp932(head, lines.mid(0, kept));
    RecordingProgress cancelling;
    cancelling.cancelAtCall = int(kept) + 1;
    const QString cancelled = dir.filePath(QStringLiteral("cancelled.mdb"));
    QVERIFY(Conversion(whole, cancelled).run(cancelling).cancelled);
    RecordingProgress plain;
    const QString converted = dir.filePath(QStringLiteral("converted.mdb"));
    QVERIFY(!Conversion(head, converted).run(plain).cancelled);
    const QByteArray a = readBytes(cancelled);
    QVERIFY(a.size() > 1024 * 1024);
    QVERIFY(a == readBytes(converted));
}

void ConversionTest::cancelAtLastLineKeepsAllButLast()
{
    Run c;
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
    Run whole;
    const qint64 lines = whole.run(bytes).lines;
    QCOMPARE(whole.result.totalLines, -1);
    for (int at = 1; at <= lines; ++at) {
        Run c;
        c.progress.cancelAtCall = at;
        const ConvertResult& r = c.run(bytes);
        QVERIFY(r.cancelled);
        QCOMPARE(r.lines, at);
        QCOMPARE(r.totalLines, lines);
    }
}

void ConversionTest::pathShowsTheOldDatabaseUntilTheNewOneIsWhole()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("decl.txt"));
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    writeCp932(text, {"Public Const OLD = 1"});
    WatchingProgress first;
    first.db = db;
    convertFile(text, db, first);
    // Nothing stood at the path while the first database was made.
    QCOMPARE(first.seen, QStringList{QStringLiteral("-")});

    writeCp932(text, {"Public Const A = 1", "' comment", "Public Const B = 2", "Public Const C = 3"});
    WatchingProgress second;
    second.db = db;
    convertFile(text, db, second);
    QCOMPARE(second.seen, QStringList(4, QStringLiteral("OLD")));
    QCOMPARE(sqlColumn(db, QStringLiteral("SELECT group_concat(fdName) FROM tbCnst")), QStringList{"A,B,C"});
    QCOMPARE(filesIn(dir.path()), QStringList({"decl.txt", "t.mdb"}));
}

void ConversionTest::failureMidRunKeepsTheOldDatabaseAndEndsProgress()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("decl.txt"));
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    writeCp932(text, {"Public Const OLD = 1"});
    RecordingProgress once;
    convertFile(text, db, once);
    const QByteArray before = readBytes(db);
    writeCp932(text, {"Public Const A = 1", "Type T", "  x As Long", "End Type"});
    WatchingProgress progress;
    progress.db = db;
    progress.failAtCall = 3;
    Conversion conversion(text, db);
    const std::optional<DbError> e = dbErrorOf([&] { conversion.run(progress); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::DiskFull);
    QVERIFY(e->previousKept());
    QCOMPARE(progress.inits, 1);
    QCOMPARE(progress.terms, 1);
    QCOMPARE(readBytes(db), before);
    QCOMPARE(filesIn(dir.path()), QStringList({"decl.txt", "t.mdb"}));
}

void ConversionTest::textFileIsNeverConvertedOntoItself()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("decl.txt"));
    const QString link = dir.filePath(QStringLiteral("link.mdb"));
    writeCp932(text, {"Public Const A = 1"});
    QStringList targets{text};
    // Where QFile::link makes a shortcut, not a link, there is no link to follow.
    if (posixFiles()) {
        QVERIFY(QFile::link(text, link));
        targets << link;
    }
    for (const QString& target : targets) {
        RecordingProgress progress;
        const std::optional<DbError> e = dbErrorOf([&] { convertFile(text, target, progress); });
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
    RecordingProgress progress;
    QCOMPARE(convertFile(text, db, progress).constants, 1);
    QCOMPARE(tableRows(db, QStringLiteral("tbCnst")), QStringList{QStringLiteral("A|Public Const A = 1")});
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), QStringList({"データ.mdb", "定数.txt"}));
}

QTEST_GUILESS_MAIN(ConversionTest)
#include "conversion_test.moc"
