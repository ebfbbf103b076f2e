// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "keywords.h"

#include <QString>
#include <QStringView>
#include <vector>

// One dimension of a fixed array, as written. A single bound "(n)" has no lower
// one: a declaration file has no Option Base, so it means 0 To n.
struct ArrayBound
{
    QString lower;
    QString upper;
};

// A line of a record type's body, read.
struct MemberLine
{
    enum class Kind {
        Blank,       // blanks or a comment only
        Conditional, // #If, #ElseIf, #Else or #End If
        Member,
        Unreadable, // none of those: a line a record type cannot hold
    };
    Kind kind = Kind::Blank;
    ConditionalKind conditional = ConditionalKind::If;
    QString text; // the line without its comment and outer blanks

    QString name;
    bool isArray = false;
    bool dynamic = false; // "()": a pointer to an array kept elsewhere
    std::vector<ArrayBound> bounds;
    // The type after "As", or the one a type character on the name gives; empty for
    // none, which is Variant. "String * n" gives "String" and the length apart.
    QString typeName;
    QString fixedLength;
};

MemberLine readMemberLine(QStringView line);
