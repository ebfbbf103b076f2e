// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "browse_data.h"

QStringList browseLines()
{
    return {
        QStringLiteral("#If Win64 Then"),
        QStringLiteral("Declare PtrSafe Function GetWindowLongPtr Lib \"user32\" Alias \"GetWindowLongPtrA\" "
                       "(ByVal hWnd As LongPtr, ByVal nIndex As Long) As LongPtr"),
        QStringLiteral("#Else"),
        QStringLiteral("Declare PtrSafe Function GetWindowLongPtr Lib \"user32\" Alias \"GetWindowLongA\" "
                       "(ByVal hWnd As LongPtr, ByVal nIndex As Long) As LongPtr"),
        QStringLiteral("#End If"),
        QStringLiteral("#If VBA7 Then"),
        QStringLiteral("#If Win64 Then"),
        QStringLiteral(
            "Declare PtrSafe Function SetWindowLongPtr Lib \"user32\" Alias \"SetWindowLongPtrA\" "
            "(ByVal hWnd As LongPtr, ByVal nIndex As Long, ByVal dwNewLong As LongPtr) As LongPtr"),
        QStringLiteral("#Else"),
        QStringLiteral(
            "Declare PtrSafe Function SetWindowLongPtr Lib \"user32\" Alias \"SetWindowLongA\" "
            "(ByVal hWnd As LongPtr, ByVal nIndex As Long, ByVal dwNewLong As LongPtr) As LongPtr"),
        QStringLiteral("#End If"),
        QStringLiteral("#Else"),
        QStringLiteral("Declare Function SetWindowLongPtr Lib \"user32\" Alias \"SetWindowLongA\" "
                       "(ByVal hWnd As Long, ByVal nIndex As Long, ByVal dwNewLong As Long) As Long"),
        QStringLiteral("#End If"),
        QStringLiteral("Declare PtrSafe Function GetWindowLong Lib \"user32\" Alias \"GetWindowLongA\" "
                       "(ByVal hWnd As LongPtr, ByVal nIndex As Long) As Long"),
        QStringLiteral("Declare PtrSafe Function GetCursorPos Lib \"user32\" (lpPoint As POINTAPI) As Long"),
        QStringLiteral("Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long"),
        QStringLiteral("Declare PtrSafe Sub Sleep Lib \"kernel32\" (ByVal dwMilliseconds As Long)"),
        QStringLiteral(
            "Declare PtrSafe Function GetModuleHandle Lib \"KERNEL32.DLL\" Alias \"GetModuleHandleA\" "
            "(ByVal lpModuleName As String) As LongPtr"),
        QStringLiteral("Declare PtrSafe Function MessageBeep Lib \"user32\" (ByVal wType As Long) As Long"),
        QStringLiteral(
            "Declare PtrSafe Function lstrlenW Lib \"kernel32\" (ByVal lpString As LongPtr) As Long"),
        QStringLiteral("Const WS_EX_TOPMOST = &H8&"),
        QStringLiteral("Const WS_EX_TRANSPARENT As Long = &H20&"),
        QStringLiteral("Const FILE_ATTRIBUTE_NORMAL = &H80"),
        QStringLiteral("Public Const SS_NOPREFIX = 128"),
        QStringLiteral("Const ES_NUMBER = &O20000"),
        QStringLiteral("Const WM_USER = &H400"),
        QStringLiteral("Const TB_ENABLEBUTTON = (WM_USER + 1)"),
        QStringLiteral("Const WM_MOUSEWHEEL = &H20A"),
        QStringLiteral("Const GWL_STYLE = (-16)"),
        QStringLiteral("Const LB_ERR = -1"),
        QStringLiteral("Const HWND_BROADCAST = &HFFFF&"),
        QStringLiteral("Const MAX_PATH = 260"),
        QStringLiteral("Const ERROR_ALREADY_EXISTS = 183&"),
        QStringLiteral("Const GENERIC_READ = &H80000000"),
        QStringLiteral("Type POINTAPI"),
        QStringLiteral("    x As Long"),
        QStringLiteral("    y As Long"),
        QStringLiteral("End Type"),
        QStringLiteral("Type RECT"),
        QStringLiteral("    Left As Long"),
        QStringLiteral("    Top As Long"),
        QStringLiteral("    Right As Long"),
        QStringLiteral("    Bottom As Long"),
        QStringLiteral("End Type"),
    };
}
