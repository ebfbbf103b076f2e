// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QAbstractListModel>
#include <QStringList>

// Holds the names; appends are announced to the view in batches, so that filling
// a hundred thousand names costs one notification, not one per name.
class NamesModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void clear();
    void append(const QString& name) { m_names.append(name); }
    void removeAt(int row);
    // Tells the view about the names appended since the last flush.
    void flush();
    const QStringList& names() const { return m_names; }

private:
    QStringList m_names;
    int m_announced = 0;
};
