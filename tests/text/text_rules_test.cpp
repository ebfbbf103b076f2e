// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "cp932.h"
#include "decl_uses.h"
#include "line_reader.h"
#include "line_shape.h"
#include "scope.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QtTest>

Q_DECLARE_METATYPE(LineKind)
Q_DECLARE_METATYPE(OpenBlock)

namespace {

const char* const kConditionalWords[] = {"If", "ElseIf", "Else", "EndIf"};

// What a shape makes of its line: the name it cuts out and the block it opens, the
// conditional line it is, or how it refuses the line.
template <class View, class Slice> QString outcomeOf(View line, OpenBlock block, Slice slice)
{
    const LineShape s = classifyLine(line, block);
    if (s.refused)
        return QStringLiteral("refused %1").arg(int(*s.refused));
    if (s.kind == LineKind::Conditional)
        return QLatin1String(kConditionalWords[int(s.conditional)]);
    QString out = QStringLiteral("[%1]").arg(slice(s.nameStart, s.nameLength));
    if (s.kind == LineKind::BlockHeader)
        out += s.opens == OpenBlock::Enum ? QStringLiteral(" Enum") : QStringLiteral(" Type");
    return out;
}

QString outcome(const QString& line, OpenBlock block)
{
    return outcomeOf(QStringView(line), block, [&](qsizetype at, qsizetype n) { return line.mid(at, n); });
}

// The same through the UTF-8 form the conversion classifies.
QString outcomeOfUtf8(const QString& line, OpenBlock block)
{
    const QByteArray utf8 = line.toUtf8();
    return outcomeOf(std::string_view(utf8.constData(), size_t(utf8.size())), block,
                     [&](qsizetype at, qsizetype n) { return QString::fromUtf8(utf8.mid(at, n)); });
}

QString refused(SkipReason reason)
{
    return QStringLiteral("refused %1").arg(int(reason));
}

// "T:NAME" for a record type, "C:NAME" for a constant.
QStringList spelled(const std::vector<UsedName>& used)
{
    QStringList out;
    for (const UsedName& u : used)
        out << (u.kind == DeclKind::Type ? QStringLiteral("T:") : QStringLiteral("C:")) + u.name;
    return out;
}

QList<QByteArray> readLines(const QByteArray& data, qsizetype maxLine, QList<qint64>* lengths = nullptr,
                            qint64 limit = -1)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer, maxLine, limit);
    QList<QByteArray> lines;
    QByteArrayView line;
    while (reader.next(line)) {
        lines << line.toByteArray();
        if (lengths)
            *lengths << reader.lineLength();
    }
    return lines;
}

} // namespace

// The text rules alone: no file, no database.
class TextRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void everyShapeAndItsMalformedVariants_data();
    void everyShapeAndItsMalformedVariants();
    void wordsThatMayNameDeclarations_data();
    void wordsThatMayNameDeclarations();
    void scopeKeywordGoesOnTheFirstLine_data();
    void scopeKeywordGoesOnTheFirstLine();
    void overlongLinesAreCutButCountedWhole();
    void codePageDecodesAlikeOnEverySystem();
};

void TextRulesTest::everyShapeAndItsMalformedVariants_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<OpenBlock>("block");
    QTest::addColumn<LineKind>("kind");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* tag, const char* line, OpenBlock block, LineKind kind,
                        const QString& expected) {
        QTest::newRow(tag) << QString::fromUtf8(line) << block << kind << expected;
    };
    using K = LineKind;
    const OpenBlock none = OpenBlock::None;
    const OpenBlock type = OpenBlock::Type;
    const OpenBlock enumBlock = OpenBlock::Enum;
    const QString outside = refused(SkipReason::OutsideType);
    row("public const", "Public Const MAX_PATH = 260", none, K::Constant, "[MAX_PATH]");
    row("bare const", "Const ANYSIZE_ARRAY = 1", none, K::Constant, "[ANYSIZE_ARRAY]");
    row("bare const lower case", "const wm_null = &H0", none, K::Constant, "[wm_null]");
    row("private const", "Private Const P = 1", none, K::Constant, "[P]");
    row("global const", "GLOBAL CONST G = 2", none, K::Constant, "[G]");
    row("bare const without =", "Const NO_VALUE", none, K::Constant, refused(SkipReason::NoConstDelimiter));
    row("bare const = too early", "Const = 1", none, K::Constant, refused(SkipReason::NoConstDelimiter));
    row("bare const empty name", "Const  = 1", none, K::Constant, refused(SkipReason::EmptyName));
    row("bare const in block", "Const A = 1", type, K::Member, "[]");
    row("private const in block", "Private Const A = 1", type, K::Member, "[]");
    row("constant word alone", "Constant = 1", none, K::Outside, outside);
    // A constant written with its type is named by the words before " As ".
    row("typed public const", "public const X As Long = 1", none, K::Constant, "[X]");
    row("typed const, As in any case", "Const HGDI_ERROR aS LongPtr = -1", none, K::Constant, "[HGDI_ERROR]");
    row("typed global const", "Global Const G As String = \"a As b\"", none, K::Constant, "[G]");
    row("As after the value", "Const A = B As C", none, K::Constant, "[A]");
    row("AS inside a name", "Const X_AS_Y = 1", none, K::Constant, "[X_AS_Y]");
    row("typed const without a name", "Const  As Long = 1", none, K::Constant,
        refused(SkipReason::EmptyName));
    row("declare function", "Declare Function GetTickCount Lib \"kernel32\" () As Long", none, K::Procedure,
        "[GetTickCount]");
    row("declare sub", "Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)", none, K::Procedure,
        "[Sleep]");
    row("ptrsafe function", "Declare PtrSafe Function GetMessage Lib \"user32\" Alias \"GetMessageA\" ()",
        none, K::Procedure, "[GetMessage]");
    row("ptrsafe sub any case", "DECLARE ptrsafe SUB CopyMemory lib \"kernel32\" ()", none, K::Procedure,
        "[CopyMemory]");
    row("private declare ptrsafe", "Private Declare PtrSafe Sub InitCommonControls Lib \"comctl32\" ()", none,
        K::Procedure, "[InitCommonControls]");
    row("public declare", "Public Declare Function F Lib \"k\" ()", none, K::Procedure, "[F]");
    row("ptrsafe without lib", "Declare PtrSafe Function F (x As Long)", none, K::Procedure,
        refused(SkipReason::NoLibDelimiter));
    row("ptrsafe empty name", "Declare PtrSafe Sub  Lib \"k\" ()", none, K::Procedure,
        refused(SkipReason::EmptyName));
    row("ptrsafe property", "Declare PtrSafe Property Get X Lib \"k\" ()", none, K::Procedure,
        refused(SkipReason::NoProcKeyword));
    row("private declare property", "Private Declare Property Get X Lib \"k\" ()", none, K::Procedure,
        refused(SkipReason::NoProcKeyword));
    row("ptrsafe twice blank", "Declare PtrSafe  Function F Lib \"k\" ()", none, K::Procedure,
        refused(SkipReason::NoProcKeyword));
    row("global declare", "Global Declare Function F Lib \"k\" ()", none, K::Outside, outside);
    row("ptrsafe in block", "Declare PtrSafe Sub S Lib \"k\" ()", type, K::Member, "[]");
    row("public declare in block", "Public Declare Sub S Lib \"k\" ()", type, K::Member, "[]");
    row("type with comment blanks", "Type BITMAPINFOHEADER \t ", none, K::BlockHeader,
        "[BITMAPINFOHEADER] Type");
    row("type two blanks", "Type  SPACED ", none, K::BlockHeader, "[ SPACED] Type");
    row("public type", "Public Type POINTAPI", none, K::BlockHeader, "[POINTAPI] Type");
    row("global type", "Global Type G", none, K::Outside, outside);
    row("names beyond ASCII", "Public Const 既定の幅 = 1", none, K::Constant, "[既定の幅]");
    row("type blanks only", "Type  \t ", none, K::BlockHeader, refused(SkipReason::EmptyName));
    row("type alone", "Type ", none, K::BlockHeader, refused(SkipReason::EmptyName));
    row("type in block", "type Inner", type, K::BlockHeader, "[Inner] Type");
    row("scoped type in block", "Public Type Inner", type, K::Member, "[]");
    row("end type in block", "End Type", type, K::BlockEnd, "[]");
    row("end type outside", "end type", none, K::BlockEnd, "[]");
    row("indented end type", "  End Type", type, K::Member, "[]");
    row("enum", "Enum SID_NAME_USE", none, K::BlockHeader, "[SID_NAME_USE] Enum");
    row("private enum, lower case", "private enum Colour \t", none, K::BlockHeader, "[Colour] Enum");
    row("enum without a name", "Public Enum ", none, K::BlockHeader, refused(SkipReason::EmptyName));
    row("enum in type block", "Enum E", type, K::Member, "[]");
    row("end enum in enum block", "End Enum", enumBlock, K::BlockEnd, "[]");
    row("end enum outside", "END ENUM", none, K::BlockEnd, "[]");
    row("end enum in type block", "End Enum", type, K::Member, "[]");
    row("end type in enum block", "End Type", enumBlock, K::Member, "[]");
    row("type in enum block", "Type T", enumBlock, K::Member, "[]");
    row("enum member", "    SidTypeUser = 1", enumBlock, K::Member, "[]");
    row("#If", "#If Win64 Then", none, K::Conditional, "If");
    row("#If in any case, blanks after", "#if VBA7 And Win64 then \t", none, K::Conditional, "If");
    row("#ElseIf", "#ElseIf Win32 Then", none, K::Conditional, "ElseIf");
    row("#Else", "#Else", none, K::Conditional, "Else");
    row("#Else with blanks", "#ELSE  \t", none, K::Conditional, "Else");
    row("#End If", "#End If ", none, K::Conditional, "EndIf");
    row("#If without Then", "#If Win64", none, K::Outside, outside);
    row("#If without a condition", "#If  Then", none, K::Outside, outside);
    row("#ElseIf without Then", "#ElseIf Win32", none, K::Outside, outside);
    row("#Else with words", "#Elsewhere", none, K::Outside, outside);
    row("#End If with words", "#End If Win64", none, K::Outside, outside);
    row("#Const", "#Const DEBUG_MODE = 1", none, K::Outside, outside);
    row("indented #If", "  #If Win64 Then", none, K::Outside, outside);
    row("#If in type block", "#If Win64 Then", type, K::Member, "[]");
    row("#End If in enum block", "#End If", enumBlock, K::Member, "[]");
    row("blanks outside", " \t ", none, K::Blank, "[]");
    row("blanks in block", "   ", type, K::Member, "[]");
    row("procedure body", "Function LoWord(ByVal dw As Long) As Integer", none, K::Outside, outside);
    row("indented line", "    LoWord = dw And &HFFFF&", none, K::Outside, outside);
    row("end of a procedure", "End Function", none, K::Outside, outside);
    row("module option", "Option Explicit", none, K::Outside, outside);
}

void TextRulesTest::everyShapeAndItsMalformedVariants()
{
    QFETCH(QString, line);
    QFETCH(OpenBlock, block);
    QFETCH(LineKind, kind);
    QFETCH(QString, expected);
    QCOMPARE(classifyLine(line, block).kind, kind);
    QCOMPARE(outcome(line, block), expected);
    QCOMPARE(outcomeOfUtf8(line, block), expected);
}

void TextRulesTest::wordsThatMayNameDeclarations_data()
{
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("used");
    const auto row = [](const char* tag, UseLine how, const char* line, const QStringList& used) {
        QTest::newRow(tag) << int(how) << QString::fromUtf8(line) << used;
    };
    row("member: nested type", UseLine::Member, "    ftCreationTime As FILETIME", {"T:FILETIME"});
    row("member: fixed-length string", UseLine::Member, "    cFileName As String * MAX_PATH", {"C:MAX_PATH"});
    row("member: array bound, As in any case, tab", UseLine::Member,
        "    Groups(ANYSIZE_ARRAY) as\tSID_AND_ATTRIBUTES", {"C:ANYSIZE_ARRAY", "T:SID_AND_ATTRIBUTES"});
    row("member: range", UseLine::Member, "    Reserved(0 To 1) AS Byte", {});
    // VBA's own words in any case: no declaration can be named so.
    row("member: own words in any case", UseLine::Member, "    x(1 to N_MAX) As longptr", {"C:N_MAX"});
    row("declaration: two types, alias string", UseLine::Procedure,
        "Declare Function FileTimeToSystemTime Lib \"kernel32\" Alias \"FileTimeToSystemTime\" "
        "(lpFileTime As FILETIME, lpSystemTime As SYSTEMTIME) As Long",
        {"T:FILETIME", "T:SYSTEMTIME"});
    row("constant: hex number and two constants", UseLine::Constant,
        "Public Const PROCESS_ALL_ACCESS = (STANDARD_RIGHTS_REQUIRED Or SYNCHRONIZE Or &HFFF&)",
        {"C:STANDARD_RIGHTS_REQUIRED", "C:SYNCHRONIZE"});
    row("constant: string value", UseLine::Constant,
        "Public Const SE_SHUTDOWN_NAME = \"SeShutdownPrivilege\"", {});
    row("constant: names in any script, exponent", UseLine::Constant,
        "Public Const 既定の幅 = _最大幅 \\ 2 + 1E3", {"C:_最大幅"});
    row("constant without ' =' uses nothing", UseLine::Constant, "Public Const X=Y", {});
    row("declaration: continued lines read as one", UseLine::Procedure,
        "Declare Function GetCursorPos Lib \"user32\" (lpPoint As _\r\n    POINTAPI) As _ \r\n\tLong",
        {"T:POINTAPI"});
    row("member: continued", UseLine::Member, "    pt As _\r\n        POINTAPI", {"T:POINTAPI"});
    row("constant: continued", UseLine::Constant, "Public Const A = _\r\n  B _\r\n  Or C", {"C:B", "C:C"});
}

void TextRulesTest::wordsThatMayNameDeclarations()
{
    QFETCH(int, how);
    QFETCH(QString, line);
    QFETCH(QStringList, used);
    QCOMPARE(spelled(namesUsedIn(line, UseLine(how))), used);
}

void TextRulesTest::scopeKeywordGoesOnTheFirstLine_data()
{
    QTest::addColumn<int>("scope");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("scoped");
    const auto row = [](const char* name, CopyScope scope, const char* text, const char* scoped) {
        QTest::newRow(name) << int(scope) << QString::fromUtf8(text) << QString::fromUtf8(scoped);
    };
    const CopyScope pub = CopyScope::Public;
    const CopyScope priv = CopyScope::Private;
    row("Public replaced", priv, "Public Const X = 1", "Private Const X = 1");
    row("PRIVATE replaced", pub, "PRIVATE Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)",
        "Public Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)");
    row("Declare", priv, "Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long",
        "Private Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long");
    row("const", pub, "const X = 1", "Public const X = 1");
    row("Type, members untouched", priv, "Type RECT\r\n    Left As Long\r\nEnd Type",
        "Private Type RECT\r\n    Left As Long\r\nEnd Type");
    row("Global replaced", priv, "Global Const X = 1", "Private Const X = 1");
    row("Enum, members untouched", pub, "Enum E\r\n    A = 1\r\nEnd Enum",
        "Public Enum E\r\n    A = 1\r\nEnd Enum");
    row("Private Enum replaced", pub, "Private Enum E", "Public Enum E");
    row("conditional line", priv, "#If Win64 Then", "#If Win64 Then");
    row("other first word", priv, "Option Explicit", "Option Explicit");
    row("keyword without its blank", priv, "Constants = 1", "Constants = 1");
    row("Public as a prefix", priv, "Publicity Const X = 1", "Publicity Const X = 1");
    row("missing entry", priv, "", "");
}

void TextRulesTest::scopeKeywordGoesOnTheFirstLine()
{
    QFETCH(int, scope);
    QFETCH(QString, text);
    QFETCH(QString, scoped);
    QCOMPARE(withScope(text, CopyScope(scope)), scoped);
}

void TextRulesTest::overlongLinesAreCutButCountedWhole()
{
    // A line of 100 bytes read with room for 8 hands out its start, and its whole
    // length for the progress; the lines around it come out whole, whatever the
    // chunk in which a break falls.
    const QByteArray longLine(100, 'x');
    QList<qint64> lengths;
    const QList<QByteArray> lines = readLines("ab\r\n" + longLine + "\r\ncd\rlast", 8, &lengths);
    QCOMPARE(lines, QList<QByteArray>({"ab", "xxxxxxxx", "cd", "last"}));
    QCOMPARE(lengths, QList<qint64>({2, 100, 2, 4}));
    // An overlong final line without a break, and a buffer far smaller than the file.
    QByteArray many;
    for (int i = 0; i < 20000; ++i)
        many += "Const A" + QByteArray::number(i) + " = 1\n";
    const QList<QByteArray> read = readLines(many + QByteArray(70000, 'y'), 64);
    QCOMPARE(read.size(), 20001);
    QCOMPARE(read[19999], QByteArray("Const A19999 = 1"));
    QCOMPARE(read.last(), QByteArray(64, 'y'));
    // A text that grew after its size was taken ends where it ended then, even in
    // the middle of a line; past the first chunk too.
    QCOMPARE(readLines("ab\r\ncdef\r\ngh", 8, nullptr, 6), QList<QByteArray>({"ab", "cd"}));
    QCOMPARE(readLines(many + "more\n", 64, nullptr, many.size()).size(), 20000);
}

void TextRulesTest::codePageDecodesAlikeOnEverySystem()
{
    // Every byte after 0x7F alone, then each such byte before every possible second
    // byte, is decoded row by row; the rows' digests were taken from the iconv
    // decoder. Each system's own decoder must give the same text for every row, bad
    // bytes included (one U+FFFD each, the next byte starting afresh).
    Cp932Decoder decoder;
    QStringList rows;
    QByteArray singles;
    for (int b = 0x80; b <= 0xFF; ++b)
        singles += char(b) + QByteArray("|");
    const auto digest = [&](const QByteArray& bytes) {
        const std::string_view text = decoder.toUtf8(bytes.constData(), bytes.size());
        return QCryptographicHash::hash(QByteArrayView(text.data(), qsizetype(text.size())),
                                        QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    };
    rows << QStringLiteral("singles ") + QString::fromLatin1(digest(singles));
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        QByteArray row;
        for (int trail = 0; trail <= 0xFF; ++trail)
            row += char(lead) + QByteArray(1, char(trail)) + '|';
        // A lead byte cut off at the end of a line.
        row += char(lead);
        rows << QString::number(lead, 16) + u' ' + QString::fromLatin1(digest(row));
    }
    const QByteArray out = qgetenv("EK_CP932_ROWS_OUT");
    if (!out.isEmpty()) {
        QFile file(QString::fromLocal8Bit(out));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(rows.join(u'\n').toLatin1() + '\n');
    }
    QFile expectedFile(QFINDTESTDATA("cp932_rows.txt"));
    QVERIFY(expectedFile.open(QIODevice::ReadOnly));
    const QStringList expected = QString::fromLatin1(expectedFile.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(expected.size(), 129);
    QStringList differing;
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (rows[i] != expected.value(i))
            differing << rows[i].section(u' ', 0, 0);
    QVERIFY2(differing.isEmpty(),
             qPrintable(QStringLiteral("rows that decode otherwise: ") + differing.join(u' ')));
}

QTEST_GUILESS_MAIN(TextRulesTest)
#include "text_rules_test.moc"
