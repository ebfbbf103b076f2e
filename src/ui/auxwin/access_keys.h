// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QObject>

class QAction;
class QKeyEvent;
class QMenu;
class QMenuBar;

// Answers every access key of the captions in a menu bar, where Qt answers only the first:
// "ﾌｧｲﾙ(&F&ﾌ)" opens with Alt+F and with Alt+ﾌ (and with F or ﾌ once Alt has put the bar in
// keyboard mode), and "終了(&X&ｼ)" is chosen with X or ｼ in its open menu. A later key is passed
// on as its caption's first, so Qt's own menu handling does the rest. (Qt already underlines
// every marked character.)
//
// It reads the captions when a key is pressed, so menus added to the bar later, and captions
// changed, need nothing more. Made with the bar as parent, it lives as long as the bar.
class AccessKeys : public QObject
{
public:
    explicit AccessKeys(QMenuBar& bar);
    ~AccessKeys() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The actions whose captions a key pressed in widget may be meant for.
    QList<QAction*> candidates(const QWidget& widget, const QKeyEvent& key) const;
    bool inBar(const QMenu& menu) const;

    QMenuBar& m_bar;
    bool m_passing = false;
};
