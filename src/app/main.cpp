// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ekb.h"
#include "ekf.h"
#include "qt_platform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    setUpApplication();
    QtPlatform platform(kProgramName);
    Ekb module;
    const std::unique_ptr<Ekf> window = Main(platform, module, QApplication::applicationDirPath());
    return QApplication::exec();
}
