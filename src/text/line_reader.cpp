// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "line_reader.h"

#include <QIODevice>
#include <cstring>

namespace {
constexpr qsizetype kChunk = qsizetype(64) * 1024;
}

LineReader::LineReader(QIODevice& device, qsizetype maxLine, qint64 limit)
    : m_device(device)
    , m_buffer(std::max(kChunk, maxLine + 1), Qt::Uninitialized)
    , m_maxLine(maxLine)
    , m_limit(limit)
{
}

bool LineReader::fill()
{
    if (m_atEnd)
        return false;
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.constData() + m_begin, size_t(m_end - m_begin));
        m_end -= m_begin;
        m_begin = 0;
    }
    // The buffer holds at least the longest line kept whole; beyond that the middle
    // of a line is dropped, so memory never follows the file.
    if (m_end == m_buffer.size())
        dropMiddle();
    qint64 room = m_buffer.size() - m_end;
    if (m_limit >= 0)
        room = std::min(room, m_limit - m_bytesRead);
    const qint64 got = room > 0 ? m_device.read(m_buffer.data() + m_end, room) : 0;
    if (got <= 0) {
        m_failed = got < 0;
        m_atEnd = true;
        return false;
    }
    m_end += got;
    m_bytesRead += got;
    return true;
}

void LineReader::dropMiddle()
{
    const qsizetype keep = m_maxLine;
    m_dropped += m_end - keep;
    m_end = keep;
}

bool LineReader::next(QByteArrayView& line)
{
    m_dropped = 0;
    qsizetype scanned = m_begin;
    for (;;) {
        if (m_skipLf && m_begin < m_end) {
            if (m_buffer[m_begin] == '\n')
                ++m_begin;
            m_skipLf = false;
            scanned = m_begin;
        }
        const char* data = m_buffer.constData();
        for (qsizetype i = scanned; i < m_end; ++i) {
            const char c = data[i];
            if (c == '\n' || c == '\r') {
                const qsizetype shown = std::min<qsizetype>(i - m_begin, m_maxLine);
                line = QByteArrayView(data + m_begin, shown);
                m_lineLength = m_dropped + (i - m_begin);
                m_lastShown = shown;
                m_begin = i + 1;
                m_skipLf = c == '\r';
                return true;
            }
        }
        const qsizetype pending = m_end - m_begin;
        const bool skipLf = m_skipLf;
        const qint64 droppedBefore = m_dropped;
        if (!fill()) {
            if ((pending == 0 && m_dropped == 0) || skipLf)
                return false;
            const qsizetype shown = std::min<qsizetype>(m_end - m_begin, m_maxLine);
            line = QByteArrayView(m_buffer.constData() + m_begin, shown);
            m_lineLength = m_dropped + (m_end - m_begin);
            m_lastShown = shown;
            m_begin = m_end;
            return true;
        }
        // fill() moved the pending bytes to the front; when it dropped the middle of
        // the line, what came after its kept start is new.
        scanned = m_dropped != droppedBefore ? m_maxLine : m_begin + pending;
    }
}
