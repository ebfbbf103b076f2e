// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QList>
#include <QString>

// A caption read as a Windows menu reads it: every "&" marks the next character as an access
// key, "&&" is a plain "&". "ﾌｧｲﾙ(&F&ﾌ)" reads "ﾌｧｲﾙ(Fﾌ)" with the keys F and ﾌ, the second for a
// user typing in kana mode.
struct AccessKeyCaption
{
    QString text;
    QList<qsizetype> keys; // positions in text, in order

    explicit AccessKeyCaption(const QString& caption);

    QChar key(qsizetype i) const { return text.at(keys.at(i)); }
};
