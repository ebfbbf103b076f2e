// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "fonts.h"

const QString kGothic = QStringLiteral("ＭＳ ゴシック");
const QString kProportionalGothic = QStringLiteral("ＭＳ Ｐゴシック");

void registerFontSubstitutes()
{
    // IPAGothic draws M and W at 9 points as dark blots, which in a list of names like
    // PeekMessage is unreadable; VL Gothic keeps every letter apart in the same cells and in
    // the 12-pixel rows of the Windows gothic.
    QFont::insertSubstitutions(kGothic, QStringList{QStringLiteral("VL Gothic"), QStringLiteral("IPAGothic"),
                                                    QStringLiteral("MS Gothic")});
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
