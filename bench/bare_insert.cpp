// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "line_shape.h"
#include "schema.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <sqlite3.h>
#include <string>
#include <unistd.h>
#include <vector>

// The floor the converter is measured against: the same rows into the same schema
// with nothing but the SQLite C API, prepared statements and one transaction. It
// reads, splits, decodes and classifies lines as the converter does, so that both
// do the same work; it has no progress, no engine layer and no Qt.
//
//   ek-bench-insert [--cache-kb N] TEXTFILE DBFILE   convert; N KiB of page cache, or
//                                                    SQLite's default without the option
//   ek-bench-insert --same A B                       exit 0 when both databases hold the same rows
namespace {

[[noreturn]] void fail(const char* what, const char* detail)
{
    std::fprintf(stderr, "ek-bench-insert: %s: %s\n", what, detail);
    std::exit(3);
}

void check(sqlite3* db, int rc, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        fail(what, sqlite3_errmsg(db));
}

class Inserter
{
public:
    explicit Inserter(sqlite3* db)
        : m_db(db)
    {
        m_cnst = prepare("INSERT INTO tbCnst (fdName, fdFull) VALUES (?1, ?2)");
        m_proc = prepare("INSERT INTO tbProc (fdName, fdFull) VALUES (?1, ?2)");
        m_type = prepare("INSERT INTO tbType (fdName, fdFull, fdTypeID) VALUES (?1, ?2, ?3)");
        m_menb = prepare("INSERT INTO tbMenb (fdFull, fdTypeID) VALUES (?1, ?2)");
    }
    ~Inserter()
    {
        for (sqlite3_stmt* s : {m_cnst, m_proc, m_type, m_menb})
            sqlite3_finalize(s);
    }

    void line(const std::string& s)
    {
        const LineShape shape = classifyLine(std::string_view(s), m_block);
        switch (shape.kind) {
        case LineKind::Constant:
            named(m_cnst, s, shape, nullptr);
            break;
        case LineKind::Procedure:
            named(m_proc, s, shape, nullptr);
            break;
        case LineKind::BlockEnd:
            ++m_typeNumber;
            m_block = OpenBlock::None;
            break;
        case LineKind::BlockHeader:
            m_block = shape.opens;
            named(m_type, s, shape, &m_typeNumber);
            break;
        case LineKind::Member:
            sqlite3_bind_text(m_menb, 1, s.data(), int(s.size()), SQLITE_STATIC);
            sqlite3_bind_int64(m_menb, 2, m_typeNumber);
            run(m_menb);
            break;
        // The generated files have no conditional groups and no lines between blocks.
        case LineKind::Conditional:
        case LineKind::Outside:
        case LineKind::Blank:
            break;
        }
    }

private:
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* s = nullptr;
        check(m_db, sqlite3_prepare_v2(m_db, sql, -1, &s, nullptr), sql);
        return s;
    }

    void named(sqlite3_stmt* s, const std::string& line, const LineShape& shape, const long long* typeNumber)
    {
        if (shape.refused)
            return;
        sqlite3_bind_text(s, 1, line.data() + shape.nameStart, int(shape.nameLength), SQLITE_STATIC);
        sqlite3_bind_text(s, 2, line.data(), int(line.size()), SQLITE_STATIC);
        if (typeNumber)
            sqlite3_bind_int64(s, 3, *typeNumber);
        run(s);
    }

    void run(sqlite3_stmt* s)
    {
        const int rc = sqlite3_step(s);
        sqlite3_reset(s);
        // A duplicate type name is a line not stored, as in the converter.
        if (rc != SQLITE_DONE && rc != SQLITE_CONSTRAINT)
            fail("insert", sqlite3_errmsg(m_db));
    }

    sqlite3* m_db;
    sqlite3_stmt* m_cnst;
    sqlite3_stmt* m_proc;
    sqlite3_stmt* m_type;
    sqlite3_stmt* m_menb;
    long long m_typeNumber = 0;
    OpenBlock m_block = OpenBlock::None;
};

class Decoder
{
public:
    Decoder()
        : m_cd(iconv_open("UTF-8", "CP932"))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            fail("iconv", "CP932");
    }
    ~Decoder() { iconv_close(m_cd); }

    // The generated files are valid code page 932, so no replacement is needed.
    void decode(const char* data, size_t size, std::string& out)
    {
        // A half-width katakana byte becomes three UTF-8 bytes.
        out.resize(size * 3 + 4);
        char* in = const_cast<char*>(data);
        size_t inLeft = size;
        char* dst = out.data();
        size_t outLeft = out.size();
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(m_cd, &in, &inLeft, &dst, &outLeft) == size_t(-1))
            fail("iconv", std::strerror(errno));
        out.resize(out.size() - outLeft);
    }

private:
    iconv_t m_cd;
};

int convert(const char* textPath, const char* dbPath, long cacheKb)
{
    std::FILE* text = std::fopen(textPath, "rb");
    if (!text)
        fail(textPath, std::strerror(errno));
    unlink(dbPath);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(dbPath, &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        fail(dbPath, sqlite3_errmsg(db));
    check(db, sqlite3_exec(db, kDeclarationTables, nullptr, nullptr, nullptr), "tables");
    check(db, sqlite3_exec(db, kDeclarationIndexes, nullptr, nullptr, nullptr), "indexes");
    if (cacheKb > 0) {
        const std::string cache = "PRAGMA cache_size = -" + std::to_string(cacheKb);
        check(db, sqlite3_exec(db, cache.c_str(), nullptr, nullptr, nullptr), "cache");
    }
    check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), "begin");
    {
        Inserter inserter(db);
        Decoder decoder;
        std::vector<char> buffer(64 * 1024);
        std::string pending;
        std::string decoded;
        bool skipLf = false;
        auto handle = [&](const char* data, size_t size) {
            decoder.decode(data, size, decoded);
            const size_t comment = decoded.find('\'');
            if (comment != std::string::npos)
                decoded.resize(comment);
            if (!decoded.empty())
                inserter.line(decoded);
        };
        size_t got;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), text)) > 0) {
            size_t begin = 0;
            for (size_t i = 0; i < got; ++i) {
                const char c = buffer[i];
                if (skipLf) {
                    skipLf = false;
                    if (c == '\n') {
                        begin = i + 1;
                        continue;
                    }
                }
                if (c != '\n' && c != '\r')
                    continue;
                if (pending.empty()) {
                    handle(buffer.data() + begin, i - begin);
                } else {
                    pending.append(buffer.data() + begin, i - begin);
                    handle(pending.data(), pending.size());
                    pending.clear();
                }
                begin = i + 1;
                skipLf = c == '\r';
            }
            pending.append(buffer.data() + begin, got - begin);
        }
        if (!pending.empty())
            handle(pending.data(), pending.size());
    }
    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
    sqlite3_close(db);
    std::fclose(text);
    return 0;
}

std::vector<std::string> rows(sqlite3* db, const char* sql)
{
    std::vector<std::string> out;
    sqlite3_stmt* s = nullptr;
    check(db, sqlite3_prepare_v2(db, sql, -1, &s, nullptr), sql);
    while (sqlite3_step(s) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < sqlite3_column_count(s); ++i) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
            row += t ? t : "<null>";
            row += '\x1f';
        }
        out.push_back(std::move(row));
    }
    sqlite3_finalize(s);
    return out;
}

int same(const char* a, const char* b)
{
    sqlite3* da = nullptr;
    sqlite3* dbb = nullptr;
    if (sqlite3_open_v2(a, &da, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        fail(a, sqlite3_errmsg(da));
    if (sqlite3_open_v2(b, &dbb, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        fail(b, sqlite3_errmsg(dbb));
    const char* const queries[] = {"SELECT rowid, fdName, fdFull FROM tbCnst ORDER BY rowid",
                                   "SELECT rowid, fdName, fdFull FROM tbProc ORDER BY rowid",
                                   "SELECT rowid, fdName, fdFull, fdTypeID FROM tbType ORDER BY rowid",
                                   "SELECT rowid, fdFull, fdTypeID FROM tbMenb ORDER BY rowid"};
    int status = 0;
    for (const char* q : queries) {
        const std::vector<std::string> ra = rows(da, q);
        const std::vector<std::string> rb = rows(dbb, q);
        if (ra != rb) {
            std::fprintf(stderr, "ek-bench-insert: rows differ (%zu against %zu): %s\n", ra.size(), rb.size(),
                         q);
            status = 1;
        }
    }
    sqlite3_close(da);
    sqlite3_close(dbb);
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "--same") == 0)
        return same(argv[2], argv[3]);
    if (argc == 5 && std::strcmp(argv[1], "--cache-kb") == 0)
        return convert(argv[3], argv[4], std::atol(argv[2]));
    if (argc == 3)
        return convert(argv[1], argv[2], 0);
    std::fputs("usage: ek-bench-insert [--cache-kb N] TEXTFILE DBFILE | --same A B\n", stderr);
    return 2;
}
