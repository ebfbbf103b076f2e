// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "database.h"
#include "db_checks.h"
#include "make_db.h"
#include "recordset.h"
#include "search_list.h"
#include "test_data.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

namespace {

struct Fixture
{
    QTemporaryDir dir;
    QString path;
    std::shared_ptr<Database> db;

    Fixture()
        : path(dir.filePath(QStringLiteral("t.mdb")))
    {
        MakeDb(path);
        db = Database::OpenDatabase(path);
    }

    void add(const QString& table, const QVariant& name, const QString& full, const QVariant& typeId = {})
    {
        std::unique_ptr<Recordset> rs = db->OpenRecordset(table);
        rs->AddNew();
        if (table != QLatin1String("tbMenb"))
            rs->setField(QStringLiteral("fdName"), name);
        rs->setField(QStringLiteral("fdFull"), full);
        if (table == QLatin1String("tbType") || table == QLatin1String("tbMenb"))
            rs->setField(QStringLiteral("fdTypeID"), typeId);
        rs->Update();
    }

    std::unique_ptr<Recordset> byName(const QString& table)
    {
        std::unique_ptr<Recordset> rs = db->OpenRecordset(table);
        rs->setIndex(QStringLiteral("ixName"));
        return rs;
    }
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
const QStringList kIndexOrder = {
    QStringLiteral("AB"),      QStringLiteral("Ab1"),   QStringLiteral("Alpha"), QStringLiteral("ALPHA"),
    QStringLiteral("alpha"),   QStringLiteral("a["),    QStringLiteral("A_B"),   QStringLiteral("beta"),
    QStringLiteral("Zeta"),    QStringLiteral("_lead"), QStringLiteral("é"),     QStringLiteral("表"),
    QStringLiteral("\uE000x"), QStringLiteral("ａbc"),  QStringLiteral("𠀋"),
};

} // namespace

class EngineTest : public QObject
{
    Q_OBJECT
private slots:
    void nameIndexWalksFoldedNamesWithEqualKeysInStoredOrder();
    void listSearchFindsEveryPrefixInNameIndexOrder();
    void walkWithoutIndexFollowsStoredOrder();
    void typeNumberIndexWalksNumbersThenStoredOrder();
    void seekOnDuplicatesStopsAtFirstInIndexOrder();
    void seekIgnoresCaseOfAsciiLettersOnly();
    void seekWithoutExactNameSetsNoMatch();
    void seekNeedsTableIndexAndEquality();
    void moveFirstOnEmptyTableFails();
    void movingOrReadingPastEndFails();
    void typeNameIsUniqueInAnyLetterCaseWhileConstantsRepeat();
    void emptyNameIsRefused();
    void missingNameIsStoredAsNull();
    void openDatabaseNeverCreatesMissingFile();
    void missingTableIsReportedAs3078();
    void randomBytesAreNotADatabase();
    void zeroByteFileOpensButHasNoTable();
    void folderIsNotADatabaseFile();
    void closingRecordsetTwiceDoesNothing();
    void closingDatabaseClosesItsRecordsets();
    void recordsetKeepsItsDatabaseWhenTheOwnerLetsGo();
    void unknownFieldOrIndexIsReportedAs3265();
    void finishedWalkHoldsNoLockOnFile();
};

void EngineTest::nameIndexWalksFoldedNamesWithEqualKeysInStoredOrder()
{
    Fixture f;
    for (const QString& name : kStoredOrder)
        f.add(QStringLiteral("tbCnst"), name,
              QStringLiteral("Public Const ") + name + QStringLiteral(" = 0"));
    std::unique_ptr<Recordset> rs = f.byName(QStringLiteral("tbCnst"));
    QCOMPARE(walkNames(*rs), kIndexOrder);
    // Walking again from the top gives the same order.
    rs->MoveFirst();
    QCOMPARE(walkNames(*rs), kIndexOrder);
}

void EngineTest::listSearchFindsEveryPrefixInNameIndexOrder()
{
    Fixture f;
    for (const QString& name : kStoredOrder)
        f.add(QStringLiteral("tbProc"), name,
              QStringLiteral("Declare Sub ") + name + QStringLiteral(" Lib \"x\" ()"));
    std::unique_ptr<Recordset> rs = f.byName(QStringLiteral("tbProc"));
    const QStringList listed = walkNames(*rs);
    const StringListItems items(listed);
    int checked = 0;
    for (const QString& name : listed) {
        for (qsizetype n = 1; n <= name.size(); ++n) {
            for (const QString& key : {name.left(n), name.left(n).toLower(), name.left(n).toUpper()}) {
                QCOMPARE(SearchList(items, key), firstWithPrefix(listed, key));
                ++checked;
            }
        }
    }
    QVERIFY(checked > 100);
    QCOMPARE(SearchList(items, QStringLiteral("a_")), long(listed.indexOf(QStringLiteral("A_B"))));
    QCOMPARE(SearchList(items, QStringLiteral("_")), long(listed.indexOf(QStringLiteral("_lead"))));
    QCOMPARE(SearchList(items, QStringLiteral("ab_")), -1L);
}

void EngineTest::walkWithoutIndexFollowsStoredOrder()
{
    Fixture f;
    for (const QString& name : kStoredOrder)
        f.add(QStringLiteral("tbCnst"), name, name);
    std::unique_ptr<Recordset> rs = f.db->OpenRecordset(QStringLiteral("tbCnst"));
    QCOMPARE(walkNames(*rs), kStoredOrder);
}

void EngineTest::typeNumberIndexWalksNumbersThenStoredOrder()
{
    Fixture f;
    f.add(QStringLiteral("tbMenb"), {}, QStringLiteral("two-a"), 2);
    f.add(QStringLiteral("tbMenb"), {}, QStringLiteral("zero"), 0);
    f.add(QStringLiteral("tbMenb"), {}, QStringLiteral("two-b"), 2);
    f.add(QStringLiteral("tbMenb"), {}, QStringLiteral("ten"), 10);
    f.add(QStringLiteral("tbMenb"), {}, QStringLiteral("one"), 1);
    std::unique_ptr<Recordset> rs = f.db->OpenRecordset(QStringLiteral("tbMenb"));
    rs->setIndex(QStringLiteral("ixTypeID"));
    QStringList walked;
    for (; !rs->Eof(); rs->MoveNext())
        walked << rs->Fields(QStringLiteral("fdFull")).toString();
    QCOMPARE(walked, QStringList({"zero", "one", "two-a", "two-b", "ten"}));
    rs->Seek(QStringLiteral("="), 2);
    QVERIFY(!rs->NoMatch());
    QCOMPARE(rs->Fields(QStringLiteral("fdFull")).toString(), QStringLiteral("two-a"));
    rs->Seek(QStringLiteral("="), 3);
    QVERIFY(rs->NoMatch());
}

void EngineTest::seekOnDuplicatesStopsAtFirstInIndexOrder()
{
    Fixture f;
    f.add(QStringLiteral("tbCnst"), QStringLiteral("OTHER"), QStringLiteral("other"));
    f.add(QStringLiteral("tbCnst"), QStringLiteral("Dup"), QStringLiteral("first"));
    f.add(QStringLiteral("tbCnst"), QStringLiteral("DU"), QStringLiteral("shorter"));
    f.add(QStringLiteral("tbCnst"), QStringLiteral("DUP"), QStringLiteral("second"));
    f.add(QStringLiteral("tbCnst"), QStringLiteral("dup"), QStringLiteral("third"));
    std::unique_ptr<Recordset> rs = f.byName(QStringLiteral("tbCnst"));
    rs->Seek(QStringLiteral("="), QStringLiteral("dUP"));
    QVERIFY(!rs->NoMatch());
    QStringList from;
    for (; !rs->Eof(); rs->MoveNext())
        from << rs->Fields(QStringLiteral("fdFull")).toString();
    QCOMPARE(from, QStringList({"first", "second", "third", "other"}));
}

void EngineTest::seekIgnoresCaseOfAsciiLettersOnly()
{
    Fixture f;
    f.add(QStringLiteral("tbType"), QStringLiteral("RECT"), QStringLiteral("Type RECT"), 0);
    f.add(QStringLiteral("tbType"), QStringLiteral("ＲＥＣＴ"), QStringLiteral("Type ＲＥＣＴ"), 1);
    f.add(QStringLiteral("tbType"), QStringLiteral("Été"), QStringLiteral("Type Été"), 2);
    std::unique_ptr<Recordset> rs = f.byName(QStringLiteral("tbType"));
    for (const QString& key : {QStringLiteral("rect"), QStringLiteral("Rect"), QStringLiteral("rEcT")}) {
        rs->Seek(QStringLiteral("="), key);
        QVERIFY(!rs->NoMatch());
        QCOMPARE(rs->Fields(QStringLiteral("fdName")).toString(), QStringLiteral("RECT"));
    }
    rs->Seek(QStringLiteral("="), QStringLiteral("ｒｅｃｔ"));
    QVERIFY(rs->NoMatch());
    rs->Seek(QStringLiteral("="), QStringLiteral("ＲＥＣＴ"));
    QVERIFY(!rs->NoMatch());
    QCOMPARE(rs->Fields(QStringLiteral("fdTypeID")).toLongLong(), 1);
    rs->Seek(QStringLiteral("="), QStringLiteral("été"));
    QVERIFY(rs->NoMatch());
    rs->Seek(QStringLiteral("="), QStringLiteral("ÉTÉ"));
    QVERIFY(rs->NoMatch());
    rs->Seek(QStringLiteral("="), QStringLiteral("Été"));
    QVERIFY(!rs->NoMatch());
}

void EngineTest::seekWithoutExactNameSetsNoMatch()
{
    Fixture f;
    f.add(QStringLiteral("tbCnst"), QStringLiteral("MAX_PATH"), QStringLiteral("a"));
    f.add(QStringLiteral("tbCnst"), QStringLiteral("MB_OK"), QStringLiteral("b"));
    std::unique_ptr<Recordset> rs = f.byName(QStringLiteral("tbCnst"));
    for (const QString& key : {QStringLiteral("MAX"), QStringLiteral("MAX_PATHS"), QStringLiteral("AAA"),
                               QStringLiteral("ZZZ"), QStringLiteral(" MB_OK"), QString()}) {
        rs->Seek(QStringLiteral("="), key);
        QVERIFY2(rs->NoMatch(), qPrintable(key));
        QCOMPARE(faultNumberOf([&] { rs->Fields(QStringLiteral("fdFull")); }), 3021);
    }
    // A hit after a miss still lands on the row.
    rs->Seek(QStringLiteral("="), QStringLiteral("mb_ok"));
    QVERIFY(!rs->NoMatch());
    QCOMPARE(rs->Fields(QStringLiteral("fdFull")).toString(), QStringLiteral("b"));
}

void EngineTest::seekNeedsTableIndexAndEquality()
{
    Fixture f;
    f.add(QStringLiteral("tbCnst"), QStringLiteral("A"), QStringLiteral("a"));
    std::unique_ptr<Recordset> plain = f.db->OpenRecordset(QStringLiteral("tbCnst"));
    QCOMPARE(faultNumberOf([&] { plain->Seek(QStringLiteral("="), QStringLiteral("A")); }), 3251);
    std::unique_ptr<Recordset> rs = f.byName(QStringLiteral("tbCnst"));
    QCOMPARE(faultNumberOf([&] { rs->Seek(QStringLiteral(">"), QStringLiteral("A")); }), 3251);
    QCOMPARE(faultNumberOf([&] { rs->Update(); }), 3251);
}

void EngineTest::moveFirstOnEmptyTableFails()
{
    Fixture f;
    std::unique_ptr<Recordset> rs = f.byName(QStringLiteral("tbProc"));
    QVERIFY(rs->Eof());
    const std::optional<DbError> e = dbErrorOf([&] { rs->MoveFirst(); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::NoCurrentRecord);
    QCOMPARE(e->number(), 3021);
}

void EngineTest::movingOrReadingPastEndFails()
{
    Fixture f;
    f.add(QStringLiteral("tbCnst"), QStringLiteral("ONLY"), QStringLiteral("only"));
    std::unique_ptr<Recordset> rs = f.byName(QStringLiteral("tbCnst"));
    QVERIFY(!rs->Eof());
    rs->MoveNext();
    QVERIFY(rs->Eof());
    QCOMPARE(faultNumberOf([&] { rs->MoveNext(); }), 3021);
    QCOMPARE(faultNumberOf([&] { rs->Fields(QStringLiteral("fdName")); }), 3021);
    rs->MoveFirst();
    QCOMPARE(rs->Fields(QStringLiteral("fdName")).toString(), QStringLiteral("ONLY"));
}

void EngineTest::typeNameIsUniqueInAnyLetterCaseWhileConstantsRepeat()
{
    Fixture f;
    f.add(QStringLiteral("tbType"), QStringLiteral("Rect"), QStringLiteral("Type Rect"), 0);
    for (const QString& twin : {QStringLiteral("RECT"), QStringLiteral("rect"), QStringLiteral("Rect")}) {
        const std::optional<DbError> e =
            dbErrorOf([&] { f.add(QStringLiteral("tbType"), twin, QStringLiteral("Type ") + twin, 1); });
        QVERIFY2(e, qPrintable(twin));
        QCOMPARE(e->fault(), DbFault::Duplicate);
        QCOMPARE(e->number(), 3022);
    }
    // The refusal leaves the table usable.
    f.add(QStringLiteral("tbType"), QStringLiteral("Rect2"), QStringLiteral("Type Rect2"), 1);
    QCOMPARE(sqlColumn(f.path, QStringLiteral("SELECT fdName FROM tbType ORDER BY rowid")),
             QStringList({"Rect", "Rect2"}));

    f.add(QStringLiteral("tbCnst"), QStringLiteral("Rect"), QStringLiteral("a"));
    f.add(QStringLiteral("tbCnst"), QStringLiteral("RECT"), QStringLiteral("b"));
    f.add(QStringLiteral("tbProc"), QStringLiteral("Rect"), QStringLiteral("c"));
    f.add(QStringLiteral("tbProc"), QStringLiteral("Rect"), QStringLiteral("d"));
    QCOMPARE(sqlColumn(f.path, QStringLiteral("SELECT fdFull FROM tbCnst ORDER BY fdID")),
             QStringList({"a", "b"}));
    QCOMPARE(sqlColumn(f.path, QStringLiteral("SELECT fdFull FROM tbProc ORDER BY fdID")),
             QStringList({"c", "d"}));
}

void EngineTest::emptyNameIsRefused()
{
    Fixture f;
    for (const QString& table :
         {QStringLiteral("tbCnst"), QStringLiteral("tbProc"), QStringLiteral("tbType")}) {
        const std::optional<DbError> e =
            dbErrorOf([&] { f.add(table, QStringLiteral(""), QStringLiteral("x"), 0); });
        QVERIFY2(e, qPrintable(table));
        QCOMPARE(e->fault(), DbFault::EmptyName);
        QCOMPARE(e->number(), 3315);
        QCOMPARE(
            sqlRows(f.path, QStringLiteral("SELECT count(*) FROM %1").arg(table)).value(0).value(0).toInt(),
            0);
    }
    // A blank is a name.
    f.add(QStringLiteral("tbCnst"), QStringLiteral(" "), QStringLiteral("blank"));
    QCOMPARE(sqlColumn(f.path, QStringLiteral("SELECT fdName FROM tbCnst")),
             QStringList{QStringLiteral(" ")});
}

void EngineTest::missingNameIsStoredAsNull()
{
    Fixture f;
    std::unique_ptr<Recordset> rs = f.db->OpenRecordset(QStringLiteral("tbCnst"));
    rs->AddNew();
    rs->setField(QStringLiteral("fdFull"), QStringLiteral("no name"));
    rs->Update();
    rs->MoveFirst();
    QVERIFY(rs->Fields(QStringLiteral("fdName")).isNull());
    QCOMPARE(rs->Fields(QStringLiteral("FDFULL")).toString(), QStringLiteral("no name"));
}

void EngineTest::openDatabaseNeverCreatesMissingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing.mdb"));
    const std::optional<DbError> e = dbErrorOf([&] { Database::OpenDatabase(path); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::FileNotFound);
    QCOMPARE(e->number(), 3024);
    QCOMPARE(e->path(), path);
    QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    QCOMPARE(faultNumberOf([&] { Database::OpenDatabase(dir.filePath(QStringLiteral("no/t.mdb"))); }), 3044);
}

void EngineTest::missingTableIsReportedAs3078()
{
    Fixture f;
    const std::optional<DbError> e = dbErrorOf([&] { f.db->OpenRecordset(QStringLiteral("tbNone")); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::NoTable);
    QCOMPARE(e->number(), 3078);
    // A name that would break quoting is just another missing table.
    QCOMPARE(faultNumberOf([&] { f.db->OpenRecordset(QStringLiteral("tb\"; DROP TABLE tbCnst; --")); }),
             3078);
    QCOMPARE(sqlColumn(f.path, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'")),
             QStringList{QStringLiteral("4")});
}

void EngineTest::randomBytesAreNotADatabase()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("noise.mdb"));
    QByteArray noise(8192, Qt::Uninitialized);
    QRandomGenerator random(42);
    for (char& c : noise)
        c = char(random.bounded(256));
    writeBytes(path, noise);
    const std::optional<DbError> e = dbErrorOf([&] { Database::OpenDatabase(path); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::NotADatabase);
    QCOMPARE(e->number(), 3343);
    QCOMPARE(readBytes(path), noise);

    // The right magic in front of noise is still no database.
    writeBytes(path, QByteArray("SQLite format 3", 16) + noise);
    const std::optional<DbError> e2 = dbErrorOf([&] { Database::OpenDatabase(path); });
    QVERIFY(e2);
    QVERIFY2(e2->number() == 3343 || e2->number() == 3049, e2->what());
}

void EngineTest::zeroByteFileOpensButHasNoTable()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.mdb"));
    writeBytes(path, QByteArray());
    std::shared_ptr<Database> db = Database::OpenDatabase(path);
    QCOMPARE(faultNumberOf([&] { db->OpenRecordset(QStringLiteral("tbCnst")); }), 3078);
    db->Close();
    QCOMPARE(QFileInfo(path).size(), 0);
}

void EngineTest::folderIsNotADatabaseFile()
{
    QTemporaryDir dir;
    const std::optional<DbError> e = dbErrorOf([&] { Database::OpenDatabase(dir.path()); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::NotAFile);
}

void EngineTest::closingRecordsetTwiceDoesNothing()
{
    Fixture f;
    f.add(QStringLiteral("tbCnst"), QStringLiteral("A"), QStringLiteral("a"));
    std::unique_ptr<Recordset> rs = f.byName(QStringLiteral("tbCnst"));
    rs->Close();
    rs->Close();
    QVERIFY(!rs->isOpen());
    const std::optional<DbError> e = dbErrorOf([&] { rs->Eof(); });
    QVERIFY(e);
    QCOMPARE(e->fault(), DbFault::Closed);
    QCOMPARE(e->number(), 3420);
    // The database is still usable.
    QCOMPARE(walkNames(*f.byName(QStringLiteral("tbCnst"))), QStringList{QStringLiteral("A")});
}

void EngineTest::closingDatabaseClosesItsRecordsets()
{
    Fixture f;
    f.add(QStringLiteral("tbCnst"), QStringLiteral("A"), QStringLiteral("a"));
    std::unique_ptr<Recordset> table = f.byName(QStringLiteral("tbCnst"));
    std::unique_ptr<Recordset> members = f.db->OpenRecordset(QStringLiteral("tbMenb"));
    f.db->Close();
    QVERIFY(!f.db->isOpen());
    QVERIFY(!table->isOpen());
    QVERIFY(!members->isOpen());
    QCOMPARE(faultNumberOf([&] { table->MoveNext(); }), 3420);
    QCOMPARE(faultNumberOf([&] { f.db->OpenRecordset(QStringLiteral("tbCnst")); }), 3420);
    f.db->Close();
    table->Close();
}

void EngineTest::recordsetKeepsItsDatabaseWhenTheOwnerLetsGo()
{
    Fixture f;
    f.add(QStringLiteral("tbCnst"), QStringLiteral("A"), QStringLiteral("a"));
    std::unique_ptr<Recordset> rs = f.byName(QStringLiteral("tbCnst"));
    f.db.reset();
    QVERIFY(rs->isOpen());
    QCOMPARE(rs->Fields(QStringLiteral("fdName")).toString(), QStringLiteral("A"));
    QCOMPARE(rs->database().name(), f.path);
    rs.reset();
}

void EngineTest::unknownFieldOrIndexIsReportedAs3265()
{
    Fixture f;
    f.add(QStringLiteral("tbCnst"), QStringLiteral("A"), QStringLiteral("a"));
    std::unique_ptr<Recordset> rs = f.byName(QStringLiteral("tbCnst"));
    QCOMPARE(faultNumberOf([&] { rs->Fields(QStringLiteral("fdTypeID")); }), 3265);
    QCOMPARE(faultNumberOf([&] { rs->setIndex(QStringLiteral("ixNope")); }), 3265);
    // The refused index leaves the previous one in force.
    QCOMPARE(rs->Index(), QStringLiteral("ixName"));
    rs->Seek(QStringLiteral("="), QStringLiteral("a"));
    QVERIFY(!rs->NoMatch());
    QCOMPARE(faultNumberOf(
                 [&] { f.db->OpenRecordset(QStringLiteral("tbMenb"))->setIndex(QStringLiteral("ixName")); }),
             3265);
}

void EngineTest::finishedWalkHoldsNoLockOnFile()
{
    Fixture f;
    f.add(QStringLiteral("tbCnst"), QStringLiteral("A"), QStringLiteral("a"));
    f.add(QStringLiteral("tbCnst"), QStringLiteral("B"), QStringLiteral("b"));
    std::unique_ptr<Recordset> rs = f.byName(QStringLiteral("tbCnst"));
    QCOMPARE(walkNames(*rs), QStringList({"A", "B"}));
    rs->Seek(QStringLiteral("="), QStringLiteral("nothing"));
    QVERIFY(rs->NoMatch());

    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(f.path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr),
             SQLITE_OK);
    const int rc = sqlite3_exec(other, "BEGIN EXCLUSIVE; INSERT INTO tbCnst (fdName) VALUES ('C'); COMMIT;",
                                nullptr, nullptr, nullptr);
    sqlite3_close(other);
    QCOMPARE(rc, SQLITE_OK);
    rs->MoveFirst();
    QCOMPARE(walkNames(*rs), QStringList({"A", "B", "C"}));
}

QTEST_GUILESS_MAIN(EngineTest)
#include "engine_test.moc"
