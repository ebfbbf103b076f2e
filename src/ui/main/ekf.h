// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "alt_keys.h"
#include "copy_assembly.h"
#include "key_preview.h"
#include "list_box.h"
#include "name_filter.h"

#include <QMainWindow>
#include <QSet>
#include <array>
#include <functional>
#include <memory>

struct Ekb;
struct SettingKey;
struct ConvertResult;
class DbError;
class Platform;
class Prbf;
class VersionF;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QPlainTextEdit;
class QKeyEvent;
class QSplitter;
class QTimer;

// The access key of the remembered-database item, before its path: the key that
// reaches it whichever items above it are available.
inline const QString kRememberedKey = QStringLiteral("&1 ");

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
    // Beside txtInp while its prefix matches no name.
    QLabel* lblNoMatch;
    // The filter box, which narrows lstEk, and how many names it leaves.
    QLabel* lblFlt;
    QLineEdit* txtFlt;
    QLabel* lblFltCount;
    // The preview of lstEk's current row: a line of facts above what Copy gives for it.
    QLabel* lblFacts;
    QPlainTextEdit* txtPrv;
    QLabel* lblStatus;
    QSplitter* splitPrv;
    QMenu* mF;
    QMenu* mH;
    std::array<QAction*, 7> mFile{};
    std::array<QAction*, 4> mHelp{}; // there is no item 1
    QMenu* mO;
    // 0: copy the used declarations too; 1: separator; 2-4: the scope keyword
    // (as declared, Public, Private), one of them checked; 5: separator; 6: the size
    // comment after a record type.
    std::array<QAction*, 7> mOpt{};
    // Shows a record type's member table on both hosts in the preview instead of its text.
    QAction* actPrvLayout = nullptr;

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

    void txtFlt_Change();
    void txtFlt_KeyDown(int KeyCode);
    // Collects name as Add collects the name typed.
    void collect(const QString& name);
    // The name the preview shows; empty when it shows none.
    const QString& previewName() const { return m_previewName; }
    // Fills the preview now rather than a moment later.
    void fillPreview();
    double listFontSize() const { return m_fontSize; }
    void setListFontSize(double points);
    // The names lstEk would show without the filter.
    qint64 kindCount() const { return m_filter.names().size(); }

    void ConvertText(const QString& sTxtFile, const QString& sDbFile, QWidget* frmOwner);

    // Setting these from code raises the control's event, as a user's change does.
    void setTxtInpText(const QString& text);
    void setCboKindListIndex(int index);
    // The path of the remembered-database item, without the mnemonic escapes.
    QString rememberedCaption() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls(QWidget* client);
    void layOutControls(QWidget* client);
    void placeControls(const QSize& client);
    QWidget* buildPreview();
    void buildViewActions();
    // The window's size and place as the settings remember them, when a screen still shows them.
    void restorePlace();
    // The remembered font size of the lists and the preview.
    void loadView();
    void savePlace();
    void showNoMatch(bool noMatch);
    // Scrolls lstEk to the first name that starts with text, or shows that none does.
    void searchTyped(const QString& text);
    void showCounts();
    void showTitle();
    // lstEk shows the names of the kind that pass the filter box's text.
    void applyFilter();
    // The row of the whole kind that lstEk's row stands for.
    int kindRow(int listRow) const;
    void schedulePreview();
    void copyPreviewSelection();
    // Collects the entry the preview shows; beeps when it shows none.
    void collectPreview();
    bool previewKey(const QKeyEvent& key);
    void buildMenus();
    void buildOptionsMenu();
    void loadOptions();
    // Copies these entries with the chosen options and says what it copied.
    void copyEntries(const std::vector<CopyEntry>& entries, CopyEnd end);
    // The position of a collected entry of that kind and name under the fold; -1: none.
    int collectedAt(DeclKind kind, const QString& name) const;
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
    CopyOptions m_copyOptions;
    // What lstDest shows, item by item: every kind, each from the database it was added from.
    std::vector<CopyEntry> m_collected;
    // Their kinds and folded names, to find one again at once in a long collection.
    QSet<QString> m_collectedKeys;
    QString m_txtInpTag;
    KindFilter m_filter;
    // The kind's row of each row lstEk shows while the filter narrows it; empty otherwise.
    std::vector<int> m_shownRows;
    bool m_narrowed = false;
    // The condition of each of the kind's rows whose name has variants.
    QHash<int, QString> m_variants;
    QTimer* m_previewTimer = nullptr;
    QString m_previewName;
    double m_fontSize = 9;
    bool bInit = false;
    // lstEk holds the names of the current kind of dbDecl: Add and Copy look them up
    // there. A failed fill leaves names in the list that no table of the kind backs.
    bool m_listed = false;
    bool m_converting = false;
    bool m_closeAfterConversion = false;
    bool m_unloaded = false;
};
