// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

// An Alt key never types into a control of the window and never moves its lists: on Windows it
// names a control or a menu, or it beeps. Qt takes an Alt key that names an enabled button, label
// or menu as a shortcut before any filter sees it; what reaches this filter names nothing. One that
// would type a character beeps, the others (Alt and an arrow, a function key…) are dropped without
// a sound. Alt with Ctrl is left alone: on Windows that is AltGr, which types.
//
// Filters on the application run the last installed first: made before AccessKeys, this one comes
// after it, so the second access keys of the menu captions still open their menus; made after the
// window's KeyPreview, it keeps Alt keys from the window's own key handler too.
class AltKeys : public QObject
{
public:
    AltKeys(QWidget& window, std::function<void()> beep);
    ~AltKeys() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool unshiftedIsShortcut(QWidget& widget, const QKeyEvent& key);

    QWidget& m_window;
    std::function<void()> m_beep;
    bool m_passing = false;
    bool m_passedThrough = false;
};
