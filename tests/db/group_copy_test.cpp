// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "copy_assembly.h"
#include "decl_store.h"
#include "test_data.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kGetWindowLongPtrA = QStringLiteral(
    "Declare PtrSafe Function GetWindowLongPtr Lib \"user32\" Alias \"GetWindowLongPtrA\" (ByVal "
    "hWnd As LongPtr, ByVal nIndex As Long) As LongPtr");
const QString kGetWindowLongA = QStringLiteral(
    "Declare PtrSafe Function GetWindowLongPtr Lib \"user32\" Alias \"GetWindowLongA\" (ByVal hWnd "
    "As LongPtr, ByVal nIndex As Long) As LongPtr");

// Two variants of one name and a declaration of another in the same group.
const QStringList kVariants = {"#If Win64 Then",
                               kGetWindowLongPtrA,
                               "Declare PtrSafe Function GetTickCount64 Lib \"kernel32\" () As LongLong",
                               "#Else ' 32 bits",
                               kGetWindowLongA,
                               "#End If"};

// A record type with a variant per branch, each using something the other does
// not, one of them a constant with variants of its own.
const QStringList kTypesAndUses = {
    "Type FILETIME",
    "    dwLowDateTime As Long",
    "End Type",
    "#If Win64 Then",
    "Const MAX_LEN = 16",
    "#Else",
    "Const MAX_LEN = 8",
    "#End If",
    "#If Win64 Then",
    "Type MEMORY_BASIC_INFORMATION",
    "    BaseAddress As LongPtr",
    "    ftSeen As FILETIME",
    "End Type",
    "#Else",
    "Type MEMORY_BASIC_INFORMATION",
    "    BaseAddress As LongPtr",
    "    szName As String * MAX_LEN",
    "End Type",
    "#End If",
    "Declare PtrSafe Function VirtualQuery Lib \"kernel32\" (ByVal lpAddress As LongPtr, lpBuffer As "
    "MEMORY_BASIC_INFORMATION, ByVal dwLength As LongPtr) As LongPtr",
};

} // namespace

class GroupCopyTest : public QObject
{
    Q_OBJECT
private slots:
    void entriesInGroupsCopyAsTheirGroup_data();
    void entriesInGroupsCopyAsTheirGroup();
};

void GroupCopyTest::entriesInGroupsCopyAsTheirGroup_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("withUses");
    QTest::addColumn<int>("scope");
    QTest::addColumn<QStringList>("expected");
    const int constants = int(DeclKind::Constant);
    const int procedures = int(DeclKind::Procedure);
    const int types = int(DeclKind::Type);
    const int asDeclared = int(CopyScope::AsDeclared);
    const int priv = int(CopyScope::Private);

    QTest::newRow("a variant in each branch, the other name left out")
        << kVariants << procedures << QStringList{"getwindowlongptr"} << false << asDeclared
        << QStringList({"#If Win64 Then", kGetWindowLongPtrA, "#Else ", kGetWindowLongA, "#End If"});
    QTest::newRow("branches without a variant keep their lines")
        << QStringList({"#If Win64 Then", "Const ONLY64 = 1", "#ElseIf Win32 Then", "Const OTHER = 2",
                        "#Else", "#End If"})
        << constants << QStringList{"ONLY64"} << false << asDeclared
        << QStringList({"#If Win64 Then", "Const ONLY64 = 1", "#ElseIf Win32 Then", "#Else", "#End If"});
    const QStringList nested = {"#If VBA7 Then",
                                "Const C_A = 1",
                                "#If Win64 Then",
                                "Declare PtrSafe Function F Lib \"k\" Alias \"F64\" () As LongPtr",
                                "#Else",
                                "Declare PtrSafe Function F Lib \"k\" Alias \"F32\" () As LongPtr",
                                "#End If",
                                "#If Mac Then",
                                "Declare PtrSafe Function G Lib \"k\" () As Long",
                                "#End If",
                                "#Else",
                                "Declare Function F Lib \"k\" () As Long",
                                "#End If"};
    QTest::newRow("a nested group, and one without the name left out")
        << nested << procedures << QStringList{"F"} << false << asDeclared
        << QStringList({"#If VBA7 Then", "#If Win64 Then",
                        "Declare PtrSafe Function F Lib \"k\" Alias \"F64\" () As LongPtr", "#Else",
                        "Declare PtrSafe Function F Lib \"k\" Alias \"F32\" () As LongPtr", "#End If",
                        "#Else", "Declare Function F Lib \"k\" () As Long", "#End If"});
    QTest::newRow("a name only in a nested group comes with the groups around it")
        << nested << procedures << QStringList{"G"} << false << asDeclared
        << QStringList({"#If VBA7 Then", "#If Mac Then", "Declare PtrSafe Function G Lib \"k\" () As Long",
                        "#End If", "#Else", "#End If"});
    QTest::newRow("after a nested group, in the branch around it")
        << QStringList(
               {"#If VBA7 Then", "#If Win64 Then", "Const N = 1", "#End If", "Const N = 2", "#End If"})
        << constants << QStringList{"N"} << false << asDeclared
        << QStringList(
               {"#If VBA7 Then", "#If Win64 Then", "Const N = 1", "#End If", "Const N = 2", "#End If"});
    QTest::newRow("an unbalanced #End If closes nothing")
        << QStringList({"#If A Then", "Const Y = 1", "#End If", "#End If", "Const Z = 2"}) << constants
        << QStringList({"Z", "Y"}) << false << asDeclared
        << QStringList({"Const Z = 2", "#If A Then", "Const Y = 1", "#End If"});
    QTest::newRow("an unclosed #If is closed")
        << QStringList({"Const BEFORE = 0", "#If Win64 Then", "#If Debug Then", "Const U = 1", "#Else",
                        "Const U = 2"})
        << constants << QStringList({"U", "BEFORE"}) << false << asDeclared
        << QStringList({"#If Win64 Then", "#If Debug Then", "Const U = 1", "#Else", "Const U = 2", "#End If",
                        "#End If", "Const BEFORE = 0"});
    QTest::newRow("a first declaration outside any group stands alone")
        << QStringList({"Const K = 1", "#If A Then", "Const K = 2", "#End If"}) << constants
        << QStringList{"k"} << false << asDeclared << QStringList{"Const K = 1"};
    // The used group and the group of the type have the same conditions: one group.
    QTest::newRow("uses of every variant come first, each once, a grouped one in its group")
        << kTypesAndUses << procedures << QStringList({"VirtualQuery", "VIRTUALQUERY"}) << true << asDeclared
        << QStringList({"Type FILETIME", "    dwLowDateTime As Long", "End Type", "#If Win64 Then",
                        "Const MAX_LEN = 16", "Type MEMORY_BASIC_INFORMATION", "    BaseAddress As LongPtr",
                        "    ftSeen As FILETIME", "End Type", "#Else", "Const MAX_LEN = 8",
                        "Type MEMORY_BASIC_INFORMATION", "    BaseAddress As LongPtr",
                        "    szName As String * MAX_LEN", "End Type", "#End If", kTypesAndUses.last()});
    QTest::newRow("the scope goes on every declaration, never on a conditional line")
        << kTypesAndUses << types << QStringList{"MEMORY_BASIC_INFORMATION"} << true << priv
        << QStringList({"Private Type FILETIME", "    dwLowDateTime As Long", "End Type", "#If Win64 Then",
                        "Private Const MAX_LEN = 16", "Private Type MEMORY_BASIC_INFORMATION",
                        "    BaseAddress As LongPtr", "    ftSeen As FILETIME", "End Type", "#Else",
                        "Private Const MAX_LEN = 8", "Private Type MEMORY_BASIC_INFORMATION",
                        "    BaseAddress As LongPtr", "    szName As String * MAX_LEN", "End Type",
                        "#End If"});
    QTest::newRow("the scope without the uses")
        << kVariants << procedures << QStringList{"GetWindowLongPtr"} << false << priv
        << QStringList({"#If Win64 Then", QStringLiteral("Private ") + kGetWindowLongPtrA, "#Else ",
                        QStringLiteral("Private ") + kGetWindowLongA, "#End If"});
    QTest::newRow("an enum ends with End Enum, in a group too")
        << QStringList(
               {"#If Win64 Then", "Public Enum WIDTH_KIND", "    wkNarrow = 1", "End Enum", "#End If"})
        << types << QStringList{"width_kind"} << false << asDeclared
        << QStringList(
               {"#If Win64 Then", "Public Enum WIDTH_KIND", "    wkNarrow = 1", "End Enum", "#End If"});
}

void GroupCopyTest::entriesInGroupsCopyAsTheirGroup()
{
    QFETCH(QStringList, lines);
    QFETCH(int, kind);
    QFETCH(QStringList, names);
    QFETCH(bool, withUses);
    QFETCH(int, scope);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    convertLines(dir.path(), lines);
    const std::unique_ptr<DeclStore> store = DeclStore::open(dir.filePath(QStringLiteral("t.mdb")));
    const CopyOptions options{withUses, CopyScope(scope)};
    const QString copied = assembleCopy(store.get(), DeclKind(kind), names, options, CopyEnd::BreakAfterEach);
    QCOMPARE(copied.split(QStringLiteral("\r\n")), expected + QStringList{QString()});
}

QTEST_GUILESS_MAIN(GroupCopyTest)
#include "group_copy_test.moc"
