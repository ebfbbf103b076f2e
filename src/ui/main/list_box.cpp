// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "list_box.h"

#include <QKeyEvent>
#include <QScrollBar>

ListBox::ListBox(bool multiSelect, QWidget* parent)
    : QListView(parent)
    , m_multi(multiSelect)
{
    setModel(&m_model);
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(multiSelect ? QAbstractItemView::MultiSelection : QAbstractItemView::SingleSelection);
}

// The view lays its items out lazily; the scroll range must be current before
// TopIndex is read or set from code.
void ListBox::settle()
{
    m_model.flush();
    executeDelayedItemsLayout();
    updateGeometries();
}

void ListBox::Clear()
{
    m_byCode = true;
    m_model.clear();
    m_byCode = false;
}

void ListBox::AddItem(const QString& item)
{
    m_model.append(item);
}

void ListBox::RemoveItem(int index)
{
    m_byCode = true;
    m_model.removeAt(index);
    m_byCode = false;
}

void ListBox::Refresh()
{
    m_model.flush();
    viewport()->update();
}

qint64 ListBox::ListCount() const
{
    return m_model.names().size();
}

QStringView ListBox::ListView(qint64 index) const
{
    const QStringList& names = m_model.names();
    return index >= 0 && index < names.size() ? QStringView(names.at(index)) : QStringView();
}

int ListBox::ListIndex() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ListBox::setListIndex(int index)
{
    m_model.flush();
    m_byCode = true;
    setCurrentIndex(m_model.index(index));
    m_byCode = false;
}

int ListBox::TopIndex()
{
    if (ListCount() == 0)
        return 0;
    settle();
    return verticalScrollBar()->value();
}

void ListBox::setTopIndex(int index)
{
    settle();
    // The scroll range ends where the last page is shown, so a late index stops there.
    verticalScrollBar()->setValue(index);
}

int ListBox::visibleRows()
{
    settle();
    return verticalScrollBar()->pageStep();
}

int ListBox::SelCount() const
{
    return int(selectionModel()->selectedRows().size());
}

bool ListBox::Selected(int index) const
{
    return selectionModel()->isSelected(m_model.index(index));
}

void ListBox::setSelected(int index, bool selected)
{
    m_model.flush();
    selectionModel()->select(m_model.index(index),
                             selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void ListBox::keyPressEvent(QKeyEvent* event)
{
    const int before = ListIndex();
    QListView::keyPressEvent(event);
    if (!m_multi && ListIndex() != before && ListIndex() >= 0)
        emit Click();
}

void ListBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool afterDoubleClick = m_inDoubleClick;
    m_inDoubleClick = false;
    QListView::mouseReleaseEvent(event);
    // A double-click is one click and one double-click, never two clicks.
    if (!m_multi && !afterDoubleClick && indexAt(event->position().toPoint()).isValid())
        emit Click();
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid()) {
        m_inDoubleClick = true;
        emit DblClick();
    }
}

void ListBox::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QListView::selectionChanged(selected, deselected);
    // In the multi-selection list every change of the selection is a Click.
    if (m_multi && !m_byCode)
        emit Click();
}
