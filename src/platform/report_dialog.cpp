// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "report_dialog.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSaveFile>
#include <QStringListModel>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QStyle::StandardPixmap iconOf(int icon)
{
    switch (icon & MsgBox::IconMask) {
    case MsgBox::Critical:
        return QStyle::SP_MessageBoxCritical;
    case MsgBox::Exclamation:
        return QStyle::SP_MessageBoxWarning;
    case MsgBox::Question:
        return QStyle::SP_MessageBoxQuestion;
    default:
        return QStyle::SP_MessageBoxInformation;
    }
}

#ifdef Q_OS_WIN
const QString kNativeBreak = QStringLiteral("\r\n");
#else
const QString kNativeBreak = QStringLiteral("\n");
#endif

} // namespace

ReportDialog::ReportDialog(Platform& platform, ListReport report, QWidget* owner)
    : QDialog(owner)
    , m_platform(platform)
    , m_report(std::move(report))
{
    setObjectName(QStringLiteral("ReportDialog"));
    setWindowTitle(m_report.title);
    setSizeGripEnabled(true);

    auto* icon = new QLabel(this);
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(iconOf(m_report.icon), nullptr, this).pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);
    lblSummary = new QLabel(m_report.summary, this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(lblSummary, 1);

    lstLines = new QListView(this);
    lstLines->setObjectName(QStringLiteral("lstLines"));
    // Tens of thousands of lines: one height for all keeps the list fast.
    lstLines->setUniformItemSizes(true);
    lstLines->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstLines->setModel(new QStringListModel(m_report.lines, lstLines));
    lstLines->installEventFilter(this);
    lstLines->setVisible(!m_report.lines.isEmpty());

    cmdSave = new QPushButton(tr("保存(&S)..."), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setVisible(!m_report.lines.isEmpty());
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    // Return is taken in keyPressEvent, where a repeated key can be told apart.
    for (QPushButton* button : {cmdSave, cmdOk}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(cmdSave, &QPushButton::clicked, this, &ReportDialog::save);
    connect(cmdOk, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSave);
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lstLines, 1);
    layout->addLayout(buttons);
    fitOnScreen(owner);
    cmdOk->setFocus();
}

void ReportDialog::fitOnScreen(QWidget* owner)
{
    const QRect screen = m_platform.screenRect();
    // The frame the window system adds is not known before the window is shown:
    // leave room for a generous one.
    constexpr int kFrame = 64;
    const QSize most(std::max(200, screen.width() - kFrame), std::max(150, screen.height() - kFrame));
    setMaximumSize(most);
    QSize wanted = sizeHint();
    if (!m_report.lines.isEmpty()) {
        const int rows = int(std::min<qsizetype>(m_report.lines.size(), 20));
        const QFontMetrics metrics(lstLines->font());
        int widest = 0;
        for (qsizetype i = 0; i < std::min<qsizetype>(m_report.lines.size(), 200); ++i)
            widest = std::max(widest, metrics.horizontalAdvance(m_report.lines[i]));
        wanted.setWidth(std::max(wanted.width(), widest + 80));
        wanted.setHeight(wanted.height() + rows * metrics.height());
    }
    wanted = wanted.boundedTo(QSize(most.width(), most.height() * 3 / 4)).expandedTo(QSize(420, 0));
    const int width = std::min(wanted.width(), most.width());
    const int height = std::min(std::max(wanted.height(), heightForWidth(width)), most.height());
    resize(width, height);
    const QRect area = owner ? owner->frameGeometry() : screen;
    QPoint at(area.left() + (area.width() - width) / 2, area.top() + (area.height() - height) / 2);
    at.setX(std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() - width - kFrame / 2)));
    at.setY(std::clamp(at.y(), screen.top(), std::max(screen.top(), screen.bottom() - height - kFrame / 2)));
    move(at);
}

void ReportDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    cmdOk->setFocus();
    m_sinceShown.start();
    m_lastCloseKey = -1;
}

QString ReportDialog::wholeText(const QString& lineBreak) const
{
    QString text = m_report.summary;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\n', lineBreak);
    if (!m_report.lines.isEmpty())
        text += lineBreak + lineBreak + m_report.lines.join(lineBreak);
    return text + lineBreak;
}

void ReportDialog::save()
{
    FileDialogRequest request;
    request.save = true;
    request.title = tr("一覧の保存");
    request.filterText = tr("ﾃｷｽﾄﾌｧｲﾙ (*.txt)");
    request.defaultExt = QStringLiteral(".txt");
    request.flags = OpenFlag::HideReadOnly | OpenFlag::PathMustExist | OpenFlag::OverwritePrompt;
    request.initialName = m_report.saveName;
    const QString path = m_platform.fileDialog(this, request);
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QByteArray bytes = wholeText(kNativeBreak).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_platform.msgBox(
            tr("%1 に書き込めません。%2").arg(QDir::toNativeSeparators(path), file.errorString()),
            MsgBox::Critical, request.title);
    }
}

bool ReportDialog::copyKey(QKeyEvent* event)
{
    if (!event->matches(QKeySequence::Copy))
        return false;
    m_platform.setClipboardText(wholeText(QStringLiteral("\r\n")));
    return true;
}

bool ReportDialog::eventFilter(QObject* watched, QEvent* event)
{
    // The list would copy its current line alone.
    if (watched == lstLines && event->type() == QEvent::KeyPress && copyKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void ReportDialog::keyPressEvent(QKeyEvent* event)
{
    if (copyKey(event))
        return;
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (freshCloseKey(event))
            accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void ReportDialog::keyReleaseEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)
        freshCloseKey(event);
    QDialog::keyReleaseEvent(event);
}

bool ReportDialog::freshCloseKey(const QKeyEvent* event)
{
    // A key repeats every few tens of milliseconds; a person takes longer than this
    // to let go and press again.
    constexpr qint64 kPause = 150;
    const qint64 at = qint64(event->timestamp());
    const bool paused = m_lastCloseKey < 0 ? !m_sinceShown.isValid() || m_sinceShown.elapsed() >= kPause
                                           : at - m_lastCloseKey >= kPause;
    m_lastCloseKey = at;
    return paused && !event->isAutoRepeat() && event->type() == QEvent::KeyPress;
}
