// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "db_error.h"

DbError::DbError(DbFault fault, QString path, QString detail)
    : m_fault(fault)
    , m_path(std::move(path))
    , m_detail(std::move(detail))
{
    m_what = "fault " + std::to_string(int(fault)) + ": " + m_path.toStdString();
    if (!m_detail.isEmpty())
        m_what += " (" + m_detail.toStdString() + ")";
}
