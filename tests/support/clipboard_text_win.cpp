// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
//
// Writes the Windows clipboard's Unicode text to stdout as UTF-8, byte for byte (CR LF
// stays CR LF): what a program pasting into an editor would get. The end-to-end run
// under wine compares it with ek-cli.exe show. Status 1 when the clipboard holds no
// text, 2 when it cannot be opened.
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

int main()
{
    bool opened = false;
    // Another program may hold the clipboard for a moment after it wrote it.
    for (int tries = 0; tries < 50 && !opened; ++tries) {
        opened = OpenClipboard(nullptr) != 0;
        if (!opened)
            Sleep(100);
    }
    if (!opened)
        return 2;
    int status = 1;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
            const int wide = int(wcslen(text));
            std::string utf8(
                size_t(WideCharToMultiByte(CP_UTF8, 0, text, wide, nullptr, 0, nullptr, nullptr)), '\0');
            WideCharToMultiByte(CP_UTF8, 0, text, wide, utf8.data(), int(utf8.size()), nullptr, nullptr);
            GlobalUnlock(data);
            _setmode(_fileno(stdout), _O_BINARY);
            status = std::fwrite(utf8.data(), 1, utf8.size(), stdout) == utf8.size() ? 0 : 2;
        }
    }
    CloseClipboard();
    return status;
}
