// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "connection.h"
#include "db_checks.h"
#include "decl_store.h"
#include "test_data.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {

QStringList columnsOf(const QString& db, const QString& table)
{
    QStringList out;
    for (const QVariantList& row : sqlRows(db, QStringLiteral("PRAGMA table_info(%1)").arg(table)))
        out << row.value(1).toString() + u' ' + row.value(2).toString();
    return out;
}

qint64 rowCount(const QString& db, const QString& table)
{
    return sqlRows(db, QStringLiteral("SELECT count(*) FROM %1").arg(table)).value(0).value(0).toLongLong();
}

void fillSomeRows(const QString& db)
{
    for (const QString& name : {QStringLiteral("OLD_ONE"), QStringLiteral("OLD_TWO")})
        sqlInsert(db, QStringLiteral("tbCnst"), {"fdName", "fdFull"},
                  {name, QStringLiteral("Public Const %1 = 1").arg(name)});
}

const QStringList kTables = {QStringLiteral("tbCnst"), QStringLiteral("tbProc"), QStringLiteral("tbType"),
                             QStringLiteral("tbMenb"), QStringLiteral("tbCond")};

} // namespace

class SchemaTest : public QObject
{
    Q_OBJECT
private slots:
    void emptyDatabaseHasItsTablesWithColumnsInOrder();
    void indexesCarryTheirTableAndFoldNames();
    void onlyTheTypeNameIndexIsUnique();
    void freshDatabaseListsEveryKindAsEmpty();
    void databaseWithRowsIsReplacedByEmptyOne();
    void fileOfRandomBytesIsReplaced();
    void symbolicLinkKeepsPointingAtTheFileItNames();
    void sideFilesSomeoneElsePutBesideABuildAreNotItsOwn();
    void folderAtThePathIsKeptAndRefused();
    void fifoAtThePathIsRefused();
    void missingFolderIsReportedAndNothingCreated();
    void fileThatCannotBeDeletedStaysAndIsReported();
    void standardShellChecksAndCountsConvertedFile();
    void rowsWrittenByStandardShellAreFoundByName();
};

void SchemaTest::emptyDatabaseHasItsTablesWithColumnsInOrder()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("Ek.MDB"));
    makeEmptyDatabase(db);
    QCOMPARE(
        sqlColumn(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid")),
        kTables);
    QCOMPARE(columnsOf(db, QStringLiteral("tbCnst")),
             QStringList({"fdID INTEGER", "fdName TEXT", "fdFull TEXT", "fdCond INTEGER"}));
    QCOMPARE(columnsOf(db, QStringLiteral("tbProc")),
             QStringList({"fdID INTEGER", "fdName TEXT", "fdFull TEXT", "fdCond INTEGER"}));
    QCOMPARE(columnsOf(db, QStringLiteral("tbType")),
             QStringList({"fdName TEXT", "fdFull TEXT", "fdTypeID INTEGER", "fdCond INTEGER"}));
    QCOMPARE(columnsOf(db, QStringLiteral("tbMenb")),
             QStringList({"fdID INTEGER", "fdFull TEXT", "fdTypeID INTEGER"}));
    QCOMPARE(columnsOf(db, QStringLiteral("tbCond")),
             QStringList({"fdID INTEGER", "fdGroup INTEGER", "fdParent INTEGER", "fdFull TEXT"}));
    for (const QString& table : kTables)
        QCOMPARE(rowCount(db, table), 0);
    // The file must be closed: nothing but the database itself is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Ek.MDB")});
}

void SchemaTest::indexesCarryTheirTableAndFoldNames()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    makeEmptyDatabase(db);
    const QList<QVariantList> rows = sqlRows(
        db, QStringLiteral("SELECT name, tbl_name FROM sqlite_master WHERE type = 'index' ORDER BY name"));
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows[0], QVariantList({"tbCnst_ixName", "tbCnst"}));
    QCOMPARE(rows[1], QVariantList({"tbCond_ixGroup", "tbCond"}));
    QCOMPARE(rows[2], QVariantList({"tbMenb_ixTypeID", "tbMenb"}));
    QCOMPARE(rows[3], QVariantList({"tbProc_ixName", "tbProc"}));
    QCOMPARE(rows[4], QVariantList({"tbType_ixName", "tbType"}));

    for (const QString& index : {QStringLiteral("tbCnst_ixName"), QStringLiteral("tbProc_ixName"),
                                 QStringLiteral("tbType_ixName")}) {
        // An expression column shows as cid -2 with no name.
        const QList<QVariantList> info = sqlRows(db, QStringLiteral("PRAGMA index_xinfo(%1)").arg(index));
        QVERIFY(!info.isEmpty());
        QCOMPARE(info[0].value(1).toLongLong(), -2);
        QVERIFY2(sqlColumn(db, QStringLiteral("SELECT sql FROM sqlite_master WHERE name = '%1'").arg(index))
                     .value(0)
                     .contains(QLatin1String("upper(fdName)")),
                 qPrintable(index));
    }
    const QList<QVariantList> typeId = sqlRows(db, QStringLiteral("PRAGMA index_info(tbMenb_ixTypeID)"));
    QCOMPARE(typeId.size(), 1);
    QCOMPARE(typeId[0].value(2).toString(), QStringLiteral("fdTypeID"));
}

void SchemaTest::onlyTheTypeNameIndexIsUnique()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    makeEmptyDatabase(db);
    for (const QString& table : kTables) {
        const QList<QVariantList> list = sqlRows(db, QStringLiteral("PRAGMA index_list(%1)").arg(table));
        QCOMPARE(list.size(), 1);
        // Columns: seq, name, unique, origin ("c": made by CREATE INDEX, not a key).
        QCOMPARE(list[0].value(2).toLongLong(), table == QLatin1String("tbType") ? 1 : 0);
        QCOMPARE(list[0].value(3).toString(), QStringLiteral("c"));
    }
}

void SchemaTest::freshDatabaseListsEveryKindAsEmpty()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.mdb"));
    makeEmptyDatabase(path);
    const std::unique_ptr<DeclStore> store = DeclStore::open(path);
    for (DeclKind kind : kDeclKinds)
        QCOMPARE(listNames(*store, kind), QStringList());
}

void SchemaTest::databaseWithRowsIsReplacedByEmptyOne()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    makeEmptyDatabase(db);
    fillSomeRows(db);
    QCOMPARE(rowCount(db, QStringLiteral("tbCnst")), 2);
    makeEmptyDatabase(db);
    for (const QString& table : kTables)
        QCOMPARE(rowCount(db, table), 0);
    QCOMPARE(integrityCheck(db), QStringLiteral("ok"));
}

void SchemaTest::fileOfRandomBytesIsReplaced()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    QByteArray noise(50000, Qt::Uninitialized);
    QRandomGenerator random(5);
    for (char& c : noise)
        c = char(random.bounded(256));
    writeBytes(db, noise);
    makeEmptyDatabase(db);
    QCOMPARE(
        sqlColumn(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid")),
        kTables);
    QCOMPARE(integrityCheck(db), QStringLiteral("ok"));
}

// Through a link, the file it names is replaced and the link stays; a link to no
// regular file, or to nothing, is refused and left as it is.
void SchemaTest::symbolicLinkKeepsPointingAtTheFileItNames()
{
    QTemporaryDir dir;
    const QString named = dir.filePath(QStringLiteral("real.mdb"));
    const QString link = dir.filePath(QStringLiteral("t.mdb"));
    if (!posixFiles())
        QSKIP("QFile::link makes a shortcut on this system, not a symbolic link");
    writeBytes(named, "old\r\n");
    QCOMPARE(::chmod(QFile::encodeName(named).constData(), 0640), 0);
    QVERIFY(QFile::link(named, link));
    makeEmptyDatabase(link);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), named);
    QCOMPARE(rowCount(named, QStringLiteral("tbType")), 0);
    struct stat st
    {
    };
    QCOMPARE(::stat(QFile::encodeName(named).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0640u);
    const auto filesIn = [&] {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    };
    QCOMPARE(filesIn(), QStringList({"real.mdb", "t.mdb"}));

    for (const QString& to : {QStringLiteral("/dev/null"), dir.filePath(QStringLiteral("missing.mdb"))}) {
        const QString other = dir.filePath(QStringLiteral("other.mdb"));
        QFile::remove(other);
        QVERIFY(QFile::link(to, other));
        const std::optional<DbError> e = dbErrorOf([&] { makeEmptyDatabase(other); });
        QVERIFY2(e && e->fault() == DbFault::NotAFile, qPrintable(to));
        QCOMPARE(QFileInfo(other).symLinkTarget(), to);
    }
    QCOMPARE(filesIn(), QStringList({"other.mdb", "real.mdb", "t.mdb"}));
}

// In a shared folder anyone may put a journal or a WAL beside the hidden build file
// before SQLite opens it; SQLite would read it, roll it back or try to delete it.
void SchemaTest::sideFilesSomeoneElsePutBesideABuildAreNotItsOwn()
{
    QTemporaryDir dir;
    const QString hidden = dir.filePath(QStringLiteral(".t.mdb.0123456789abcdef"));
    writeBytes(hidden, QByteArray());
    const QByteArray wal = QByteArray("\x37\x7f\x06\x82\x00\x2d\xe2\x18", 8) + QByteArray(4088, '\x05');
    const QByteArray journal = QByteArray("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8) + QByteArray(504, '\x01');
    writeBytes(hidden + QStringLiteral("-wal"), wal);
    writeBytes(hidden + QStringLiteral("-journal"), journal);
    {
        const std::unique_ptr<Connection> c =
            Connection::openNewFile(hidden, dir.filePath(QStringLiteral("t.mdb")));
        c->run("CREATE TABLE t (x); INSERT INTO t VALUES (42)");
    }
    QCOMPARE(readBytes(hidden + QStringLiteral("-wal")), wal);
    QCOMPARE(readBytes(hidden + QStringLiteral("-journal")), journal);
    // An ordinary reader would take the journal for its own and roll it back.
    QVERIFY(QFile::remove(hidden + QStringLiteral("-journal")));
    QCOMPARE(sqlColumn(hidden, QStringLiteral("SELECT x FROM t")), QStringList{QStringLiteral("42")});
}

void SchemaTest::folderAtThePathIsKeptAndRefused()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("t.mdb"));
    QVERIFY(QDir().mkpath(folder));
    writeBytes(QDir(folder).filePath(QStringLiteral("inside.txt")), "x");
    const std::optional<DbError> e = dbErrorOf([&] { makeEmptyDatabase(folder); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::NotAFile);
    QCOMPARE(faultNumber(e->fault()), 3051);
    QCOMPARE(e->path(), folder);
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(readBytes(QDir(folder).filePath(QStringLiteral("inside.txt"))), QByteArray("x"));
}

void SchemaTest::fifoAtThePathIsRefused()
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("t.mdb"));
    if (!posixFiles())
        QSKIP("no FIFO can stand at a file path on this system");
    QVERIFY(makeFifo(fifo));
    QCOMPARE(dbErrorOf([&] { makeEmptyDatabase(fifo); })->fault(), DbFault::NotAFile);
    QVERIFY(isFifo(fifo));
}

void SchemaTest::missingFolderIsReportedAndNothingCreated()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("no/such/folder/t.mdb"));
    const std::optional<DbError> e = dbErrorOf([&] { makeEmptyDatabase(db); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::BadPath);
    QCOMPARE(faultNumber(e->fault()), 3044);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("no"))));
}

void SchemaTest::fileThatCannotBeDeletedStaysAndIsReported()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkpath(folder));
    const QString db = QDir(folder).filePath(QStringLiteral("t.mdb"));
    makeEmptyDatabase(db);
    fillSomeRows(db);
    giveToUnprivilegedUser(dir.path());
    QVERIFY(QFile::setPermissions(folder,
                                  QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    std::optional<DbError> e;
    {
        UnprivilegedFiles unprivileged;
        if (!unprivileged.modesApply())
            QSKIP("running privileged and cannot drop the file-system identity");
        e = dbErrorOf([&] { makeEmptyDatabase(db); });
    }
    QVERIFY(e);
    // The folder is what may not be written, and what the message names.
    QCOMPARE(e->fault(), DbFault::FolderDenied);
    QCOMPARE(e->path(), folder);
    QCOMPARE(faultNumber(e->fault()), 3051);
    QCOMPARE(rowCount(db, QStringLiteral("tbCnst")), 2);
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void SchemaTest::standardShellChecksAndCountsConvertedFile()
{
    if (sqliteShell().isEmpty())
        QSKIP("the sqlite3 shell is not installed");
    QTemporaryDir dir;
    convertLines(dir.path(),
                 {"Public Const MAX_PATH = 260", "Declare Function GetTickCount Lib \"kernel32\" () As Long",
                  "Type POINT", "    x As Long", "    y As Long", "End Type"});
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    QCOMPARE(runSqliteShell(db, QStringLiteral("PRAGMA integrity_check;")), QStringLiteral("ok"));
    QCOMPARE(runSqliteShell(db, QStringLiteral("SELECT count(*) FROM tbCnst; SELECT count(*) FROM tbProc;"
                                               "SELECT count(*) FROM tbType; SELECT count(*) FROM tbMenb;")),
             QStringLiteral("1\n1\n1\n2"));
    QCOMPARE(runSqliteShell(db, QStringLiteral("SELECT fdName FROM tbType WHERE upper(fdName) = 'POINT';")),
             QStringLiteral("POINT"));
}

void SchemaTest::rowsWrittenByStandardShellAreFoundByName()
{
    if (sqliteShell().isEmpty())
        QSKIP("the sqlite3 shell is not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.mdb"));
    makeEmptyDatabase(path);
    QCOMPARE(runSqliteShell(path, QStringLiteral("INSERT INTO tbCnst (fdName, fdFull) VALUES "
                                                 "('WM_USER', 'Public Const WM_USER = &H400');")),
             QString());
    // The unique type index needs no collation from us, so the shell enforces it too;
    // rows written without a place stand outside any group.
    QVERIFY(runSqliteShell(
                path, QStringLiteral(
                          "INSERT INTO tbType (fdName, fdFull, fdTypeID) VALUES ('Rect', 'Type Rect', 0);"
                          "INSERT INTO tbType (fdName, fdFull, fdTypeID) VALUES ('RECT', 'Type RECT', 1);"))
                .startsWith(QLatin1String("FAILED")));
    const std::unique_ptr<DeclStore> store = DeclStore::open(path);
    const std::vector<StoredDecl> found = store->find(DeclKind::Constant, QStringLiteral("wm_user"));
    QCOMPARE(found.size(), size_t(1));
    QCOMPARE(found[0].full, QStringLiteral("Public Const WM_USER = &H400"));
    QCOMPARE(listNames(*store, DeclKind::Type), QStringList{QStringLiteral("Rect")});
}

QTEST_GUILESS_MAIN(SchemaTest)
#include "schema_test.moc"
