// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "fonts.h"

const QString kGothic = QStringLiteral("ＭＳ ゴシック");
const QString kProportionalGothic = QStringLiteral("ＭＳ Ｐゴシック");

void registerFontSubstitutes()
{
    QFont::insertSubstitutions(kGothic,
                               QStringList{QStringLiteral("IPAGothic"), QStringLiteral("MS Gothic")});
    QFont::insertSubstitutions(kProportionalGothic,
                               QStringList{QStringLiteral("IPAPGothic"), QStringLiteral("MS PGothic")});
}

QFont makeFont(const QString& family, double points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
