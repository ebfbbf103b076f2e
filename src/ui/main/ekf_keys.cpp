// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ekf.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QSplitter>
#include <QWheelEvent>

void Ekf::watchKeys()
{
    txtInp->installEventFilter(this);
    txtFlt->installEventFilter(this);
    txtPrv->installEventFilter(this);
    for (QWidget* view : {lstEk->viewport(), lstDest->viewport(), txtPrv->viewport()})
        view->installEventFilter(this);
}

bool Ekf::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == splitPrv->widget(0)) {
        placeControls(static_cast<QResizeEvent*>(event)->size());
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == txtInp)
            guarded([this, key] { txtInp_KeyDown(key->key(), key->modifiers()); });
        else if (watched == txtFlt)
            guarded([this, key] { txtFlt_KeyDown(key->key()); });
        else if (watched == txtPrv && previewKey(*key))
            return true;
    } else if (event->type() == QEvent::Wheel) {
        // Ctrl and the wheel make the names larger or smaller, as in a browser.
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int steps = wheel->angleDelta().y();
            if (steps != 0)
                setListFontSize(m_fontSize + (steps > 0 ? 1 : -1));
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonDblClick && watched == txtPrv->viewport()) {
        guarded([this] { collectPreview(); });
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

// The preview copies through the platform and collects with Return; its other keys are its own.
bool Ekf::previewKey(const QKeyEvent& key)
{
    if (key.matches(QKeySequence::Copy)) {
        guarded([this] { copyPreviewSelection(); });
        return true;
    }
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        guarded([this] { collectPreview(); });
        return true;
    }
    return false;
}
