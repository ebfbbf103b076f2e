// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "browse_text.h"
#include "decl_browser.h"
#include "ekb.h"
#include "ekf.h"
#include "fonts.h"
#include "platform.h"
#include "twips.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>

namespace {

constexpr double kSmallestFont = 6;
constexpr double kLargestFont = 36;
constexpr double kDefaultFont = 9;
// The first start gives the preview as much room as the lists.
const QSize kDefaultSize(twips(13200), twips(6600));

// A screen shows a window when the start of its title bar lies on it, so that it can be
// grabbed and moved.
bool shownOnAScreen(const QRect& window, const QList<QRect>& screens)
{
    const QRect titleBar(window.topLeft(),
                         QSize(std::min(window.width(), 200), std::min(window.height(), 30)));
    for (const QRect& screen : screens) {
        const QRect seen = screen.intersected(titleBar);
        if (seen.width() >= std::min(titleBar.width(), 100) && seen.height() >= titleBar.height())
            return true;
    }
    return false;
}

} // namespace

void Ekf::layOutControls(QWidget* client)
{
    client->setMinimumSize(twips(6456), twips(4644));
    client->installEventFilter(this);
}

// At its smallest the client is the layout in twips, every control where it always stood; the
// room a larger window gives goes to the lists, five parts to the available list and four to the
// selection, and the buttons keep to the right of them. The filter box shares the kind's row.
void Ekf::placeControls(const QSize& client)
{
    const int dx = std::max(0, client.width() - twips(6456));
    const int dy = std::max(0, client.height() - twips(4644));
    const int dyEk = dy * 5 / 9;
    Label1->setGeometry(twipsRect(120, 240, 744, 180));
    cboKind->setGeometry(twipsRect(960, 180, 1932, 276));
    const int rowTop = twips(180);
    const int rowHeight = twips(276);
    const int right = twips(6252) + dx;
    const int countWidth = lblFltCount->text().isEmpty() ? 0 : lblFltCount->sizeHint().width();
    lblFltCount->setGeometry(right - countWidth, rowTop, countWidth, rowHeight);
    const int labelLeft = twips(3012);
    const int labelWidth = lblFlt->sizeHint().width();
    lblFlt->setGeometry(labelLeft, rowTop, labelWidth, rowHeight);
    const int boxLeft = labelLeft + labelWidth + twips(60);
    const int boxRight =
        std::max(boxLeft + twips(900), (countWidth ? right - countWidth - twips(120) : right));
    txtFlt->setGeometry(boxLeft, rowTop, boxRight - boxLeft, rowHeight);
    txtInp->setGeometry(twipsRect(120, 600, 4812, 264).adjusted(0, 0, dx, 0));
    lblNoMatch->setGeometry(twipsRect(5280, 600, 972, 264).translated(dx, 0));
    lstEk->setGeometry(twipsRect(120, 960, 4812, 1848).adjusted(0, 0, dx, dyEk));
    lstDest->setGeometry(twipsRect(120, 3000, 4812, 1488).adjusted(0, dyEk, dx, dy));
    cmdAdd->move(twips(5280) + dx, twips(1080));
    cmdDel->move(twips(5280) + dx, twips(3240) + dyEk);
    cmdCpy->move(twips(5280) + dx, twips(3720) + dyEk);
}

void Ekf::buildViewActions()
{
    auto* larger = new QAction(this);
    larger->setObjectName(QStringLiteral("actFontLarger"));
    // Ctrl++ where + needs no Shift, and Ctrl+= on keyboards where it does.
    larger->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    auto* smaller = new QAction(this);
    smaller->setObjectName(QStringLiteral("actFontSmaller"));
    smaller->setShortcuts(QKeySequence::ZoomOut);
    for (QAction* action : {larger, smaller}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    connect(larger, &QAction::triggered, this, [this] { setListFontSize(m_fontSize + 1); });
    connect(smaller, &QAction::triggered, this, [this] { setListFontSize(m_fontSize - 1); });
}

void Ekf::setListFontSize(double points)
{
    points = std::clamp(points, kSmallestFont, kLargestFont);
    if (points == m_fontSize)
        return;
    m_fontSize = points;
    const QFont gothic = makeFont(kGothic, points);
    lstEk->setFont(gothic);
    lstDest->setFont(gothic);
    txtPrv->setFont(gothic);
    saveSetting(kListFontSize, QString::number(points));
}

void Ekf::loadView()
{
    bool ok = false;
    const double points = setting(kListFontSize, QString()).toDouble(&ok);
    if (ok && points >= kSmallestFont && points <= kLargestFont && points != m_fontSize) {
        m_fontSize = points;
        const QFont gothic = makeFont(kGothic, points);
        lstEk->setFont(gothic);
        lstDest->setFont(gothic);
        txtPrv->setFont(gothic);
    }
}

void Ekf::restorePlace()
{
    const SettingKey* keys[] = {&kWindowLeft, &kWindowTop, &kWindowWidth, &kWindowHeight};
    int values[4] = {};
    bool complete = true;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = setting(*keys[i], QString()).toInt(&ok);
        complete = complete && ok;
    }
    const QRect saved(values[0], values[1], values[2], values[3]);
    // A place on a screen that is gone, or a size below what the controls need, is not kept.
    if (complete && saved.width() >= minimumSizeHint().width() &&
        saved.height() >= minimumSizeHint().height() && shownOnAScreen(saved, m_platform.screenRects()))
        setGeometry(saved);
    else
        resize(kDefaultSize.expandedTo(minimumSizeHint()));
    // The lists take a little more of the width than the preview.
    splitPrv->setSizes({width() * 4 / 7, width() * 3 / 7});
}

void Ekf::savePlace()
{
    const QRect place = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    if (!place.isValid())
        return;
    saveSetting(kWindowLeft, QString::number(place.x()));
    saveSetting(kWindowTop, QString::number(place.y()));
    saveSetting(kWindowWidth, QString::number(place.width()));
    saveSetting(kWindowHeight, QString::number(place.height()));
}

void Ekf::showTitle()
{
    setWindowTitle(m_listed && m.dbDecl ? QStringLiteral("Ek - ") + QFileInfo(m.dbDecl->path()).fileName()
                                        : QStringLiteral(" Ek"));
}

void Ekf::showCounts()
{
    if (!m_listed) {
        lblStatus->clear();
        lblFltCount->clear();
        placeControls(splitPrv->widget(0)->size());
        return;
    }
    const QString counts = m_narrowed ? countText(kindCount(), lstEk->ListCount()) : countText(kindCount());
    lblStatus->setText(cboKind->itemText(m.iKind) + QStringLiteral("　") + counts);
    lblFltCount->setText(m_narrowed ? counts : QString());
    placeControls(splitPrv->widget(0)->size());
}

void Ekf::showNoMatch(bool noMatch)
{
    if (!lblNoMatch->isHidden() == noMatch)
        return;
    // The list stays where the last partial match put it, and the keyboard goes on from there
    // as before; only the preview, which would show that row as the one found, goes blank.
    schedulePreview();
    lblNoMatch->setVisible(noMatch);
    QPalette palette = txtInp->palette();
    // A pale red behind the text, the colour of a field that holds what nothing answers.
    palette.setColor(QPalette::Base, noMatch ? QColor(0xFF, 0xDD, 0xDD) : QPalette().color(QPalette::Base));
    txtInp->setPalette(palette);
}
