// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_uses.h"
#include "line_reader.h"
#include "line_shape.h"
#include "scope.h"

#include <QBuffer>
#include <QtTest>

Q_DECLARE_METATYPE(LineKind)

namespace {

// The name a shape cuts out of its line, or how it refuses the line.
QString outcome(const QString& line, bool inBlock)
{
    const LineShape s = classifyLine(line, inBlock);
    if (s.refused)
        return QStringLiteral("refused %1").arg(int(*s.refused));
    return QStringLiteral("[%1]").arg(line.mid(s.nameStart, s.nameLength));
}

// The same through the UTF-8 form the conversion classifies.
QString outcomeOfUtf8(const QString& line, bool inBlock)
{
    const QByteArray utf8 = line.toUtf8();
    const LineShape s = classifyLine(std::string_view(utf8.constData(), size_t(utf8.size())), inBlock);
    if (s.refused)
        return QStringLiteral("refused %1").arg(int(*s.refused));
    return QStringLiteral("[%1]").arg(QString::fromUtf8(utf8.mid(s.nameStart, s.nameLength)));
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

QList<QByteArray> readLines(const QByteArray& data, qsizetype maxLine, QList<qint64>* lengths = nullptr)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer, maxLine);
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
};

void TextRulesTest::everyShapeAndItsMalformedVariants_data()
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
    row("names beyond ASCII", "Public Const 既定の幅 = 1", false, K::Constant, "[既定の幅]");
    row("type blanks only", "Type  \t ", false, K::TypeHeader, refused(SkipReason::EmptyName));
    row("type alone", "Type ", false, K::TypeHeader, refused(SkipReason::EmptyName));
    row("type in block", "type Inner", true, K::TypeHeader, "[Inner]");
    row("end type in block", "End Type", true, K::TypeEnd, "[]");
    row("end type outside", "end type", false, K::TypeEnd, "[]");
    row("indented end type", "  End Type", true, K::Member, "[]");
}

void TextRulesTest::everyShapeAndItsMalformedVariants()
{
    QFETCH(QString, line);
    QFETCH(bool, inBlock);
    QFETCH(LineKind, kind);
    QFETCH(QString, expected);
    QCOMPARE(classifyLine(line, inBlock).kind, kind);
    QCOMPARE(outcome(line, inBlock), expected);
    QCOMPARE(outcomeOfUtf8(line, inBlock), expected);
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
    row("member: fixed-length string", UseLine::Member, "    cFileName As String * MAX_PATH",
        {"T:String", "C:MAX_PATH"});
    row("member: array bound, As in any case, tab", UseLine::Member,
        "    Groups(ANYSIZE_ARRAY) as\tSID_AND_ATTRIBUTES", {"C:ANYSIZE_ARRAY", "T:SID_AND_ATTRIBUTES"});
    row("member: range", UseLine::Member, "    Reserved(0 To 1) AS Byte", {"C:To", "T:Byte"});
    row("declaration: two types, alias string", UseLine::Procedure,
        "Declare Function FileTimeToSystemTime Lib \"kernel32\" Alias \"FileTimeToSystemTime\" "
        "(lpFileTime As FILETIME, lpSystemTime As SYSTEMTIME) As Long",
        {"T:FILETIME", "T:SYSTEMTIME", "T:Long"});
    row("constant: hex number and two constants", UseLine::Constant,
        "Public Const PROCESS_ALL_ACCESS = (STANDARD_RIGHTS_REQUIRED Or SYNCHRONIZE Or &HFFF&)",
        {"C:STANDARD_RIGHTS_REQUIRED", "C:Or", "C:SYNCHRONIZE", "C:Or"});
    row("constant: string value", UseLine::Constant,
        "Public Const SE_SHUTDOWN_NAME = \"SeShutdownPrivilege\"", {});
    row("constant: names in any script, exponent", UseLine::Constant,
        "Public Const 既定の幅 = _最大幅 \\ 2 + 1E3", {"C:_最大幅"});
    row("constant without ' =' uses nothing", UseLine::Constant, "Public Const X=Y", {});
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
    row("other first word", priv, "Global Const X = 1", "Global Const X = 1");
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
}

QTEST_GUILESS_MAIN(TextRulesTest)
#include "text_rules_test.moc"
