// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "code_point_order.h"
#include "conversion.h"
#include "copy_assembly.h"
#include "cp932.h"
#include "db_error.h"
#include "decl_store.h"
#include "fuzz_check.h"
#include "line_reader.h"
#include "name_fold.h"
#include "search_list.h"
#include "string_items.h"

#include <QBuffer>
#include <QDir>
#include <QHash>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <sqlite3.h>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// One directory per process: creating it for every input would cost more than the
// conversion of a small one.
struct Scratch
{
    Scratch()
        : dir(QDir::tempPath() + QStringLiteral("/ek-convert-fuzz-XXXXXX"))
        , text(dir.filePath(QStringLiteral("in.txt")))
        , db(dir.filePath(QStringLiteral("out.db")))
    {
        if (!dir.isValid()) {
            std::fprintf(stderr, "cannot create a scratch directory under %s\n",
                         QDir::tempPath().toUtf8().constData());
            std::abort();
        }
    }
    QTemporaryDir dir;
    QString text;
    QString db;
};

Scratch& scratch()
{
    static Scratch s;
    return s;
}

void writeInput(const QString& path, const uint8_t* data, size_t size)
{
    std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "wb");
    FUZZ_CHECK(f != nullptr, path);
    FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, f) == size, path);
    FUZZ_CHECK(std::fclose(f) == 0, path);
}

// Never cancels, and holds the converter to its side of the progress contract.
class CheckedProgress : public ConvertProgress
{
public:
    void started(qint64 total) override
    {
        FUZZ_CHECK(inits == 0 && positions.isEmpty(), QString());
        ++inits;
        max = total;
    }
    bool shouldStop(qint64 done) override
    {
        FUZZ_CHECK(inits == 1 && terms == 0, QString());
        positions.append(done);
        return false;
    }
    void finished() override { ++terms; }

    qint64 max = -1;
    QList<qint64> positions;
    int inits = 0;
    int terms = 0;
};

// The lines as a reader of the file must see them, worked out independently of
// LineReader: CR LF, CR and LF each end a line, and a final break starts nothing.
QList<QByteArray> rawLines(const uint8_t* data, size_t size)
{
    QList<QByteArray> lines;
    size_t begin = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] != '\r' && data[i] != '\n')
            continue;
        lines.append(QByteArray(reinterpret_cast<const char*>(data + begin), qsizetype(i - begin)));
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')
            ++i;
        begin = i + 1;
    }
    if (begin < size)
        lines.append(QByteArray(reinterpret_cast<const char*>(data + begin), qsizetype(size - begin)));
    return lines;
}

// Hands out at most a few bytes per read, the way a pipe or a network file may,
// so that every line break in the input eventually falls on a refill boundary.
class TrickleDevice : public QIODevice
{
public:
    TrickleDevice(const QByteArray& data, qint64 step)
        : m_data(data)
        , m_step(step)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

    qint64 largestRead = 0;

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = std::min({maxSize, m_step, qint64(m_data.size()) - m_at});
        memcpy(data, m_data.constData() + m_at, size_t(n));
        m_at += n;
        largestRead = std::max(largestRead, n);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_step;
    qint64 m_at = 0;
};

// maxLine: room for the longest line, so that none is cut.
void checkReader(QIODevice& device, const QList<QByteArray>& expected, const char* how, qsizetype maxLine)
{
    LineReader reader(device, maxLine);
    QByteArrayView line;
    qsizetype i = 0;
    while (reader.next(line)) {
        FUZZ_CHECK(i < expected.size(),
                   QLatin1String(how) + QStringLiteral(": extra line ") + QString::number(i));
        FUZZ_CHECK(line == expected[i], QLatin1String(how) + QStringLiteral(": line ") + QString::number(i));
        ++i;
    }
    FUZZ_CHECK(i == expected.size(), QLatin1String(how) + QStringLiteral(": lines ") + QString::number(i));
    FUZZ_CHECK(!reader.failed(), QLatin1String(how));
}

// The conversion reads small inputs in one gulp; these feed the same bytes through
// the reader in trickles and behind a prefix that pushes them across its 64 KiB
// buffer, so refills, a CR LF split over two reads and a line that outgrows the
// buffer are all reached.
void checkLineReader(const uint8_t* data, size_t size, const QList<QByteArray>& expected)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (qint64 step : {1, 3}) {
        TrickleDevice device(bytes, step);
        checkReader(device, expected, step == 1 ? "one byte a read" : "three bytes a read",
                    std::max<qsizetype>(bytes.size(), 1));
        FUZZ_CHECK(device.largestRead <= step, QString::number(device.largestRead));
    }
    constexpr qsizetype kBuffer = 64 * 1024;
    const qsizetype shift = size > 0 ? data[0] % 4 : 0;
    for (const char* end : {"\r", ""}) {
        // With a break, the prefix is a line of its own and the input straddles the
        // first refill; without one, the first line is longer than the buffer.
        QByteArray padded = QByteArray(kBuffer - 1 - shift, 'x') + end + bytes;
        const QList<QByteArray> lines =
            rawLines(reinterpret_cast<const uint8_t*>(padded.constData()), size_t(padded.size()));
        QBuffer buffer(&padded);
        buffer.open(QIODevice::ReadOnly);
        checkReader(buffer, lines, *end ? "behind a line" : "behind a long start", padded.size());
    }
}

// What is left of each line once decoded and its comment cut, one per line read.
QStringList statementLines(const QList<QByteArray>& raw)
{
    Cp932Decoder decoder;
    QStringList out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QByteArray line = raw[i];
        // A byte-order mark in front of the first line is no part of it.
        if (i == 0 && line.startsWith("\xEF\xBB\xBF"))
            line = line.mid(3);
        const std::string_view utf8 = decoder.toUtf8(line.constData(), line.size());
        QString s = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        FUZZ_CHECK(s.size() <= line.size(), describe(s));
        FUZZ_CHECK(!s.contains(u'\r') && !s.contains(u'\n'), describe(s));
        const qsizetype comment = s.indexOf(u'\'');
        if (comment >= 0)
            s.truncate(comment);
        out.append(s);
    }
    return out;
}

QStringList nonEmpty(const QStringList& lines)
{
    QStringList out;
    for (const QString& s : lines) {
        if (!s.isEmpty())
            out.append(s);
    }
    return out;
}

struct Row
{
    QString name;
    QString full;
    QVariant typeId;
    qint64 cond = 0;
};

const char* tableOf(DeclKind kind)
{
    return kind == DeclKind::Constant ? "tbCnst" : kind == DeclKind::Procedure ? "tbProc" : "tbType";
}

// The rows of a table in stored order, read by SQLite itself: what the file holds,
// whatever the store makes of it.
QList<Row> readRows(const QString& path, const char* table, bool named, bool typed, bool placed)
{
    sqlite3* db = nullptr;
    FUZZ_CHECK(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
                   SQLITE_OK,
               path);
    const QByteArray sql = QByteArray("SELECT ") + (named ? "fdName" : "NULL") + ", fdFull, " +
                           (typed ? "fdTypeID" : "NULL") + ", " + (placed ? "fdCond" : "0") + " FROM " +
                           table + " ORDER BY rowid";
    sqlite3_stmt* stmt = nullptr;
    FUZZ_CHECK(sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK,
               QString::fromLatin1(sql));
    const auto text = [stmt](int i) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                 sqlite3_column_bytes(stmt, i));
    };
    QList<Row> rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        Row r{text(0), text(1), {}, qint64(sqlite3_column_int64(stmt, 3))};
        if (typed && sqlite3_column_type(stmt, 2) != SQLITE_NULL)
            r.typeId = qint64(sqlite3_column_int64(stmt, 2));
        rows.append(r);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

// Every stored row came from a line of the file, and rows keep the file's order.
void checkSubsequence(const QList<Row>& rows, const QStringList& lines, const char* table)
{
    qsizetype at = 0;
    for (const Row& r : rows) {
        while (at < lines.size() && lines[at] != r.full)
            ++at;
        FUZZ_CHECK(at < lines.size(), QLatin1String(table) + u' ' + describe(r.full));
        ++at;
    }
}

// The length of the first of the words that upper starts with, or -1.
qsizetype wordsAt(const QString& upper, qsizetype at, std::initializer_list<const char*> words)
{
    for (const char* word : words) {
        if (QStringView(upper).mid(at).startsWith(QLatin1String(word)))
            return qsizetype(strlen(word));
    }
    return -1;
}

// A scope word a statement may start with, and its blank; 0 when there is none.
qsizetype scopeAt(const QString& upper, bool global)
{
    const qsizetype n = global ? wordsAt(upper, 0, {"PUBLIC ", "PRIVATE ", "GLOBAL "})
                               : wordsAt(upper, 0, {"PUBLIC ", "PRIVATE "});
    return n < 0 ? 0 : n;
}

void checkStoredName(DeclKind kind, const Row& r)
{
    const QString upper = foldName(r.full);
    FUZZ_CHECK(!r.name.isEmpty(), describe(r.full));
    qsizetype start = 0;
    qsizetype end = r.full.size();
    if (kind == DeclKind::Constant) {
        const qsizetype scope = scopeAt(upper, true);
        FUZZ_CHECK(wordsAt(upper, scope, {"CONST "}) > 0, describe(r.full));
        start = scope + 6;
        end = upper.indexOf(QLatin1String(" ="));
        // A constant with its type is named by the words before " AS ".
        const qsizetype typed = upper.indexOf(QLatin1String(" AS "), start);
        if (typed >= 0 && typed < end)
            end = typed;
    } else if (kind == DeclKind::Procedure) {
        const qsizetype scope = scopeAt(upper, false);
        const qsizetype words = wordsAt(
            upper, scope,
            {"DECLARE FUNCTION ", "DECLARE SUB ", "DECLARE PTRSAFE FUNCTION ", "DECLARE PTRSAFE SUB "});
        FUZZ_CHECK(words > 0, describe(r.full));
        start = scope + words;
        end = upper.indexOf(QLatin1String(" LIB "));
    } else {
        const qsizetype scope = scopeAt(upper, false);
        const qsizetype words = wordsAt(upper, scope, {"TYPE ", "ENUM "});
        FUZZ_CHECK(words > 0, describe(r.full));
        start = scope + words;
        // The name ends at its last character that is not a blank or a tab.
        while (end > start && (r.full[end - 1] == u' ' || r.full[end - 1] == u'\t'))
            --end;
    }
    FUZZ_CHECK(end >= start && r.full.mid(start, end - start) == r.name,
               describe(r.name) + QStringLiteral(" in ") + describe(r.full));
}

// An Enum block's copy ends with its own end line.
QString blockEnd(const QString& header)
{
    const QString upper = foldName(header);
    return wordsAt(upper, scopeAt(upper, false), {"ENUM "}) > 0 ? QStringLiteral("End Enum")
                                                                : QStringLiteral("End Type");
}

bool hasFoldedPrefix(const QString& item, const QString& key)
{
    return foldName(QStringView(item).left(key.size())) == foldName(key);
}

QString lowerAscii(const QString& s)
{
    QString out = s;
    for (QChar& c : out) {
        if (c.unicode() >= u'A' && c.unicode() <= u'Z')
            c = QChar(char16_t(c.unicode() + (u'a' - u'A')));
    }
    return out;
}

// The list is in name order (checked before), so the first match is the only match
// whose predecessor does not match.
void checkSearch(const QStringList& names, DeclStore& store, DeclKind kind, const QString& key)
{
    StringItems items(names);
    const long at = SearchList(items, key);
    // ek-cli's search down the index finds what the list search finds.
    const std::optional<QString> indexed = SearchIndex(store, kind, key);
    FUZZ_CHECK(indexed.has_value() == (at >= 0), describe(key));
    if (indexed)
        FUZZ_CHECK(*indexed == names[at], describe(key) + QStringLiteral(" index ") + describe(*indexed));
    if (key.isEmpty()) {
        FUZZ_CHECK(at == -1, describe(key));
        return;
    }
    FUZZ_CHECK(at >= 0 && at < names.size(), describe(key) + QStringLiteral(" -> ") + QString::number(at));
    FUZZ_CHECK(hasFoldedPrefix(names[at], key),
               describe(key) + QStringLiteral(" found ") + describe(names[at]));
    FUZZ_CHECK(at == 0 || !hasFoldedPrefix(names[at - 1], key),
               describe(key) + QStringLiteral(" also before ") + QString::number(at));
}

// The copy of a name holds its first declaration: alone when that stands in no
// group, else inside the lines of its group, closed however the file ended.
void checkCopy(DeclStore& store, DeclKind kind, const QString& name, const QString& first, qint64 cond)
{
    const QString copy = assembleCopy(&store, kind, {name}, CopyOptions{}, CopyEnd::NoFinalBreak);
    if (cond == 0) {
        FUZZ_CHECK(copy == first, describe(name) + QStringLiteral(" copies as ") + describe(copy));
        return;
    }
    const QString upper = foldName(copy);
    QString last = upper.mid(upper.lastIndexOf(QLatin1String("\r\n")) + 2);
    while (last.endsWith(u' ') || last.endsWith(u'\t'))
        last.chop(1);
    FUZZ_CHECK(upper.startsWith(QLatin1String("#IF ")) && last == QLatin1String("#END IF") &&
                   copy.contains(QStringLiteral("\r\n") + first + QStringLiteral("\r\n")),
               describe(name) + QStringLiteral(" copies as ") + describe(copy));
    // With the uses and a scope the copy still ends in the group's last line.
    const QString scoped =
        assembleCopy(&store, kind, {name}, CopyOptions{true, CopyScope::Private}, CopyEnd::NoFinalBreak);
    FUZZ_CHECK(foldName(scoped).endsWith(upper.mid(upper.lastIndexOf(QLatin1String("\r\n")))),
               describe(scoped));
}

struct Members
{
    std::map<qint64, QString> bodies; // type number -> member lines, each ending in CR LF
};

void checkKind(DeclStore& store, DeclKind kind, const QList<Row>& stored, const Members& members)
{
    const QString table = QString::fromLatin1(tableOf(kind));
    QList<Row> listed;
    store.forEachName(kind, [&listed](std::string_view utf8) {
        listed.append(Row{QString::fromUtf8(utf8.data(), qsizetype(utf8.size())), {}, {}});
    });
    FUZZ_CHECK(listed.size() == stored.size(), table);
    // Each listed name has its rows, in stored order under equal names.
    QHash<QString, QList<Row>> byName;
    for (const Row& r : stored)
        byName[foldName(r.name)].append(r);
    QHash<QString, qsizetype> taken;
    for (Row& r : listed) {
        const QString folded = foldName(r.name);
        const qsizetype n = taken[folded]++;
        FUZZ_CHECK(n < byName[folded].size(), describe(r.name));
        r = byName[folded][n];
    }

    QStringList names;
    QHash<QString, QString> firstFull; // folded name -> what Seek must land on
    QHash<QString, qint64> firstCond;  // folded name -> the place of that first one
    for (qsizetype i = 0; i < listed.size(); ++i) {
        const QString folded = foldName(listed[i].name);
        if (i > 0) {
            const int c = compareCodePoints(foldName(listed[i - 1].name), folded);
            // The index order and the fold with code point order must agree, or the
            // bisection in SearchList walks off the names it is looking for.
            // Two types of a name stand only in different branches of a group.
            const bool typesApart =
                listed[i - 1].cond != 0 && listed[i].cond != 0 && listed[i - 1].cond != listed[i].cond;
            FUZZ_CHECK(c < 0 || (c == 0 && (kind != DeclKind::Type || typesApart)),
                       describe(listed[i - 1].name) + QStringLiteral(" before ") + describe(listed[i].name));
        }
        if (!firstFull.contains(folded)) {
            QString expected = listed[i].full;
            if (kind == DeclKind::Type) {
                const auto body = members.bodies.find(listed[i].typeId.toLongLong());
                expected += kCrLf;
                if (body != members.bodies.end())
                    expected += body->second;
                expected += blockEnd(listed[i].full);
            }
            firstFull.insert(folded, expected);
            firstCond.insert(folded, listed[i].cond);
        }
        names.append(listed[i].name);
    }

    for (const QString& name : std::as_const(names)) {
        const QString expected = firstFull.value(foldName(name));
        FUZZ_CHECK(GetFull(store, kind, name) == expected, table + u' ' + describe(name));
        FUZZ_CHECK(GetFull(store, kind, lowerAscii(name)) == expected, table + u' ' + describe(name));
        if (kind == DeclKind::Type)
            FUZZ_CHECK(expected.endsWith(QLatin1String("End Type")) ||
                           expected.endsWith(QLatin1String("End Enum")),
                       describe(expected));
        checkCopy(store, kind, name, expected, firstCond.value(foldName(name)));

        const QString missing = name + QChar(0xFFFF);
        if (!firstFull.contains(foldName(missing)))
            FUZZ_CHECK(GetFull(store, kind, missing).isEmpty(), table + u' ' + describe(missing));

        checkSearch(names, store, kind, name);
        checkSearch(names, store, kind, lowerAscii(name));
        checkSearch(names, store, kind, name.left(1));
        checkSearch(names, store, kind, name.left(name.size() / 2));
        checkSearch(names, store, kind, name.left(name.size() - 1));
    }
}

void checkDatabase(const QString& path, const ConvertResult& result, const QStringList& lines)
{
    QList<Row> stored[3];
    for (DeclKind kind : kDeclKinds) {
        QList<Row>& rows = stored[declKindIndex(kind)];
        rows = readRows(path, tableOf(kind), true, kind == DeclKind::Type, true);
        checkSubsequence(rows, lines, "stored");
        for (const Row& r : std::as_const(rows))
            checkStoredName(kind, r);
    }
    FUZZ_CHECK(stored[0].size() == result.constants, QString::number(result.constants));
    FUZZ_CHECK(stored[1].size() == result.procedures, QString::number(result.procedures));
    FUZZ_CHECK(stored[2].size() == result.types, QString::number(result.types));

    const QList<Row> memberRows = readRows(path, "tbMenb", false, true, false);
    FUZZ_CHECK(memberRows.size() == result.members, QString::number(result.members));
    checkSubsequence(memberRows, lines, "tbMenb");

    // The conditional lines kept, each of its form, in file order.
    const QList<Row> conditionals = readRows(path, "tbCond", false, false, false);
    FUZZ_CHECK(conditionals.size() == result.conditionals, QString::number(result.conditionals));
    checkSubsequence(conditionals, lines, "tbCond");
    for (const Row& r : conditionals) {
        const QString upper = foldName(r.full);
        FUZZ_CHECK(upper.startsWith(QLatin1String("#IF ")) || upper.startsWith(QLatin1String("#ELSEIF ")) ||
                       upper.startsWith(QLatin1String("#ELSE")) || upper.startsWith(QLatin1String("#END IF")),
                   describe(r.full));
    }

    // Type numbers only ever grow through the file, for headers and members alike.
    qint64 previous = 0;
    for (const Row& r : std::as_const(stored[2])) {
        FUZZ_CHECK(r.typeId.isValid() && r.typeId.toLongLong() >= previous, describe(r.full));
        previous = r.typeId.toLongLong();
    }
    Members members;
    previous = 0;
    for (const Row& r : memberRows) {
        FUZZ_CHECK(r.typeId.isValid() && r.typeId.toLongLong() >= previous, describe(r.full));
        previous = r.typeId.toLongLong();
        members.bodies[previous] += r.full + kCrLf;
    }

    const std::unique_ptr<DeclStore> store = DeclStore::open(path);
    for (DeclKind kind : kDeclKinds)
        checkKind(*store, kind, stored[declKindIndex(kind)], members);
}

void checkResult(const ConvertResult& result, const CheckedProgress& progress, const QList<QByteArray>& raw,
                 const QStringList& lines, qint64 size)
{
    FUZZ_CHECK(!result.cancelled, QString());
    FUZZ_CHECK(result.lines == raw.size(),
               QString::number(result.lines) + u'/' + QString::number(raw.size()));
    FUZZ_CHECK(progress.inits == 1 && progress.terms == 1, QString());
    FUZZ_CHECK(progress.max == size, QString::number(progress.max));
    FUZZ_CHECK(progress.positions.size() == raw.size(), QString::number(progress.positions.size()));
    qint64 position = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        position += raw[i].size() + 2;
        FUZZ_CHECK(progress.positions[i] == position, QString::number(i));
    }
    // An #If never closed is both stored and reported; past the lines kept, all
    // that is known is that no more groups than were opened stay open.
    qint64 unclosed = 0;
    for (const SkippedLine& s : result.skipped)
        unclosed += s.reason == SkipReason::IfNotClosed;
    FUZZ_CHECK(unclosed <= result.groups, QString::number(unclosed));
    if (result.skippedCount > result.skipped.size())
        unclosed = result.groups;
    const qint64 handled =
        result.constants + result.procedures + result.types + result.members + result.conditionals;
    FUZZ_CHECK(handled + result.skippedCount - unclosed <= nonEmpty(lines).size(), QString::number(handled));
    FUZZ_CHECK(result.skipped.size() == std::min<qint64>(result.skippedCount, ConvertResult::kSkippedKept),
               QString::number(result.skipped.size()));
    qint64 lastLine = 0;
    for (const SkippedLine& s : result.skipped) {
        FUZZ_CHECK(s.lineNumber > lastLine && s.lineNumber <= result.lines, QString::number(s.lineNumber));
        FUZZ_CHECK(lines[s.lineNumber - 1].left(SkippedLine::kQuotedChars) == s.text &&
                       s.cut == (lines[s.lineNumber - 1].size() > SkippedLine::kQuotedChars),
                   describe(s.text));
        lastLine = s.lineNumber;
    }
}

void runOne(const uint8_t* data, size_t size)
{
    Scratch& s = scratch();
    writeInput(s.text, data, size);
    CheckedProgress progress;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // Code page 932 text has no NUL and no UTF-16 byte-order mark: such a file is
    // refused before the database is touched.
    if (bytes.left(64 * 1024).contains('\0') || bytes.startsWith("\xFF\xFE") ||
        bytes.startsWith("\xFE\xFF")) {
        const std::optional<DbFault> fault = [&]() -> std::optional<DbFault> {
            try {
                Conversion(s.text, s.db).run(progress);
            } catch (const DbError& e) {
                return e.fault();
            }
            return std::nullopt;
        }();
        FUZZ_CHECK(fault == DbFault::NotText, QStringLiteral("no refusal"));
        FUZZ_CHECK(progress.inits == 0, QString());
        return;
    }
    const ConvertResult result = Conversion(s.text, s.db).run(progress);
    const QList<QByteArray> raw = rawLines(data, size);
    checkLineReader(data, size, raw);
    const QStringList lines = statementLines(raw);
    checkResult(result, progress, raw, lines, qint64(size));
    checkDatabase(s.db, result, nonEmpty(lines));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Any fault here is a finding: the paths are valid and the disk has room, so the
    // conversion and the reads after it must not fail whatever the bytes are.
    try {
        runOne(data, size);
    } catch (const DbError& e) {
        fuzzFail(__FILE__, __LINE__, "no DbError",
                 QString::number(int(e.fault())) + u' ' + e.path() + u' ' + e.detail());
    } catch (const std::exception& e) {
        fuzzFail(__FILE__, __LINE__, "no exception", QString::fromUtf8(e.what()));
    }
    return 0;
}
