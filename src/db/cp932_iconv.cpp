// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "cp932.h"
#include "db_error.h"

#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <stdexcept>

namespace {

// glibc's "SHIFT_JIS" maps 0x5C to the yen sign and would corrupt every backslash
// in a declaration; "CP932" is the Windows table.
constexpr const char* kCodePage = "CP932";
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char* kUtf16 = "UTF-16LE";
#else
constexpr const char* kUtf16 = "UTF-16BE";
#endif

iconv_t openOrThrow(const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv cannot convert between CP932 and UTF-16");
    return cd;
}

} // namespace

Cp932Decoder::Cp932Decoder(const QByteArray& codePage, const QString& forPath)
{
    iconv_t cd = iconv_open(kUtf16, codePage.constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw DbError(DbFault::NoCodePage, forPath, QString::fromLatin1(codePage));
    m_handle = cd;
}

Cp932Decoder::~Cp932Decoder()
{
    iconv_close(static_cast<iconv_t>(m_handle));
}

QString Cp932Decoder::decode(const char* data, qsizetype size)
{
    qsizetype ascii = 0;
    while (ascii < size && static_cast<unsigned char>(data[ascii]) < 0x80)
        ++ascii;
    if (ascii == size)
        return QString::fromLatin1(data, size);

    auto cd = static_cast<iconv_t>(m_handle);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    // Every byte yields at most one UTF-16 unit.
    QString out(size, Qt::Uninitialized);
    char* in = const_cast<char*>(data);
    size_t inLeft = size_t(size);
    char* dst = reinterpret_cast<char*>(out.data());
    size_t outLeft = size_t(size) * 2;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen: one unit per byte at most
        // EILSEQ or EINVAL (a lead byte cut off at the end): one replacement per
        // bad byte, and the run goes on.
        const char16_t replacement = 0xFFFD;
        memcpy(dst, &replacement, 2);
        dst += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize((dst - reinterpret_cast<char*>(out.data())) / 2);
    return out;
}

QByteArray encodeCp932(const QString& text)
{
    iconv_t cd = openOrThrow(kCodePage, kUtf16);
    QByteArray out;
    out.reserve(text.size() * 2);
    const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
    qsizetype i = 0;
    char buffer[8];
    while (i < text.size()) {
        // A surrogate pair converts as one character.
        const qsizetype n = (QChar::isHighSurrogate(units[i]) && i + 1 < text.size()) ? 2 : 1;
        char* in = reinterpret_cast<char*>(const_cast<char16_t*>(units + i));
        size_t inLeft = size_t(n) * 2;
        char* dst = buffer;
        size_t outLeft = sizeof buffer;
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) == size_t(-1)) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            out += '?';
        } else {
            out.append(buffer, dst - buffer);
        }
        i += n;
    }
    iconv_close(cd);
    return out;
}
