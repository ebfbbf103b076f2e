// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "copy_assembly.h"
#include "db_checks.h"
#include "decl_store.h"
#include "test_data.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A database opened the way the main window holds it, read for one kind.
struct Browse
{
    std::unique_ptr<DeclStore> store;
    DeclKind kind;

    Browse(const QString& path, DeclKind k)
        : store(DeclStore::open(path))
        , kind(k)
    {
    }
    QString full(const QString& name) { return GetFull(*store, kind, name); }
};

QString convert(QTemporaryDir& dir, const QStringList& lines)
{
    convertLines(dir.path(), lines);
    return dir.filePath(QStringLiteral("t.mdb"));
}

} // namespace

class FullTextTest : public QObject
{
    Q_OBJECT
private slots:
    void constantGivesStoredLineWithTrailingBlanks();
    void procedureGivesStoredLineWithoutBreak();
    void missingNameGivesEmptyText();
    void nameIsFoundInAnyAsciiCase();
    void repeatedNameGivesFirstInIndexOrder();
    void recordTypeIsRebuiltWithMembersAndEndType();
    void typeWithoutMembersGivesHeaderAndEndType();
    void typesSharingNumberShareMembers();
    void membersComeInStoredOrderAmongOtherTypes();
    void typeNumbersBeyond32BitsWork();
    void nullTypeNumberGivesNoMembers();
    void nullTextsReadAsEmpty();
    void missingMemberTableIsReportedAs3078();
};

void FullTextTest::constantGivesStoredLineWithTrailingBlanks()
{
    QTemporaryDir dir;
    Browse b(convert(dir, {"Public Const MAX_PATH = 260   ' longest path", "Public Const MB_OK = &H0"}),
             DeclKind::Constant);
    QCOMPARE(b.full(QStringLiteral("MAX_PATH")), QStringLiteral("Public Const MAX_PATH = 260   "));
    QCOMPARE(b.full(QStringLiteral("MB_OK")), QStringLiteral("Public Const MB_OK = &H0"));
}

void FullTextTest::procedureGivesStoredLineWithoutBreak()
{
    QTemporaryDir dir;
    const QString line = QStringLiteral(
        "Declare Function GetWindowText Lib \"user32\" Alias \"GetWindowTextA\" (ByVal hwnd As Long, ByVal "
        "lpString As String, ByVal cch As Long) As Long");
    Browse b(convert(dir, {line, "Declare Sub Sleep Lib \"kernel32\" (ByVal dwMilliseconds As Long)"}),
             DeclKind::Procedure);
    QCOMPARE(b.full(QStringLiteral("GetWindowText")), line);
    QCOMPARE(b.full(QStringLiteral("Sleep")),
             QStringLiteral("Declare Sub Sleep Lib \"kernel32\" (ByVal dwMilliseconds As Long)"));
}

void FullTextTest::missingNameGivesEmptyText()
{
    QTemporaryDir dir;
    const QString db =
        convert(dir, {"Public Const A = 1", "Declare Sub B Lib \"k\" ()", "Type C", "End Type"});
    for (DeclKind kind : kDeclKinds) {
        Browse b(db, kind);
        const QString got = b.full(QStringLiteral("MISSING"));
        QVERIFY(got.isEmpty());
    }
    // A name of another kind is not found in this one.
    Browse constants(db, DeclKind::Constant);
    QVERIFY(constants.full(QStringLiteral("C")).isEmpty());
    QVERIFY(constants.full(QString()).isEmpty());
}

void FullTextTest::nameIsFoundInAnyAsciiCase()
{
    QTemporaryDir dir;
    const QString db =
        convert(dir, {"Public Const WM_SETTEXT = &HC", "Type PointAPI", "    x As Long", "End Type"});
    Browse constants(db, DeclKind::Constant);
    QCOMPARE(constants.full(QStringLiteral("wm_settext")), QStringLiteral("Public Const WM_SETTEXT = &HC"));
    Browse types(db, DeclKind::Type);
    QCOMPARE(types.full(QStringLiteral("POINTAPI")),
             QStringLiteral("Type PointAPI\r\n    x As Long\r\nEnd Type"));
}

void FullTextTest::repeatedNameGivesFirstInIndexOrder()
{
    QTemporaryDir dir;
    const QString db = convert(dir, {"Public Const Zed = 0", "Public Const Dup = 1", "Public Const DUP = 2",
                                     "Declare Function Twice Lib \"a\" () As Long",
                                     "Declare Function TWICE Lib \"b\" () As Long"});
    Browse constants(db, DeclKind::Constant);
    QCOMPARE(constants.full(QStringLiteral("dup")), QStringLiteral("Public Const Dup = 1"));
    QCOMPARE(constants.full(QStringLiteral("DUP")), QStringLiteral("Public Const Dup = 1"));
    Browse procedures(db, DeclKind::Procedure);
    QCOMPARE(procedures.full(QStringLiteral("TWICE")),
             QStringLiteral("Declare Function Twice Lib \"a\" () As Long"));
}

void FullTextTest::recordTypeIsRebuiltWithMembersAndEndType()
{
    QTemporaryDir dir;
    Browse b(convert(dir, {"Type RECT ' rectangle", "    Left As Long", "    Top As Long",
                           "    Right As Long", "    Bottom As Long", "end type", "Type SIZE", "  cx As Long",
                           "  cy As Long", "End Type"}),
             DeclKind::Type);
    QCOMPARE(b.full(QStringLiteral("RECT")),
             QStringLiteral("Type RECT \r\n    Left As Long\r\n    Top As Long\r\n    Right As Long\r\n"
                            "    Bottom As Long\r\nEnd Type"));
    QCOMPARE(b.full(QStringLiteral("size")),
             QStringLiteral("Type SIZE\r\n  cx As Long\r\n  cy As Long\r\nEnd Type"));
}

void FullTextTest::typeWithoutMembersGivesHeaderAndEndType()
{
    QTemporaryDir dir;
    Browse b(convert(dir, {"Type FIRST", "  f As Long", "End Type", "Type EMPTY_T", "End Type", "Type LAST",
                           "  l", "End Type"}),
             DeclKind::Type);
    QCOMPARE(b.full(QStringLiteral("EMPTY_T")), QStringLiteral("Type EMPTY_T\r\nEnd Type"));
}

void FullTextTest::typesSharingNumberShareMembers()
{
    QTemporaryDir dir;
    Browse b(convert(dir, {"Type A", "  a1", "Type B", "  b1", "End Type", "Type C", "  c1", "End Type"}),
             DeclKind::Type);
    QCOMPARE(b.full(QStringLiteral("A")), QStringLiteral("Type A\r\n  a1\r\n  b1\r\nEnd Type"));
    QCOMPARE(b.full(QStringLiteral("B")), QStringLiteral("Type B\r\n  a1\r\n  b1\r\nEnd Type"));
    QCOMPARE(b.full(QStringLiteral("C")), QStringLiteral("Type C\r\n  c1\r\nEnd Type"));
}

void FullTextTest::membersComeInStoredOrderAmongOtherTypes()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    makeEmptyDatabase(db);
    // Rows a foreign program could have written.
    sqlExec(db, QStringLiteral("INSERT INTO tbType (fdName, fdFull, fdTypeID) VALUES ('T1', 'Type T1', 1);"
                               "INSERT INTO tbType (fdName, fdFull, fdTypeID) VALUES ('T0', 'Type T0', 0);"
                               "INSERT INTO tbMenb (fdFull, fdTypeID) VALUES ('one-a', 1), ('zero-a', 0),"
                               " ('one-b', 1), ('two', 2), ('zero-b', 0), ('one-c', 1);"));
    Browse b(db, DeclKind::Type);
    QCOMPARE(b.full(QStringLiteral("T1")), QStringLiteral("Type T1\r\none-a\r\none-b\r\none-c\r\nEnd Type"));
    QCOMPARE(b.full(QStringLiteral("T0")), QStringLiteral("Type T0\r\nzero-a\r\nzero-b\r\nEnd Type"));
}

void FullTextTest::typeNumbersBeyond32BitsWork()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    makeEmptyDatabase(db);
    // Rows a foreign program could have written.
    sqlExec(db,
            QStringLiteral(
                "INSERT INTO tbType (fdName, fdFull, fdTypeID) VALUES ('BIG', 'Type BIG', 5000000000);"
                "INSERT INTO tbType (fdName, fdFull, fdTypeID) VALUES ('NEG', 'Type NEG', -3);"
                "INSERT INTO tbMenb (fdFull, fdTypeID) VALUES ('wrapped', 705032704), ('big', 5000000000),"
                " ('neg', -3);"));
    Browse b(db, DeclKind::Type);
    QCOMPARE(b.full(QStringLiteral("BIG")), QStringLiteral("Type BIG\r\nbig\r\nEnd Type"));
    QCOMPARE(b.full(QStringLiteral("NEG")), QStringLiteral("Type NEG\r\nneg\r\nEnd Type"));
}

void FullTextTest::nullTypeNumberGivesNoMembers()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    makeEmptyDatabase(db);
    // Rows a foreign program could have written.
    sqlExec(db, QStringLiteral(
                    "INSERT INTO tbType (fdName, fdFull, fdTypeID) VALUES ('LOOSE', 'Type LOOSE', NULL);"
                    "INSERT INTO tbType (fdName, fdFull, fdTypeID) VALUES ('ZERO', 'Type ZERO', 0);"
                    "INSERT INTO tbMenb (fdFull, fdTypeID) VALUES ('orphan', NULL), ('zero', 0);"));
    Browse b(db, DeclKind::Type);
    QCOMPARE(b.full(QStringLiteral("LOOSE")), QStringLiteral("Type LOOSE\r\nEnd Type"));
    QCOMPARE(b.full(QStringLiteral("ZERO")), QStringLiteral("Type ZERO\r\nzero\r\nEnd Type"));
}

void FullTextTest::nullTextsReadAsEmpty()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    makeEmptyDatabase(db);
    // Rows a foreign program could have written.
    sqlExec(db, QStringLiteral("INSERT INTO tbCnst (fdName, fdFull) VALUES ('HOLLOW', NULL);"
                               "INSERT INTO tbType (fdName, fdFull, fdTypeID) VALUES ('BARE', NULL, 4);"
                               "INSERT INTO tbMenb (fdFull, fdTypeID) VALUES (NULL, 4), ('  kept', 4);"));
    Browse constants(db, DeclKind::Constant);
    QCOMPARE(constants.full(QStringLiteral("HOLLOW")), QString());
    Browse types(db, DeclKind::Type);
    QCOMPARE(types.full(QStringLiteral("BARE")), QStringLiteral("\r\n\r\n  kept\r\nEnd Type"));
}

void FullTextTest::missingMemberTableIsReportedAs3078()
{
    QTemporaryDir dir;
    const QString db = convert(dir, {"Public Const A = 1", "Type T", "  x", "End Type"});
    // Rows a foreign program could have written.
    sqlExec(db, QStringLiteral("DROP TABLE tbMenb;"));
    Browse types(db, DeclKind::Type);
    const std::optional<DbError> e = dbErrorOf([&] { types.full(QStringLiteral("T")); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::NoTable);
    QCOMPARE(faultNumber(e->fault()), 3078);
    // A name that is not there never needs the member table.
    QVERIFY(types.full(QStringLiteral("U")).isEmpty());
    Browse constants(db, DeclKind::Constant);
    QCOMPARE(constants.full(QStringLiteral("A")), QStringLiteral("Public Const A = 1"));
}

QTEST_GUILESS_MAIN(FullTextTest)
#include "full_text_test.moc"
