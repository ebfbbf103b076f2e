// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "copy_words.h"
#include "decl_browser.h"
#include "ekb.h"
#include "ekf.h"
#include "name_fold.h"
#include "platform.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

namespace {

QString collectedKey(DeclKind kind, const QString& name)
{
    return QString::number(declKindIndex(kind)) + u' ' + foldName(name);
}

} // namespace

void Ekf::cmdAdd_Click()
{
    collect(txtInp->text());
}

void Ekf::collect(const QString& name)
{
    const DeclKind kind = currentKind();
    if (!m_listed || !m.dbDecl->contains(kind, name)) {
        m_platform.beep();
        return;
    }
    // A second entry would copy nothing more: the one there is shown instead.
    const int already = collectedAt(kind, name);
    if (already >= 0) {
        lstDest->setCurrentRow(already);
        lstDest->ensureVisible(already);
        statusBar()->showMessage(alreadyCollectedText(kind, m_collected[size_t(already)].name));
    } else {
        m_collected.push_back({m.dbDecl->path(), kind, name});
        m_collectedKeys.insert(collectedKey(kind, name));
        lstDest->AddItem(kindMark(kind) + u' ' + name);
        lstDest->Refresh();
    }
    cmdAdd->setEnabled(false);
    cmdCpy->setEnabled(true);
}

int Ekf::collectedAt(DeclKind kind, const QString& name) const
{
    const QString key = collectedKey(kind, name);
    if (!m_collectedKeys.contains(key))
        return -1;
    for (size_t i = 0; i < m_collected.size(); ++i) {
        if (collectedKey(m_collected[i].kind, m_collected[i].name) == key)
            return int(i);
    }
    return -1;
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
        if (lstDest->Selected(i)) {
            lstDest->RemoveItem(i);
            m_collectedKeys.remove(collectedKey(m_collected[size_t(i)].kind, m_collected[size_t(i)].name));
            m_collected.erase(m_collected.begin() + i);
        }
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
    copyEntries(m_collected, CopyEnd::BreakAfterEach);
}

void Ekf::lstDest_DblClick()
{
    const int at = lstDest->ListIndex();
    if (at < 0 || size_t(at) >= m_collected.size())
        return;
    copyEntries({m_collected[size_t(at)]}, CopyEnd::NoFinalBreak);
}

void Ekf::copyEntries(const std::vector<CopyEntry>& entries, CopyEnd end)
{
    // An entry collected from a database opened before copies from that file.
    if (!m.dbDecl)
        return;
    const CollectionCopy copy = m.dbDecl->copyCollection(entries, m_copyOptions, end);
    if (copy.text.isEmpty())
        return;
    m_platform.setClipboardText(copy.text);
    statusBar()->showMessage(copiedText(copy.summary));
}
