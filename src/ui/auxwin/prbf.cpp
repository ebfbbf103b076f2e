// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "prbf.h"

#include "fonts.h"
#include "platform.h"
#include "twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <cmath>

Prbf::Prbf(Platform& platform)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_platform(platform)
    , m_keyPreview(*this, [this](int key, Qt::KeyboardModifiers shift) { Form_KeyDown(key, shift); })
{
    setObjectName(QStringLiteral("Prbf"));
    m_platform.addMessageOwner(*this);
    setFixedSize(twips(4512), twips(1872));

    // The file's name above the percentage and the lines read below the bar, in the
    // room the window has between its controls.
    lblFile = new QLabel(this);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    lblFile->setGeometry(twipsRect(120, 60, 4212, 252));
    lblFile->setAlignment(Qt::AlignCenter);
    lblLines = new QLabel(this);
    lblLines->setObjectName(QStringLiteral("lblLines"));
    lblLines->setGeometry(twipsRect(120, 1010, 4212, 252));
    lblLines->setAlignment(Qt::AlignCenter);

    lblPer = new QLabel(this);
    lblPer->setObjectName(QStringLiteral("lblPer"));
    lblPer->setGeometry(twipsRect(120, 360, 4212, 252));
    lblPer->setAlignment(Qt::AlignCenter);
    lblPer->setFont(makeFont(kGothic, 10.2));

    prbPer = new QProgressBar(this);
    prbPer->setObjectName(QStringLiteral("prbPer"));
    prbPer->setGeometry(twipsRect(150, 720, 4212, 252));
    prbPer->setTextVisible(false);
    prbPer->setRange(0, 1);
    prbPer->setValue(0);

    cmdCancel = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(twipsRect(1770, 1320, 972, 372));
    cmdCancel->setFont(makeFont(kProportionalGothic, 10.2));
    connect(cmdCancel, &QPushButton::clicked, this, &Prbf::cmdCancel_Click);
}

void Prbf::Form_Load()
{
    m_platform.keepOnTop(*this);
}

// Esc is Cancel, from the button or the window itself.
void Prbf::Form_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift)
{
    Q_UNUSED(Shift);
    if (KeyCode == Qt::Key_Escape && m_shown && !bCancel)
        cmdCancel_Click();
}

void Prbf::Init(qint64 lMax, const QString& sTitle, QWidget* F)
{
    // A closed window is loaded again, as the first Init loads it.
    if (!m_shown)
        Form_Load();
    m_max = std::max<qint64>(lMax, 0);
    // A bar a few hundred pixels wide shows no finer steps than these; counting every
    // byte would make the bar recompute itself on nearly every line for nothing.
    constexpr qint64 kBarSteps = 1024;
    m_barScale = 1;
    while (m_max / m_barScale > kBarSteps)
        m_barScale *= 2;
    prbPer->setRange(0, std::max(1, int(m_max / m_barScale)));
    prbPer->setValue(0);
    bCancel = false;
    cmdCancel->setEnabled(true);
    // A cancelled run left the focus on the window itself.
    cmdCancel->setFocus();
    lblFile->clear();
    lblLines->clear();
    m_lines = -1;
    setWindowTitle(sTitle);
    lblPer->setText(QStringLiteral("0%"));
    m_percent = -1;
    placeOver(F);
    m_shown = true;
    show();
}

void Prbf::placeOver(QWidget* F)
{
    // The frame is known only once the native window exists.
    winId();
    const QSize own = frameGeometry().size();
    QRect area = F ? F->frameGeometry() : m_platform.screenRect();
    // Integer division truncating toward zero, also for a negative difference.
    move(area.left() + (area.width() - own.width()) / 2, area.top() + (area.height() - own.height()) / 2);
}

void Prbf::showProgress(qint64 value)
{
    // A value past the maximum happens at the end of files without a final CR LF.
    const qint64 shownValue = std::clamp<qint64>(value, 0, m_max);
    // Set only when it moves, so that the window repaints only when it changes.
    const int bar = m_max == 0 ? (value > 0 ? prbPer->maximum() : 0) : int(shownValue / m_barScale);
    if (bar != prbPer->value())
        prbPer->setValue(bar);
    int percent;
    if (m_max == 0)
        percent = value > 0 ? 100 : 0;
    else if (value >= m_max)
        percent = 100;
    else
        percent = int(std::floor(double(value) / double(m_max) * 100.0 + 0.5));
    if (percent != m_percent) {
        m_percent = percent;
        lblPer->setText(u' ' + QString::number(percent) + u'%');
    }
}

bool Prbf::Cancel(qint64 lNewValue)
{
    const bool result = bCancel;
    if (!result)
        showProgress(lNewValue);
    return result;
}

// The run notices the request at its next line, and what it does after that (the
// rest of the file counted, the indexes built) takes a while: the window answers at
// once and stays until Term, so that no later press of the button or Esc lands
// elsewhere.
void Prbf::cmdCancel_Click()
{
    if (bCancel)
        return;
    bCancel = true;
    if (!m_shown)
        return;
    lblPer->setText(tr("中断しています…"));
    // The title says it too, where the window system shows it.
    setWindowTitle(windowTitle() + tr(" - 中断しています…"));
    cmdCancel->setEnabled(false);
    setFocus();
    repaint();
}

void Prbf::setSource(const QString& fileName)
{
    const QFontMetrics metrics(lblFile->font());
    lblFile->setText(metrics.elidedText(fileName, Qt::ElideMiddle, lblFile->width()));
    lblFile->setToolTip(fileName);
}

void Prbf::setLinesRead(qint64 lines)
{
    if (lines == m_lines || bCancel)
        return;
    m_lines = lines;
    lblLines->setText(tr("%1 行").arg(QLocale(QLocale::Japanese, QLocale::Japan).toString(lines)));
}

void Prbf::Term()
{
    if (!m_shown)
        return;
    m_closingByCode = true;
    close();
    m_closingByCode = false;
}

void Prbf::closeEvent(QCloseEvent* event)
{
    if (m_closingByCode) {
        m_shown = false;
        event->accept();
        return;
    }
    // The title bar's close button means the same as Cancel.
    event->ignore();
    cmdCancel_Click();
}

void Prbf::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    Form_LostFocus();
}

void Prbf::Form_LostFocus()
{
    // Only reached when the window itself, not its button, held the focus.
    setFocus();
}
