// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

class QWidget;

// Message box styles and answers, as numbers: a handler combines a button set and an icon by adding them.
namespace MsgBox {
inline constexpr int OkOnly = 0;
inline constexpr int OkCancel = 1;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
// The parts of a style: the buttons in the low bits, the icon above them.
inline constexpr int ButtonsMask = 0x0F;
inline constexpr int IconMask = 0x70;
inline constexpr int Information = 64;
inline constexpr int AnswerOk = 1;
inline constexpr int AnswerCancel = 2;
} // namespace MsgBox

// Screen mouse pointers.
namespace Pointer {
inline constexpr int Default = 0, Arrow = 1, Hourglass = 11, ArrowHourglass = 13;
} // namespace Pointer

// Open-file-name flags that change what the dialog does.
namespace OpenFlag {
inline constexpr int OverwritePrompt = 0x2;
inline constexpr int HideReadOnly = 0x4;
inline constexpr int ExtensionDifferent = 0x400;
inline constexpr int PathMustExist = 0x800;
} // namespace OpenFlag

struct FileDialogRequest
{
    bool save = false;
    QString title;
    // The filter as the user reads it ("ﾃｷｽﾄﾌｧｲﾙ (*.txt)"); its patterns match in any
    // letter case.
    QString filterText;
    QString defaultExt; // with its dot: ".txt"
    int flags = 0;
    QString initialName; // the name the dialog starts with; empty: whatever it held
};

// A report of many lines: the summary above, then every line in a list the user can
// scroll, copy and save.
struct ListReport
{
    QString title;
    QString summary;
    QStringList lines;
    int icon = MsgBox::Information; // an icon of MsgBox
    QString saveName;               // where 保存(S)... offers to write the report
};

// The only door to the desktop: windows never reach these services directly, so a
// test can replace every one of them. GUI thread only.
class Platform
{
public:
    virtual ~Platform() = default;

    virtual void beep() = 0;
    // Returns MsgBox::AnswerOk or AnswerCancel. An empty title means the program's.
    virtual int msgBox(const QString& prompt, int style, const QString& title) = 0;
    // Shows the report over the message owner and returns when the user closed it.
    virtual void listReport(const ListReport& report) = 0;
    // The chosen full path, or an empty string when the user cancelled.
    virtual QString fileDialog(QWidget* owner, const FileDialogRequest& request) = 0;
    // Clears the clipboard, then puts plain text on it.
    virtual void setClipboardText(const QString& text) = 0;
    virtual void setMousePointer(int pointer) = 0;
    virtual QString getSetting(const QString& app, const QString& section, const QString& key,
                               const QString& defaultValue) = 0;
    virtual void saveSetting(const QString& app, const QString& section, const QString& key,
                             const QString& value) = 0;
    // Lets pending window events run from inside a handler.
    virtual void processEvents() = 0;
    // Keeps a window above all others without moving, resizing or activating it.
    virtual void keepOnTop(QWidget& window) = 0;
    virtual QRect screenRect() const = 0;
    // Where every screen shows windows, the taskbars left out.
    virtual QList<QRect> screenRects() const { return {screenRect()}; }

    // A message box stands centred over the window that caused it, whichever window is active
    // (right after a file dialog has closed, none is). Windows that show message boxes add
    // themselves; the owner of a box is the last one added that is shown, so the progress
    // window owns the boxes shown while it is up and the main window the others. A window
    // that is destroyed drops out by itself.
    void addMessageOwner(QWidget& window);
    QWidget* messageOwner() const;

private:
    QList<QPointer<QWidget>> m_messageOwners;
};
