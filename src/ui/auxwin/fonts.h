// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The Windows Japanese fonts by the names the layouts use; VL Gothic and the IPA fonts stand
// in for them where they are missing.
extern const QString kGothic;             // "ＭＳ ゴシック"
extern const QString kProportionalGothic; // "ＭＳ Ｐゴシック"

void registerFontSubstitutes();
QFont makeFont(const QString& family, double points, bool bold = false);
