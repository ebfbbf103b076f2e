// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "get_full.h"

#include "database.h"
#include "recordset.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

QString kindTable(int iKind)
{
    switch (iKind) {
    case kKindConstant:
        return QStringLiteral("tbCnst");
    case kKindProcedure:
        return QStringLiteral("tbProc");
    case kKindType:
        return QStringLiteral("tbType");
    default:
        return QString();
    }
}

QString GetFull(Recordset& rsDecl, Database& dbDecl, int iKind, const QString& sName)
{
    rsDecl.Seek(QStringLiteral("="), sName);
    if (rsDecl.NoMatch())
        return QString();
    // A foreign file may hold NULLs the converter never writes: they read as empty.
    QString s = rsDecl.Fields(QStringLiteral("fdFull")).toString();
    if (iKind != kKindType)
        return s;

    QString body;
    const QVariant typeId = rsDecl.Fields(QStringLiteral("fdTypeID"));
    if (!typeId.isNull()) {
        // Through ixTypeID the members come in stored order without a scan of the
        // whole member table, so Copy stays instant on a large database.
        std::unique_ptr<Recordset> m = dbDecl.OpenRecordset(QStringLiteral("tbMenb"));
        m->setIndex(QStringLiteral("ixTypeID"));
        m->Seek(QStringLiteral("="), typeId);
        if (!m->NoMatch()) {
            const qint64 wanted = typeId.toLongLong();
            while (!m->Eof()) {
                const QVariant id = m->Fields(QStringLiteral("fdTypeID"));
                if (id.isNull() || id.toLongLong() != wanted)
                    break;
                body += m->Fields(QStringLiteral("fdFull")).toString();
                body += kCrLf;
                m->MoveNext();
            }
        }
        m->Close();
    }
    return s + kCrLf + body + QStringLiteral("End Type");
}
