// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

// Code page 932 as Windows defines it: 0x5C stays a backslash and 0x7E a tilde.
// Bytes that do not decode become U+FFFD; decoding never fails.
// How many bytes at the start are ASCII, which every code page keeps as it is.
inline qsizetype asciiPrefix(const char* data, qsizetype size)
{
    qsizetype n = 0;
    while (n < size && static_cast<unsigned char>(data[n]) < 0x80)
        ++n;
    return n;
}

class Cp932Decoder
{
public:
    // Throws CodePageUnavailable when the system cannot convert codePage.
    explicit Cp932Decoder(const QByteArray& codePage = "CP932");
    ~Cp932Decoder();
    Cp932Decoder(const Cp932Decoder&) = delete;
    Cp932Decoder& operator=(const Cp932Decoder&) = delete;

    // The bytes as UTF-8, which is what the database stores: no UTF-16 copy is made
    // on the way. Valid until the next call; ASCII is handed back without a copy.
    std::string_view toUtf8(const char* data, qsizetype size);

private:
    void* m_handle;
    std::string m_out;
};
