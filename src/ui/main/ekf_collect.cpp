// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_browser.h"
#include "ekb.h"
#include "ekf.h"
#include "platform.h"

#include <QLineEdit>
#include <QPushButton>

void Ekf::cmdAdd_Click()
{
    const QString name = txtInp->text();
    if (!m_listed || !m.dbDecl->contains(currentKind(), name)) {
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
    const QString text = copyText(names, CopyEnd::BreakAfterEach);
    if (text.isEmpty())
        return;
    m_platform.setClipboardText(text);
}

void Ekf::lstDest_DblClick()
{
    const QString text = copyText({lstDest->List(lstDest->ListIndex())}, CopyEnd::NoFinalBreak);
    if (text.isEmpty())
        return;
    m_platform.setClipboardText(text);
}

QString Ekf::copyText(const QStringList& names, CopyEnd end)
{
    // Without a listed table every entry is missing.
    if (!m_listed)
        return emptyCopy(names.size(), end);
    return m.dbDecl->copy(currentKind(), names, m_copyOptions, end);
}
