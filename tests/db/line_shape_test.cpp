// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conversion.h"
#include "database.h"
#include "db_checks.h"
#include "get_full.h"
#include "line_shape.h"
#include "make_db.h"
#include "recordset.h"
#include "test_data.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(LineKind)
Q_DECLARE_METATYPE(std::optional<SkipReason>)

namespace {

// The name a shape cuts out of its line, or how it refuses the line.
QString outcome(const QString& line, bool inBlock)
{
    const LineShape s = classifyLine(line, inBlock);
    if (s.refused)
        return QStringLiteral("refused %1").arg(int(*s.refused));
    return QStringLiteral("[%1]").arg(line.mid(s.nameStart, s.nameLength));
}

QString refused(SkipReason reason)
{
    return QStringLiteral("refused %1").arg(int(reason));
}

} // namespace

class LineShapeTest : public QObject
{
    Q_OBJECT
private slots:
    void everyShapeAndItsMalformedVariants_data();
    void everyShapeAndItsMalformedVariants();
    void sample64ConvertsWithoutRefusals();
    void missingCodePageClosesEverything();
};

void LineShapeTest::everyShapeAndItsMalformedVariants_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("inBlock");
    QTest::addColumn<LineKind>("kind");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* tag, const char* line, bool inBlock, LineKind kind,
                        const QString& expected) {
        QTest::newRow(tag) << QString::fromUtf8(line) << inBlock << kind << expected;
    };
    using K = LineKind;
    row("public const", "Public Const MAX_PATH = 260", false, K::Constant, "[MAX_PATH]");
    row("public const typed", "public const X As Long = 1", false, K::Constant, "[X As Long]");
    row("bare const", "Const ANYSIZE_ARRAY = 1", false, K::Constant, "[ANYSIZE_ARRAY]");
    row("bare const lower case", "const wm_null = &H0", false, K::Constant, "[wm_null]");
    row("bare const without =", "Const NO_VALUE", false, K::Constant, refused(SkipReason::NoConstDelimiter));
    row("bare const = too early", "Const = 1", false, K::Constant, refused(SkipReason::NoConstDelimiter));
    row("bare const empty name", "Const  = 1", false, K::Constant, refused(SkipReason::EmptyName));
    row("bare const in block", "Const A = 1", true, K::Member, "[]");
    row("constant word alone", "Constant = 1", false, K::Member, "[]");
    row("declare function", "Declare Function GetTickCount Lib \"kernel32\" () As Long", false, K::Procedure,
        "[GetTickCount]");
    row("declare sub", "Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)", false, K::Procedure,
        "[Sleep]");
    row("ptrsafe function", "Declare PtrSafe Function GetMessage Lib \"user32\" Alias \"GetMessageA\" ()",
        false, K::Procedure, "[GetMessage]");
    row("ptrsafe sub any case", "DECLARE ptrsafe SUB CopyMemory lib \"kernel32\" ()", false, K::Procedure,
        "[CopyMemory]");
    row("ptrsafe without lib", "Declare PtrSafe Function F (x As Long)", false, K::Procedure,
        refused(SkipReason::NoLibDelimiter));
    row("ptrsafe empty name", "Declare PtrSafe Sub  Lib \"k\" ()", false, K::Procedure,
        refused(SkipReason::EmptyName));
    row("ptrsafe property", "Declare PtrSafe Property Get X Lib \"k\" ()", false, K::Procedure,
        refused(SkipReason::NoProcKeyword));
    row("ptrsafe twice blank", "Declare PtrSafe  Function F Lib \"k\" ()", false, K::Procedure,
        refused(SkipReason::NoProcKeyword));
    row("ptrsafe in block", "Declare PtrSafe Sub S Lib \"k\" ()", true, K::Member, "[]");
    row("public declare stays a member", "Public Declare PtrSafe Function F Lib \"k\" ()", false, K::Member,
        "[]");
    row("private const stays a member", "Private Const P = 1", false, K::Member, "[]");
    row("conditional compilation", "#If Win64 Then", false, K::Member, "[]");
    row("type with comment blanks", "Type BITMAPINFOHEADER \t ", false, K::TypeHeader, "[BITMAPINFOHEADER]");
    row("type two blanks", "Type  SPACED ", false, K::TypeHeader, "[ SPACED]");
    row("type blanks only", "Type  \t ", false, K::TypeHeader, refused(SkipReason::EmptyName));
    row("type alone", "Type ", false, K::TypeHeader, refused(SkipReason::EmptyName));
    row("type in block", "type Inner", true, K::TypeHeader, "[Inner]");
    row("end type in block", "End Type", true, K::TypeEnd, "[]");
    row("end type outside", "end type", false, K::TypeEnd, "[]");
    row("indented end type", "  End Type", true, K::Member, "[]");
}

void LineShapeTest::everyShapeAndItsMalformedVariants()
{
    QFETCH(QString, line);
    QFETCH(bool, inBlock);
    QFETCH(LineKind, kind);
    QFETCH(QString, expected);
    QCOMPARE(classifyLine(line, inBlock).kind, kind);
    QCOMPARE(outcome(line, inBlock), expected);
}

void LineShapeTest::sample64ConvertsWithoutRefusals()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("s64.mdb"));
    RecordingProgress progress;
    const ConvertResult r =
        Conversion(QStringLiteral(EK_SOURCE_DIR "/samples/winapi64.txt"), db).run(progress);
    QCOMPARE(r.skippedCount, 0);
    QCOMPARE(r.lines, 137);
    QCOMPARE(r.constants, 25);
    QCOMPARE(r.procedures, 25);
    QCOMPARE(r.types, 9);
    QCOMPARE(r.members, 50);
    QCOMPARE(rowTexts(db, QStringLiteral("SELECT fdName FROM tbType ORDER BY rowid")),
             QStringList({"RECT", "POINTAPI", "MSG", "FILETIME", "WIN32_FIND_DATA", "SID_AND_ATTRIBUTES",
                          "TOKEN_GROUPS", "SYSTEMTIME", "BITMAPINFOHEADER"}));
    const QStringList constants = rowTexts(db, QStringLiteral("SELECT fdName FROM tbCnst ORDER BY fdID"));
    QCOMPARE(constants.mid(0, 3), QStringList({"WM_NULL", "WM_CLOSE", "WM_QUIT"}));
    QCOMPARE(constants.last(), QStringLiteral("SE_SHUTDOWN_NAME"));
    QVERIFY(constants.contains(QStringLiteral("STANDARD_RIGHTS_READ")));
    QCOMPARE(
        rowTexts(db, QStringLiteral("SELECT fdName FROM tbProc WHERE fdFull LIKE '%Sub %' ORDER BY fdID")),
        QStringList({"Sleep", "CopyMemory", "GetLocalTime", "ExitProcess"}));
    // The two branches of the conditional block are both stored; its three
    // directives follow the last type and belong to none.
    QCOMPARE(rowTexts(db, QStringLiteral("SELECT count(*) FROM tbProc WHERE fdName = 'GetWindowLongPtr'")),
             QStringList{QStringLiteral("2")});
    QCOMPARE(rowTexts(db, QStringLiteral("SELECT fdFull, fdTypeID FROM tbMenb WHERE fdFull LIKE '#%'")),
             QStringList({"#If Win64 Then|9", "#Else|9", "#End If|9"}));

    std::shared_ptr<Database> browse = Database::OpenDatabase(db, Database::Access::ReadOnly);
    std::unique_ptr<Recordset> types = browse->OpenRecordset(QStringLiteral("tbType"));
    types->setIndex(QStringLiteral("ixName"));
    QCOMPARE(
        GetFull(*types, *browse, kKindType, QStringLiteral("msg")),
        QStringLiteral("Type MSG \r\n    hwnd As LongPtr\r\n    message As Long\r\n    wParam As LongPtr\r\n"
                       "    lParam As LongPtr\r\n    time As Long\r\n    pt As POINTAPI\r\nEnd Type"));
    // A header followed by a comment is found by its name in any letter case.
    for (const char* name : {"BITMAPINFOHEADER", "BitmapInfoHeader"}) {
        types->Seek(QStringLiteral("="), QString::fromLatin1(name));
        QVERIFY(!types->NoMatch());
        QCOMPARE(types->Fields(QStringLiteral("fdFull")).toString(),
                 QStringLiteral("Type BITMAPINFOHEADER "));
    }
}

void LineShapeTest::missingCodePageClosesEverything()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("decl.txt"));
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    writeCp932(text, {"Const A = 1"});
    ConvertOptions options;
    options.codePage = "NO-SUCH-CODE-PAGE";
    RecordingProgress progress;
    const std::optional<DbError> e = dbErrorOf([&] { Conversion(text, db, options).run(progress); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::NoCodePage);
    QCOMPARE(e->number(), 51);
    QCOMPARE(e->path(), text);
    QCOMPARE(progress.inits, progress.terms);
    // The database the run made is closed again: another connection may write it.
    QVERIFY(!Database::isLockedByOther(db));
    QCOMPARE(rowTexts(db, QStringLiteral("SELECT count(*) FROM tbCnst")), QStringList{QStringLiteral("0")});
}

QTEST_GUILESS_MAIN(LineShapeTest)
#include "line_shape_test.moc"
