// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "names_model.h"
#include "search_list.h"

#include <QListView>

// A list box as the handlers use it: items by position, TopIndex, Click and DblClick. Click is raised
// by the user's click or keyboard move, never by code; Refresh shows pending items.
class ListBox : public QListView, public ListItems
{
    Q_OBJECT
public:
    explicit ListBox(bool multiSelect, QWidget* parent = nullptr);

    void Clear();
    void AddItem(const QString& item);
    void RemoveItem(int index);
    void Refresh();
    qint64 ListCount() const override;
    QStringView ListView(qint64 index) const override;
    int ListIndex() const;
    void setListIndex(int index);
    int TopIndex();
    void setTopIndex(int index);
    int SelCount() const;
    bool Selected(int index) const;
    void setSelected(int index, bool selected);
    // The number of whole items the list shows at once.
    int visibleRows();

signals:
    void Click();
    void DblClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    void settle();

    NamesModel m_model;
    bool m_multi;
    bool m_byCode = false;
    bool m_inDoubleClick = false;
};
