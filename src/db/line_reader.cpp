// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "line_reader.h"

#include <QIODevice>

namespace {
constexpr qsizetype kChunk = 64 * 1024;
}

LineReader::LineReader(QIODevice& device)
    : m_device(device)
    , m_buffer(kChunk, Qt::Uninitialized)
{
}

bool LineReader::fill()
{
    if (m_atEnd)
        return false;
    if (m_begin > 0) {
        memmove(m_buffer.data(), m_buffer.constData() + m_begin, size_t(m_end - m_begin));
        m_end -= m_begin;
        m_begin = 0;
    }
    // Only a line longer than the buffer grows it, so memory follows the longest
    // line, not the file.
    if (m_end == m_buffer.size())
        m_buffer.resize(m_buffer.size() * 2);
    const qint64 got = m_device.read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (got <= 0) {
        m_failed = got < 0;
        m_atEnd = true;
        return false;
    }
    m_end += got;
    m_bytesRead += got;
    return true;
}

bool LineReader::next(QByteArrayView& line)
{
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
                line = QByteArrayView(data + m_begin, i - m_begin);
                m_begin = i + 1;
                m_skipLf = c == '\r';
                return true;
            }
        }
        const qsizetype pending = m_end - m_begin;
        const bool skipLf = m_skipLf;
        if (!fill()) {
            if (pending == 0 || skipLf)
                return false;
            line = QByteArrayView(m_buffer.constData() + m_begin, pending);
            m_begin = m_end;
            return true;
        }
        scanned = m_begin + pending;
    }
}
