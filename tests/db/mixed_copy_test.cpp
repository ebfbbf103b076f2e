// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "copy_assembly.h"
#include "decl_store.h"
#include "module_check.h"
#include "test_data.h"
#include "type_layout.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kGwlp64 =
    QStringLiteral("Declare PtrSafe Function GetWindowLongPtr Lib \"user32\" Alias "
                   "\"GetWindowLongPtrA\" (ByVal hWnd As LongPtr, ByVal nIndex As Long) As LongPtr");
const QString kGwlp32 =
    QStringLiteral("Declare PtrSafe Function GetWindowLongPtr Lib \"user32\" Alias "
                   "\"GetWindowLongA\" (ByVal hWnd As LongPtr, ByVal nIndex As Long) As LongPtr");
const QString kGetMessage = QStringLiteral(
    "Declare PtrSafe Function GetMessage Lib \"user32\" Alias \"GetMessageA\" (lpMsg As MSG, ByVal hWnd As "
    "LongPtr, ByVal wMsgFilterMin As Long, ByVal wMsgFilterMax As Long) As Long");
const QString kSwlp64 = QStringLiteral("Declare PtrSafe Function SetWindowLongPtr Lib \"user32\" Alias "
                                       "\"SetWindowLongPtrA\" (ByVal hWnd As LongPtr, ByVal nIndex As Long, "
                                       "ByVal dwNewLong As LongPtr) As LongPtr");
const QString kSwlp32 = QStringLiteral("Declare PtrSafe Function SetWindowLongPtr Lib \"user32\" Alias "
                                       "\"SetWindowLongA\" (ByVal hWnd As LongPtr, ByVal nIndex As Long, "
                                       "ByVal dwNewLong As LongPtr) As LongPtr");
const QString kSwlp6 =
    QStringLiteral("Declare Function SetWindowLongPtr Lib \"user32\" Alias \"SetWindowLongA\" "
                   "(ByVal hWnd As Long, ByVal nIndex As Long, ByVal dwNewLong As Long) As Long");
const QString kGclp64 =
    QStringLiteral("Declare PtrSafe Function GetClassLongPtr Lib \"user32\" Alias "
                   "\"GetClassLongPtrA\" (ByVal hWnd As LongPtr, ByVal nIndex As Long) As LongPtr");
const QString kGclp32 =
    QStringLiteral("Declare PtrSafe Function GetClassLongPtr Lib \"user32\" Alias "
                   "\"GetClassLongA\" (ByVal hWnd As LongPtr, ByVal nIndex As Long) As LongPtr");
const QString kGclp6 =
    QStringLiteral("Declare Function GetClassLongPtr Lib \"user32\" Alias \"GetClassLongA\" "
                   "(ByVal hWnd As Long, ByVal nIndex As Long) As Long");

const QStringList kPointApi = {"Type POINTAPI", "    x As Long", "    y As Long", "End Type"};
const QStringList kMsg = {"Type MSG",
                          "    hwnd As LongPtr",
                          "    message As Long",
                          "    wParam As LongPtr",
                          "    lParam As LongPtr",
                          "    time As Long",
                          "    pt As POINTAPI",
                          "End Type"};
const QStringList kM128A = {"Type M128A", "    Low As LongLong", "    High As LongLong", "End Type"};
const QStringList kFloatSave = {"Type FLOATING_SAVE_AREA", "    ControlWord As Long",
                                "    StatusWord As Long", "End Type"};
const QStringList kContext64 = {"Type CONTEXT", "    P1Home As LongLong", "    ContextFlags As Long",
                                "    Xmm0 As M128A", "End Type"};
const QStringList kContext32 = {"Type CONTEXT", "    ContextFlags As Long", "    Dr0 As Long",
                                "    FloatSave As FLOATING_SAVE_AREA", "End Type"};
const QStringList kLarge64 = {"Type LARGE_INTEGER", "    QuadPart As LongLong", "End Type"};
const QStringList kLarge32 = {"Type LARGE_INTEGER", "    LowPart As Long", "    HighPart As Long",
                              "End Type"};
const QString kHgdi64 = QStringLiteral("Const HGDI_ERROR As LongPtr = -1");
const QString kHgdi32 = QStringLiteral("Const HGDI_ERROR As Long = -1");
const QString kSleep7 =
    QStringLiteral("Declare PtrSafe Sub Sleep Lib \"kernel32\" (ByVal dwMilliseconds As Long)");
const QString kSleep6 = QStringLiteral("Declare Sub Sleep Lib \"kernel32\" (ByVal dwMilliseconds As Long)");

QStringList group(const QString& head, const QStringList& first, const QStringList& second)
{
    return QStringList{head} + first + QStringList{"#Else"} + second + QStringList{"#End If"};
}

// The 64-bit and 32-bit variants, each group as a declaration file writes it; the group
// around FLOATING_SAVE_AREA spells its condition in capitals and leaves its #If branch empty.
QStringList declarationFile()
{
    QStringList lines = kPointApi + kMsg + QStringList{kGetMessage};
    lines << "Declare PtrSafe Function GetCursorPos Lib \"user32\" (lpPoint As POINTAPI) As Long";
    lines += group("#If Win64 Then", {kGwlp64}, {kGwlp32});
    lines += group("#If Win64 Then", {kHgdi64}, {kHgdi32});
    lines += group("#If Win64 Then", {"Const PROCESSOR_ARCHITECTURE_AMD64 = 9"},
                   {"Const PROCESSOR_ARCHITECTURE_INTEL = 0"});
    lines += QStringList{"#If Win64 Then"} + kM128A + QStringList{"#End If"};
    lines += group("#If  WIN64 Then", {}, kFloatSave);
    lines += group("#If Win64 Then", kContext64, kContext32);
    lines += group("#If Win64 Then", kLarge64, kLarge32);
    lines += group("#If VBA7 Then", {kSleep7}, {kSleep6});
    lines << "#If Win64 Then"
          << "#ElseIf Mac Then"
          << "Const WM_ONLY_ON_MAC = 1"
          << "#End If";
    lines += group("#If VBA7 Then", group("#If Win64 Then", {kSwlp64}, {kSwlp32}), {kSwlp6});
    lines += group("#If VBA7 Then", group("#If Win64 Then", {kGclp64}, {kGclp32}), {kGclp6});
    return lines;
}

QStringList privately(QStringList lines)
{
    for (QString& line : lines) {
        if (line.startsWith(QLatin1String("Declare ")) || line.startsWith(QLatin1String("Type ")) ||
            line.startsWith(QLatin1String("Const ")))
            line.prepend(QLatin1String("Private "));
    }
    return lines;
}

using Entries = QList<QPair<int, QString>>;
const int kConst = int(DeclKind::Constant);
const int kFunc = int(DeclKind::Procedure);
const int kType = int(DeclKind::Type);

// Every setting of the conditions either text names: each compiles the same lines from both.
void verifySameOnEveryPath(const QString& merged, const QString& apart)
{
    QStringList conditions = conditionsIn(merged) + conditionsIn(apart);
    conditions.removeDuplicates();
    QVERIFY(conditions.size() <= 12);
    for (int path = 0; path < (1 << conditions.size()); ++path) {
        QSet<QString> truths;
        for (int i = 0; i < conditions.size(); ++i) {
            if (path & (1 << i))
                truths.insert(conditions[i]);
        }
        QCOMPARE(compiledLines(merged, truths), compiledLines(apart, truths));
    }
}

} // namespace

class MixedCopyTest : public QObject
{
    Q_OBJECT
private slots:
    void oneSectionForACollection_data();
    void oneSectionForACollection();
    void sizeNotesFollowTheirTypeOrTheMergedGroup();
};

void MixedCopyTest::oneSectionForACollection_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<bool>("withUses");
    QTest::addColumn<int>("scope");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("counts"); // declarations per kind, in the order they come; groups
    const int priv = int(CopyScope::Private);
    const int asDeclared = int(CopyScope::AsDeclared);

    QTest::newRow("kinds mixed, shared uses once, a run of groups as one")
        << Entries{{kFunc, "GetWindowLongPtr"}, {kFunc, "GetMessage"},  {kType, "context"},
                   {kType, "LARGE_INTEGER"},    {kConst, "HGDI_ERROR"}, {kType, "MSG"},
                   {kFunc, "getmessage"}}
        << true << priv
        << privately(group("#If Win64 Then", {kGwlp64}, {kGwlp32}) + kPointApi + kMsg +
                     QStringList{kGetMessage} +
                     group("#If Win64 Then", kM128A + kContext64 + kLarge64 + QStringList{kHgdi64},
                           kFloatSave + kContext32 + kLarge32 + QStringList{kHgdi32}))
        << "関数 2, 型 6, 定数 1; 2";
    QTest::newRow("another order, the groups meeting elsewhere")
        << Entries{{kConst, "HGDI_ERROR"},
                   {kType, "LARGE_INTEGER"},
                   {kFunc, "GetMessage"},
                   {kType, "CONTEXT"},
                   {kFunc, "GetWindowLongPtr"}}
        << true << priv
        << privately(
               group("#If Win64 Then", QStringList{kHgdi64} + kLarge64, QStringList{kHgdi32} + kLarge32) +
               kPointApi + kMsg + QStringList{kGetMessage} +
               group("#If Win64 Then", kM128A + kContext64 + QStringList{kGwlp64},
                     kFloatSave + kContext32 + QStringList{kGwlp32}))
        << "定数 1, 型 6, 関数 2; 2";
    QTest::newRow("other conditions stay apart")
        << Entries{{kFunc, "Sleep"}, {kFunc, "GetWindowLongPtr"}, {kFunc, "SLEEP"}} << false << asDeclared
        << group("#If VBA7 Then", {kSleep7}, {kSleep6}) + group("#If Win64 Then", {kGwlp64}, {kGwlp32})
        << "関数 2; 2";
    QTest::newRow("nested groups merged inside the merged branch")
        << Entries{{kFunc, "SetWindowLongPtr"}, {kFunc, "GetClassLongPtr"}, {kFunc, "Sleep"}} << false
        << asDeclared
        << group("#If VBA7 Then",
                 group("#If Win64 Then", {kSwlp64, kGclp64}, {kSwlp32, kGclp32}) + QStringList{kSleep7},
                 {kSwlp6, kGclp6, kSleep6})
        << "関数 3; 1";
    QTest::newRow("one entry in one group is as stored, its empty branch kept")
        << Entries{{kType, "FLOATING_SAVE_AREA"}} << true << asDeclared
        << group("#If  WIN64 Then", {}, kFloatSave) << "型 1; 1";
    QTest::newRow("a group without #Else joins a longer one")
        << Entries{{kType, "M128A"}, {kType, "FLOATING_SAVE_AREA"}, {kType, "CONTEXT"}} << false << priv
        << privately(group("#If Win64 Then", kM128A + kContext64, kFloatSave + kContext32)) << "型 3; 1";
    QTest::newRow("an empty last branch goes when groups merge")
        << Entries{{kType, "M128A"}, {kConst, "PROCESSOR_ARCHITECTURE_AMD64"}} << false << asDeclared
        << QStringList{"#If Win64 Then"} + kM128A +
               QStringList{"Const PROCESSOR_ARCHITECTURE_AMD64 = 9", "#End If"}
        << "型 1, 定数 1; 1";
    QTest::newRow("an #Else group does not take a longer one's #ElseIf")
        << Entries{{kConst, "HGDI_ERROR"}, {kConst, "WM_ONLY_ON_MAC"}} << false << asDeclared
        << group("#If Win64 Then", {kHgdi64}, {kHgdi32}) +
               QStringList{"#If Win64 Then", "#ElseIf Mac Then", "Const WM_ONLY_ON_MAC = 1", "#End If"}
        << "定数 2; 2";
    QTest::newRow("a name not stored is an empty line between groups")
        << Entries{{kConst, "HGDI_ERROR"}, {kConst, "NO_SUCH"}, {kType, "LARGE_INTEGER"}} << false
        << asDeclared
        << group("#If Win64 Then", {kHgdi64}, {kHgdi32}) + QStringList{QString()} +
               group("#If Win64 Then", kLarge64, kLarge32)
        << "定数 1, 型 1; 2";
}

void MixedCopyTest::oneSectionForACollection()
{
    QFETCH(Entries, entries);
    QFETCH(bool, withUses);
    QFETCH(int, scope);
    QFETCH(QStringList, expected);
    QFETCH(QString, counts);
    QTemporaryDir dir;
    convertLines(dir.path(), declarationFile());
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    const std::unique_ptr<DeclStore> store = DeclStore::open(db);
    std::vector<CopyEntry> collection;
    for (const auto& [kind, name] : entries)
        collection.push_back({db, DeclKind(kind), name});
    const StoreOf storeOf = [&](const QString& path) { return path == db ? store.get() : nullptr; };
    CopyOptions options{withUses, CopyScope(scope)};

    const CollectionCopy copy = copyCollection(storeOf, collection, options, CopyEnd::BreakAfterEach);
    QCOMPARE(copy.text.split(QStringLiteral("\r\n")), expected + QStringList{QString()});
    QStringList perKind;
    for (const auto& [kind, count] : copy.summary.perKind)
        perKind << QStringList{"定数", "関数", "型"}.at(int(kind)) + u' ' + QString::number(count);
    QCOMPARE(perKind.join(QStringLiteral(", ")) + QStringLiteral("; ") + QString::number(copy.summary.groups),
             counts);
    int declarations = 0;
    for (const auto& counted : copy.summary.perKind)
        declarations += counted.second;
    QCOMPARE(copy.summary.declarations, declarations);
    QCOMPARE(copy.summary.missing, expected.count(QString()));

    const QStringList problems = moduleProblems(copy.text);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n') + u'\n' + copy.text));
    options.mergeGroups = false;
    const QString apart = copyCollection(storeOf, collection, options, CopyEnd::BreakAfterEach).text;
    verifySameOnEveryPath(copy.text, apart);

    // The double-click's copy of the same collection differs by its last line break alone.
    QCOMPARE(copyCollection(storeOf, collection, options, CopyEnd::NoFinalBreak).text +
                 QStringLiteral("\r\n"),
             apart);
}

// A note after End Type, or after the #End If of the group the type is given in; groups
// that merge keep every note, and the paste still compiles.
void MixedCopyTest::sizeNotesFollowTheirTypeOrTheMergedGroup()
{
    QTemporaryDir dir;
    convertLines(dir.path(), declarationFile());
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    const std::unique_ptr<DeclStore> store = DeclStore::open(db);
    const StoreOf storeOf = [&](const QString& path) { return path == db ? store.get() : nullptr; };
    CopyOptions options{false, CopyScope::AsDeclared};
    options.sizeNote = [](const LayoutReport& r) { return QStringLiteral("' note ") + r.name; };
    const std::vector<CopyEntry> collection{{db, DeclKind::Type, QStringLiteral("M128A")},
                                            {db, DeclKind::Procedure, QStringLiteral("Sleep")},
                                            {db, DeclKind::Type, QStringLiteral("FLOATING_SAVE_AREA")},
                                            {db, DeclKind::Type, QStringLiteral("POINTAPI")}};
    const QString text = copyCollection(storeOf, collection, options, CopyEnd::BreakAfterEach).text;
    const QStringList expected =
        QStringList{"#If Win64 Then"} + kM128A + QStringList{"#End If", "' note M128A"} +
        group("#If VBA7 Then", {kSleep7}, {kSleep6}) + group("#If  WIN64 Then", {}, kFloatSave) +
        QStringList{"' note FLOATING_SAVE_AREA"} + kPointApi + QStringList{"' note POINTAPI", QString()};
    QCOMPARE(text.split(QStringLiteral("\r\n")), expected);

    const std::vector<CopyEntry> merging{{db, DeclKind::Type, QStringLiteral("M128A")},
                                         {db, DeclKind::Type, QStringLiteral("CONTEXT")}};
    const QString merged = copyCollection(storeOf, merging, options, CopyEnd::NoFinalBreak).text;
    const QStringList mergedExpected = group("#If Win64 Then", kM128A + kContext64, kContext32) +
                                       QStringList{"' note M128A", "' note CONTEXT"};
    QCOMPARE(merged.split(QStringLiteral("\r\n")), mergedExpected);
    const QStringList problems = moduleProblems(text);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n') + u'\n' + text));
}

QTEST_GUILESS_MAIN(MixedCopyTest)
#include "mixed_copy_test.moc"
