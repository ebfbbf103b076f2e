// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "names_model.h"

int NamesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_announced;
}

QVariant NamesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_announced)
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_names.at(index.row());
    return QVariant();
}

void NamesModel::clear()
{
    beginResetModel();
    m_names.clear();
    m_announced = 0;
    endResetModel();
}

void NamesModel::removeAt(int row)
{
    flush();
    beginRemoveRows(QModelIndex(), row, row);
    m_names.removeAt(row);
    --m_announced;
    endRemoveRows();
}

void NamesModel::flush()
{
    const int total = int(m_names.size());
    if (m_announced == total)
        return;
    beginInsertRows(QModelIndex(), m_announced, total - 1);
    m_announced = total;
    endInsertRows();
}
