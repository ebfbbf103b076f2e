// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ekb.h"
#include "ekf.h"
#include "qt_platform.h"

#include <QApplication>
#include <csignal>

int main(int argc, char* argv[])
{
#ifdef SIGXFSZ
    // A file-size limit is then a conversion that fails with its message.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication app(argc, argv);
    setUpApplication();
    QtPlatform platform(kProgramName);
    Ekb module;
    const std::unique_ptr<Ekf> window = Main(platform, module, QApplication::applicationDirPath());
    return QApplication::exec();
}
