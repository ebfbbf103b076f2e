// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QObject>
#include <functional>

class QWidget;

// Lets a window see every key press before the control that has the focus, popups
// of its own controls included. The control still gets the key afterwards.
class KeyPreview : public QObject
{
public:
    using Handler = std::function<void(int key, Qt::KeyboardModifiers modifiers)>;
    KeyPreview(QWidget& window, Handler handler);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool belongsToWindow(const QWidget* widget) const;

    QWidget& m_window;
    Handler m_handler;
};
