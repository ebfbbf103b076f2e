// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "cp932.h"
#include "db_error.h"

#include <windows.h>

// Windows has code page 932 built in; no converter state is needed.
Cp932Decoder::Cp932Decoder(const QByteArray& codePage, const QString& forPath)
    : m_handle(nullptr)
{
    if (codePage.compare("CP932", Qt::CaseInsensitive) != 0)
        throw DbError(DbFault::NoCodePage, forPath, QString::fromLatin1(codePage));
}

Cp932Decoder::~Cp932Decoder() = default;

QString Cp932Decoder::decode(const char* data, qsizetype size)
{
    if (size == 0)
        return QString();
    // Without MB_ERR_INVALID_CHARS undecodable bytes are replaced, never refused.
    const int units = MultiByteToWideChar(932, 0, data, int(size), nullptr, 0);
    QString out(units, Qt::Uninitialized);
    MultiByteToWideChar(932, 0, data, int(size), reinterpret_cast<wchar_t*>(out.data()), units);
    return out;
}

QByteArray encodeCp932(const QString& text)
{
    if (text.isEmpty())
        return QByteArray();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int bytes = WideCharToMultiByte(932, 0, wide, int(text.size()), nullptr, 0, "?", nullptr);
    QByteArray out(bytes, Qt::Uninitialized);
    WideCharToMultiByte(932, 0, wide, int(text.size()), out.data(), bytes, "?", nullptr);
    return out;
}
