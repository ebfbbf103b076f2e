// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <QStringList>

// One stored declaration, with what a copy of it needs.
struct StoredDecl
{
    // The line as written in the text file; for a record type its header line.
    QString full;
    // A record type's member lines, in stored order.
    QStringList members;
    // Where it stands among the conditional lines: the fdID of the last one before it
    // while a group is open, 0 outside any group (and in databases made before groups
    // were stored).
    qint64 cond = 0;
};

// A conditional compilation line as stored: #If, #ElseIf, #Else or #End If.
struct StoredConditional
{
    qint64 id = 0;
    qint64 group = 0;  // the id of the group's #If line
    qint64 parent = 0; // the id of the branch line the group stands in, 0 at the top
    QString full;
};
