// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conversion.h"
#include "copy_assembly.h"
#include "decl_browser.h"
#include "decl_store.h"
#include "ekb.h"
#include "ekf.h"
#include "fake_platform.h"
#include "fonts.h"
#include "name_fold.h"
#include "prbf.h"
#include "qt_platform.h"
#include "search_list.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QSet>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sqlite3.h>
#include <string>
#include <vector>

// The in-process benchmarks on the real main window, offscreen.
//
//   ek-bench-ui convert TEXTFILE DBFILE BASEFILE RUNS
//                                         what the File menu's convert does after the
//                                         user said OK (Ekf::ConvertText with the
//                                         progress window and real events) into
//                                         DBFILE, against the same conversion without
//                                         a window (what ek-cli runs) into BASEFILE,
//                                         in turn, in one process already started
//   ek-bench-ui browse DBFILE             listing, SearchList, GetFull and Copy, each
//                                         against its baseline in the same process
//   ek-bench-ui keys SMALLDB LARGEDB      listing LARGEDB, and keys typed into txtInp
//                                         with LARGEDB listed against SMALLDB listed
//   ek-bench-ui copy-uses DBFILE          Copy with the used types and constants
//                                         against Copy without them
//
// Results are key=value pairs on stdout; bench/run.sh turns them into the table.
namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void put(const char* key, double value)
{
    std::printf("%s=%.4f\n", key, value);
}

void put(const char* key, long long value)
{
    std::printf("%s=%lld\n", key, value);
}

class Rng
{
public:
    explicit Rng(uint64_t seed)
        : m_state(seed)
    {
    }
    size_t below(size_t n)
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return size_t(((m_state * 2685821657736338717ull) >> 11) % n);
    }

private:
    uint64_t m_state;
};

// The real desktop, except that a message box would wait for a click nobody makes.
class UnattendedQtPlatform : public QtPlatform
{
public:
    using QtPlatform::QtPlatform;
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        Q_UNUSED(style);
        std::fprintf(stderr, "message: %s: %s\n", qPrintable(title), qPrintable(prompt));
        ++messages;
        return MsgBox::AnswerOk;
    }
    // Every conversion ends with its report; only one that lists lines is news here.
    void listReport(const ListReport& report) override
    {
        reported = Clock::now();
        if (report.lines.isEmpty())
            return;
        std::fprintf(stderr, "report: %s: %s\n", qPrintable(report.title), qPrintable(report.summary));
        ++messages;
    }
    int messages = 0;
    Clock::time_point reported;
};

bool waitExposed(QWidget& w)
{
    const Clock::time_point start = Clock::now();
    while (!(w.windowHandle() && w.windowHandle()->isExposed())) {
        if (msSince(start) > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::processEvents();
    return true;
}

class SilentProgress : public ConvertProgress
{
public:
    void started(qint64) override {}
    bool shouldStop(qint64) override { return false; }
    void finished() override {}
};

int convert(const QString& text, const QString& db, const QString& base, int runs)
{
    UnattendedQtPlatform platform(kProgramName);
    Ekb module;
    const std::unique_ptr<Ekf> w = Main(platform, module, QCoreApplication::applicationDirPath());
    if (!waitExposed(*w)) {
        std::fputs("ek-bench-ui: the main window was never exposed\n", stderr);
        return 3;
    }
    std::vector<double> window;
    std::vector<double> bare;
    std::vector<double> ratios;
    for (int r = 0; r <= runs; ++r) {
        Clock::time_point start = Clock::now();
        w->ConvertText(text, db, w.get());
        const double a = msSince(start);
        SilentProgress silent;
        start = Clock::now();
        Conversion(text, base).run(silent);
        const double b = msSince(start);
        // The first pair warms the file cache.
        if (r == 0)
            continue;
        window.push_back(a);
        bare.push_back(b);
        ratios.push_back(a / b);
    }
    put("convert_ms", median(window));
    put("convert_base_ms", median(bare));
    put("convert_ratio", median(ratios));
    // Cancel halfway through the file: from the press to the report in view, what is
    // left (the rest of the file counted, the indexes of what was stored built, the
    // file synced and put in place), against the whole conversion. The press comes
    // when the bar passes the middle, as a user's would; a run that ended before the
    // press does not count.
    std::vector<double> toReport;
    for (int r = 0; r < runs; ++r) {
        Clock::time_point pressed{};
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, w.get(), [&] {
            const QProgressBar& bar = *w->progressWindow().prbPer;
            if (pressed == Clock::time_point{} && bar.isVisible() && bar.value() * 2 >= bar.maximum()) {
                pressed = Clock::now();
                w->progressWindow().cmdCancel_Click();
            }
        });
        watch.start(1);
        w->ConvertText(text, db, w.get());
        watch.stop();
        QCoreApplication::processEvents();
        if (pressed != Clock::time_point{} && pressed < platform.reported)
            toReport.push_back(
                std::chrono::duration<double, std::milli>(platform.reported - pressed).count());
    }
    if (toReport.empty())
        toReport.push_back(-1);
    put("cancel_to_report_ms", median(toReport));
    put("cancel_to_report_ratio", median(toReport) / median(window));
    return platform.messages == 0 ? 0 : 1;
}

// ---- browsing ----

struct Browse
{
    FakePlatform platform;
    Ekb module;
    std::unique_ptr<Ekf> w;
    sqlite3* bare = nullptr;
    QString dbPath;
    int failures = 0;

    void fail(const char* what)
    {
        std::fprintf(stderr, "ek-bench-ui: %s\n", what);
        ++failures;
    }
    void requireQuiet(const char* step)
    {
        if (!platform.messages().isEmpty() || !platform.unexpected.isEmpty()) {
            for (const FakePlatform::Message& m : platform.messages())
                std::fprintf(stderr, "ek-bench-ui: %s: %s: %s\n", step, qPrintable(m.title),
                             qPrintable(m.prompt));
            for (const QString& u : std::as_const(platform.unexpected))
                std::fprintf(stderr, "ek-bench-ui: %s: %s\n", step, qPrintable(u));
            platform.events.clear();
            platform.unexpected.clear();
            ++failures;
        }
    }
    long long count(const char* table)
    {
        const std::string sql = std::string("SELECT count(*) FROM ") + table;
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(bare, sql.c_str(), -1, &s, nullptr);
        const long long n = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
        sqlite3_finalize(s);
        return n;
    }
    void fill(int kind)
    {
        module.iKind = kind;
        w->FillList();
        QCoreApplication::processEvents(); // the first page painted
    }
};

QStringList listed(const ListBox& list)
{
    QStringList names;
    for (qint64 i = 0; i < list.ListCount(); ++i)
        names << list.List(i);
    return names;
}

const char* const kTables[] = {"tbCnst", "tbProc", "tbType"};

// What the list gets, read with nothing but the C API: the same query order the
// name index gives, the names made into the QStrings a list holds.
QStringList bareNames(sqlite3* db, int kind)
{
    const std::string sql =
        std::string("SELECT fdName FROM ") + kTables[kind] + " ORDER BY upper(fdName), rowid";
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
    QStringList names;
    while (sqlite3_step(s) == SQLITE_ROW) {
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)),
                                   sqlite3_column_bytes(s, 0));
    }
    sqlite3_finalize(s);
    return names;
}

size_t bareNamesBytes(sqlite3* db, int kind)
{
    const std::string sql =
        std::string("SELECT fdName FROM ") + kTables[kind] + " ORDER BY upper(fdName), rowid";
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
    std::vector<std::string> names;
    while (sqlite3_step(s) == SQLITE_ROW) {
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)),
                           size_t(sqlite3_column_bytes(s, 0)));
    }
    sqlite3_finalize(s);
    return names.size();
}

// Runs the fill and its baselines in turn, five times, or three for a list of millions,
// which also leaves out the std::string baseline.
void measureFill(Browse& b, int kind, const std::string& prefix = "fill", bool millions = false)
{
    std::vector<double> list, bareQt, bareStd, ratios;
    for (int r = 0; r < (millions ? 3 : 5); ++r) {
        Clock::time_point t = Clock::now();
        b.fill(kind);
        list.push_back(msSince(t));
        t = Clock::now();
        const qsizetype n = bareNames(b.bare, kind).size();
        bareQt.push_back(msSince(t));
        ratios.push_back(list.back() / bareQt.back());
        if (!millions) {
            t = Clock::now();
            bareNamesBytes(b.bare, kind);
            bareStd.push_back(msSince(t));
        }
        if (n != b.w->lstEk->ListCount())
            b.fail("the list and the bare query disagree on the number of names");
    }
    b.requireQuiet("FillList");
    if (listed(*b.w->lstEk) != bareNames(b.bare, kind))
        b.fail("the list does not hold the names the bare query reads, in its order");
    put((prefix + "_rows").c_str(), (long long)b.w->lstEk->ListCount());
    put((prefix + "_ms").c_str(), median(list));
    put((prefix + "_base_ms").c_str(), median(bareQt));
    put((prefix + "_ratio").c_str(), median(ratios));
    if (!bareStd.empty())
        put((prefix + "_base_std_ms").c_str(), median(bareStd));
}

// The names a user types, half of them in lower case.
QStringList typedWords(const QStringList& names, size_t words)
{
    Rng rng(0x9e3779b97f4a7c15ull);
    QStringList typed;
    for (size_t i = 0; i < words; ++i) {
        QString name = names.at(qsizetype(rng.below(size_t(names.size()))));
        typed << (i % 2 ? name.toLower() : name);
    }
    return typed;
}

// The keys a user types: every prefix of a name, as it grows letter by letter.
QStringList typedKeys(const QStringList& names, size_t words)
{
    QStringList keys;
    for (const QString& name : typedWords(names, words)) {
        for (qsizetype n = 1; n <= name.size(); ++n)
            keys << name.left(n);
    }
    return keys;
}

// The first item whose folded beginning equals the folded key, item by item.
long linearSearch(const ListItems& items, const QString& sKey)
{
    const QString key = foldName(sKey);
    const qint64 n = items.ListCount();
    for (qint64 i = 0; i < n; ++i) {
        const QString item = items.List(i);
        if (item.size() < key.size())
            continue;
        qsizetype j = 0;
        for (; j < key.size(); ++j) {
            const char16_t c = item[j].unicode();
            if ((isFoldableLower(c) ? char16_t(c - 32) : c) != key[j].unicode())
                break;
        }
        if (j == key.size())
            return long(i);
    }
    return -1;
}

void measureSearch(Browse& b)
{
    const ListItems& items = *b.w->lstEk;
    const QStringList keys = typedKeys(listed(*b.w->lstEk), 2000);
    std::vector<long> found(size_t(keys.size()));
    // By key length: 1, 2, 3, 4 and longer.
    double byLength[5] = {};
    long long countByLength[5] = {};
    double total = 0;
    double worst = 0;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const Clock::time_point t = Clock::now();
        found[size_t(i)] = SearchList(items, keys[i]);
        const double ms = msSince(t);
        total += ms;
        worst = std::max(worst, ms);
        const size_t bucket = size_t(std::min<qsizetype>(keys[i].size(), 5) - 1);
        byLength[bucket] += ms;
        ++countByLength[bucket];
    }
    constexpr qsizetype kLinearKeys = 300;
    const qsizetype step = keys.size() / kLinearKeys;
    int mismatches = 0;
    const Clock::time_point linearStart = Clock::now();
    for (qsizetype i = 0; i < kLinearKeys; ++i)
        mismatches += linearSearch(items, keys[i * step]) != found[size_t(i * step)];
    const double linear = msSince(linearStart);
    if (mismatches)
        b.fail("SearchList and the linear scan found different items");
    put("search_names", (long long)items.ListCount());
    put("search_keys", (long long)keys.size());
    put("search_us", total * 1000 / double(keys.size()));
    put("search_worst_us", worst * 1000);
    const char* const bucketKeys[] = {"search_len1_us", "search_len2_us", "search_len3_us", "search_len4_us",
                                      "search_len5up_us"};
    for (size_t k = 0; k < 5; ++k)
        put(bucketKeys[k], countByLength[k] ? byLength[k] * 1000 / double(countByLength[k]) : 0.0);
    put("search_base_us", linear * 1000 / double(kLinearKeys));
    put("search_mismatches", (long long)mismatches);
}

// Full text found by a criterion scan, without the member index: the whole member
// table read in stored order, every row's type number compared with the type's.
QString criterionScanFull(sqlite3* db, const QString& sName)
{
    const auto text = [](sqlite3_stmt* s, int i) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                                 sqlite3_column_bytes(s, i));
    };
    sqlite3_stmt* type = nullptr;
    sqlite3_prepare_v2(db, "SELECT fdFull, fdTypeID FROM tbType WHERE upper(fdName) = upper(?1)", -1, &type,
                       nullptr);
    const QByteArray name = sName.toUtf8();
    sqlite3_bind_text(type, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(type) != SQLITE_ROW) {
        sqlite3_finalize(type);
        return QString();
    }
    QString s = text(type, 0) + QStringLiteral("\r\n");
    const sqlite3_int64 typeId = sqlite3_column_int64(type, 1);
    sqlite3_finalize(type);
    sqlite3_stmt* m = nullptr;
    sqlite3_prepare_v2(db, "SELECT fdTypeID, fdFull FROM tbMenb ORDER BY rowid", -1, &m, nullptr);
    while (sqlite3_step(m) == SQLITE_ROW) {
        if (sqlite3_column_int64(m, 0) == typeId)
            s += text(m, 1) + QStringLiteral("\r\n");
    }
    sqlite3_finalize(m);
    return s + QStringLiteral("End Type");
}

QStringList pickDistinct(const QStringList& names, size_t count, uint64_t seed)
{
    Rng rng(seed);
    std::vector<bool> taken(size_t(names.size()));
    QStringList picked;
    while (size_t(picked.size()) < std::min(count, taken.size())) {
        const size_t i = rng.below(taken.size());
        if (!taken[i]) {
            taken[i] = true;
            picked << names.at(qsizetype(i));
        }
    }
    return picked;
}

void measureGetFull(Browse& b)
{
    b.fill(declKindIndex(DeclKind::Type));
    const QStringList types = pickDistinct(listed(*b.w->lstEk), 500, 7);
    std::vector<QString> fast(size_t(types.size()));
    std::vector<double> each;
    for (qsizetype i = 0; i < types.size(); ++i) {
        const Clock::time_point t = Clock::now();
        fast[size_t(i)] = b.module.dbDecl->fullText(DeclKind::Type, types[i]);
        each.push_back(msSince(t));
    }
    double total = 0;
    for (double ms : each)
        total += ms;

    constexpr qsizetype kScans = 20;
    int mismatches = 0;
    const Clock::time_point scanStart = Clock::now();
    for (qsizetype i = 0; i < kScans; ++i)
        mismatches += criterionScanFull(b.bare, types[i]) != fast[size_t(i)];
    const double scans = msSince(scanStart);
    if (mismatches)
        b.fail("GetFull and the criterion scan built different texts");
    b.requireQuiet("GetFull");
    put("getfull_members", b.count("tbMenb"));
    put("getfull_ms", total / double(types.size()));
    put("getfull_median_ms", median(each));
    put("getfull_worst_ms", *std::max_element(each.begin(), each.end()));
    put("getfull_base_ms", scans / double(kScans));
}

// The names as the collection keeps them: a name listed twice (two declarations of it) once.
QStringList onceEach(const QStringList& names)
{
    QSet<QString> seen;
    QStringList once;
    for (const QString& name : names) {
        const QString key = foldName(name);
        if (!seen.contains(key)) {
            seen.insert(key);
            once << name;
        }
    }
    return once;
}

// The collection keeps every kind: each measure starts from an empty one, as Delete leaves it.
void emptyCollection(Ekf& w)
{
    for (int i = 0; i < int(w.lstDest->ListCount()); ++i)
        w.lstDest->setSelected(i, true);
    w.cmdDel_Click();
}

void measureCopy(Browse& b, int kind, const char* prefix)
{
    emptyCollection(*b.w);
    b.w->setCboKindListIndex(kind); // lists the kind, as a user's choice does
    const QStringList chosen = onceEach(pickDistinct(listed(*b.w->lstEk), 1000, 11));
    for (const QString& name : chosen) {
        b.w->setTxtInpText(name);
        b.w->cmdAdd_Click();
    }
    if (b.w->lstDest->ListCount() != chosen.size() || b.platform.beeps() != 0)
        b.fail("Add did not collect the chosen names");

    const std::unique_ptr<DeclStore> store = DeclStore::open(b.dbPath);
    std::vector<double> copy, calls, ratios;
    QString expected;
    for (int r = 0; r < 5; ++r) {
        b.platform.clipboard.clear();
        Clock::time_point t = Clock::now();
        b.w->cmdCpy_Click();
        copy.push_back(msSince(t));
        t = Clock::now();
        QString all;
        for (const QString& name : chosen)
            all += GetFull(*store, *declKindAt(kind), name) + QStringLiteral("\r\n");
        calls.push_back(msSince(t));
        ratios.push_back(copy.back() / calls.back());
        expected = all;
    }
    if (b.platform.clipboard != expected)
        b.fail("Copy put other text on the clipboard than the names' full texts");
    b.requireQuiet("Copy");
    const std::string p(prefix);
    put((p + "_entries").c_str(), (long long)b.w->lstDest->ListCount());
    put((p + "_ms").c_str(), median(copy));
    put((p + "_base_ms").c_str(), median(calls));
    put((p + "_ratio").c_str(), median(ratios));
}

// ---- keystrokes ----

// One key typed into txtInp as the user types it: press and release reach the text
// box as events, txtInp_Change searches and scrolls lstEk, and the window repaints.
double typeKey(Ekf& w, QChar c)
{
    const Clock::time_point t = Clock::now();
    const auto key = Qt::Key(c.toUpper().unicode());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(w.txtInp, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(w.txtInp, &release);
    QCoreApplication::processEvents();
    return msSince(t);
}

struct Keystrokes
{
    double meanUs = 0;
    double medianUs = 0;
    double worstUs = 0;
    long long keys = 0;
};

// Types whole names letter by letter into an empty box, and checks that each name
// ends where the search puts it.
Keystrokes typeNames(Browse& b, size_t words)
{
    Ekf& w = *b.w;
    std::vector<double> each;
    for (const QString& word : typedWords(listed(*w.lstEk), words)) {
        w.setTxtInpText(QString());
        w.lstEk->setTopIndex(0);
        for (const QChar c : word)
            each.push_back(typeKey(w, c) * 1000);
        const int found = int(SearchList(*w.lstEk, word));
        const int expected = std::min<int>(found, int(w.lstEk->ListCount()) - w.lstEk->visibleRows());
        if (w.txtInp->text() != word || found < 0 || w.lstEk->TopIndex() != std::max(0, expected))
            b.fail("typing a name did not scroll lstEk to it");
    }
    Keystrokes k;
    for (double us : each)
        k.meanUs += us;
    k.keys = (long long)each.size();
    k.meanUs /= double(std::max<size_t>(each.size(), 1));
    k.medianUs = median(each);
    k.worstUs = *std::max_element(each.begin(), each.end());
    return k;
}

// The first lines of the declarations in a copied text: each must be there once.
QStringList headLines(const QString& text)
{
    QStringList heads;
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        if (line.startsWith(QLatin1String("Type ")) || line.startsWith(QLatin1String("Public Const ")) ||
            line.startsWith(QLatin1String("Declare ")))
            heads << line;
    }
    return heads;
}

// Copy of 1,000 functions with the used types and constants, on a database of the
// size users have, against the same Copy with the option off.
void measureCopyUses(Browse& b)
{
    emptyCollection(*b.w);
    b.w->setCboKindListIndex(declKindIndex(DeclKind::Procedure));
    const QStringList chosen = onceEach(pickDistinct(listed(*b.w->lstEk), 1000, 13));
    for (const QString& name : chosen) {
        b.w->setTxtInpText(name);
        b.w->cmdAdd_Click();
    }
    if (b.w->lstDest->ListCount() != chosen.size() || b.platform.beeps() != 0)
        b.fail("Add did not collect the chosen names");
    std::vector<double> with, without, ratios;
    QString plain, full;
    for (int r = 0; r < 5; ++r) {
        if (b.w->copyOptions().withUses)
            b.w->mOpt[0]->trigger();
        Clock::time_point t = Clock::now();
        b.w->cmdCpy_Click();
        without.push_back(msSince(t));
        plain = b.platform.clipboard;
        b.w->mOpt[0]->trigger();
        t = Clock::now();
        b.w->cmdCpy_Click();
        with.push_back(msSince(t));
        full = b.platform.clipboard;
        ratios.push_back(with.back() / without.back());
    }
    const QStringList heads = headLines(full);
    const QSet<QString> given(heads.begin(), heads.end());
    if (given.size() != heads.size())
        b.fail("Copy with the used declarations gave a declaration twice");
    const QStringList entries = headLines(plain);
    if (entries.size() != chosen.size() || heads.size() <= entries.size())
        b.fail("Copy with the used declarations gave no more than the entries");
    for (const QString& entry : entries) {
        if (!given.contains(entry))
            b.fail("Copy with the used declarations left an entry out");
    }
    b.requireQuiet("Copy with the used declarations");
    put("uses_entries", (long long)chosen.size());
    put("uses_given", (long long)heads.size());
    put("uses_ms", median(with));
    put("uses_base_ms", median(without));
    put("uses_ratio", median(ratios));
}

bool openBrowse(Browse& b, const QString& dbPath)
{
    // Real events, as in the program: painting is part of what is measured.
    b.platform.realEvents = true;
    b.dbPath = dbPath;
    b.w = Main(b.platform, b.module, QCoreApplication::applicationDirPath());
    if (!waitExposed(*b.w)) {
        std::fputs("ek-bench-ui: the main window was never exposed\n", stderr);
        return false;
    }
    b.platform.fileNames << dbPath;
    b.w->mFile_Click(0);
    b.requireQuiet("open");
    if (sqlite3_open_v2(QFile::encodeName(dbPath).constData(), &b.bare, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        std::fputs("ek-bench-ui: cannot open the database\n", stderr);
        return false;
    }
    return true;
}

int keys(const QString& smallDb, const QString& largeDb)
{
    constexpr size_t kWords = 200;
    Keystrokes small;
    {
        Browse b;
        if (!openBrowse(b, smallDb))
            return 3;
        small = typeNames(b, kWords);
        b.requireQuiet("typing");
        put("keys_base_names", (long long)b.w->lstEk->ListCount());
        sqlite3_close(b.bare);
        b.w->close();
        if (b.failures)
            return 1;
    }
    Browse b;
    if (!openBrowse(b, largeDb))
        return 3;
    measureFill(b, declKindIndex(DeclKind::Procedure), "bigfill", true);
    const Keystrokes large = typeNames(b, kWords);
    b.requireQuiet("typing");
    put("keys_names", (long long)b.w->lstEk->ListCount());
    put("keys_count", large.keys);
    put("keys_us", large.meanUs);
    put("keys_median_us", large.medianUs);
    put("keys_worst_us", large.worstUs);
    put("keys_base_us", small.meanUs);
    put("keys_base_worst_us", small.worstUs);
    put("keys_ratio", large.meanUs / small.meanUs);
    sqlite3_close(b.bare);
    b.w->close();
    return b.failures == 0 ? 0 : 1;
}

int browse(const QString& dbPath, bool uses)
{
    Browse b;
    if (!openBrowse(b, dbPath))
        return 3;
    if (uses) {
        measureCopyUses(b);
        sqlite3_close(b.bare);
        b.w->close();
        return b.failures == 0 ? 0 : 1;
    }
    int largest = 0;
    for (int k = 1; k < 3; ++k) {
        if (b.count(kTables[k]) > b.count(kTables[largest]))
            largest = k;
    }
    put("fill_kind", (long long)largest);
    measureFill(b, largest);
    measureSearch(b);
    measureGetFull(b);
    measureCopy(b, declKindIndex(DeclKind::Type), "copy");
    measureCopy(b, declKindIndex(DeclKind::Procedure), "copy_proc");
    sqlite3_close(b.bare);
    b.w->close();
    return b.failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProgramName);
    registerFontSubstitutes();
    const QStringList args = QCoreApplication::arguments();
    try {
        if (args.size() == 6 && args[1] == QLatin1String("convert"))
            return convert(args[2], args[3], args[4], args[5].toInt());
        if (args.size() == 3 && args[1] == QLatin1String("browse"))
            return browse(args[2], false);
        if (args.size() == 3 && args[1] == QLatin1String("copy-uses"))
            return browse(args[2], true);
        if (args.size() == 4 && args[1] == QLatin1String("keys"))
            return keys(args[2], args[3]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ek-bench-ui: %s\n", e.what());
        return 3;
    }
    std::fputs("usage: ek-bench-ui convert TEXTFILE DBFILE BASEFILE RUNS | browse DBFILE | copy-uses DBFILE"
               " | keys SMALLDB LARGEDB\n",
               stderr);
    return 2;
}
