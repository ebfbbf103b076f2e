// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QProxyStyle>

// Menus whose arrow keys stop on disabled items too, as Windows menus do: the same
// keys then reach the same item whether a command above it is available or not.
// Choosing a disabled item still does nothing.
class MenuStyle : public QProxyStyle
{
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
