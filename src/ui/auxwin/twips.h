// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QRect>
#include <cmath>

// Layouts are given in twips; at 96 dpi a logical pixel is 15 twips.
inline int twips(int t)
{
    return int(std::lround(t / 15.0));
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}
