// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QByteArray>
#include <exception>

// The one failure of the text rules: the system cannot convert the code page. The
// caller knows which file that was about.
class CodePageUnavailable : public std::exception
{
public:
    // systemError is the system's error number when the converter could not even be
    // loaded (no file handle left), 0 when the system lacks the code page.
    CodePageUnavailable(QByteArray codePage, int systemError)
        : m_codePage(std::move(codePage))
        , m_systemError(systemError)
    {
    }
    const QByteArray& codePage() const { return m_codePage; }
    int systemError() const { return m_systemError; }
    const char* what() const noexcept override { return "code page unavailable"; }

private:
    QByteArray m_codePage;
    int m_systemError;
};
