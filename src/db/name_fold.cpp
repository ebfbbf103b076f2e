// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "name_fold.h"

QString foldName(QStringView s)
{
    QString out(s.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < s.size(); ++i) {
        dst[i] = QChar(foldChar(s[i].unicode()));
    }
    return out;
}

int compareCodePoints(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y)
            return codePointRank(x) < codePointRank(y) ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}
