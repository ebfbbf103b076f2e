// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "database.h"
#include "ekb.h"
#include "ekf.h"
#include "get_full.h"
#include "platform.h"
#include "recordset.h"

#include <QLineEdit>
#include <QPushButton>

QString Ekf::GetFull(const QString& sName)
{
    if (!m.rsDecl || !m.rsDecl->isOpen())
        return QString();
    // The member rows come from the recordset's own database, which is dbDecl
    // except after a failed fill of another file.
    return ::GetFull(*m.rsDecl, m.rsDecl->database(), m.iKind, sName);
}

void Ekf::cmdAdd_Click()
{
    const QString name = txtInp->text();
    bool found = false;
    if (m.rsDecl && m.rsDecl->isOpen()) {
        m.rsDecl->Seek(QStringLiteral("="), name);
        found = !m.rsDecl->NoMatch();
    }
    if (!found) {
        m_platform.beep();
        return;
    }
    lstDest->AddItem(txtInp->text());
    lstDest->Refresh();
    cmdAdd->setEnabled(false);
    cmdCpy->setEnabled(true);
}

void Ekf::lstEk_DblClick()
{
    cmdAdd_Click();
}

void Ekf::cmdDel_Click()
{
    if (lstDest->SelCount() == 0)
        return;
    for (int i = int(lstDest->ListCount()) - 1; i >= 0; --i) {
        if (lstDest->Selected(i))
            lstDest->RemoveItem(i);
    }
    cmdDel->setEnabled(false);
    if (lstDest->ListCount() == 0)
        cmdCpy->setEnabled(false);
}

void Ekf::lstDest_Click()
{
    if (lstDest->SelCount() > 0)
        cmdDel->setEnabled(true);
}

void Ekf::cmdCpy_Click()
{
    QStringList names;
    for (qint64 i = 0; i < lstDest->ListCount(); ++i)
        names << lstDest->List(i);
    QString text;
    for (const QString& full : copyTexts(names))
        text += full + m.sCrLf;
    if (text.isEmpty())
        return;
    m_platform.setClipboardText(text);
}

void Ekf::lstDest_DblClick()
{
    const QString text = copyTexts({lstDest->List(lstDest->ListIndex())}).join(m.sCrLf);
    if (text.isEmpty())
        return;
    m_platform.setClipboardText(text);
}
