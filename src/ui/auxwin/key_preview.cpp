// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "key_preview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

KeyPreview::KeyPreview(QWidget& window, Handler handler)
    : m_window(window)
    , m_handler(std::move(handler))
{
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    qApp->removeEventFilter(this);
}

bool KeyPreview::belongsToWindow(const QWidget* widget) const
{
    // Walks across window borders, so that a combo box's popup list still counts.
    for (; widget; widget = widget->parentWidget()) {
        if (widget == &m_window)
            return true;
    }
    return false;
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    // An unhandled key travels up to the parents; preview it once, at its first stop.
    const QWidget* first = QApplication::focusWidget();
    if (first && widget != first)
        return false;
    if (!first && widget != &m_window)
        return false;
    if (!m_window.isEnabled() || !belongsToWindow(widget))
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    m_handler(key->key(), key->modifiers());
    return false;
}
