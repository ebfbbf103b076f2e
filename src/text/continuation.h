// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <QStringView>
#include <string_view>

// A line, its comment already cut off, that ends in a blank and "_" (blanks after
// the mark allowed) goes on on the next line, as the compiler reads it.
bool continuesOnNextLine(std::string_view line);
bool continuesOnNextLine(QStringView line);

// The part of a continued line that the joined statement keeps: up to the blanks
// before the mark.
std::string_view beforeContinuation(std::string_view line);

// A statement stored as written, its lines joined by CR LF, read as one line: each
// continuation mark with the blanks around it and the line break becomes one blank.
QString joinedStatement(QStringView full);
