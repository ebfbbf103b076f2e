// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "convert_text.h"

#include "conditional_groups.h"
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
    Rows(DeclWriter& writer, ConvertResult& result)
        : m_writer(writer)
        , m_result(result)
    {
    }

    void handle(qint64 lineNumber, std::string_view line)
    {
        const LineShape shape = classifyLine(line, m_block);
        switch (shape.kind) {
        case LineKind::Constant:
            if (named(lineNumber, shape, line)) {
                m_writer.addConstant(nameOf(shape, line), line, m_groups.cond());
                ++m_result.constants;
            }
            break;
        case LineKind::Procedure:
            if (named(lineNumber, shape, line)) {
                m_writer.addProcedure(nameOf(shape, line), line, m_groups.cond());
                ++m_result.procedures;
            }
            break;
        case LineKind::BlockEnd:
            ++m_typeNumber;
            m_block = OpenBlock::None;
            break;
        case LineKind::BlockHeader:
            // A refused header still opens the block, so its members keep this number.
            m_block = shape.opens;
            if (named(lineNumber, shape, line) && newTypeName(lineNumber, shape, line)) {
                m_writer.addType(nameOf(shape, line), line, m_typeNumber, m_groups.cond());
                ++m_result.types;
            }
            break;
        case LineKind::Member:
            m_writer.addMember(line, m_typeNumber);
            ++m_result.members;
            break;
        case LineKind::Conditional:
            conditional(lineNumber, shape.conditional, line);
            break;
        case LineKind::Outside:
            named(lineNumber, shape, line);
            break;
        case LineKind::Blank:
            break;
        }
    }

    // After the last line: a group never closed is reported at its #If line.
    void endOfText()
    {
        for (const ConditionalGroups::Unclosed& open : m_groups.unclosed())
            skip(open.lineNumber, SkipReason::IfNotClosed, open.opening, open.cut);
    }

    void skip(qint64 lineNumber, SkipReason reason, std::string_view line, bool cutBefore = false)
    {
        ++m_result.skippedCount;
        const QString text = fromUtf8(line.substr(0, size_t(SkippedLine::kQuotedChars) * 4));
        const SkippedLine skipped{lineNumber, reason, text.left(SkippedLine::kQuotedChars),
                                  cutBefore || text.size() > SkippedLine::kQuotedChars};
        // The report keeps the first lines of the file; an unclosed #If is only known
        // at the end, and takes its place by its line number.
        QList<SkippedLine>& kept = m_result.skipped;
        qsizetype at = kept.size();
        while (at > 0 && kept[at - 1].lineNumber > lineNumber)
            --at;
        if (at >= ConvertResult::kSkippedKept)
            return;
        kept.insert(at, skipped);
        if (kept.size() > ConvertResult::kSkippedKept)
            kept.removeLast();
    }

private:
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

    void conditional(qint64 lineNumber, ConditionalKind kind, std::string_view line)
    {
        ConditionalGroups::Line stored;
        SkipReason refused = SkipReason::NoOpenIf;
        if (!m_groups.take(kind, lineNumber, line, stored, refused)) {
            skip(lineNumber, refused, line);
            return;
        }
        m_writer.addConditional(stored.id, stored.group, stored.parent, line);
        ++m_result.conditionals;
        if (kind == ConditionalKind::If)
            ++m_result.groups;
    }

    // Type names are unique under the fold on every path through the groups; the
    // index that holds the rows to it is built at the end, so the rule is kept here.
    bool newTypeName(qint64 lineNumber, const LineShape& shape, std::string_view line)
    {
        std::vector<ConditionalGroups::Place>& places = m_typeNames[foldedUtf8(nameOf(shape, line))];
        ConditionalGroups::Place here = m_groups.place();
        for (const ConditionalGroups::Place& other : places) {
            if (!ConditionalGroups::exclusive(here, other)) {
                skip(lineNumber, SkipReason::DuplicateType, line);
                return false;
            }
        }
        places.push_back(std::move(here));
        return true;
    }

    DeclWriter& m_writer;
    ConvertResult& m_result;
    std::unordered_map<std::string, std::vector<ConditionalGroups::Place>> m_typeNames;
    ConditionalGroups m_groups;
    qint64 m_typeNumber = 0;
    OpenBlock m_block = OpenBlock::None;
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
    Rows rows(writer, result);
    {
        const ProgressShown shown(progress, length);
        LineReader reader(text.file(), kMaxLineBytes);
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
            if (reader.lineCut() && comment == std::string_view::npos)
                rows.skip(result.lines, SkipReason::TooLong, line, true);
            else if (!line.empty())
                rows.handle(result.lines, line);
            progress.processEvents();
        }
        if (reader.failed())
            throw DbError(DbFault::TextIo, textPath, text.file().errorString());
        if (!result.cancelled)
            rows.endOfText();
        if (!result.cancelled)
            result.textChanged = reader.bytesRead() != length;
    }
    if (!result.cancelled)
        result.textChanged =
            result.textChanged || text.stamp() != before || !FileStamp::ofPath(textPath).sameFile(before);
    return result;
}
