// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ekb.h"
#include "ekf.h"
#include "layout_text.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace {

const QString kOn = QStringLiteral("1");
const QString kOff = QStringLiteral("0");

QString scopeValue(CopyScope scope)
{
    switch (scope) {
    case CopyScope::Public:
        return QStringLiteral("Public");
    case CopyScope::Private:
        return QStringLiteral("Private");
    default:
        return QStringLiteral("AsDeclared");
    }
}

CopyScope scopeFromValue(const QString& value)
{
    if (value == scopeValue(CopyScope::Public))
        return CopyScope::Public;
    if (value == scopeValue(CopyScope::Private))
        return CopyScope::Private;
    return CopyScope::AsDeclared;
}

// The scope of the exclusive items 2, 3 and 4, in their order.
constexpr CopyScope kScopeItems[] = {CopyScope::AsDeclared, CopyScope::Public, CopyScope::Private};
constexpr int kFirstScopeItem = 2;
constexpr int kSizeNoteItem = 6;

bool separatorItem(int i)
{
    return i == 1 || i == kSizeNoteItem - 1;
}

void setSizeNote(CopyOptions& options, bool on)
{
    options.sizeNote = on ? layoutAnnotation : std::function<QString(const LayoutReport&)>();
}

} // namespace

void Ekf::buildOptionsMenu()
{
    mO = new QMenu(tr("ｵﾌﾟｼｮﾝ(&O)"), this);
    mO->setObjectName(QStringLiteral("mO"));
    menuBar()->insertMenu(mH->menuAction(), mO);
    const QString captions[] = {tr("使用する型と定数も含める(&T)"),
                                QString(),
                                tr("宣言のまま(&N)"),
                                tr("Public を付ける(&U)"),
                                tr("Private を付ける(&P)"),
                                QString(),
                                tr("サイズの注釈を付ける(&Z)")};
    auto* scopes = new QActionGroup(this);
    scopes->setExclusive(true);
    for (int i = 0; i < int(mOpt.size()); ++i) {
        mOpt[i] = separatorItem(i) ? mO->addSeparator() : mO->addAction(captions[i]);
        mOpt[i]->setObjectName(QStringLiteral("mOpt%1").arg(i));
        if (separatorItem(i))
            continue;
        mOpt[i]->setCheckable(true);
        if (i >= kFirstScopeItem && i < kSizeNoteItem - 1)
            scopes->addAction(mOpt[i]);
        connect(mOpt[i], &QAction::triggered, this, [this, i] { guarded([this, i] { mOpt_Click(i); }); });
    }
    mOpt[kFirstScopeItem]->setChecked(true);
}

void Ekf::loadOptions()
{
    m_copyOptions.withUses = setting(kCopyWithUses, kOff) == kOn;
    m_copyOptions.scope = scopeFromValue(setting(kCopyScope, QString()));
    setSizeNote(m_copyOptions, setting(kCopySizeNote, kOff) == kOn);
    mOpt[0]->setChecked(m_copyOptions.withUses);
    mOpt[kSizeNoteItem]->setChecked(bool(m_copyOptions.sizeNote));
    for (int i = 0; i < 3; ++i)
        mOpt[kFirstScopeItem + i]->setChecked(kScopeItems[i] == m_copyOptions.scope);
}

// The item has already toggled itself, or checked itself in its group.
void Ekf::mOpt_Click(int Index)
{
    if (Index == 0) {
        if (mOpt[0]->isChecked() == m_copyOptions.withUses)
            return;
        m_copyOptions.withUses = mOpt[0]->isChecked();
        saveSetting(kCopyWithUses, m_copyOptions.withUses ? kOn : kOff);
    } else if (Index == kSizeNoteItem) {
        if (mOpt[Index]->isChecked() == bool(m_copyOptions.sizeNote))
            return;
        setSizeNote(m_copyOptions, mOpt[Index]->isChecked());
        saveSetting(kCopySizeNote, m_copyOptions.sizeNote ? kOn : kOff);
    } else if (Index >= kFirstScopeItem && Index < kSizeNoteItem - 1) {
        const CopyScope scope = kScopeItems[Index - kFirstScopeItem];
        if (scope == m_copyOptions.scope)
            return;
        m_copyOptions.scope = scope;
        saveSetting(kCopyScope, scopeValue(scope));
    }
    schedulePreview();
}
