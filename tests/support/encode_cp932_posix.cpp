// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "test_data.h"

#include <iconv.h>
#include <stdexcept>

QByteArray encodeCp932(const QString& text)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv cannot write CP932");
    QByteArray out;
    // One character at a time, so that one the code page lacks becomes one '?'.
    const QList<uint> characters = text.toUcs4();
    for (const uint c : characters) {
        QByteArray in = QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1).toUtf8();
        char buffer[8];
        char* src = in.data();
        size_t inLeft = size_t(in.size());
        char* dst = buffer;
        size_t outLeft = sizeof buffer;
        if (iconv(cd, &src, &inLeft, &dst, &outLeft) == size_t(-1)) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            out += '?';
        } else {
            out.append(buffer, dst - buffer);
        }
    }
    iconv_close(cd);
    return out;
}
