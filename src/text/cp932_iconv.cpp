// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "cp932.h"
#include "text_error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

Cp932Decoder::Cp932Decoder(const QByteArray& codePage)
{
    // glibc's "SHIFT_JIS" maps 0x5C to the yen sign and would corrupt every backslash
    // in a declaration; "CP932" is the Windows table.
    iconv_t cd = iconv_open("UTF-8", codePage.constData());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // The converter is loaded from a file: with no file handle left the code page
        // is there, the handle is not, and iconv does not say which.
        const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (probe < 0 && (errno == EMFILE || errno == ENFILE))
            throw CodePageUnavailable(codePage, errno);
        if (probe >= 0)
            ::close(probe);
        throw CodePageUnavailable(codePage, 0);
    }
    m_handle = cd;
}

Cp932Decoder::~Cp932Decoder()
{
    iconv_close(static_cast<iconv_t>(m_handle));
}

std::string_view Cp932Decoder::toUtf8(const char* data, qsizetype size)
{
    const qsizetype ascii = asciiPrefix(data, size);
    if (ascii == size)
        return std::string_view(data, size_t(size));

    auto cd = static_cast<iconv_t>(m_handle);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    // A byte yields at most three UTF-8 bytes: a half-width katakana, or U+FFFD.
    m_out.resize(size_t(size) * 3);
    std::memcpy(m_out.data(), data, size_t(ascii));
    char* in = const_cast<char*>(data) + ascii;
    size_t inLeft = size_t(size - ascii);
    char* dst = m_out.data() + ascii;
    size_t outLeft = m_out.size() - size_t(ascii);
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen: three bytes per byte at most
        // EILSEQ or EINVAL (a lead byte cut off at the end): one replacement per
        // bad byte, and the run goes on.
        static const char kReplacement[] = "\xEF\xBF\xBD";
        std::memcpy(dst, kReplacement, 3);
        dst += 3;
        outLeft -= 3;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return std::string_view(m_out.data(), size_t(dst - m_out.data()));
}
