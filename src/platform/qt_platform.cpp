// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "qt_platform.h"

#include "report_dialog.h"
#include "settings_store.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace {

// Ctrl+C puts a message box's title, text and buttons on the clipboard, as Windows does, so that
// what a box said can be pasted into a report; Qt does so on Windows alone.
class MessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!event->matches(QKeySequence::Copy)) {
            QMessageBox::keyPressEvent(event);
            return;
        }
        const QString line = QStringLiteral("---------------------------\n");
        QString copied = line + windowTitle() + u'\n' + line + text() + u'\n' + line;
        for (const QAbstractButton* button : buttons())
            copied += button->text().remove(u'&') + QStringLiteral("   ");
        copied += u'\n' + line;
        QGuiApplication::clipboard()->setText(copied);
    }
};

struct StyleIcon
{
    int style;
    QMessageBox::Icon icon;
};

constexpr StyleIcon kIcons[] = {
    {MsgBox::Critical, QMessageBox::Critical},
    {MsgBox::Question, QMessageBox::Question},
    {MsgBox::Exclamation, QMessageBox::Warning},
    {MsgBox::Information, QMessageBox::Information},
};

} // namespace

QtPlatform::QtPlatform(QString programTitle)
    : m_title(std::move(programTitle))
{
}

void QtPlatform::beep()
{
    QApplication::beep();
}

int QtPlatform::msgBox(const QString& prompt, int style, const QString& title)
{
    return showMessage(messageOwner(), prompt, style, title);
}

int QtPlatform::showMessage(QWidget* owner, const QString& prompt, int style, const QString& title)
{
    // A parent centres the box over itself; without one it would stand in the middle of the screen.
    MessageBox box(owner);
    box.setWindowTitle(title.isEmpty() ? m_title : title);
    box.setText(prompt);
    for (const StyleIcon& shown : kIcons) {
        if ((style & MsgBox::IconMask) == shown.style)
            box.setIcon(shown.icon);
    }
    if ((style & MsgBox::ButtonsMask) == MsgBox::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    return box.exec() == QMessageBox::Ok ? MsgBox::AnswerOk : MsgBox::AnswerCancel;
}

void QtPlatform::listReport(const ListReport& report)
{
    ReportDialog dialog(*this, report, messageOwner());
    dialog.exec();
}

QString QtPlatform::fileDialog(QWidget* owner, const FileDialogRequest& request)
{
    // Qt's own dialog behaves the same on every desktop, and its texts follow the
    // loaded Japanese translation.
    QFileDialog dialog(owner, request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.flags & OpenFlag::OverwritePrompt));
    // Without CaseSensitive the patterns match ".TXT" and ".txt" alike.
    dialog.setFilter(QDir::AllEntries | QDir::AllDirs | QDir::NoDotAndDotDot);
    dialog.setNameFilter(request.filterText);
    dialog.setDefaultSuffix(request.defaultExt.startsWith(u'.') ? request.defaultExt.mid(1)
                                                                : request.defaultExt);
    const QString start = request.initialName.isEmpty() ? m_lastFileName : request.initialName;
    if (!start.isEmpty()) {
        const QFileInfo info(start);
        if (info.isAbsolute() || start.contains(u'/'))
            dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        QString chosen = QDir::cleanPath(dialog.selectedFiles().constFirst());
        if ((request.flags & OpenFlag::PathMustExist) && !QFileInfo(chosen).absoluteDir().exists()) {
            showMessage(&dialog,
                        QCoreApplication::translate("QtPlatform", "フォルダー %1 が見つかりません。")
                            .arg(QDir::toNativeSeparators(QFileInfo(chosen).absolutePath())),
                        MsgBox::Exclamation, request.title);
            continue;
        }
        m_lastFileName = chosen;
        return chosen;
    }
}

void QtPlatform::setClipboardText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void QtPlatform::setMousePointer(int pointer)
{
    if (pointer == Pointer::Default) {
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        return;
    }
    QCursor cursor(Qt::ArrowCursor);
    if (pointer == Pointer::Hourglass)
        cursor = QCursor(Qt::WaitCursor);
    else if (pointer == Pointer::ArrowHourglass)
        cursor = QCursor(Qt::BusyCursor);
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(cursor);
    else
        QGuiApplication::setOverrideCursor(cursor);
}

QString QtPlatform::getSetting(const QString& app, const QString& section, const QString& key,
                               const QString& defaultValue)
{
    return readSetting(app, section, key, defaultValue);
}

void QtPlatform::saveSetting(const QString& app, const QString& section, const QString& key,
                             const QString& value)
{
    writeSetting(app, section, key, value);
}

void QtPlatform::processEvents()
{
    // A conversion asks once per line, tens of thousands of times a second. Nobody
    // can click or see faster than every 10 ms, and each real pass costs a system
    // call, so the passes in between are skipped.
    constexpr qint64 kIntervalMs = 10;
    if (m_eventClock.isValid() && m_eventClock.elapsed() < kIntervalMs)
        return;
    QCoreApplication::processEvents();
    m_eventClock.start();
}

void QtPlatform::keepOnTop(QWidget& window)
{
    const bool visible = window.isVisible();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (visible)
        window.show();
}

QRect QtPlatform::screenRect() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

QList<QRect> QtPlatform::screenRects() const
{
    QList<QRect> rects;
    for (const QScreen* screen : QGuiApplication::screens())
        rects << screen->availableGeometry();
    return rects;
}
