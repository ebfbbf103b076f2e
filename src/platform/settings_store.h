// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>

// String settings by application, section and key, in the per-user configuration
// directory (on Windows the per-user registry). On Linux "Ek" keeps them in
// $XDG_CONFIG_HOME/Ek/Ek.conf.
QString readSetting(const QString& app, const QString& section, const QString& key,
                    const QString& defaultValue);
void writeSetting(const QString& app, const QString& section, const QString& key, const QString& value);
