// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "test_data.h"

#include <QString>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <unordered_set>
#include <vector>

// Writes declaration text files for the benchmarks: Windows API shaped constants,
// Declare lines and record types with Japanese comments, in code page 932 with CR LF.
// The same arguments always give the same bytes, so runs on different machines
// convert the same input.
namespace {

const char* const kUsage =
    "usage: ek-bench-gen lines COUNT OUT    mixed file of exactly COUNT lines\n"
    "       ek-bench-gen bytes SIZE OUT     mixed file of at least SIZE bytes\n"
    "       ek-bench-gen browse OUT         100,000 Declare lines, 20,000 constants,\n"
    "                                       10,000 types with 100,000 member lines\n"
    "       ek-bench-gen names COUNT OUT    COUNT short Declare lines of distinct names\n"
    "       ek-bench-gen uses OUT           16,000 lines as users have them: 6,000\n"
    "                                       constants, 1,500 Declare lines, 400 types,\n"
    "                                       using the types and constants before them\n";

// xorshift64*: tiny, fast and the same everywhere.
class Rng
{
public:
    explicit Rng(uint64_t seed)
        : m_state(seed ? seed : 1)
    {
    }
    uint64_t next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 2685821657736338717ull;
    }
    // 0 <= result < n
    size_t below(size_t n) { return size_t((next() >> 11) % n); }
    bool chance(double p) { return double(next() >> 11) / double(1ull << 53) < p; }
    template <size_t N> const char* pick(const char* const (&items)[N]) { return items[below(N)]; }

private:
    uint64_t m_state;
};

const char* const kConstPrefix[] = {
    "WM",      "SW",  "MB",  "GWL",   "SWP",   "HWND",  "CF",  "GMEM", "ERROR", "FILE_ATTRIBUTE",
    "GENERIC", "VK",  "WS",  "WS_EX", "LB",    "CB",    "EM",  "BM",   "SM",    "COLOR",
    "IDC",     "IDI", "SPI", "HKEY",  "KEY",   "REG",   "MF",  "TPM",  "DT",    "PS",
    "BS",      "SS",  "ES",  "CS",    "IMAGE", "LR",    "SND", "SC",   "HT",    "PM",
    "QS",      "MK",  "CW",  "SEE",   "CSIDL", "SHGFI", "FO",  "FOF",  "DRIVE", "TVM",
    "LVM",     "LVS", "TVS", "TB",    "SB",    "HDM",   "TCM", "PBM",  "UDM",   "DTM",
    "MCM",     "NM",  "LVN", "TVN",   "RB",    "TTM",   "EN",  "CBN",  "LBN",   "BN",
    "STN",     "SIF"};
const char* const kConstWord[] = {
    "CREATE",   "DESTROY", "MOVE",    "SIZE",     "ACTIVATE",  "SETFOCUS",   "KILLFOCUS", "ENABLE",
    "SETTEXT",  "GETTEXT", "PAINT",   "CLOSE",    "QUIT",      "KEYDOWN",    "KEYUP",     "CHAR",
    "COMMAND",  "TIMER",   "HIDE",    "SHOW",     "NORMAL",    "MAXIMIZE",   "MINIMIZE",  "RESTORE",
    "DEFAULT",  "TOPMOST", "NOSIZE",  "NOMOVE",   "NOZORDER",  "FRAME",      "BORDER",    "CAPTION",
    "CHILD",    "POPUP",   "VISIBLE", "DISABLED", "TEXT",      "BITMAP",     "ICON",      "CURSOR",
    "MENU",     "ITEM",    "COUNT",   "INDEX",    "STRING",    "SELECT",     "CHANGE",    "NOTIFY",
    "STATE",    "STYLE",   "FLAGS",   "MASK",     "RANGE",     "POS",        "LIMIT",     "FIRST",
    "LAST",     "NEXT",    "PREV",    "UP",       "DOWN",      "LEFT",       "RIGHT",     "INSERT",
    "DELETE",   "FIND",    "RESET",   "GET",      "SET",       "ADD",        "REMOVE",    "CLEAR",
    "READ",     "WRITE",   "EXECUTE", "ALL",      "NONE",      "HANDLE",     "SYSTEM",    "NETWORK",
    "REMOTE",   "ARCHIVE", "HIDDEN",  "READONLY", "TEMPORARY", "COMPRESSED", "OFFLINE",   "ENCRYPTED",
    "DIRECTORY"};
const char* const kVerb[] = {"Get",        "Set",    "Create", "Delete",   "Destroy",    "Enum", "Query",
                             "Open",       "Close",  "Find",   "Load",     "Free",       "Show", "Move",
                             "Send",       "Post",   "Reg",    "Register", "Unregister", "Is",   "Copy",
                             "Read",       "Write",  "Map",    "Lock",     "Unlock",     "Draw", "Fill",
                             "Invalidate", "Update", "Wait",   "Format"};
const char* const kNoun[] = {"Window",
                             "WindowText",
                             "WindowLong",
                             "WindowRect",
                             "ClientRect",
                             "Cursor",
                             "CursorPos",
                             "Menu",
                             "MenuItem",
                             "Dialog",
                             "DlgItem",
                             "Message",
                             "Clipboard",
                             "ClipboardData",
                             "File",
                             "FileSize",
                             "FileTime",
                             "Directory",
                             "CurrentDirectory",
                             "Module",
                             "ModuleHandle",
                             "ModuleFileName",
                             "Process",
                             "Thread",
                             "Event",
                             "Mutex",
                             "Semaphore",
                             "Timer",
                             "Key",
                             "KeyState",
                             "KeyboardState",
                             "Value",
                             "ValueEx",
                             "Profile",
                             "ProfileString",
                             "PrivateProfileString",
                             "Font",
                             "Brush",
                             "Pen",
                             "Bitmap",
                             "Icon",
                             "DC",
                             "CompatibleDC",
                             "Object",
                             "Palette",
                             "Region",
                             "Rect",
                             "SystemMetrics",
                             "SysColor",
                             "TickCount",
                             "Version",
                             "VersionEx",
                             "ComputerName",
                             "UserName",
                             "TempPath",
                             "TempFileName",
                             "DriveType",
                             "DiskFreeSpace",
                             "VolumeInformation",
                             "LogicalDrives",
                             "Heap",
                             "GlobalAlloc",
                             "VirtualMemory",
                             "Pipe",
                             "NamedPipe",
                             "Service",
                             "ServiceStatus",
                             "Printer",
                             "PrinterData",
                             "Job",
                             "Port",
                             "Monitor",
                             "Desktop",
                             "WindowStation",
                             "Hook",
                             "WindowsHookEx",
                             "Caret",
                             "Focus",
                             "Capture",
                             "Parent",
                             "Scroll",
                             "ScrollInfo",
                             "ScrollPos"};
const char* const kNounTail[] = {"",     "",     "",      "",   "",   "Info",    "List",
                                 "Data", "Name", "Count", "Ex", "Ex", "Indirect"};
const char* const kDll[] = {"user32",  "kernel32", "gdi32", "advapi32",
                            "shell32", "comdlg32", "winmm", "version"};
const char* const kParamName[] = {"hwnd",
                                  "hWnd",
                                  "hdc",
                                  "hMenu",
                                  "hInstance",
                                  "lpString",
                                  "lpBuffer",
                                  "nSize",
                                  "nIndex",
                                  "wParam",
                                  "lParam",
                                  "wMsg",
                                  "dwFlags",
                                  "lpRect",
                                  "lpPoint",
                                  "x",
                                  "y",
                                  "cx",
                                  "cy",
                                  "hKey",
                                  "lpSubKey",
                                  "lpValueName",
                                  "lpData",
                                  "cbData",
                                  "lpFileName",
                                  "dwDesiredAccess",
                                  "dwShareMode",
                                  "hFile",
                                  "lpOverlapped",
                                  "nCmdShow",
                                  "uFlags",
                                  "dwMilliseconds",
                                  "hObject",
                                  "crColor"};
const char* const kParamType[] = {"Long",
                                  "Long",
                                  "Long",
                                  "Long",
                                  "String",
                                  "Any",
                                  "Integer",
                                  "Byte",
                                  "RECT",
                                  "POINTAPI",
                                  "SECURITY_ATTRIBUTES",
                                  "OVERLAPPED",
                                  "SIZE",
                                  "Boolean"};
const char* const kTypeStem[] = {"RECT",
                                 "POINT",
                                 "SIZE",
                                 "MSG",
                                 "WNDCLASS",
                                 "OSVERSIONINFO",
                                 "SYSTEMTIME",
                                 "FILETIME",
                                 "SECURITY_ATTRIBUTES",
                                 "OVERLAPPED",
                                 "LOGFONT",
                                 "TEXTMETRIC",
                                 "BITMAP",
                                 "BITMAPINFOHEADER",
                                 "RGBQUAD",
                                 "PAINTSTRUCT",
                                 "WINDOWPLACEMENT",
                                 "MENUITEMINFO",
                                 "SCROLLINFO",
                                 "OPENFILENAME",
                                 "CHOOSECOLOR",
                                 "PRINTDLG",
                                 "DEVMODE",
                                 "STARTUPINFO",
                                 "PROCESS_INFORMATION",
                                 "MEMORYSTATUS",
                                 "WIN32_FIND_DATA",
                                 "BY_HANDLE_FILE_INFORMATION",
                                 "NOTIFYICONDATA",
                                 "SHFILEOPSTRUCT",
                                 "BROWSEINFO",
                                 "TOOLINFO",
                                 "LVITEM",
                                 "LVCOLUMN",
                                 "TVITEM",
                                 "TVINSERTSTRUCT",
                                 "HDITEM",
                                 "TCITEM",
                                 "REBARBANDINFO",
                                 "NMHDR"};
const char* const kMemberName[] = {"cbSize",
                                   "dwSize",
                                   "hwnd",
                                   "message",
                                   "wParam",
                                   "lParam",
                                   "time",
                                   "pt",
                                   "Left",
                                   "Top",
                                   "Right",
                                   "Bottom",
                                   "x",
                                   "y",
                                   "cx",
                                   "cy",
                                   "dwFlags",
                                   "fMask",
                                   "lpszText",
                                   "szName",
                                   "hInstance",
                                   "hIcon",
                                   "hCursor",
                                   "style",
                                   "wYear",
                                   "wMonth",
                                   "wDay",
                                   "wHour",
                                   "wMinute",
                                   "wSecond",
                                   "dwLowDateTime",
                                   "dwHighDateTime",
                                   "nLength",
                                   "bInheritHandle",
                                   "lfHeight",
                                   "lfWidth",
                                   "lfWeight",
                                   "lfFaceName",
                                   "iItem",
                                   "iSubItem",
                                   "pszText",
                                   "cchTextMax",
                                   "lpfnWndProc",
                                   "cbClsExtra",
                                   "cbWndExtra"};
const char* const kMemberType[] = {"Long",        "Long", "Long",     "Integer",  "Byte",   "String * 260",
                                   "String * 32", "RECT", "POINTAPI", "FILETIME", "Boolean"};
// Comments the way Japanese declaration files carry them; several hold bytes whose
// trail byte is 0x5C (表, ソ, 能), the classic trap for Shift_JIS decoders.
const char* const kComment[] = {"ウィンドウの表示状態",
                                "何もしないメッセージ",
                                "再描画の要求",
                                "ｽﾄｯﾌﾟ ｱｲｺﾝ",
                                "ソート済みの一覧",
                                "使用可能なメモリ",
                                "戻り値は 0 以外で成功",
                                "文字列バッファーの長さ",
                                "ハンドルを閉じること",
                                "座標はピクセル単位",
                                "構造体のサイズを設定する",
                                "ファイル名 (フルパス)"};
const char* const kSection[] = {"---- 定数 ----",       "---- 関数 ----",     "---- 型 ----",
                                "ウィンドウ関連",       "ファイル操作",       "レジストリ",
                                "グラフィックス (GDI)", "表示とソートの設定", "メモリ管理"};

class Writer
{
public:
    explicit Writer(const char* path)
        : m_file(std::fopen(path, "wb"))
        , m_rng(0x45b2d1c3a9e7f001ull)
    {
        if (!m_file) {
            std::perror(path);
            std::exit(2);
        }
        std::setvbuf(m_file, nullptr, _IOFBF, 1 << 20);
        for (const char* c : kComment)
            m_comments.push_back(encodeCp932(QString::fromUtf8(c)).toStdString());
        for (const char* c : kSection)
            m_sections.push_back(encodeCp932(QString::fromUtf8(c)).toStdString());
    }
    ~Writer()
    {
        if (std::fclose(m_file) != 0) {
            std::perror("write");
            std::exit(2);
        }
    }

    long long lines() const { return m_lines; }
    long long bytes() const { return m_bytes; }
    Rng& rng() { return m_rng; }

    void commentLine()
    {
        if (m_rng.chance(0.3)) {
            put(std::string());
            return;
        }
        put("' " + m_sections[m_rng.below(m_sections.size())]);
    }

    void constant()
    {
        std::string line = "Public Const ";
        line += m_rng.pick(kConstPrefix);
        line += '_';
        line += m_rng.pick(kConstWord);
        if (m_rng.chance(0.5)) {
            line += '_';
            line += m_rng.pick(kConstWord);
        }
        line += " = ";
        const size_t shape = m_rng.below(10);
        char value[48];
        if (shape < 6)
            std::snprintf(value, sizeof value, "&H%llX", (unsigned long long)m_rng.below(0x10000));
        else if (shape < 8)
            std::snprintf(value, sizeof value, "%d&", int(m_rng.below(20000)) - 100);
        else if (shape < 9)
            std::snprintf(value, sizeof value, "(-%d)", int(m_rng.below(30)) + 1);
        else
            std::snprintf(value, sizeof value, "\"%s\\%s\"", m_rng.pick(kNoun), m_rng.pick(kNoun));
        line += value;
        maybeComment(line, 0.15);
        put(line);
    }

    std::string procName()
    {
        std::string name = m_rng.pick(kVerb);
        name += m_rng.pick(kNoun);
        name += m_rng.pick(kNounTail);
        return name;
    }

    // A Declare line without parameters: lists of millions of names stay small on disk.
    void bareDeclare(const std::string& name) { put("Declare Sub " + name + " Lib \"user32\" ()"); }

    void declare(const std::string& name)
    {
        const bool function = m_rng.chance(0.8);
        std::string line = function ? "Declare Function " : "Declare Sub ";
        line += name;
        line += " Lib \"";
        line += m_rng.pick(kDll);
        line += '"';
        if (m_rng.chance(0.4)) {
            line += " Alias \"" + name + (m_rng.chance(0.7) ? "A" : "W") + '"';
        }
        line += " (";
        const size_t params = m_rng.below(8);
        for (size_t i = 0; i < params; ++i) {
            if (i)
                line += ", ";
            const char* type = m_rng.pick(kParamType);
            // Records go by reference; numbers and strings mostly by value.
            const bool record = std::isupper(static_cast<unsigned char>(type[1])) != 0;
            if (!record && m_rng.chance(0.8))
                line += "ByVal ";
            line += m_rng.pick(kParamName);
            line += " As ";
            line += type;
        }
        line += ')';
        if (function)
            line += " As Long";
        maybeComment(line, 0.1);
        put(line);
    }

    // A type name no earlier one equals in any letter case: the converter refuses those.
    std::string typeName()
    {
        const size_t stem = m_rng.below(std::size(kTypeStem));
        const int n = ++m_typeUses[stem];
        std::string name = kTypeStem[stem];
        if (n > 1)
            name += '_' + std::to_string(n);
        return name;
    }

    void typeBlock(size_t members)
    {
        std::string header = "Type " + typeName();
        maybeComment(header, 0.3);
        put(header);
        for (size_t i = 0; i < members; ++i) {
            std::string line = "    ";
            line += m_rng.pick(kMemberName);
            line += " As ";
            line += m_rng.pick(kMemberType);
            maybeComment(line, 0.1);
            put(line);
        }
        put("End Type");
    }

    // One "slot" of a realistic mix; never writes more than `room` lines.
    void mixed(long long room)
    {
        const double r = double(m_rng.next() >> 11) / double(1ull << 53);
        if (r < 0.03)
            commentLine();
        else if (r < 0.55)
            constant();
        else if (r < 0.975 || room < 3)
            declare(procName());
        else
            typeBlock(std::min<size_t>(2 + m_rng.below(15), size_t(room - 2)));
    }

    // Any line, with a comment after it now and then.
    void line(std::string text, double commentChance)
    {
        maybeComment(text, commentChance);
        put(text);
    }

private:
    void maybeComment(std::string& line, double p)
    {
        if (m_rng.chance(p))
            line += " ' " + m_comments[m_rng.below(m_comments.size())];
    }

    void put(const std::string& line)
    {
        std::fwrite(line.data(), 1, line.size(), m_file);
        std::fwrite("\r\n", 1, 2, m_file);
        ++m_lines;
        m_bytes += (long long)line.size() + 2;
    }

    std::FILE* m_file;
    Rng m_rng;
    std::vector<std::string> m_comments;
    std::vector<std::string> m_sections;
    // The stems are upper case and the suffixes digits, so distinct names stay
    // distinct in any letter case.
    int m_typeUses[std::size(kTypeStem)] = {};
    long long m_lines = 0;
    long long m_bytes = 0;
};

// Procedure names for the browsing benchmarks, distinct so the list is as long as
// the kind. The verbs, nouns and tails give about 270,000; numbered nouns, as in
// "GetWindow12", give the millions.
std::vector<std::string> distinctProcNames(Rng& rng, size_t count, bool numbered = false)
{
    std::unordered_set<std::string> seen;
    std::vector<std::string> names;
    names.reserve(count);
    const char* const suffixes[] = {"", "A", "W", "Ex", "ExA", "ExW", "2", "32"};
    while (names.size() < count) {
        std::string name = rng.pick(kVerb);
        name += rng.pick(kNoun);
        if (numbered)
            name += std::to_string(rng.below(1000));
        name += rng.pick(kNounTail);
        name += rng.pick(suffixes);
        if (seen.insert(name).second)
            names.push_back(name);
    }
    return names;
}

void browse(const char* out)
{
    constexpr size_t kProcs = 100000;
    constexpr size_t kConsts = 20000;
    constexpr size_t kTypes = 10000;
    constexpr size_t kMembers = 100000;
    Writer w(out);
    const std::vector<std::string> procs = distinctProcNames(w.rng(), kProcs);
    size_t p = 0, c = 0, t = 0, m = 0, spread = 0;
    while (p < kProcs || c < kConsts || t < kTypes) {
        const size_t r = w.rng().below(13);
        if (r < 1) {
            w.commentLine();
        } else if (r < 3 && c < kConsts) {
            w.constant();
            ++c;
        } else if (r < 4 && t < kTypes) {
            // Between 2 and 18 members; pairs of types balance out, so the total
            // is exactly kMembers.
            const size_t mean = kMembers / kTypes;
            if (t % 2 == 0)
                spread = w.rng().below(mean - 1);
            const size_t n = t % 2 == 0 ? mean + spread : mean - spread;
            w.typeBlock(n);
            m += n;
            ++t;
        } else if (p < kProcs) {
            w.declare(procs[p++]);
        }
    }
}

void names(long long count, const char* out)
{
    Writer w(out);
    for (const std::string& name : distinctProcNames(w.rng(), size_t(count), count > 100000))
        w.bareDeclare(name);
}

// Writes items and comment lines mixed, exactly `comments` of those.
template <typename Item> void interleave(Writer& w, size_t items, size_t comments, Item item)
{
    for (size_t i = 0; i < items;) {
        if (w.rng().below(items - i + comments) < comments) {
            w.commentLine();
            --comments;
        } else {
            item(i++);
        }
    }
    for (; comments > 0; --comments)
        w.commentLine();
}

// A file of the size users convert, in exactly 16,000 lines. Constants are defined
// by earlier ones, members use earlier types and constants (nested records, array
// bounds, fixed-length strings) and declarations take the types, so that copying
// with the used declarations has a realistic web to walk.
void uses(const char* out)
{
    constexpr size_t kConsts = 6000;
    constexpr size_t kProcs = 1500;
    constexpr size_t kTypes = 400;
    constexpr size_t kMembers = 6000;
    constexpr size_t kLines = 16000;
    constexpr size_t kComments = kLines - kConsts - kProcs - 2 * kTypes - kMembers;
    const char* const plain[] = {"Long", "Long", "Long", "Integer", "Byte", "Boolean", "String"};
    Writer w(out);
    Rng& rng = w.rng();

    std::unordered_set<std::string> seen;
    std::vector<std::string> consts;
    while (consts.size() < kConsts) {
        std::string name = std::string(rng.pick(kConstPrefix)) + '_' + rng.pick(kConstWord);
        if (rng.chance(0.5))
            name += std::string("_") + rng.pick(kConstWord);
        if (seen.insert(name).second)
            consts.push_back(name);
    }
    std::vector<std::string> types;
    for (size_t t = 0; t < kTypes; ++t)
        types.push_back(w.typeName());
    const std::vector<std::string> procs = distinctProcNames(rng, kProcs);
    const auto anyConst = [&] { return consts[rng.below(kConsts)]; };

    interleave(w, kConsts, kComments / 3, [&](size_t c) {
        std::string value;
        const size_t shape = rng.below(10);
        if (c > 0 && shape < 3)
            value = "(" + consts[rng.below(c)] + " Or " + consts[rng.below(c)] + ")";
        else if (c > 0 && shape < 4)
            value = "(" + consts[rng.below(c)] + " Or &H" + std::to_string(rng.below(100)) + "&)";
        else if (shape < 9)
            value = "&H" + std::to_string(rng.below(0x10000));
        else
            value = std::string("\"") + rng.pick(kNoun) + '"';
        w.line("Public Const " + consts[c] + " = " + value, 0.1);
    });
    size_t spread = 0;
    interleave(w, kTypes, kComments / 6, [&](size_t t) {
        w.line("Type " + types[t], 0.2);
        // Pairs of types balance out, so the total is exactly kMembers.
        const size_t mean = kMembers / kTypes;
        if (t % 2 == 0)
            spread = rng.below(mean - 1);
        const size_t members = t % 2 == 0 ? mean + spread : mean - spread;
        for (size_t m = 0; m < members; ++m) {
            std::string member = std::string("    ") + rng.pick(kMemberName);
            const size_t shape = rng.below(20);
            if (t > 0 && shape < 3)
                member += " As " + types[rng.below(t)];
            else if (shape < 5)
                member += " As String * " + anyConst();
            else if (shape < 7)
                member +=
                    "(" + anyConst() + ") As " + (t > 0 && rng.chance(0.5) ? types[rng.below(t)] : "Long");
            else
                member += std::string(" As ") + rng.pick(plain);
            w.line(member, 0.05);
        }
        w.line("End Type", 0);
    });
    interleave(w, kProcs, kComments - kComments / 3 - kComments / 6, [&](size_t p) {
        std::string line = "Declare Function " + procs[p] + " Lib \"" + rng.pick(kDll) + "\" (";
        const size_t params = rng.below(6);
        for (size_t i = 0; i < params; ++i) {
            line += i ? ", " : "";
            if (rng.chance(0.3))
                line += std::string("lp") + rng.pick(kParamName) + " As " + types[rng.below(kTypes)];
            else
                line += std::string("ByVal ") + rng.pick(kParamName) + " As " + rng.pick(plain);
        }
        w.line(line + ") As Long", 0.1);
    });
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "lines") == 0) {
        const long long count = std::atoll(argv[2]);
        Writer w(argv[3]);
        while (w.lines() < count)
            w.mixed(count - w.lines());
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "bytes") == 0) {
        const long long size = std::atoll(argv[2]);
        Writer w(argv[3]);
        while (w.bytes() < size)
            w.mixed(1000);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "names") == 0) {
        names(std::atoll(argv[2]), argv[3]);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "browse") == 0) {
        browse(argv[2]);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "uses") == 0) {
        uses(argv[2]);
        return 0;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
