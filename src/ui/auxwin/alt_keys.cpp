// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "alt_keys.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenuBar>

namespace {

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

} // namespace

AltKeys::AltKeys(QWidget& window, std::function<void()> beep)
    : m_window(window)
    , m_beep(std::move(beep))
{
    qApp->installEventFilter(this);
}

AltKeys::~AltKeys()
{
    qApp->removeEventFilter(this);
}

bool AltKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (modifiers != Qt::AltModifier || isModifierKey(key->key()))
        return false;
    // The window's own controls only: a menu of the bar, which is a window of its own, takes its
    // items' keys with Alt held too, and the bar in keyboard mode handles its own keys.
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != &m_window || qobject_cast<QMenuBar*>(widget))
        return false;
    // Alt+Down opens a combo box's list, as on Windows; it changes no choice. (Qt takes Alt+Up
    // for a step up the list, which it is not.)
    if (qobject_cast<QComboBox*>(widget) && key->key() == Qt::Key_Down)
        return false;
    key->accept();
    if (m_passing) {
        m_passedThrough = true;
        return true;
    }
    if (key->modifiers() & Qt::ShiftModifier && unshiftedIsShortcut(*widget, *key))
        return true;
    if (!key->text().isEmpty() && key->text().at(0).isPrint())
        m_beep();
    return true;
}

// Windows matches access keys in any letter case, so Alt+Shift+C is Copy's Alt+C; Qt's shortcuts
// see a different key. Sent again without Shift, the key reaches Qt's shortcuts first; when none
// takes it, it comes back here.
bool AltKeys::unshiftedIsShortcut(QWidget& widget, const QKeyEvent& key)
{
    QKeyEvent unshifted(QEvent::KeyPress, key.key(), key.modifiers() & ~Qt::ShiftModifier,
                        key.text().toLower(), key.isAutoRepeat(), key.count());
    m_passing = true;
    m_passedThrough = false;
    QCoreApplication::sendEvent(&widget, &unshifted);
    m_passing = false;
    return !m_passedThrough;
}
