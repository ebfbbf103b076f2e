// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "browse_text.h"
#include "decl_browser.h"
#include "ekb.h"
#include "ekf.h"
#include "fonts.h"
#include "layout_text.h"
#include "name_fold.h"
#include "platform.h"

#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Long enough that keys typed or held in a row are all taken before the preview is read
// once, short enough to look immediate.
constexpr int kPreviewDelayMs = 40;

// The place of a row among the rows of its name, which stand together in list order.
int variantIndex(const QStringList& names, int row)
{
    const QString name = foldName(names.at(row));
    int variant = 0;
    while (row - variant > 0 && foldName(names.at(row - variant - 1)) == name)
        ++variant;
    return variant;
}

} // namespace

QWidget* Ekf::buildPreview()
{
    auto* pane = new QWidget;
    pane->setObjectName(QStringLiteral("preview"));
    auto* column = new QVBoxLayout(pane);
    lblFacts = new QLabel(pane);
    lblFacts->setObjectName(QStringLiteral("lblFacts"));
    lblFacts->setFont(makeFont(kGothic, 9));
    lblFacts->setWordWrap(true);
    lblFacts->setTextFormat(Qt::PlainText);
    lblFacts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    txtPrv = new QPlainTextEdit(pane);
    txtPrv->setObjectName(QStringLiteral("txtPrv"));
    txtPrv->setReadOnly(true);
    // Read-only, yet reachable with Tab and selectable with the keyboard, which Tab leaves again.
    txtPrv->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtPrv->setFocusPolicy(Qt::StrongFocus);
    txtPrv->setTabChangesFocus(true);
    txtPrv->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtPrv->setFont(makeFont(kGothic, m_fontSize));
    txtPrv->setContextMenuPolicy(Qt::CustomContextMenu);
    column->addWidget(lblFacts);
    column->addWidget(txtPrv, 1);
    m_previewTimer = new QTimer(this);
    m_previewTimer->setSingleShot(true);
    m_previewTimer->setInterval(kPreviewDelayMs);
    connect(m_previewTimer, &QTimer::timeout, this, [this] { guarded([this] { fillPreview(); }); });
    actPrvLayout = new QAction(tr("メンバーの配置(&L)"), this);
    actPrvLayout->setObjectName(QStringLiteral("actPrvLayout"));
    actPrvLayout->setCheckable(true);
    actPrvLayout->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    actPrvLayout->setShortcutContext(Qt::WindowShortcut);
    addAction(actPrvLayout);
    connect(actPrvLayout, &QAction::toggled, this, [this] { guarded([this] { fillPreview(); }); });
    connect(txtPrv, &QPlainTextEdit::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(txtPrv);
        QAction* copy = menu.addAction(tr("ｺﾋﾟｰ(&C)"));
        copy->setEnabled(txtPrv->textCursor().hasSelection());
        menu.addAction(actPrvLayout);
        if (menu.exec(txtPrv->viewport()->mapToGlobal(at)) == copy)
            copyPreviewSelection();
    });
    return pane;
}

void Ekf::schedulePreview()
{
    m_previewTimer->start();
}

void Ekf::fillPreview()
{
    m_previewTimer->stop();
    const int row = m_listed && lblNoMatch->isHidden() ? lstEk->currentRow() : -1;
    const int inKind = kindRow(row);
    DeclPreview preview;
    if (row >= 0 && inKind >= 0 && inKind < kindCount()) {
        const QString name = lstEk->List(row);
        preview =
            m.dbDecl->preview(currentKind(), name, variantIndex(m_filter.names(), inKind), m_copyOptions);
    }
    m_previewName = preview.found ? preview.name : QString();
    lblFacts->setText(factsLine(preview.facts));
    // The table is plain text in columns, warnings first, as ek-cli layout --c prints it.
    if (actPrvLayout->isChecked() && preview.facts.layout)
        txtPrv->setPlainText(layoutReportText(*preview.facts.layout, true));
    else
        txtPrv->setPlainText(QString(preview.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

// Through the platform, as every copy of the window: the clipboard gets CR LF line ends.
void Ekf::copyPreviewSelection()
{
    QString text = txtPrv->textCursor().selectedText();
    if (text.isEmpty())
        return;
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    m_platform.setClipboardText(text);
}
