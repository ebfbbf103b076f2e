// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ekb.h"

#include "decl_browser.h"
#include "ekf.h"
#include "fonts.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

Ekb::Ekb() = default;

Ekb::~Ekb() = default;

void setUpApplication()
{
    QApplication::setApplicationName(kProgramName);
    QApplication::setApplicationVersion(kProgramVersion);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/ek.png")));
    QApplication::setDesktopFileName(QStringLiteral("ek"));
    // A build for Windows carries Qt's translation inside; elsewhere it is the system's.
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    auto* qtTranslator = new QTranslator(qApp);
    if (qtTranslator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                           QStringLiteral(":/translations")) ||
        qtTranslator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtTranslator);
    registerFontSubstitutes();
}

QString helpFilePath(const QString& exeDir)
{
    QString dir = exeDir;
    if (!dir.endsWith(u'/') && !dir.endsWith(u'\\'))
        dir += u'/';
    return dir + QStringLiteral("Ek") + QStringLiteral(".hlp");
}

std::unique_ptr<Ekf> Main(Platform& platform, Ekb& module, const QString& exeDir)
{
    module.helpFile = helpFilePath(exeDir);
    module.sCrLf = QStringLiteral("\r\n");
    auto window = std::make_unique<Ekf>(platform, module);
    window->show();
    return window;
}

QString GetPath(const QString& sPath)
{
    for (qsizetype i = sPath.size(); i >= 1; --i) {
        const QChar c = sPath.at(i - 1);
        if (c == u'\\' || c == u'/')
            return sPath.left(i);
    }
    return QString();
}
