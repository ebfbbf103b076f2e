// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_browser.h"
#include "ekb.h"
#include "ekf.h"
#include "platform.h"

#include <QLineEdit>
#include <QTimer>
#include <algorithm>

void Ekf::txtFlt_Change()
{
    if (!m_listed)
        return;
    applyFilter();
    // The typed prefix is looked up again inside the new list.
    if (!txtInp->text().isEmpty() && m_txtInpTag.isEmpty())
        searchTyped(txtInp->text());
    else if (m_narrowed && lstEk->ListCount() > 0)
        lstEk->setCurrentRow(0);
}

// Return collects the entry the preview shows, as Add does: typing a part of a name and Return
// is enough to collect the first name that holds it.
void Ekf::txtFlt_KeyDown(int KeyCode)
{
    if (KeyCode == Qt::Key_Return || KeyCode == Qt::Key_Enter)
        collectPreview();
}

void Ekf::collectPreview()
{
    if (m_previewTimer->isActive())
        fillPreview();
    if (m_previewName.isEmpty()) {
        m_platform.beep();
        return;
    }
    collect(m_previewName);
}

void Ekf::applyFilter()
{
    const NameFilter filter = parseFilter(txtFlt->text());
    QHash<int, QString> notes;
    if (filter.form == FilterForm::All) {
        m_narrowed = false;
        m_shownRows.clear();
        lstEk->setItems(m_filter.names());
        notes = m_variants;
    } else {
        std::vector<int> rows = m.dbDecl->filterRows(m_filter, filter);
        QStringList items;
        items.reserve(qsizetype(rows.size()));
        for (const int row : rows)
            items << m_filter.names().at(row);
        m_narrowed = true;
        m_shownRows = std::move(rows);
        lstEk->setItems(items);
        for (auto it = m_variants.cbegin(); it != m_variants.cend(); ++it) {
            const auto at = std::lower_bound(m_shownRows.begin(), m_shownRows.end(), it.key());
            if (at != m_shownRows.end() && *at == it.key())
                notes.insert(int(at - m_shownRows.begin()), it.value());
        }
    }
    lstEk->setNotes(notes);
    lstEk->Refresh();
    showCounts();
    schedulePreview();
}

int Ekf::kindRow(int listRow) const
{
    if (!m_narrowed)
        return listRow;
    return listRow >= 0 && size_t(listRow) < m_shownRows.size() ? m_shownRows[size_t(listRow)] : -1;
}
