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
