// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "search_list.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QStringList>
#include <vector>

// A list box as the handlers use it: items by position, TopIndex, Click and DblClick. Click is raised
// by the user's click or keyboard move, and in the multi-selection list by every change of its
// selection; Return in the single-selection list raises Click and DblClick for the row with the focus
// mark. Refresh shows pending items.
//
// Rows are painted straight from the item strings, all one height, so scrolling, searching and
// painting cost the same with a thousand names or a million. Only whole rows are shown; the part of
// a row that does not fit stays blank. A name wider than the list gives it a horizontal scroll bar.
class ListBox : public QAbstractScrollArea, public ListItems
{
    Q_OBJECT
public:
    explicit ListBox(bool multiSelect, QWidget* parent = nullptr);

    void Clear();
    void AddItem(const QString& item);
    // Puts items in place of every item, as Clear and AddItem for each would, in one step.
    void setItems(const QStringList& items);
    // Dimmed words after an item's text, by position (a variant's condition); they are not part
    // of the item. Cleared with the items.
    void setNotes(const QHash<int, QString>& notes);
    QString note(int index) const { return m_notes.value(index); }
    void RemoveItem(int index);
    void Refresh();
    qint64 ListCount() const override;
    QStringView ListView(qint64 index) const override;
    // The selected item; in the multi-selection list the item with the focus mark. -1: none.
    int ListIndex() const;
    void setListIndex(int index);
    int TopIndex();
    // A late index stops where the last page is shown.
    void setTopIndex(int index);
    // The row with the focus mark, where the keyboard goes on from; -1: none. In the
    // single-selection list it may stand apart from the selection: a search moves it there
    // without selecting, and without a Click.
    int currentRow() const;
    void setCurrentRow(int index);
    int SelCount() const;
    bool Selected(int index) const;
    void setSelected(int index, bool selected);
    // The number of whole items the list shows at once.
    int visibleRows();

    // Where item index is shown, in viewport coordinates; empty when it is scrolled away.
    QRect itemRect(int index);
    // Scrolls as little as needed to show item index.
    void ensureVisible(int index);
    int rowHeight() const;

signals:
    void Click();
    void DblClick();
    // The row with the focus mark moved, or the items changed under it.
    void CurrentMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Brings the scroll bars up to date with the items and the font.
    void settle();
    void itemsChanged();
    void forgetWidest();
    int rowsShown() const;
    int rowAt(int y);
    int nextStartingWith(const QString& text) const;
    // Moves the focus mark, and in the single-selection list the selection, to index.
    void moveTo(int index, bool raiseClick);
    void toggle(int index);
    void paintRow(QPainter& painter, int index, const QRect& rect);
    void currentMayHaveMoved();
    void paintFocusMark(QPainter& painter, const QRect& rect, bool selected);

    QStringList m_items;
    QHash<int, QString> m_notes;
    int m_reportedCurrent = -1;
    std::vector<bool> m_selected; // the multi-selection list only
    int m_selCount = 0;
    int m_current = -1;
    int m_caret = -1; // the single-selection list's focus mark; the other list's is m_current
    int m_pressed = -1;
    bool m_multi;
    bool m_afterDoubleClick = false;
    bool m_unsettled = false;
    // The widest item by cells of the fixed-pitch font, how many items have been measured, and
    // the width in pixels that the horizontal scroll bar lets the list show.
    int m_widest = -1;
    int m_widestCells = 0;
    int m_measured = 0;
    int m_extent = 0;
};
