// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ekf.h"

#include "access_keys.h"
#include "browse_text.h"
#include "convert_text.h"
#include "db_error.h"
#include "decl_browser.h"
#include "ekb.h"
#include "err_dsp.h"
#include "fonts.h"
#include "menu_style.h"
#include "platform.h"
#include "prbf.h"
#include "twips.h"
#include "version_f.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>

namespace {

constexpr int kStatusLineTwips = 300;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QRect& rect)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(rect);
    button->setAutoDefault(false);
    return button;
}

QAction* makeItem(QMenu* menu, const QString& name, const QString& caption)
{
    auto* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QAction* makeSeparator(QMenu* menu, const QString& name)
{
    QAction* action = menu->addSeparator();
    action->setObjectName(name);
    return action;
}

} // namespace

Ekf::Ekf(Platform& platform, Ekb& module)
    : QMainWindow(nullptr)
    , m_platform(platform)
    , m(module)
    , m_keyPreview(*this, [this](int key, Qt::KeyboardModifiers shift) { Form_KeyDown(key, shift); })
    , m_altKeys(*this, [this] { m_platform.beep(); })
{
    setObjectName(QStringLiteral("Ekf"));
    m_platform.addMessageOwner(*this);
    setWindowTitle(QStringLiteral(" Ek"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ek.png")));
    splitPrv = new QSplitter(Qt::Horizontal, this);
    splitPrv->setObjectName(QStringLiteral("splitPrv"));
    splitPrv->setChildrenCollapsible(false);
    auto* client = new QWidget(splitPrv);
    client->setObjectName(QStringLiteral("client"));
    splitPrv->addWidget(client);
    buildControls(client);
    splitPrv->addWidget(buildPreview());
    setTabOrder(txtFlt, txtPrv);
    splitPrv->setStretchFactor(0, 1);
    splitPrv->setStretchFactor(1, 1);
    setCentralWidget(splitPrv);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    statusBar()->addPermanentWidget(lblStatus);
    buildMenus();
    buildOptionsMenu();
    auto* menuStyle = new MenuStyle;
    menuStyle->setParent(this);
    for (QAction* top : menuBar()->actions()) {
        if (top->menu())
            top->menu()->setStyle(menuStyle);
    }
    buildViewActions();
    connectEvents();
    watchKeys();
    // Where a copy says what it copied, beside the counts of the current kind.
    statusBar()->setObjectName(QStringLiteral("statusLine"));
    statusBar()->setFixedHeight(twips(kStatusLineTwips));
    Form_Load();
    restorePlace();
}

Ekf::~Ekf() = default;

void Ekf::buildControls(QWidget* client)
{
    const QFont gothic = makeFont(kGothic, 9);
    const QFont proportional = makeFont(kProportionalGothic, 9);
    client->setFont(proportional);

    txtInp = new QLineEdit(client);
    txtInp->setObjectName(QStringLiteral("txtInp"));
    txtInp->setFont(gothic);

    // The lists in the input box's gothic, so that a listed name lines up with what is typed.
    lstEk = new ListBox(false, client);
    lstEk->setObjectName(QStringLiteral("lstEk"));
    lstEk->setFont(gothic);

    lstDest = new ListBox(true, client);
    lstDest->setObjectName(QStringLiteral("lstDest"));
    lstDest->setFont(gothic);

    Label1 = new QLabel(tr("種類(&K):"), client);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(gothic);

    cboKind = new QComboBox(client);
    cboKind->setObjectName(QStringLiteral("cboKind"));
    cboKind->setFont(gothic);
    cboKind->setEditable(false);
    Label1->setBuddy(cboKind);

    cmdAdd = makeButton(client, "cmdAdd", tr("追加(&A)"), twipsRect(5280, 1080, 972, 372));
    cmdDel = makeButton(client, "cmdDel", tr("削除(&D)"), twipsRect(5280, 3240, 972, 372));
    cmdCpy = makeButton(client, "cmdCpy", tr("ｺﾋﾟｰ (&C)"), twipsRect(5280, 3720, 972, 372));

    lblNoMatch = new QLabel(noMatchText(), client);
    lblNoMatch->setObjectName(QStringLiteral("lblNoMatch"));
    lblNoMatch->setFont(gothic);
    lblNoMatch->setVisible(false);

    lblFlt = new QLabel(tr("絞り込み(&S):"), client);
    lblFlt->setObjectName(QStringLiteral("lblFlt"));
    lblFlt->setFont(gothic);
    txtFlt = new QLineEdit(client);
    txtFlt->setObjectName(QStringLiteral("txtFlt"));
    txtFlt->setFont(gothic);
    txtFlt->setPlaceholderText(tr("名前の一部、lib:user32、=&H80"));
    lblFlt->setBuddy(txtFlt);
    lblFltCount = new QLabel(client);
    lblFltCount->setObjectName(QStringLiteral("lblFltCount"));
    lblFltCount->setFont(gothic);

    layOutControls(client);

    // Tab order of the layout, the filter box after the buttons; the labels take no focus.
    setTabOrder(txtInp, lstEk);
    setTabOrder(lstEk, lstDest);
    setTabOrder(lstDest, cboKind);
    setTabOrder(cboKind, cmdAdd);
    setTabOrder(cmdAdd, cmdDel);
    setTabOrder(cmdDel, cmdCpy);
    setTabOrder(cmdCpy, txtFlt);
}

void Ekf::buildMenus()
{
    // Every menu added to the bar, here or later, answers all the access keys of its captions.
    new AccessKeys(*menuBar());
    mF = menuBar()->addMenu(tr("ﾌｧｲﾙ(&F&ﾌ)"));
    mF->setObjectName(QStringLiteral("mF"));
    mFile[0] = makeItem(mF, QStringLiteral("mFile0"), tr("ﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙの読み込み(&M)..."));
    mFile[1] = makeItem(mF, QStringLiteral("mFile1"), tr("ﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙへの変換(&N)..."));
    mFile[2] = makeSeparator(mF, QStringLiteral("mFile2"));
    mFile[3] = makeItem(mF, QStringLiteral("mFile3"), QString());
    mFile[4] = makeItem(mF, QStringLiteral("mFile4"), QString());
    mFile[5] = makeSeparator(mF, QStringLiteral("mFile5"));
    mFile[6] = makeItem(mF, QStringLiteral("mFile6"), tr("終了(&X&ｼ)"));
    mFile[2]->setVisible(false);
    mFile[3]->setVisible(false);
    mFile[3]->setEnabled(false);
    mFile[4]->setVisible(false);
    mFile[4]->setEnabled(false);

    mH = menuBar()->addMenu(tr("ﾍﾙﾌﾟ(&H)"));
    mH->setObjectName(QStringLiteral("mH"));
    mHelp[0] = makeItem(mH, QStringLiteral("mHelp0"), tr("目次(&C&ﾓ)"));
    mHelp[0]->setShortcut(QKeySequence(Qt::Key_F1));
    mHelp[0]->setShortcutContext(Qt::WindowShortcut);
    mHelp[2] = makeSeparator(mH, QStringLiteral("mHelp2"));
    mHelp[3] = makeItem(mH, QStringLiteral("mHelp3"), tr("ﾊﾞｰｼﾞｮﾝ情報(&A)"));
    // Shortcuts of menu items only work while the action belongs to a widget.
    addAction(mHelp[0]);
}

void Ekf::connectEvents()
{
    connect(cboKind, &QComboBox::activated, this, [this] { guarded([this] { cboKind_Click(); }); });
    connect(txtInp, &QLineEdit::textChanged, this, [this] { guarded([this] { txtInp_Change(); }); });
    connect(lstEk, &ListBox::Click, this, [this] { guarded([this] { lstEk_Click(); }); });
    connect(lstEk, &ListBox::DblClick, this, [this] { guarded([this] { lstEk_DblClick(); }); });
    connect(lstDest, &ListBox::Click, this, [this] { guarded([this] { lstDest_Click(); }); });
    connect(lstDest, &ListBox::DblClick, this, [this] { guarded([this] { lstDest_DblClick(); }); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { guarded([this] { cmdAdd_Click(); }); });
    connect(cmdDel, &QPushButton::clicked, this, [this] { guarded([this] { cmdDel_Click(); }); });
    connect(cmdCpy, &QPushButton::clicked, this, [this] { guarded([this] { cmdCpy_Click(); }); });
    connect(txtFlt, &QLineEdit::textChanged, this, [this] { guarded([this] { txtFlt_Change(); }); });
    connect(lstEk, &ListBox::CurrentMoved, this, [this] { schedulePreview(); });
    for (int i = 0; i < int(mFile.size()); ++i)
        connect(mFile[i], &QAction::triggered, this, [this, i] { guarded([this, i] { mFile_Click(i); }); });
    for (int i = 0; i < int(mHelp.size()); ++i) {
        if (mHelp[i])
            connect(mHelp[i], &QAction::triggered, this,
                    [this, i] { guarded([this, i] { mHelp_Click(i); }); });
    }
}

// A failure no handler expects is reported, never left to end the program.
void Ekf::guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const DbError& e) {
        reportDbError(m_platform, e);
    } catch (const std::bad_alloc&) {
        ErrDsp(m_platform, kErrOutOfMemory);
    } catch (const std::exception& e) {
        ErrDsp(m_platform, kErrInvalidCall,
               errorText(kErrInvalidCall) + u'\n' + QString::fromLocal8Bit(e.what()));
    }
}

Prbf& Ekf::progressWindow()
{
    if (!m_prbf)
        m_prbf = std::make_unique<Prbf>(m_platform);
    return *m_prbf;
}

void Ekf::setTxtInpText(const QString& text)
{
    if (txtInp->text() == text)
        return;
    {
        const QSignalBlocker blocker(txtInp);
        txtInp->setText(text);
    }
    txtInp_Change();
}

void Ekf::setCboKindListIndex(int index)
{
    {
        const QSignalBlocker blocker(cboKind);
        cboKind->setCurrentIndex(index);
    }
    cboKind_Click();
}

void Ekf::Form_Load()
{
    {
        // Filling selects the first item by itself; that is no Click.
        const QSignalBlocker blocker(cboKind);
        cboKind->clear();
        cboKind->addItem(tr("定数"));
        cboKind->addItem(tr("関数"));
        cboKind->addItem(tr("型"));
    }
    setCboKindListIndex(1);
    m.iKind = 1;
    const QString name = setting(kRememberedDatabase, QString());
    if (!name.isEmpty())
        showRemembered(name);
    cmdAdd->setEnabled(false);
    cmdDel->setEnabled(false);
    cmdCpy->setEnabled(false);
    m_txtInpTag.clear();
    loadOptions();
    loadView();
}

QString Ekf::setting(const SettingKey& key, const QString& defaultValue) const
{
    return m_platform.getSetting(key.app, key.section, key.key, defaultValue);
}

void Ekf::saveSetting(const SettingKey& key, const QString& value)
{
    m_platform.saveSetting(key.app, key.section, key.key, value);
}

void Ekf::Form_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift)
{
    // Alt+Down only opens the kind's list; no Alt key moves the available list.
    if (Shift & Qt::AltModifier)
        return;
    // The preview's own arrows move its caret alone.
    if (txtPrv->hasFocus())
        return;
    if (KeyCode == Qt::Key_Up) {
        const int top = lstEk->TopIndex();
        if (top > 0)
            lstEk->setTopIndex(top - 1);
    } else if (KeyCode == Qt::Key_Down) {
        const int top = lstEk->TopIndex();
        if (top < lstEk->ListCount() - 1)
            lstEk->setTopIndex(top + 1);
    }
}

void Ekf::closeEvent(QCloseEvent* event)
{
    // A running conversion is cancelled first and closes the window when it has
    // cleaned up; closing under it would pull the database away.
    if (m_converting) {
        m_closeAfterConversion = true;
        if (m_prbf && m_prbf->isShown())
            m_prbf->cmdCancel_Click();
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void Ekf::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    savePlace();
    if (!mFile[1]->isEnabled()) {
        m.dbDecl.reset();
        m_listed = false;
    }
    if (m_prbf)
        m_prbf->Term();
}

QString Ekf::rememberedCaption() const
{
    QString caption = mFile[3]->text();
    if (caption.startsWith(kRememberedKey))
        caption.remove(0, kRememberedKey.size());
    return caption.replace(QStringLiteral("&&"), QStringLiteral("&"));
}
