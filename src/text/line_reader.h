// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

// Streams raw lines out of a device with a bounded buffer, whatever the file size
// and however long a line is. CR LF, CR alone and LF alone each end a line.
// Splitting bytes before decoding is safe for code page 932: no trail byte is 0x0D
// or 0x0A.
class LineReader
{
public:
    // A line longer than maxLine bytes is handed out cut to its first maxLine bytes.
    // No more than limit bytes are read, when it is not negative: a file that keeps
    // growing while it is read then ends where it ended when the reading began.
    explicit LineReader(QIODevice& device, qsizetype maxLine = 64 * 1024, qint64 limit = -1);

    // False at the end of the data. The view stays valid until the next call. A
    // final line without a line break is still a line; nothing follows a final break.
    bool next(QByteArrayView& line);
    // The whole length in bytes of the line last handed out, and whether it was cut.
    qint64 lineLength() const { return m_lineLength; }
    bool lineCut() const { return m_lineLength > m_lastShown; }
    // Set when the device reported an error rather than an end.
    bool failed() const { return m_failed; }
    // Every byte taken from the device so far.
    qint64 bytesRead() const { return m_bytesRead; }

private:
    bool fill();
    // Drops the buffered part of an overlong line, keeping its first maxLine bytes.
    void dropMiddle();

    QIODevice& m_device;
    QByteArray m_buffer;
    qsizetype m_maxLine;
    qsizetype m_begin = 0;
    qsizetype m_end = 0;
    qint64 m_dropped = 0; // bytes of the current line no longer buffered
    qint64 m_lineLength = 0;
    qint64 m_lastShown = 0;
    bool m_atEnd = false;
    bool m_failed = false;
    bool m_skipLf = false;
    qint64 m_bytesRead = 0;
    qint64 m_limit = -1;
};
