// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "continuation.h"

#include "name_fold.h"

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

template <class View> qsizetype endWithoutBlanks(View line, qsizetype end)
{
    while (end > 0 && isBlank(unitAt(line, end - 1)))
        --end;
    return end;
}

// Where the kept part of a continued line ends; -1 when the line does not continue.
template <class View> qsizetype continuationAt(View line)
{
    const qsizetype end = endWithoutBlanks(line, unitCount(line));
    if (end < 2 || unitAt(line, end - 1) != u'_' || !isBlank(unitAt(line, end - 2)))
        return -1;
    return endWithoutBlanks(line, end - 1);
}

} // namespace

bool continuesOnNextLine(std::string_view line)
{
    return continuationAt(line) >= 0;
}

bool continuesOnNextLine(QStringView line)
{
    return continuationAt(line) >= 0;
}

std::string_view beforeContinuation(std::string_view line)
{
    const qsizetype at = continuationAt(line);
    return at < 0 ? line : line.substr(0, size_t(at));
}

QString joinedStatement(QStringView full)
{
    if (!full.contains(QLatin1String("\r\n")))
        return full.toString();
    QString joined;
    joined.reserve(full.size());
    qsizetype from = 0;
    while (true) {
        const qsizetype eol = full.indexOf(QLatin1String("\r\n"), from);
        QStringView line = full.mid(from, eol < 0 ? full.size() - from : eol - from);
        if (from > 0) {
            qsizetype lead = 0;
            while (lead < line.size() && isBlank(line[lead].unicode()))
                ++lead;
            line = line.mid(lead);
        }
        if (eol < 0) {
            joined += line;
            return joined;
        }
        const qsizetype kept = continuationAt(line);
        joined += line.left(kept < 0 ? line.size() : kept);
        joined += u' ';
        from = eol + 2;
    }
}
