// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "version_f.h"

#include "fonts.h"
#include "twips.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

QFrame* makeLine(QWidget* parent, const char* name, int top, const QColor& colour)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setGeometry(twips(360), twips(top), twips(3720) - twips(360), 1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    return line;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& rect, const QFont& font)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(rect);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFont(font);
    return label;
}

} // namespace

VersionF::VersionF()
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_keyPreview(*this, [this](int key, Qt::KeyboardModifiers shift) { Form_KeyDown(key, shift); })
{
    setObjectName(QStringLiteral("VersionF"));
    setWindowTitle(tr("ﾊﾞｰｼﾞｮﾝ情報"));
    setFixedSize(twips(4080), twips(1932));
    setFont(makeFont(kProportionalGothic, 9, true));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(palette);

    // The picture only shows the icon; the focus starts on OK.
    picAbout = new QLabel(this);
    picAbout->setObjectName(QStringLiteral("picAbout"));
    picAbout->setFocusPolicy(Qt::NoFocus);
    picAbout->setGeometry(twipsRect(252, 240, 480, 480));
    picAbout->setAlignment(Qt::AlignCenter);

    lblName =
        makeLabel(this, "lblName", twipsRect(960, 300, 2052, 312), makeFont(kProportionalGothic, 13.8, true));
    lblVer =
        makeLabel(this, "lblVer", twipsRect(480, 780, 3252, 200), makeFont(kProportionalGothic, 9, true));
    lblCopy =
        makeLabel(this, "lblCopy", twipsRect(840, 1120, 2556, 200), makeFont(kProportionalGothic, 9, true));
    lblCopy->setText(tr("Windows API 宣言ブラウザ"));

    makeLine(this, "Line1", 1428, QColor(0x80, 0x80, 0x80));
    makeLine(this, "Line2", 1440, QColor(0xFF, 0xFF, 0xFF));

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setGeometry(twipsRect(1548, 1560, 972, 300));
    cmdOk->setFont(makeFont(kProportionalGothic, 9));
    // Enter closes the window from any control, as Esc does.
    cmdOk->setDefault(true);
    connect(cmdOk, &QPushButton::clicked, this, &VersionF::cmdOk_Click);
}

void VersionF::Dsp(QWidget* vF, const QString& sPrg, const QString& sVer)
{
    const QIcon icon = vF ? vF->windowIcon() : QIcon();
    picAbout->setPixmap(icon.pixmap(twips(480), twips(480)));
    lblName->setText(sPrg);
    lblVer->setText(QStringLiteral("Version ") + sVer);
    if (vF) {
        // The frame is known only once the native window exists.
        winId();
        const QRect owner = vF->frameGeometry();
        const QSize own = frameGeometry().size();
        move(owner.left() + (owner.width() - own.width()) / 2,
             owner.top() + (owner.height() - own.height()) / 2);
    }
    setWindowModality(Qt::ApplicationModal);
    cmdOk->setFocus();
    exec();
}

void VersionF::cmdOk_Click()
{
    accept();
}

void VersionF::Form_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift)
{
    Q_UNUSED(Shift);
    if (KeyCode == Qt::Key_Escape)
        cmdOk_Click();
}
