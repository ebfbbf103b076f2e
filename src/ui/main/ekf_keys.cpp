// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ekf.h"

#include <QKeyEvent>
#include <QLineEdit>

void Ekf::watchKeys()
{
    txtInp->installEventFilter(this);
}

bool Ekf::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtInp && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        guarded([this, key] { txtInp_KeyDown(key->key(), key->modifiers()); });
    }
    return QMainWindow::eventFilter(watched, event);
}

// Return takes the typed name as Add does, whether Add is enabled or not: the keyboard's way
// to collect a name that was typed rather than clicked.
void Ekf::txtInp_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift)
{
    Q_UNUSED(Shift);
    if ((KeyCode == Qt::Key_Return || KeyCode == Qt::Key_Enter) && !txtInp->text().isEmpty())
        cmdAdd_Click();
}
