// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "copy_assembly.h"
#include "db_checks.h"
#include "decl_store.h"
#include "module_check.h"
#include "test_data.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QString sampleFile(const char* name)
{
    return QStringLiteral(EK_SOURCE_DIR "/samples/") + QLatin1String(name);
}

} // namespace

class SampleCopiesTest : public QObject
{
    Q_OBJECT
private slots:
    void checkerRejectsWhatAModuleRefuses_data();
    void checkerRejectsWhatAModuleRefuses();
    void everySampleEntryCopiesAsAModuleAcceptsIt_data();
    void everySampleEntryCopiesAsAModuleAcceptsIt();
    void copiesReadOnlyTheGroupsAroundAsTheWholeGroupGives_data();
    void copiesReadOnlyTheGroupsAroundAsTheWholeGroupGives();
};

void SampleCopiesTest::checkerRejectsWhatAModuleRefuses_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("accepted");
    const auto row = [](const char* tag, const QStringList& lines, bool accepted) {
        QTest::newRow(tag) << lines << accepted;
    };
    row("one type per branch",
        {"#If A Then", "Type T", "    x As Long", "End Type", "#Else", "Type T", "End Type", "#End If"},
        true);
    row("same condition, same path",
        {"#If A Then", "Type M", "End Type", "#End If", "#If A Then", "Type U", "    m As M", "End Type",
         "#End If"},
        true);
    row("unclosed #If", {"#If A Then", "Const X = 1"}, false);
    row("#Else without #If", {"#Else", "Const X = 1"}, false);
    row("#ElseIf after #Else", {"#If A Then", "#Else", "#ElseIf B Then", "#End If"}, false);
    row("unclosed type", {"Type T", "    x As Long"}, false);
    row("enum closed as a type", {"Enum E", "    a = 1", "End Type"}, false);
    row("type used before its definition", {"Type A", "    b As B", "End Type", "Type B", "End Type"}, false);
    row("type used only on the other path",
        {"#If A Then", "Type M", "End Type", "#End If", "Type U", "    m As M", "End Type"}, false);
    row("type twice on one path", {"#If A Then", "Type T", "End Type", "#End If", "Type T", "End Type"},
        false);
    row("declaration twice", {"Declare Sub S Lib \"k\" ()", "Private Declare Sub s Lib \"k\" ()"}, false);
    row("member outside a block", {"    x As Long"}, false);
    row("procedure body", {"Function F() As Long", "End Function"}, false);
    row("declaration inside a type", {"Type T", "Const X = 1", "End Type"}, false);
}

void SampleCopiesTest::checkerRejectsWhatAModuleRefuses()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, accepted);
    const QStringList problems = moduleProblems(lines.join(QStringLiteral("\r\n")));
    QVERIFY2(problems.isEmpty() == accepted, qPrintable(problems.join(u'\n')));
}

void SampleCopiesTest::everySampleEntryCopiesAsAModuleAcceptsIt_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<int>("scope");
    for (const char* sample : {"winapi.txt", "winapi64.txt"}) {
        for (CopyScope scope : {CopyScope::Private, CopyScope::Public}) {
            const QByteArray tag =
                QByteArray(sample) + (scope == CopyScope::Private ? " private" : " public");
            QTest::newRow(tag.constData()) << sampleFile(sample) << int(scope);
        }
    }
}

void SampleCopiesTest::everySampleEntryCopiesAsAModuleAcceptsIt()
{
    QFETCH(QString, sample);
    QFETCH(int, scope);
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("sample.mdb"));
    RecordingProgress progress;
    convertFile(sample, db, progress);
    const std::unique_ptr<DeclStore> store = DeclStore::open(db);
    const CopyOptions options{true, CopyScope(scope)};
    int entries = 0;
    std::vector<CopyEntry> everything;
    for (DeclKind kind : kDeclKinds) {
        const QStringList names = listNames(*store, kind);
        QVERIFY(!names.isEmpty());
        for (const QString& name : names) {
            const QString alone = assembleCopy(store.get(), kind, {name}, options, CopyEnd::BreakAfterEach);
            QVERIFY2(alone.size() > 2, qPrintable(name));
            const QStringList problems = moduleProblems(alone);
            QVERIFY2(problems.isEmpty(), qPrintable(name + u'\n' + problems.join(u'\n') + u'\n' + alone));
            ++entries;
            everything.push_back({db, kind, name});
        }
        const QString all = assembleCopy(store.get(), kind, names, options, CopyEnd::BreakAfterEach);
        const QStringList problems = moduleProblems(all);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n') + u'\n' + all));
    }
    QVERIFY(entries > 60);
    // Every name of every kind in one collection, types first: one section a module takes.
    std::reverse(everything.begin(), everything.end());
    const QString all = copyCollection(store.get(), everything, options, CopyEnd::BreakAfterEach).text;
    const QStringList problems = moduleProblems(all);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n') + u'\n' + all));
}

void SampleCopiesTest::copiesReadOnlyTheGroupsAroundAsTheWholeGroupGives_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<int>("grouped"); // at least so many names copy as a group
    QTest::newRow("winapi.txt") << sampleFile("winapi.txt") << 0;
    QTest::newRow("winapi64.txt") << sampleFile("winapi64.txt") << 8;
    // Names after the #End If of a group around none of them, in branches of groups
    // beside groups left out, at three depths.
    QTest::newRow("after groups left out")
        << QStringLiteral(
               "#If Win64 Then\r\n#If A Then\r\nConst K = 1\r\n#End If\r\nConst X = 1\r\n"
               "#If B Then\r\nConst Y = 1\r\n#If C Then\r\nConst Z = 1\r\n#End If\r\nConst Y = 4\r\n"
               "#Else\r\nConst X = 2\r\n#End If\r\n#ElseIf D Then\r\n#If E Then\r\n#Else\r\n"
               "Const Y = 2\r\n#End If\r\n#Else\r\nConst X = 3\r\n#End If\r\nConst X = 5\r\n"
               "#If F Then\r\nConst Y = 3\r\n#End If\r\n")
        << 3;
}

// Databases made before tbCond had its group index give the whole outermost group and
// leave out what holds none of the name; a copy reads the same either way.
void SampleCopiesTest::copiesReadOnlyTheGroupsAroundAsTheWholeGroupGives()
{
    QFETCH(QString, sample);
    QFETCH(int, grouped);
    QTemporaryDir dir;
    QString text = sample;
    if (!sample.endsWith(QLatin1String(".txt"))) {
        text = dir.filePath(QStringLiteral("t.txt"));
        writeBytes(text, sample.toLatin1());
    }
    const QString indexed = dir.filePath(QStringLiteral("indexed.mdb"));
    const QString whole = dir.filePath(QStringLiteral("whole.mdb"));
    RecordingProgress progress;
    convertFile(text, indexed, progress);
    QVERIFY(QFile::copy(indexed, whole));
    sqlExec(whole, QStringLiteral("DROP INDEX tbCond_ixGroup"));
    const std::unique_ptr<DeclStore> a = DeclStore::open(indexed);
    const std::unique_ptr<DeclStore> b = DeclStore::open(whole);
    const CopyOptions options{true, CopyScope::Private};
    int groups = 0;
    for (DeclKind kind : kDeclKinds) {
        const QStringList names = listNames(*a, kind);
        for (const QString& name : names) {
            const QString copy = assembleCopy(a.get(), kind, {name}, options, CopyEnd::BreakAfterEach);
            QCOMPARE(copy, assembleCopy(b.get(), kind, {name}, options, CopyEnd::BreakAfterEach));
            groups += copy.startsWith(u'#');
        }
        QCOMPARE(assembleCopy(a.get(), kind, names, options, CopyEnd::BreakAfterEach),
                 assembleCopy(b.get(), kind, names, options, CopyEnd::BreakAfterEach));
    }
    QVERIFY2(groups >= grouped, qPrintable(QString::number(groups)));
    if (text != sample) {
        QCOMPARE(
            assembleCopy(a.get(), DeclKind::Constant, {QStringLiteral("X")}, options, CopyEnd::NoFinalBreak),
            QStringLiteral("#If Win64 Then\r\nPrivate Const X = 1\r\n#If B Then\r\n#Else\r\n"
                           "Private Const X = 2\r\n#End If\r\n#ElseIf D Then\r\n#Else\r\n"
                           "Private Const X = 3\r\n#End If"));
    }
}

QTEST_GUILESS_MAIN(SampleCopiesTest)
#include "sample_copies_test.moc"
