// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "list_box.h"

#include "name_fold.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <optional>

namespace {

// Between the list's edge and the text, as a list box leaves it.
constexpr int kTextMargin = 2;

// The lists use a fixed-pitch gothic, in which a half-width character takes one cell and any
// other two. Counting cells finds the widest name without laying out a million strings.
int cells(QStringView text)
{
    int n = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        n += u < 0x0100 || (u >= 0xFF61 && u <= 0xFF9F) ? 1 : 2;
    }
    return n;
}

} // namespace

ListBox::ListBox(bool multiSelect, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_multi(multiSelect)
{
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->setSingleStep(1);
}

int ListBox::rowHeight() const
{
    return std::max(1, fontMetrics().height());
}

int ListBox::rowsShown() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

void ListBox::itemsChanged()
{
    // One settling and one repaint for a whole fill, however many items it adds. Settling
    // may show or hide the horizontal bar, which resizes the viewport: not inside a paint.
    if (m_unsettled)
        return;
    m_unsettled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            settle();
            viewport()->update();
        },
        Qt::QueuedConnection);
}

void ListBox::forgetWidest()
{
    m_widest = -1;
    m_widestCells = 0;
    m_measured = 0;
    m_extent = 0;
}

void ListBox::settle()
{
    if (!m_unsettled)
        return;
    m_unsettled = false;
    const int count = int(m_items.size());
    const int widestBefore = m_widest;
    for (; m_measured < count; ++m_measured) {
        const int n = cells(m_items.at(m_measured));
        if (n > m_widestCells) {
            m_widestCells = n;
            m_widest = m_measured;
        }
    }
    if (m_widest != widestBefore || m_extent == 0)
        m_extent = m_widest < 0 ? 0 : fontMetrics().horizontalAdvance(m_items.at(m_widest)) + 2 * kTextMargin;
    // The horizontal bar first: showing it shortens the viewport, and so the page. Set as a
    // policy, it comes and goes at once, not when the event loop next runs.
    const Qt::ScrollBarPolicy wide =
        m_extent > viewport()->width() ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (horizontalScrollBarPolicy() != wide)
        setHorizontalScrollBarPolicy(wide);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, m_extent - viewport()->width()));
    h->setPageStep(viewport()->width());
    h->setSingleStep(fontMetrics().averageCharWidth());
    // Scrolling stops when the last page is shown.
    QScrollBar* v = verticalScrollBar();
    const int rows = rowsShown();
    v->setRange(0, std::max(0, count - rows));
    v->setPageStep(rows);
}

void ListBox::Clear()
{
    m_items.clear();
    m_notes.clear();
    m_selected.clear();
    m_selCount = 0;
    m_current = -1;
    m_caret = -1;
    m_pressed = -1;
    forgetWidest();
    itemsChanged();
    // A refilled list shows its first item, as a new one does.
    settle();
    currentMayHaveMoved();
}

void ListBox::setItems(const QStringList& items)
{
    Clear();
    m_items = items;
    if (m_multi)
        m_selected.assign(size_t(m_items.size()), false);
    itemsChanged();
}

void ListBox::setNotes(const QHash<int, QString>& notes)
{
    m_notes = notes;
    viewport()->update();
}

void ListBox::currentMayHaveMoved()
{
    if (currentRow() == m_reportedCurrent)
        return;
    m_reportedCurrent = currentRow();
    emit CurrentMoved();
}

void ListBox::AddItem(const QString& item)
{
    m_items.append(item);
    if (m_multi)
        m_selected.push_back(false);
    itemsChanged();
}

void ListBox::RemoveItem(int index)
{
    if (index < 0 || index >= m_items.size())
        return;
    m_items.removeAt(index);
    if (m_multi) {
        m_selCount -= m_selected[size_t(index)] ? 1 : 0;
        m_selected.erase(m_selected.begin() + index);
        if (m_current > index || m_current >= m_items.size())
            --m_current;
    } else {
        if (m_current == index)
            m_current = -1;
        else if (m_current > index)
            --m_current;
        if (m_caret > index || m_caret >= m_items.size())
            --m_caret;
    }
    m_pressed = -1;
    m_notes.clear();
    forgetWidest();
    itemsChanged();
    currentMayHaveMoved();
}

void ListBox::Refresh()
{
    settle();
    viewport()->update();
}

qint64 ListBox::ListCount() const
{
    return m_items.size();
}

QStringView ListBox::ListView(qint64 index) const
{
    return index >= 0 && index < m_items.size() ? QStringView(m_items.at(index)) : QStringView();
}

int ListBox::ListIndex() const
{
    return m_current;
}

void ListBox::setListIndex(int index)
{
    if (index < -1 || index >= m_items.size())
        return;
    m_current = index;
    m_caret = index;
    ensureVisible(index);
    viewport()->update();
    currentMayHaveMoved();
}

int ListBox::currentRow() const
{
    return m_multi ? m_current : m_caret;
}

void ListBox::setCurrentRow(int index)
{
    if (index < -1 || index >= m_items.size())
        return;
    (m_multi ? m_current : m_caret) = index;
    viewport()->update();
    currentMayHaveMoved();
}

int ListBox::TopIndex()
{
    settle();
    return verticalScrollBar()->value();
}

void ListBox::setTopIndex(int index)
{
    settle();
    verticalScrollBar()->setValue(index);
}

int ListBox::visibleRows()
{
    settle();
    return rowsShown();
}

int ListBox::SelCount() const
{
    return m_multi ? m_selCount : (m_current >= 0 ? 1 : 0);
}

bool ListBox::Selected(int index) const
{
    if (index < 0 || index >= m_items.size())
        return false;
    return m_multi ? m_selected[size_t(index)] : index == m_current;
}

void ListBox::setSelected(int index, bool selected)
{
    if (index < 0 || index >= m_items.size())
        return;
    if (!m_multi) {
        if (selected)
            m_current = m_caret = index;
        else if (m_current == index)
            m_current = -1;
        viewport()->update();
        currentMayHaveMoved();
    } else if (m_selected[size_t(index)] != selected) {
        toggle(index);
    }
}

QRect ListBox::itemRect(int index)
{
    settle();
    const int row = index - verticalScrollBar()->value();
    if (index < 0 || index >= m_items.size() || row < 0 || row >= rowsShown())
        return QRect();
    return QRect(0, row * rowHeight(), viewport()->width(), rowHeight());
}

void ListBox::ensureVisible(int index)
{
    settle();
    if (index < 0 || index >= m_items.size())
        return;
    QScrollBar* v = verticalScrollBar();
    if (index < v->value())
        v->setValue(index);
    else if (index >= v->value() + rowsShown())
        v->setValue(index - rowsShown() + 1);
}

int ListBox::rowAt(int y)
{
    settle();
    if (y < 0 || y / rowHeight() >= rowsShown())
        return -1;
    const int index = verticalScrollBar()->value() + y / rowHeight();
    return index < m_items.size() ? index : -1;
}

void ListBox::moveTo(int index, bool raiseClick)
{
    const int before = m_current;
    // A focus mark a search left apart from the selection makes any move a new choice.
    const bool apart = !m_multi && m_caret != m_current;
    m_current = index;
    m_caret = index;
    ensureVisible(index);
    viewport()->update();
    currentMayHaveMoved();
    if (raiseClick && (index != before || apart))
        emit Click();
}

void ListBox::toggle(int index)
{
    const bool selected = !m_selected[size_t(index)];
    m_selected[size_t(index)] = selected;
    m_selCount += selected ? 1 : -1;
    m_current = index;
    viewport()->update();
    // In the multi-selection list every change of the selection is a Click.
    emit Click();
}

// The next item after the focus mark whose first character is text's, from the top again
// after the last item.
int ListBox::nextStartingWith(const QString& text) const
{
    const int count = int(m_items.size());
    const int from = currentRow();
    const char16_t key = foldChar(text.at(0).unicode());
    for (int step = 1; step <= count; ++step) {
        const QString& item = m_items.at((from + step) % count);
        if (!item.isEmpty() && foldChar(item.at(0).unicode()) == key)
            return (from + step) % count;
    }
    return -1;
}

void ListBox::keyPressEvent(QKeyEvent* event)
{
    const int count = int(m_items.size());
    const int current = currentRow();
    const int caret = std::max(current, 0);
    const int page = std::max(1, visibleRows() - 1);
    std::optional<int> to;
    switch (event->key()) {
    case Qt::Key_Up:
        to = current < 0 ? 0 : current - 1;
        break;
    case Qt::Key_Down:
        to = current < 0 ? 0 : current + 1;
        break;
    case Qt::Key_PageUp:
        to = caret - page;
        break;
    case Qt::Key_PageDown:
        to = caret + page;
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = count - 1;
        break;
    case Qt::Key_Space:
        if (count == 0)
            break;
        if (m_multi) {
            toggle(caret);
        } else {
            // Space chooses the row with the focus mark, also the one already selected, as a
            // click on it does.
            moveTo(caret, false);
            emit Click();
        }
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Return acts on the row with the focus mark as a double-click on it does.
        if (m_multi || count == 0) {
            event->ignore();
            return;
        }
        moveTo(caret, false);
        emit Click();
        emit DblClick();
        return;
    default:
        if (!(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && !event->text().isEmpty() &&
            event->text().at(0).isPrint() && count > 0) {
            const int found = nextStartingWith(event->text());
            if (found >= 0)
                to = found;
            break;
        }
        event->ignore();
        return;
    }
    if (to && count > 0)
        moveTo(std::clamp(*to, 0, count - 1), !m_multi);
}

void ListBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_afterDoubleClick = false;
    m_pressed = rowAt(event->position().toPoint().y());
    if (m_pressed < 0)
        return;
    if (m_multi)
        toggle(m_pressed);
    else
        moveTo(m_pressed, false);
}

void ListBox::mouseMoveEvent(QMouseEvent* event)
{
    // Dragging through the single-selection list moves its selection, scrolling at the edges.
    if (m_multi || !(event->buttons() & Qt::LeftButton) || m_items.isEmpty())
        return;
    const int y = event->position().toPoint().y();
    const int top = TopIndex();
    int index;
    if (y < 0)
        index = top - 1;
    else if (y >= rowsShown() * rowHeight())
        index = top + rowsShown();
    else
        index = top + y / rowHeight();
    index = std::clamp(index, 0, int(m_items.size()) - 1);
    if (index != m_current)
        moveTo(index, false);
}

void ListBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    const bool afterDoubleClick = m_afterDoubleClick;
    m_afterDoubleClick = false;
    // A double-click is one click and one double-click, never two clicks.
    if (!m_multi && !afterDoubleClick && rowAt(event->position().toPoint().y()) >= 0)
        emit Click();
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int row = rowAt(event->position().toPoint().y());
    if (event->button() != Qt::LeftButton || row < 0 || row != m_pressed) {
        mousePressEvent(event);
        return;
    }
    m_afterDoubleClick = true;
    emit DblClick();
}

void ListBox::wheelEvent(QWheelEvent* event)
{
    settle();
    QAbstractScrollArea::wheelEvent(event);
}

void ListBox::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_unsettled = true;
    settle();
}

void ListBox::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        forgetWidest();
        itemsChanged();
    }
}

void ListBox::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ListBox::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void ListBox::paintEvent(QPaintEvent* event)
{
    settle();
    QPainter painter(viewport());
    const int height = rowHeight();
    const int top = verticalScrollBar()->value();
    const int count = int(m_items.size());
    const int firstRow = std::max(0, event->rect().top() / height);
    const int lastRow = std::min(rowsShown() - 1, event->rect().bottom() / height);
    for (int row = firstRow; row <= lastRow && top + row < count; ++row)
        paintRow(painter, top + row, QRect(0, row * height, viewport()->width(), height));
    if (!hasFocus())
        return;
    // The focus mark; an empty list shows it where its first item would be.
    const int caret = std::max(currentRow(), 0);
    const int row = count == 0 ? 0 : caret - top;
    if (row >= 0 && row < rowsShown())
        paintFocusMark(painter, QRect(0, row * height, viewport()->width(), height), Selected(caret));
}

void ListBox::paintRow(QPainter& painter, int index, const QRect& rect)
{
    const bool selected = Selected(index);
    if (selected)
        painter.fillRect(rect, palette().brush(QPalette::Highlight));
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    const int x = kTextMargin - horizontalScrollBar()->value();
    const QPoint at(x, rect.top() + fontMetrics().ascent());
    painter.drawText(at, m_items.at(index));
    const auto note = m_notes.constFind(index);
    if (note == m_notes.constEnd())
        return;
    // Three cells after the name, in the colour of text that is not for choosing.
    QColor dim = painter.pen().color();
    dim.setAlphaF(selected ? 0.75 : 0.5);
    painter.setPen(dim);
    const int gap = fontMetrics().horizontalAdvance(QStringLiteral("   "));
    painter.drawText(at + QPoint(fontMetrics().horizontalAdvance(m_items.at(index)) + gap, 0), *note);
}

void ListBox::paintFocusMark(QPainter& painter, const QRect& rect, bool selected)
{
    QPen pen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    pen.setDashPattern({1, 1});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
}
