// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>

struct LayoutReport;
struct LayoutProblem;
struct LayoutWarning;

// "32 ビット: LenB 28 / 64 ビット: LenB 40", "-" for a host without a layout.
QString layoutSummary(const LayoutReport& report);
// The comment a copied type may end with: "' LenB: 32 ビット 28 / 64 ビット 40".
QString layoutAnnotation(const LayoutReport& report);
// Why a host has no layout, naming the type and member where it stopped.
QString layoutProblemText(const LayoutProblem& problem);
QString layoutWarningText(const LayoutWarning& warning);
// The whole report as ek-cli prints it: the sizes, the reasons, with C the warnings,
// then one line per member with the offsets on both hosts and the padding before it.
// Lines end with LF.
QString layoutReportText(const LayoutReport& report, bool withC);
