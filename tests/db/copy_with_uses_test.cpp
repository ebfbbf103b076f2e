// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "copy_texts.h"
#include "database.h"
#include "decl_uses.h"
#include "get_full.h"
#include "recordset.h"
#include "test_data.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// "T:NAME" for a record type, "C:NAME" for a constant.
QStringList spelled(const std::vector<UsedName>& used)
{
    QStringList out;
    for (const UsedName& u : used)
        out << (u.kind == kKindType ? QStringLiteral("T:") : QStringLiteral("C:")) + u.name;
    return out;
}

} // namespace

class CopyWithUsesTest : public QObject
{
    Q_OBJECT
private slots:
    void wordsThatMayNameDeclarations_data();
    void wordsThatMayNameDeclarations();
    void scopeKeywordGoesOnTheFirstLine_data();
    void scopeKeywordGoesOnTheFirstLine();
    void usedDeclarationsComeFirstAndOnce();
};

void CopyWithUsesTest::wordsThatMayNameDeclarations_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("full");
    QTest::addColumn<QStringList>("used");
    QTest::newRow("type: nested type, fixed-length string")
        << kKindType
        << QStringLiteral("Type WIN32_FIND_DATA\r\n    dwFileAttributes As Long\r\n"
                          "    ftCreationTime As FILETIME\r\n    cFileName As String * MAX_PATH\r\n"
                          "    cAlternate As String * 14\r\nEnd Type")
        << QStringList{"T:Long", "T:FILETIME", "T:String", "C:MAX_PATH", "T:String"};
    QTest::newRow("type: array bound, As in any case, tabs")
        << kKindType
        << QStringLiteral("Type TOKEN_GROUPS\r\n    GroupCount as\tLong\r\n"
                          "    Groups(ANYSIZE_ARRAY) As SID_AND_ATTRIBUTES\r\n"
                          "    Reserved(0 To 1) AS Byte\r\nEnd Type")
        << QStringList{"T:Long", "C:ANYSIZE_ARRAY", "T:SID_AND_ATTRIBUTES", "C:To", "T:Byte"};
    QTest::newRow("declaration: two types, alias string")
        << kKindProcedure
        << QStringLiteral(
               "Declare Function FileTimeToSystemTime Lib \"kernel32\" Alias \"FileTimeToSystemTime\" "
               "(lpFileTime As FILETIME, lpSystemTime As SYSTEMTIME) As Long")
        << QStringList{"T:FILETIME", "T:SYSTEMTIME", "T:Long"};
    QTest::newRow("constant: hex number and two constants")
        << kKindConstant
        << QStringLiteral(
               "Public Const PROCESS_ALL_ACCESS = (STANDARD_RIGHTS_REQUIRED Or SYNCHRONIZE Or &HFFF&)")
        << QStringList{"C:STANDARD_RIGHTS_REQUIRED", "C:Or", "C:SYNCHRONIZE", "C:Or"};
    QTest::newRow("constant: string value")
        << kKindConstant << QStringLiteral("Public Const SE_SHUTDOWN_NAME = \"SeShutdownPrivilege\"")
        << QStringList();
    QTest::newRow("constant: names in any script, exponent")
        << kKindConstant << QStringLiteral("Public Const 既定の幅 = _最大幅 \\ 2 + 1E3")
        << QStringList{"C:_最大幅"};
    QTest::newRow("constant without ' =' uses nothing")
        << kKindConstant << QStringLiteral("Public Const X=Y") << QStringList();
}

void CopyWithUsesTest::wordsThatMayNameDeclarations()
{
    QFETCH(int, kind);
    QFETCH(QString, full);
    QFETCH(QStringList, used);
    QCOMPARE(spelled(namesUsedBy(kind, full)), used);
}

void CopyWithUsesTest::scopeKeywordGoesOnTheFirstLine_data()
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

void CopyWithUsesTest::scopeKeywordGoesOnTheFirstLine()
{
    QFETCH(int, scope);
    QFETCH(QString, text);
    QFETCH(QString, scoped);
    QCOMPARE(withScope(text, CopyScope(scope)), scoped);
}

void CopyWithUsesTest::usedDeclarationsComeFirstAndOnce()
{
    QTemporaryDir dir;
    convertLines(dir.path(), {"Public Const CCHDEVICENAME = 32", "Public Const LOOP_A = LOOP_B + 1",
                              "Public Const LOOP_B = LOOP_A - 1", "Public Const SELF = SELF", "Type POINTAPI",
                              "    x As Long", "    y As Long", "End Type", "Type MSG", "    hwnd As Long",
                              "    pt As pointapi", "    szDevice As String * CCHDEVICENAME", "End Type"});
    const std::shared_ptr<Database> db = Database::OpenDatabase(dir.filePath(QStringLiteral("t.mdb")));
    const auto copy = [&db](int kind, const QStringList& names) {
        const std::unique_ptr<Recordset> rs = db->OpenRecordset(kindTable(kind));
        rs->setIndex(QStringLiteral("ixName"));
        return copyTexts(*rs, kind, names, CopyOptions{true, CopyScope::AsDeclared});
    };
    const QString point = QStringLiteral("Type POINTAPI\r\n    x As Long\r\n    y As Long\r\nEnd Type");
    const QString msg = QStringLiteral("Type MSG\r\n    hwnd As Long\r\n    pt As pointapi\r\n    szDevice "
                                       "As String * CCHDEVICENAME\r\nEnd Type");
    // MSG brings POINTAPI (named in another case) and a constant; the second MSG and
    // the POINTAPI it brought give nothing; a missing entry keeps its empty text.
    QCOMPARE(copy(kKindType, {"msg", "NOSUCH", "POINTAPI", "MSG", "NOSUCH"}),
             QStringList({point, QStringLiteral("Public Const CCHDEVICENAME = 32"), msg, "", ""}));
    // A cycle ends, and a constant defined by itself is given once.
    QCOMPARE(copy(kKindConstant, {"LOOP_A", "SELF"}),
             QStringList({"Public Const LOOP_B = LOOP_A - 1", "Public Const LOOP_A = LOOP_B + 1",
                          "Public Const SELF = SELF"}));
}

QTEST_GUILESS_MAIN(CopyWithUsesTest)
#include "copy_with_uses_test.moc"
