// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "cp932.h"
#include "text_error.h"

#include <windows.h>

namespace {

constexpr UINT kCodePage = 932;

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// One character of one or two bytes as UTF-16; 0 when the code page has none.
// Windows gives 0x80, 0xA0 and 0xFD to 0xFF characters of their own, which the
// code page's published table (and so every other system) leaves undefined.
int decodeOne(const char* bytes, int n, wchar_t* out)
{
    const auto b = static_cast<unsigned char>(bytes[0]);
    if (n == 1 && (b == 0x80 || b == 0xA0 || b >= 0xFD))
        return 0;
    return MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, n, out, 2);
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace

// Windows has code page 932 built in; no converter state is needed.
Cp932Decoder::Cp932Decoder(const QByteArray& codePage)
    : m_handle(nullptr)
{
    if (codePage.compare("CP932", Qt::CaseInsensitive) != 0)
        throw CodePageUnavailable(codePage, 0);
}

Cp932Decoder::~Cp932Decoder() = default;

std::string_view Cp932Decoder::toUtf8(const char* data, qsizetype size)
{
    const qsizetype ascii = asciiPrefix(data, size);
    if (ascii == size)
        return std::string_view(data, size_t(size));
    m_out.assign(data, size_t(ascii));
    m_out.reserve(size_t(size) * 3);
    // Character by character, so that a byte that does not decode costs one U+FFFD
    // and the next byte starts afresh, as with iconv: a whole-string conversion
    // would put a middle dot in its place and swallow the byte after it.
    for (qsizetype i = ascii; i < size;) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (b < 0x80) {
            m_out += char(b);
            ++i;
            continue;
        }
        const int n = isLeadByte(b) && i + 1 < size ? 2 : 1;
        wchar_t unit[2];
        if (decodeOne(data + i, n, unit) == 1) {
            appendUtf8(m_out, char32_t(unit[0]));
            i += n;
        } else {
            m_out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return m_out;
}
