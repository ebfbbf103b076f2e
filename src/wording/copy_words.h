// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "decl_kind.h"

#include <QString>

struct CopySummary;

// "定数", "関数", "型": the kind as the kind selector names it.
QString kindWord(DeclKind kind);
// The one-character mark a collected entry shows before its name: 定, 関, 型.
QString kindMark(DeclKind kind);
// What a copy put on the clipboard: "3 件 (型 2、定数 1、#If 1 組) をコピーしました", and how
// many entries were not found, when some were not.
QString copiedText(const CopySummary& summary);
// A name that the selection list holds already under its kind.
QString alreadyCollectedText(DeclKind kind, const QString& name);
