// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QByteArray>
#include <QString>

// Code page 932 as Windows defines it: 0x5C stays a backslash and 0x7E a tilde.
// Bytes that do not decode become U+FFFD; decoding never fails.
class Cp932Decoder
{
public:
    // A system that cannot convert codePage is NoCodePage (51), reported for the
    // text file at forPath.
    explicit Cp932Decoder(const QByteArray& codePage = "CP932", const QString& forPath = {});
    ~Cp932Decoder();
    Cp932Decoder(const Cp932Decoder&) = delete;
    Cp932Decoder& operator=(const Cp932Decoder&) = delete;

    QString decode(const char* data, qsizetype size);

private:
    void* m_handle;
};

// The reverse, for writing sample and test files. Characters code page 932 lacks
// become '?'.
QByteArray encodeCp932(const QString& text);
