// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "database.h"
#include "db_error.h"
#include "ekb.h"
#include "ekf.h"
#include "err_dsp.h"
#include "get_full.h"
#include "platform.h"
#include "recordset.h"
#include "search_list.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

void Ekf::FillList()
{
    m_platform.setMousePointer(Pointer::Hourglass);
    try {
        std::unique_ptr<Recordset> rs = m.dbDecl->OpenRecordset(kindTable(m.iKind));
        m.rsDecl = std::move(rs);
        m.rsDecl->setIndex(QStringLiteral("ixName"));
        lstEk->Clear();
        const int fdName = m.rsDecl->fieldIndex(QStringLiteral("fdName"));
        while (!m.rsDecl->Eof()) {
            lstEk->AddItem(m.rsDecl->Fields(fdName).toString());
            m.rsDecl->MoveNext();
        }
        // An empty kind is an empty list, not an error.
        if (lstEk->ListCount() > 0)
            m.rsDecl->MoveFirst();
        lstEk->Refresh();
        mFile[1]->setEnabled(false);
        m_platform.setMousePointer(Pointer::Default);
    } catch (const DbError& e) {
        ErrDsp(m_platform, e.number() == faultNumber(DbFault::NoTable) ? kErrUnsupportedFile : e.number());
    }
}

void Ekf::cboKind_Click()
{
    // The first Click is the one Form_Load raises when it selects "関数".
    if (!bInit) {
        bInit = true;
        return;
    }
    if (cboKind->currentIndex() == m.iKind)
        return;
    m.iKind = cboKind->currentIndex();
    if (lstDest->ListCount() > 0) {
        for (int i = int(lstDest->ListCount()) - 1; i >= 0; --i)
            lstDest->RemoveItem(i);
        cmdDel->setEnabled(false);
        cmdCpy->setEnabled(false);
    }
    setTxtInpText(QString());
    txtInp->setFocus();
    if (!mFile[1]->isEnabled()) {
        // After a failed fill this recordset is already closed; closing it again
        // does nothing.
        if (m.rsDecl)
            m.rsDecl->Close();
        FillList();
    }
}

void Ekf::txtInp_Change()
{
    const QString text = txtInp->text();
    if (text.isEmpty())
        return;
    if (!m_txtInpTag.isEmpty()) {
        m_txtInpTag.clear();
        return;
    }
    const long found = SearchList(*lstEk, text);
    if (found >= 0) {
        lstEk->setTopIndex(int(found));
        // The keyboard goes on from the match; it is not chosen until Space or a click.
        lstEk->setCurrentRow(int(found));
    }
}

void Ekf::lstEk_Click()
{
    m_txtInpTag = QStringLiteral("Not Null");
    setTxtInpText(lstEk->List(lstEk->ListIndex()));
    cmdAdd->setEnabled(true);
}
