// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>
#include <memory>

class DeclBrowser;
class Platform;
class Ekf;

// The state the main window's handlers share, one instance per process.
struct Ekb
{
    int iKind = 0;
    QString sDbName;
    // The open database. A file that fails to open or to list never takes its place.
    std::unique_ptr<DeclBrowser> dbDecl;
    QString sCrLf;
    QString helpFile;

    Ekb();
    ~Ekb();
    Ekb(const Ekb&) = delete;
    Ekb& operator=(const Ekb&) = delete;
};

inline const QString kProgramName = QStringLiteral("Ek");
inline const QString kProgramVersion = QStringLiteral(EK_VERSION);

// Where the remembered database lives in the settings store.
struct SettingKey
{
    QString app;
    QString section;
    QString key;
};
inline const SettingKey kRememberedDatabase{QStringLiteral("Ek"), QStringLiteral("DataBase"),
                                            QStringLiteral("Name")};
// The copy options: "1" copies the used declarations too; the scope is "Public",
// "Private" or "AsDeclared". A missing or unknown value is the default.
inline const SettingKey kCopyWithUses{QStringLiteral("Ek"), QStringLiteral("Options"),
                                      QStringLiteral("WithUses")};
inline const SettingKey kCopyScope{QStringLiteral("Ek"), QStringLiteral("Options"), QStringLiteral("Scope")};
// The main window's place and size in pixels, and the points of the lists' and the preview's font.
inline const SettingKey kWindowLeft{QStringLiteral("Ek"), QStringLiteral("Window"), QStringLiteral("Left")};
inline const SettingKey kWindowTop{QStringLiteral("Ek"), QStringLiteral("Window"), QStringLiteral("Top")};
inline const SettingKey kWindowWidth{QStringLiteral("Ek"), QStringLiteral("Window"), QStringLiteral("Width")};
inline const SettingKey kWindowHeight{QStringLiteral("Ek"), QStringLiteral("Window"),
                                      QStringLiteral("Height")};
inline const SettingKey kListFontSize{QStringLiteral("Ek"), QStringLiteral("Window"),
                                      QStringLiteral("FontSize")};
// "1": a copied record type is followed by its LenB on both hosts, as a comment.
inline const SettingKey kCopySizeNote{QStringLiteral("Ek"), QStringLiteral("Options"),
                                      QStringLiteral("SizeNote")};

// What the process needs before any window: names, icon, Qt's own texts in
// Japanese and the font substitutes. Call once, after the QApplication exists.
void setUpApplication();

// Sets the help file path and the line break, then shows the main window.
std::unique_ptr<Ekf> Main(Platform& platform, Ekb& module, const QString& exeDir);

// The help file beside the executable; a separator is added only when missing.
QString helpFilePath(const QString& exeDir);

// The folder part of sPath with its last separator, "\" or "/"; empty when it has none.
QString GetPath(const QString& sPath);
