// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "copy_assembly.h"
#include "db_checks.h"
#include "decl_store.h"
#include "search_list.h"
#include "string_items.h"
#include "test_data.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

namespace {

// The schema of the databases made before the list was read from the name index
// alone: old files must read the same.
const char kEarlierSchema[] = "CREATE TABLE tbCnst (fdID INTEGER PRIMARY KEY, fdName TEXT, fdFull TEXT);"
                              "CREATE INDEX tbCnst_ixName ON tbCnst (upper(fdName));"
                              "CREATE TABLE tbProc (fdID INTEGER PRIMARY KEY, fdName TEXT, fdFull TEXT);"
                              "CREATE INDEX tbProc_ixName ON tbProc (upper(fdName));"
                              "CREATE TABLE tbType (fdName TEXT, fdFull TEXT, fdTypeID INTEGER);"
                              "CREATE UNIQUE INDEX tbType_ixName ON tbType (upper(fdName));"
                              "CREATE TABLE tbMenb (fdID INTEGER PRIMARY KEY, fdFull TEXT, fdTypeID INTEGER);"
                              "CREATE INDEX tbMenb_ixTypeID ON tbMenb (fdTypeID);";

// A database of each kind this program reads: one it makes now, one made earlier.
struct Fixture
{
    QTemporaryDir dir;
    QString path;

    explicit Fixture(bool earlier = false)
        : path(dir.filePath(QStringLiteral("t.mdb")))
    {
        if (earlier) {
            writeBytes(path, QByteArray());
            sqlExec(path, QString::fromLatin1(kEarlierSchema));
        } else
            makeEmptyDatabase(path);
    }
    void add(const char* table, const QVariant& name, const QString& full, const QVariant& typeId = {})
    {
        const QString t = QString::fromLatin1(table);
        if (t == QLatin1String("tbMenb"))
            sqlInsert(path, t, {"fdFull", "fdTypeID"}, {full, typeId});
        else if (t == QLatin1String("tbType"))
            sqlInsert(path, t, {"fdName", "fdFull", "fdTypeID"}, {name, full, typeId});
        else
            sqlInsert(path, t, {"fdName", "fdFull"}, {name, full});
    }
    std::unique_ptr<DeclStore> open() const { return DeclStore::open(path); }
};

// The fold stated independently of the code under test: ASCII letters only.
QString asciiUpper(const QString& s)
{
    QString out = s;
    for (QChar& c : out) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    }
    return out;
}

long firstWithPrefix(const QStringList& names, const QString& prefix)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (asciiUpper(names[i]).startsWith(asciiUpper(prefix)))
            return long(i);
    }
    return -1;
}

// Names chosen to sit where a locale-aware or UTF-16 order would differ from
// the fold's code point order: underscore and bracket among letters, Latin-1,
// CJK, the private use area, full-width letters and a character beyond U+FFFF.
const QStringList kStoredOrder = {
    QStringLiteral("beta"), QStringLiteral("Alpha"),   QStringLiteral("ALPHA"), QStringLiteral("A_B"),
    QStringLiteral("AB"),   QStringLiteral("Ab1"),     QStringLiteral("_lead"), QStringLiteral("Zeta"),
    QStringLiteral("a["),   QStringLiteral("é"),       QStringLiteral("ａbc"),  QStringLiteral("表"),
    QStringLiteral("𠀋"),   QStringLiteral("\uE000x"), QStringLiteral("alpha"),
};
const QStringList kListOrder = {
    QStringLiteral("AB"),      QStringLiteral("Ab1"),   QStringLiteral("Alpha"), QStringLiteral("ALPHA"),
    QStringLiteral("alpha"),   QStringLiteral("a["),    QStringLiteral("A_B"),   QStringLiteral("beta"),
    QStringLiteral("Zeta"),    QStringLiteral("_lead"), QStringLiteral("é"),     QStringLiteral("表"),
    QStringLiteral("\uE000x"), QStringLiteral("ａbc"),  QStringLiteral("𠀋"),
};

QStringList fullsOf(const std::vector<StoredDecl>& found)
{
    QStringList out;
    for (const StoredDecl& d : found)
        out << d.full + (d.members.isEmpty() ? QString() : u'|' + d.members.join(u'|'));
    return out;
}

} // namespace

class StoreTest : public QObject
{
    Q_OBJECT
private slots:
    void listIsFoldedNamesThenStoredOrder_data();
    void listIsFoldedNamesThenStoredOrder();
    void listSearchAndIndexSearchFindEveryPrefix();
    void findGivesEveryVariantUnderTheAsciiFold_data();
    void findGivesEveryVariantUnderTheAsciiFold();
    void placesAreReadWhereStoredAndAbsentFromEarlierFiles();
    void missingOrForeignTablesAreRefused();
    void filesThatAreNoDatabaseAreRefusedAndLeftAlone();
    void readingNeitherLocksNorWritesTheFile();
    void valuesBeyondTheBoundAreRefusedUnread();
};

void StoreTest::listIsFoldedNamesThenStoredOrder_data()
{
    QTest::addColumn<bool>("earlier");
    QTest::newRow("made now") << false;
    QTest::newRow("made earlier") << true;
}

void StoreTest::listIsFoldedNamesThenStoredOrder()
{
    QFETCH(bool, earlier);
    Fixture f(earlier);
    for (const QString& name : kStoredOrder)
        f.add("tbCnst", name, QStringLiteral("Public Const ") + name + QStringLiteral(" = 0"));
    // A row without a name, which no conversion stores, lists first as an empty name.
    f.add("tbProc", QVariant(), QStringLiteral("no name"));
    f.add("tbProc", QStringLiteral("A"), QStringLiteral("a"));
    const std::unique_ptr<DeclStore> store = f.open();
    QCOMPARE(listNames(*store, DeclKind::Constant), kListOrder);
    // Listing again gives the same.
    QCOMPARE(listNames(*store, DeclKind::Constant), kListOrder);
    QCOMPARE(listNames(*store, DeclKind::Procedure), QStringList({"", "A"}));
    QCOMPARE(listNames(*store, DeclKind::Type), QStringList());
}

void StoreTest::listSearchAndIndexSearchFindEveryPrefix()
{
    Fixture f;
    for (const QString& name : kStoredOrder)
        f.add("tbProc", name, QStringLiteral("Declare Sub ") + name + QStringLiteral(" Lib \"x\" ()"));
    const std::unique_ptr<DeclStore> store = f.open();
    const QStringList listed = listNames(*store, DeclKind::Procedure);
    const StringItems items(listed);
    int checked = 0;
    for (const QString& name : listed) {
        for (qsizetype n = 1; n <= name.size(); ++n) {
            for (const QString& key : {name.left(n), name.left(n).toLower(), name.left(n).toUpper()}) {
                const long expected = firstWithPrefix(listed, key);
                QCOMPARE(SearchList(items, key), expected);
                const std::optional<QString> found = SearchIndex(*store, DeclKind::Procedure, key);
                QCOMPARE(found.value_or(QStringLiteral("-")),
                         expected < 0 ? QStringLiteral("-") : listed[expected]);
                ++checked;
            }
        }
    }
    QVERIFY(checked > 100);
    QCOMPARE(SearchList(items, QStringLiteral("a_")), long(listed.indexOf(QStringLiteral("A_B"))));
    QCOMPARE(SearchList(items, QStringLiteral("ab_")), -1L);
    QVERIFY(!SearchIndex(*store, DeclKind::Procedure, QStringLiteral("ab_")));
    QVERIFY(!SearchIndex(*store, DeclKind::Procedure, QString()));
}

void StoreTest::findGivesEveryVariantUnderTheAsciiFold_data()
{
    QTest::addColumn<bool>("earlier");
    QTest::newRow("made now") << false;
    QTest::newRow("made earlier") << true;
}

void StoreTest::findGivesEveryVariantUnderTheAsciiFold()
{
    QFETCH(bool, earlier);
    Fixture f(earlier);
    f.add("tbCnst", QStringLiteral("OTHER"), QStringLiteral("other"));
    f.add("tbCnst", QStringLiteral("Dup"), QStringLiteral("first"));
    f.add("tbCnst", QStringLiteral("DU"), QStringLiteral("shorter"));
    f.add("tbCnst", QStringLiteral("DUP"), QStringLiteral("second"));
    f.add("tbCnst", QStringLiteral("dup"), QStringLiteral("third"));
    f.add("tbType", QStringLiteral("RECT"), QStringLiteral("Type RECT"), 0);
    f.add("tbType", QStringLiteral("ＲＥＣＴ"), QStringLiteral("Type ＲＥＣＴ"), 1);
    f.add("tbType", QStringLiteral("Été"), QStringLiteral("Type Été"), 2);
    f.add("tbType", QStringLiteral("NONUMBER"), QStringLiteral("Type NONUMBER"), QVariant());
    f.add("tbMenb", {}, QStringLiteral("    Bottom As Long"), 0);
    f.add("tbMenb", {}, QStringLiteral("    wide"), 1);
    f.add("tbMenb", {}, QStringLiteral("    Top As Long"), 0);
    f.add("tbMenb", {}, QStringLiteral("    stray"), QVariant());
    const std::unique_ptr<DeclStore> store = f.open();

    QCOMPARE(fullsOf(store->find(DeclKind::Constant, QStringLiteral("dUP"))),
             QStringList({"first", "second", "third"}));
    for (const QString& key :
         {QStringLiteral("MAX"), QStringLiteral("DUPS"), QStringLiteral(" DUP"), QString()})
        QVERIFY2(!store->contains(DeclKind::Constant, key), qPrintable(key));
    QVERIFY(store->contains(DeclKind::Constant, QStringLiteral("du")));

    const QString rect = QStringLiteral("Type RECT|    Bottom As Long|    Top As Long");
    for (const QString& key : {QStringLiteral("rect"), QStringLiteral("Rect"), QStringLiteral("rEcT")})
        QCOMPARE(fullsOf(store->find(DeclKind::Type, key)), QStringList{rect});
    // Only ASCII letters fold: full-width and accented letters match only as stored.
    QVERIFY(!store->contains(DeclKind::Type, QStringLiteral("ｒｅｃｔ")));
    QCOMPARE(fullsOf(store->find(DeclKind::Type, QStringLiteral("ＲＥＣＴ"))),
             QStringList{QStringLiteral("Type ＲＥＣＴ|    wide")});
    QVERIFY(!store->contains(DeclKind::Type, QStringLiteral("été")));
    QVERIFY(store->contains(DeclKind::Type, QStringLiteral("Été")));
    // A type without a number has no members, not those without a number.
    QCOMPARE(fullsOf(store->find(DeclKind::Type, QStringLiteral("nonumber"))),
             QStringList{QStringLiteral("Type NONUMBER")});
    // Constants and functions are their own names: nothing of the types is found there.
    QVERIFY(!store->contains(DeclKind::Procedure, QStringLiteral("RECT")));
}

void StoreTest::placesAreReadWhereStoredAndAbsentFromEarlierFiles()
{
    const auto idsOf = [](const std::vector<StoredConditional>& lines) {
        QList<qint64> ids;
        for (const StoredConditional& line : lines)
            ids << line.id;
        return ids;
    };
    Fixture earlier(true);
    earlier.add("tbCnst", QStringLiteral("A"), QStringLiteral("Const A = 1"));
    const std::unique_ptr<DeclStore> old = earlier.open();
    QCOMPARE(old->find(DeclKind::Constant, QStringLiteral("a")).at(0).cond, 0);
    QVERIFY(old->groupsAround({1}).empty());
    QCOMPARE(assembleCopy(old.get(), DeclKind::Constant, {QStringLiteral("A")},
                          CopyOptions{true, CopyScope::Private}, CopyEnd::NoFinalBreak),
             QStringLiteral("Private Const A = 1"));

    Fixture f;
    // Rows as a conversion writes them: a group with one inside it, then another.
    sqlExec(f.path,
            QStringLiteral("INSERT INTO tbCond VALUES (1, 1, 0, '#If A Then'), (2, 2, 1, '#If B Then'),"
                           " (3, 2, 1, '#End If'), (4, 1, 0, '#End If'), (5, 5, 0, '#If C Then'),"
                           " (6, 5, 0, '#End If');"
                           "INSERT INTO tbCnst (fdName, fdFull, fdCond) VALUES ('X', 'Const X = 1', 2),"
                           " ('x', 'Const x = 2', 0);"
                           "INSERT INTO tbType (fdName, fdFull, fdTypeID) VALUES ('T', 'Type T', 0);"));
    std::unique_ptr<DeclStore> store = f.open();
    const std::vector<StoredDecl> found = store->find(DeclKind::Constant, QStringLiteral("X"));
    QCOMPARE(found.size(), size_t(2));
    QCOMPARE(found[0].cond, 2);
    QCOMPARE(found[1].cond, 0);
    QCOMPARE(store->find(DeclKind::Type, QStringLiteral("T")).at(0).cond, 0);
    // Only the groups around the place are read, with the #End If a declaration follows.
    const QList<qint64> outer = {1, 2, 3, 4};
    QCOMPARE(idsOf(store->groupsAround({1})), QList<qint64>({1, 4}));
    QCOMPARE(idsOf(store->groupsAround({2})), outer);
    QCOMPARE(idsOf(store->groupsAround({3})), QList<qint64>({1, 3, 4}));
    QCOMPARE(idsOf(store->groupsAround({3, 0, 2})), outer);
    // The first place decides the outermost group; a place in another one is not read.
    QCOMPARE(idsOf(store->groupsAround({1, 5})), QList<qint64>({1, 4}));
    QCOMPARE(idsOf(store->groupsAround({5, 2})), QList<qint64>({5, 6}));
    QCOMPARE(store->groupsAround({5}).at(0).full, QStringLiteral("#If C Then"));
    QCOMPARE(store->groupsAround({2}).at(2).parent, 1);
    // After the outermost #End If nothing is around.
    QVERIFY(store->groupsAround({4}).empty());
    QVERIFY(store->groupsAround({0, 2}).empty());
    QVERIFY(store->groupsAround({99}).empty());
    // Without the group index, as databases made before it, the whole outermost group.
    sqlExec(f.path, QStringLiteral("DROP INDEX tbCond_ixGroup"));
    store = f.open();
    QCOMPARE(idsOf(store->groupsAround({1})), outer);
    QCOMPARE(idsOf(store->groupsAround({5})), QList<qint64>({5, 6}));

    // Rows no conversion writes: branches that hold each other hold nothing.
    sqlExec(f.path,
            QStringLiteral("INSERT INTO tbCond VALUES (7, 7, 8, '#If D Then'), (8, 8, 7, '#If E Then');"));
    store = f.open();
    QVERIFY(store->groupsAround({7}).empty());
    // A view in the place of the table is never read.
    sqlExec(f.path, QStringLiteral("DROP TABLE tbCond; CREATE VIEW tbCond AS SELECT 1 AS fdID, 1 AS fdGroup, "
                                   "0 AS fdParent, '#If A Then' AS fdFull;"));
    store = f.open();
    QVERIFY(store->groupsAround({1}).empty());
    QCOMPARE(store->find(DeclKind::Constant, QStringLiteral("X")).at(0).cond, 2);
}

void StoreTest::missingOrForeignTablesAreRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("foreign.mdb"));
    writeBytes(path, QByteArray());
    sqlExec(path, QStringLiteral("CREATE TABLE tbCnst (fdName TEXT);"
                                 "CREATE VIEW tbProc AS SELECT 'x' AS fdName, 'y' AS fdFull;"
                                 "CREATE TABLE tbType (fdName TEXT, fdFull TEXT);"));
    const QByteArray before = readBytes(path);
    const std::unique_ptr<DeclStore> store = DeclStore::open(path);
    const auto faultOf = [&](DeclKind kind) {
        const std::optional<DbError> e = dbErrorOf([&] { store->contains(kind, QStringLiteral("x")); });
        return e ? QStringLiteral("%1 %2").arg(faultNumber(e->fault())).arg(e->detail())
                 : QStringLiteral("none");
    };
    QCOMPARE(faultOf(DeclKind::Constant), QStringLiteral("3265 tbCnst.fdFull"));
    QCOMPARE(faultOf(DeclKind::Procedure), QStringLiteral("3078 tbProc"));
    QCOMPARE(faultOf(DeclKind::Type), QStringLiteral("3265 tbType.fdTypeID"));
    QCOMPARE(readBytes(path), before);

    Fixture f;
    sqlExec(f.path, QStringLiteral("DROP TABLE tbMenb;"));
    f.add("tbType", QStringLiteral("RECT"), QStringLiteral("Type RECT"), 0);
    const std::unique_ptr<DeclStore> withoutMembers = f.open();
    QCOMPARE(listNames(*withoutMembers, DeclKind::Type), QStringList{QStringLiteral("RECT")});
    QCOMPARE(faultNumberOf([&] { withoutMembers->find(DeclKind::Type, QStringLiteral("RECT")); }), 3078);
}

void StoreTest::filesThatAreNoDatabaseAreRefusedAndLeftAlone()
{
    QTemporaryDir dir;
    const auto faultOf = [](const QString& path) {
        const std::optional<DbError> e =
            dbErrorOf([&] { DeclStore::open(path)->contains(DeclKind::Constant, {}); });
        return e ? faultNumber(e->fault()) : 0;
    };
    const QString missing = dir.filePath(QStringLiteral("missing.mdb"));
    QCOMPARE(faultOf(missing), 3024);
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(faultOf(dir.filePath(QStringLiteral("no/t.mdb"))), 3044);
    QCOMPARE(faultOf(dir.path()), 3051);

    const QString noise = dir.filePath(QStringLiteral("noise.mdb"));
    QByteArray bytes(8192, Qt::Uninitialized);
    QRandomGenerator random(42);
    for (char& c : bytes)
        c = char(random.bounded(256));
    writeBytes(noise, bytes);
    QCOMPARE(faultOf(noise), 3343);
    // The right magic in front of noise is still no database.
    writeBytes(noise, QByteArray("SQLite format 3", 16) + bytes);
    QVERIFY(QList<int>({3343, 3049}).contains(faultOf(noise)));
    QCOMPARE(readBytes(noise), QByteArray("SQLite format 3", 16) + bytes);
    // An empty file opens as an empty database, which has none of the tables.
    const QString empty = dir.filePath(QStringLiteral("empty.mdb"));
    writeBytes(empty, QByteArray());
    QCOMPARE(faultOf(empty), 3078);
    QCOMPARE(QFileInfo(empty).size(), 0);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"empty.mdb", "noise.mdb"}));
}

void StoreTest::readingNeitherLocksNorWritesTheFile()
{
    Fixture f;
    f.add("tbCnst", QStringLiteral("A"), QStringLiteral("a"));
    f.add("tbCnst", QStringLiteral("B"), QStringLiteral("b"));
    const QByteArray before = readBytes(f.path);
    const std::unique_ptr<DeclStore> store = f.open();
    QCOMPARE(listNames(*store, DeclKind::Constant), QStringList({"A", "B"}));
    QVERIFY(store->contains(DeclKind::Constant, QStringLiteral("a")));
    // Another program may write the file at once while it is open here.
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(f.path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr),
             SQLITE_OK);
    sqlite3_busy_timeout(other, 0);
    const int rc = sqlite3_exec(other, "BEGIN EXCLUSIVE; ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    QCOMPARE(rc, SQLITE_OK);
    QCOMPARE(readBytes(f.path), before);
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("t.mdb")});
}

void StoreTest::valuesBeyondTheBoundAreRefusedUnread()
{
    Fixture f;
    f.add("tbCnst", QStringLiteral("SHORT"), QStringLiteral("Const SHORT = 1"));
    f.add("tbCnst", QString(300 * 1024, u'N'), QStringLiteral("Const N = 1"));
    f.add("tbProc", QStringLiteral("F"), QString(300 * 1024, u'f'));
    const std::unique_ptr<DeclStore> store = f.open();
    const std::optional<DbError> e = dbErrorOf([&] { listNames(*store, DeclKind::Constant); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::ValueTooLong);
    QCOMPARE(faultNumberOf([&] { store->find(DeclKind::Procedure, QStringLiteral("F")); }), 3251);
    // What stays within the bound still reads.
    QVERIFY(store->contains(DeclKind::Constant, QStringLiteral("SHORT")));
}

QTEST_GUILESS_MAIN(StoreTest)
#include "store_test.moc"
