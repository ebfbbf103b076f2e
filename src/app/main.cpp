// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ekb.h"
#include "ekf.h"
#include "fonts.h"
#include "qt_platform.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProgramName);
    QApplication::setApplicationVersion(kProgramVersion);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/ek.png")));
    QApplication::setDesktopFileName(QStringLiteral("ek"));

    // Qt's own dialog texts in Japanese, like the rest of the program.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    registerFontSubstitutes();

    QtPlatform platform(kProgramName);
    Ekb module;
    const std::unique_ptr<Ekf> window = Main(platform, module, QApplication::applicationDirPath());
    return QApplication::exec();
}
