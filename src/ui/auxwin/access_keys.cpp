// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "access_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace {

// A caption read as a Windows menu reads it: every "&" marks the next character as an
// access key, "&&" is a plain "&". "ﾌｧｲﾙ(&F&ﾌ)" has the keys F and ﾌ.
QString accessKeys(const QString& caption)
{
    QString keys;
    for (qsizetype at = 0; at + 1 < caption.size(); ++at) {
        if (caption.at(at) != u'&')
            continue;
        ++at;
        if (caption.at(at) != u'&')
            keys.append(caption.at(at));
    }
    return keys;
}

// In kana mode Windows sends a key as half-width katakana, as the captions have it, and X11
// as the full-width one: both read as the same key.
QString asKey(QChar c)
{
    return QString(c).normalized(QString::NormalizationForm_KC).toUpper();
}

bool pressed(const QKeyEvent& key, QChar c)
{
    const QString wanted = asKey(c);
    if (key.text().size() == 1 && asKey(key.text().at(0)) == wanted)
        return true;
    return key.key() > 0 && key.key() <= 0xFFFF && asKey(QChar(key.key())) == wanted;
}

} // namespace

AccessKeys::AccessKeys(QMenuBar& bar)
    : QObject(&bar)
    , m_bar(bar)
{
    qApp->installEventFilter(this);
}

AccessKeys::~AccessKeys()
{
    qApp->removeEventFilter(this);
}

bool AccessKeys::inBar(const QMenu& menu) const
{
    // A menu is a window of its own, and its parent is whatever made it: what makes it one
    // of the bar's is that its action hangs in the bar, or in a menu that does.
    QList<QMenu*> pending;
    for (QList<QAction*> actions = m_bar.actions();;) {
        for (const QAction* action : actions) {
            if (action->menu() == &menu)
                return true;
            if (action->menu())
                pending.append(action->menu());
        }
        if (pending.isEmpty())
            return false;
        actions = pending.takeLast()->actions();
    }
}

QList<QAction*> AccessKeys::candidates(const QWidget& widget, const QKeyEvent& key) const
{
    if (const auto* menu = qobject_cast<const QMenu*>(&widget); menu && inBar(*menu))
        return widget.actions();
    // The bar has the keyboard after Alt was pressed and released alone.
    if (&widget == &m_bar)
        return m_bar.actions();
    if ((key.modifiers() & Qt::AltModifier) && widget.window() == m_bar.window())
        return m_bar.actions();
    return {};
}

bool AccessKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() || m_passing)
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    const auto& key = *static_cast<QKeyEvent*>(event);
    for (const QAction* action : candidates(*widget, key)) {
        if (action->isSeparator() || !action->isVisible() || !action->isEnabled())
            continue;
        const QString keys = accessKeys(action->text());
        for (qsizetype i = 1; i < keys.size(); ++i) {
            if (!pressed(key, keys.at(i)))
                continue;
            const QChar first = keys.at(0);
            QKeyEvent asFirst(QEvent::KeyPress, int(first.toUpper().unicode()), key.modifiers(),
                              QString(first));
            m_passing = true;
            QCoreApplication::sendEvent(widget, &asFirst);
            m_passing = false;
            return true;
        }
    }
    return false;
}
