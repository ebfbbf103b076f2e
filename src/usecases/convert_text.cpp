// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "convert_text.h"

#include "conditional_groups.h"
#include "continuation.h"
#include "cp932.h"
#include "db_error.h"
#include "decl_writer.h"
#include "errno_fault.h"
#include "files.h"
#include "line_reader.h"
#include "name_fold.h"
#include "text_error.h"

#include <memory>
#include <string>
#include <unordered_map>

namespace {

// The longest line stored: far beyond any declaration, and short enough that every
// reader of the database can load it.
constexpr qsizetype kMaxLineBytes = qsizetype(64) * 1024;

std::string foldedUtf8(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z')
            c = char(c - ('a' - 'A'));
    }
    return folded;
}

QString fromUtf8(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The rows of one run: the line shapes turned into rows, with the type number,
// the block and the conditional groups they depend on.
class Rows
{
public:
    Rows(DeclWriter& writer, ConvertResult& result, int keptLines)
        : m_writer(writer)
        , m_result(result)
        , m_keptLines(keptLines)
    {
    }

    // judged is the statement as one line, full the lines as written; the two are the
    // same view unless the statement was continued.
    void handle(qint64 lineNumber, std::string_view judged, std::string_view full)
    {
        const LineShape shape = classifyLine(judged, m_block);
        if (m_groups.refusing() && shape.kind != LineKind::Conditional) {
            refuseTooDeep(lineNumber, shape, judged);
            return;
        }
        switch (shape.kind) {
        case LineKind::Constant:
            if (named(lineNumber, shape, judged)) {
                m_writer.addConstant(nameOf(shape, judged), full, m_groups.cond());
                ++m_result.constants;
            }
            break;
        case LineKind::Procedure:
            if (named(lineNumber, shape, judged)) {
                m_writer.addProcedure(nameOf(shape, judged), full, m_groups.cond());
                ++m_result.procedures;
            }
            break;
        case LineKind::BlockEnd:
            endRefusedBlock();
            ++m_typeNumber;
            m_block = OpenBlock::None;
            break;
        case LineKind::BlockHeader:
            endRefusedBlock();
            // A refused header still opens the block: its members are no statements.
            m_block = shape.opens;
            if (named(lineNumber, shape, judged) && newTypeName(lineNumber, shape, judged)) {
                m_writer.addType(nameOf(shape, judged), full, m_typeNumber, m_groups.cond());
                ++m_result.types;
            } else {
                m_refusedHeader = lineNumber;
            }
            break;
        case LineKind::Member:
            if (m_refusedHeader > 0) {
                ++m_membersDropped;
                break;
            }
            m_writer.addMember(full, m_typeNumber);
            ++m_result.members;
            break;
        case LineKind::Conditional:
            conditional(lineNumber, shape.conditional, judged, full);
            break;
        case LineKind::Outside:
            named(lineNumber, shape, judged);
            break;
        case LineKind::Blank:
            break;
        }
    }

    // After the last line: a group never closed is reported at its #If line.
    void endOfText()
    {
        endRefusedBlock();
        for (const ConditionalGroups::Unclosed& open : m_groups.unclosed())
            skip(open.lineNumber, SkipReason::IfNotClosed, open.opening, open.cut);
    }

    // Where a run was cancelled, the members of a refused type read so far.
    void endOfRun() { endRefusedBlock(); }

    void skip(qint64 lineNumber, SkipReason reason, std::string_view line, bool cutBefore = false,
              qint64 firstTypeLine = 0)
    {
        ++m_result.skippedCount;
        if (reason != SkipReason::OutsideType)
            ++m_result.refusedCount;
        const QString text = fromUtf8(line.substr(0, size_t(SkippedLine::kQuotedChars) * 4));
        const SkippedLine skipped{lineNumber,
                                  reason,
                                  text.left(SkippedLine::kQuotedChars),
                                  cutBefore || text.size() > SkippedLine::kQuotedChars,
                                  firstTypeLine,
                                  0};
        // The report keeps the first lines of the file; an unclosed #If is only known
        // at the end, and takes its place by its line number.
        QList<SkippedLine>& kept = m_result.skipped;
        qsizetype at = kept.size();
        while (at > 0 && kept[at - 1].lineNumber > lineNumber)
            --at;
        if (at >= m_keptLines)
            return;
        kept.insert(at, skipped);
        if (kept.size() > m_keptLines)
            kept.removeLast();
    }

private:
    // Blocks still open and close inside a refused group, so that its #If lines are
    // told from member lines as everywhere else.
    void refuseTooDeep(qint64 lineNumber, const LineShape& shape, std::string_view line)
    {
        if (shape.kind == LineKind::BlockHeader)
            m_block = shape.opens;
        else if (shape.kind == LineKind::BlockEnd)
            m_block = OpenBlock::None;
        if (shape.kind != LineKind::Blank)
            skip(lineNumber, SkipReason::TooDeep, line);
    }

    static std::string_view nameOf(const LineShape& shape, std::string_view line)
    {
        return line.substr(size_t(shape.nameStart), size_t(shape.nameLength));
    }

    bool named(qint64 lineNumber, const LineShape& shape, std::string_view line)
    {
        if (!shape.refused)
            return true;
        skip(lineNumber, *shape.refused, line);
        return false;
    }

    void conditional(qint64 lineNumber, ConditionalKind kind, std::string_view judged, std::string_view full)
    {
        ConditionalGroups::Line stored;
        SkipReason refused = SkipReason::NoOpenIf;
        if (!m_groups.take(kind, lineNumber, judged, stored, refused)) {
            skip(lineNumber, refused, judged);
            return;
        }
        m_writer.addConditional(stored.id, stored.group, stored.parent, full);
        ++m_result.conditionals;
        if (kind == ConditionalKind::If)
            ++m_result.groups;
    }

    // Type names are unique under the fold on every path through the groups; the
    // index that holds the rows to it is built at the end, so the rule is kept here.
    // The types of a name already stored never share a path, so a new one can only
    // share a path with the last of them: one comparison, whatever the branches.
    bool newTypeName(qint64 lineNumber, const LineShape& shape, std::string_view line)
    {
        const auto [last, first] = m_typeNames.try_emplace(foldedUtf8(nameOf(shape, line)), lineNumber);
        if (first)
            return true;
        if (!m_groups.exclusiveWithEarlier(last->second)) {
            skip(lineNumber, SkipReason::DuplicateType, line, false, last->second);
            return false;
        }
        last->second = lineNumber;
        return true;
    }

    // The members of a refused header are no type's: they are counted on its listed
    // line, not stored where nothing would ever read them.
    void endRefusedBlock()
    {
        if (m_refusedHeader == 0)
            return;
        m_result.membersNotStored += m_membersDropped;
        QList<SkippedLine>& kept = m_result.skipped;
        for (qsizetype at = kept.size() - 1; at >= 0 && kept[at].lineNumber >= m_refusedHeader; --at) {
            if (kept[at].lineNumber == m_refusedHeader)
                kept[at].membersNotStored = m_membersDropped;
        }
        m_refusedHeader = 0;
        m_membersDropped = 0;
    }

    DeclWriter& m_writer;
    ConvertResult& m_result;
    int m_keptLines;
    std::unordered_map<std::string, qint64> m_typeNames; // the line of the last type stored
    ConditionalGroups m_groups;
    qint64 m_typeNumber = 0;
    OpenBlock m_block = OpenBlock::None;
    qint64 m_refusedHeader = 0; // the line of the refused header whose block is open
    qint64 m_membersDropped = 0;
};

// A statement written over several lines, gathered until its last line: the lines
// as written for the row, and the one line they read as for the judging.
class ContinuedStatement
{
public:
    explicit ContinuedStatement(qsizetype maxBytes)
        : m_maxBytes(maxBytes)
    {
    }

    bool active() const { return m_lines > 0; }
    qint64 firstLine() const { return m_first; }
    bool tooLong() const { return m_tooLong; }
    std::string_view joined() const { return m_joined; }
    std::string_view full() const { return m_full; }

    // Adds the next line; true while the statement goes on. A line the reader cut
    // ends it, its end unknown. The row keeps a continuation line's indent; the
    // judged line reads it without.
    bool add(qint64 lineNumber, std::string_view line, bool cutByReader)
    {
        std::string_view judged = line;
        std::string_view lineBreak;
        if (m_lines++ == 0) {
            m_first = lineNumber;
            m_tooLong = false;
            m_joined.clear();
            m_full.clear();
        } else {
            lineBreak = "\r\n";
            const size_t lead = judged.find_first_not_of(" \t");
            judged = judged.substr(lead == std::string_view::npos ? judged.size() : lead);
        }
        const bool more = !cutByReader && continuesOnNextLine(line);
        m_tooLong =
            m_tooLong || cutByReader || m_full.size() + lineBreak.size() + line.size() > size_t(m_maxBytes);
        constexpr size_t kQuoted = size_t(SkippedLine::kQuotedChars) * 4;
        if (!m_tooLong) {
            m_full += lineBreak;
            m_full += line;
            m_joined += more ? beforeContinuation(judged) : judged;
            if (more)
                m_joined += ' ';
        } else if (m_joined.size() < kQuoted) {
            m_joined += judged.substr(0, kQuoted);
        }
        if (!more)
            m_lines = 0;
        return more;
    }

private:
    qsizetype m_maxBytes;
    qint64 m_lines = 0;
    qint64 m_first = 0;
    bool m_tooLong = false;
    std::string m_joined;
    std::string m_full;
};

// Everything a run opens is closed, and the progress ended, on every way out.
class ProgressShown
{
public:
    ProgressShown(ConvertProgress& progress, qint64 max)
        : m_progress(progress)
    {
        m_progress.started(max);
    }
    ~ProgressShown() { m_progress.finished(); }
    ProgressShown(const ProgressShown&) = delete;
    ProgressShown& operator=(const ProgressShown&) = delete;

private:
    ConvertProgress& m_progress;
};

void endStatement(Rows& rows, const ContinuedStatement& statement)
{
    if (statement.tooLong())
        rows.skip(statement.firstLine(), SkipReason::TooLong, statement.joined(), true);
    else
        rows.handle(statement.firstLine(), statement.joined(), statement.full());
}

// A converter that cannot be had is the text file's fault: the user is told which
// file could not be read, and why.
std::unique_ptr<Cp932Decoder> openDecoder(const QByteArray& codePage, const QString& textPath)
{
    try {
        return std::make_unique<Cp932Decoder>(codePage);
    } catch (const CodePageUnavailable& e) {
        if (e.systemError() != 0)
            throw DbError(faultOfErrno(e.systemError(), FileStep::Open).value_or(DbFault::NoCodePage),
                          textPath, systemText(e.systemError()));
        throw DbError(DbFault::NoCodePage, textPath, QString::fromLatin1(e.codePage()));
    }
}

// The lines after a cancel, so that the report can say how far the run came.
qint64 countRest(LineReader& reader)
{
    qint64 n = 0;
    QByteArrayView raw;
    while (reader.next(raw))
        ++n;
    return n;
}

} // namespace

ConvertResult convertDeclarations(OpenedFile& text, const QString& textPath, DeclWriter& writer,
                                  ConvertProgress& progress, const ConvertOptions& options)
{
    ConvertResult result;
    const std::unique_ptr<Cp932Decoder> decoder = openDecoder(options.codePage, textPath);
    const FileStamp before = text.stamp();
    const qint64 length = before.size;
    Rows rows(writer, result, options.keptLines);
    {
        const ProgressShown shown(progress, length);
        LineReader reader(text.file(), kMaxLineBytes, length);
        ContinuedStatement statement(kMaxLineBytes);
        qint64 position = 0;
        QByteArrayView raw;
        while (reader.next(raw)) {
            ++result.lines;
            position += reader.lineLength() + 2;
            if (progress.shouldStop(position)) {
                result.cancelled = true;
                result.totalLines = result.lines + countRest(reader);
                break;
            }
            // A byte-order mark is how some editors begin a text; it is no part of
            // the first declaration.
            if (result.lines == 1 && raw.startsWith("\xEF\xBB\xBF"))
                raw = raw.sliced(3);
            std::string_view line = decoder->toUtf8(raw.data(), raw.size());
            const size_t comment = line.find('\'');
            if (comment != std::string_view::npos)
                line = line.substr(0, comment);
            const bool cutByReader = reader.lineCut() && comment == std::string_view::npos;
            if (statement.active() || (!cutByReader && continuesOnNextLine(line))) {
                if (!statement.add(result.lines, line, cutByReader))
                    endStatement(rows, statement);
            } else if (cutByReader) {
                rows.skip(result.lines, SkipReason::TooLong, line, true);
            } else if (!line.empty()) {
                rows.handle(result.lines, line, line);
            }
            progress.processEvents();
        }
        if (reader.failed())
            throw DbError(DbFault::TextIo, textPath, text.file().errorString());
        if (statement.active() && !result.cancelled)
            rows.skip(statement.firstLine(), SkipReason::ContinuedAtEnd, statement.joined());
        if (!result.cancelled)
            rows.endOfText();
        else
            rows.endOfRun();
        if (!result.cancelled)
            result.textChanged = reader.bytesRead() != length;
    }
    if (!result.cancelled)
        result.textChanged =
            result.textChanged || text.stamp() != before || !FileStamp::ofPath(textPath).sameFile(before);
    return result;
}
