// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "cp932.h"
#include "text_error.h"

#include <vector>
#include <windows.h>

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
    // Without MB_ERR_INVALID_CHARS undecodable bytes are replaced, never refused.
    const int units = MultiByteToWideChar(932, 0, data, int(size), nullptr, 0);
    std::vector<wchar_t> wide(size_t(units));
    MultiByteToWideChar(932, 0, data, int(size), wide.data(), units);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    m_out.resize(size_t(bytes));
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, m_out.data(), bytes, nullptr, nullptr);
    return m_out;
}
