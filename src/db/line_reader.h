// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

// Streams raw lines out of a device with a bounded buffer, whatever the file size.
// CR LF, CR alone and LF alone each end a line. Splitting bytes before decoding is
// safe for code page 932: no trail byte is 0x0D or 0x0A.
class LineReader
{
public:
    explicit LineReader(QIODevice& device);

    // False at the end of the data. The view stays valid until the next call. A
    // final line without a line break is still a line; nothing follows a final break.
    bool next(QByteArrayView& line);
    // Set when the device reported an error rather than an end.
    bool failed() const { return m_failed; }
    // Every byte taken from the device so far.
    qint64 bytesRead() const { return m_bytesRead; }

private:
    bool fill();

    QIODevice& m_device;
    QByteArray m_buffer;
    qsizetype m_begin = 0;
    qsizetype m_end = 0;
    bool m_atEnd = false;
    bool m_failed = false;
    bool m_skipLf = false;
    qint64 m_bytesRead = 0;
};
