// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "alt_keys.h"
#include "copy_assembly.h"
#include "key_preview.h"
#include "list_box.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

struct Ekb;
struct SettingKey;
struct ConvertResult;
class DbError;
class DeclStore;
struct ConvertOptions;
class Platform;
class Prbf;
class VersionF;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

// The main window: browse a declaration database by kind, collect names, copy
// their full text. Handlers keep the names of the events they answer.
class Ekf : public QMainWindow
{
    Q_OBJECT
public:
    Ekf(Platform& platform, Ekb& module);
    ~Ekf() override;

    QLineEdit* txtInp;
    ListBox* lstEk;
    ListBox* lstDest;
    QLabel* Label1;
    QComboBox* cboKind;
    QPushButton* cmdAdd;
    QPushButton* cmdDel;
    QPushButton* cmdCpy;
    QMenu* mF;
    QMenu* mH;
    std::array<QAction*, 7> mFile{};
    std::array<QAction*, 4> mHelp{}; // there is no item 1
    QMenu* mO;
    // 0: copy the used declarations too; 1: separator; 2-4: the scope keyword
    // (as declared, Public, Private), one of them checked.
    std::array<QAction*, 5> mOpt{};

    // The one-shot marker lstEk_Click leaves for the next txtInp_Change.
    const QString& txtInpTag() const { return m_txtInpTag; }
    bool converting() const { return m_converting; }
    Prbf& progressWindow();
    VersionF* aboutWindow() const { return m_versionF.get(); }

    void Form_Load();
    void Form_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift);
    void Form_Unload();

    // False when the list could not be filled; the error has been reported.
    bool FillList();
    void cboKind_Click();
    void txtInp_Change();
    void txtInp_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift);
    void lstEk_Click();

    void cmdAdd_Click();
    void lstEk_DblClick();
    void cmdDel_Click();
    void lstDest_Click();
    void cmdCpy_Click();
    void lstDest_DblClick();

    void mFile_Click(int Index);
    QString FileDlg(const QString& sMode);
    void mHelp_Click(int Index);
    void mOpt_Click(int Index);
    const CopyOptions& copyOptions() const { return m_copyOptions; }

    void ConvertText(const QString& sTxtFile, const QString& sDbFile, QWidget* frmOwner);

    // Setting these from code raises the control's event, as a user's change does.
    void setTxtInpText(const QString& text);
    void setCboKindListIndex(int index);
    // The path of the remembered-database item, without the mnemonic escapes.
    QString rememberedCaption() const;
    // Storage limits for conversions; a test simulates a full disk with them.
    void setConvertOptions(const ConvertOptions& options);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls(QWidget* client);
    void buildMenus();
    void buildOptionsMenu();
    void loadOptions();
    // What a copy of these entries gives with the chosen options.
    QString copyText(const QStringList& names, CopyEnd end);
    DeclKind currentKind() const;
    void connectEvents();
    // The input box's own keys, which the window sees before the box does.
    void watchKeys();
    void guarded(const std::function<void()>& handler);
    // Shows path as the remembered-database item, with the separator above it.
    void showRemembered(const QString& path);
    // Stores sDbName as the remembered database and shows it.
    void rememberDatabase();
    // The settings store, by a key of ekb.h.
    QString setting(const SettingKey& key, const QString& defaultValue) const;
    void saveSetting(const SettingKey& key, const QString& value);
    void reportFailure(const DbError& error);
    // Opens path and lists it; on failure the user is told why and the database
    // open before stays.
    bool openAndList(const QString& path);
    void convertCommand();
    bool refuseWhileConverting();
    // What the user must know of a conversion that ended: a cancel, lines not stored, a text file
    // that changed.
    void reportConversion(const ConvertResult& result, const QString& sTxtFile, const QString& sDbFile);

    Platform& m_platform;
    Ekb& m;
    KeyPreview m_keyPreview;
    AltKeys m_altKeys;
    std::unique_ptr<Prbf> m_prbf;
    std::unique_ptr<VersionF> m_versionF;
    std::unique_ptr<ConvertOptions> m_convertOptions;
    CopyOptions m_copyOptions;
    QString m_txtInpTag;
    bool bInit = false;
    // lstEk holds the names of the current kind of dbDecl: Add and Copy look them up
    // there. A failed fill leaves names in the list that no table of the kind backs.
    bool m_listed = false;
    bool m_converting = false;
    // The last conversion failed and left the file at its path as it was.
    bool m_previousKept = false;
    bool m_closeAfterConversion = false;
    bool m_unloaded = false;
};
