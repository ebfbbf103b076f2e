// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "platform.h"

#include <QWidget>

void Platform::addMessageOwner(QWidget& window)
{
    m_messageOwners.removeAll(nullptr);
    m_messageOwners.append(&window);
}

QWidget* Platform::messageOwner() const
{
    for (auto owner = m_messageOwners.crbegin(); owner != m_messageOwners.crend(); ++owner) {
        if (*owner && (*owner)->isVisible())
            return *owner;
    }
    return nullptr;
}
