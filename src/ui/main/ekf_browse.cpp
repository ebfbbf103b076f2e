// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "db_error.h"
#include "decl_browser.h"
#include "ekb.h"
#include "ekf.h"
#include "err_dsp.h"
#include "error_text.h"
#include "fault_number.h"
#include "platform.h"
#include "search_list.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

DeclKind Ekf::currentKind() const
{
    return declKindAt(m.iKind).value_or(DeclKind::Procedure);
}

bool Ekf::FillList()
{
    m_platform.setMousePointer(Pointer::Hourglass);
    try {
        QStringList names;
        m.dbDecl->forEachName(currentKind(), [&names](std::string_view utf8) {
            names << QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        });
        QHash<int, QString> variants = m.dbDecl->variantRows(currentKind(), names);
        m_filter.setNames(currentKind(), std::move(names));
        m_variants = std::move(variants);
        m_listed = true;
        applyFilter();
        if (m_narrowed && lstEk->ListCount() > 0)
            lstEk->setCurrentRow(0);
        mFile[1]->setEnabled(false);
        showTitle();
        m_platform.setMousePointer(Pointer::Default);
        return true;
    } catch (const DbError& e) {
        ErrDsp(m_platform, isNotADeclarationDatabase(e) ? kErrUnsupportedFile : faultNumber(e.fault()));
        return false;
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
    // The collection keeps every kind: each entry knows its own.
    m.iKind = cboKind->currentIndex();
    setTxtInpText(QString());
    txtInp->setFocus();
    if (!mFile[1]->isEnabled()) {
        // Until the new kind is listed, the names shown are not its own.
        m_listed = false;
        FillList();
    }
}

void Ekf::txtInp_Change()
{
    const QString text = txtInp->text();
    if (text.isEmpty()) {
        showNoMatch(false);
        return;
    }
    if (!m_txtInpTag.isEmpty()) {
        m_txtInpTag.clear();
        showNoMatch(false);
        return;
    }
    searchTyped(text);
}

void Ekf::searchTyped(const QString& text)
{
    const long found = SearchList(*lstEk, text);
    // No beep: a prefix that matches nothing is often on its way to one that does.
    showNoMatch(found < 0);
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
