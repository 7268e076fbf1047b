// The test driver: a console program that runs under the same wineserver as
// the game and drives and reads it from outside, as a player and a screen
// reader would. It answers one line for every line of input:
//   "ok ..." or "err <reason>".
// Texts travel as UTF-8; window handles and numbers in decimal.
//
// Commands (see tests/e2e/harness.cpp for the caller):
//   attach                       find the game's main window (class Win32Bexa)
//   title                        the main window's title
//   geometry                     window rect, client size, status bar rect in client coordinates
//   status                       the status bar parts' texts, tab-separated
//   menu <id>                    GetMenuState of a command inside the game (probe)
//   gdi                          live GDI objects of the game (probe)
//   menupos <pos>                screen centre of a menu-bar item (probe)
//   font <id>                    the font a control of the game's open dialog (0: the dialog)
//                                draws with: charset, glyphs missing from its text,
//                                1 if the text fits the control, height in pixels (probe)
//   activate [hwnd]              bring the main window (or hwnd) to the foreground
//   key <vk> [ctrl|shift|alt]... press and release a key, modifiers held around it
//   down <vk> / up <vk>          key down alone (repeats when sent again) / key up
//   click <x> <y>                left mouse click at screen coordinates
//   clickitem <hwnd> <id>        left mouse click in the middle of a dialog control
//   closebox                     left mouse click on the main window's close box
//   capture <x> <y> <w> <h> <file>  client-area pixels of the main window to a PPM file
//   screenshot <file>            the whole screen to a PPM file
//   windows                      other visible top-level windows of the game: hwnd,class,enabled
//   boxes                        visible dialog boxes of any process (before attach, when the
//                                game may have no main window): hwnd,class,enabled
//   texts <hwnd>                 caption and children id=text, tab-separated
//   itemtext <hwnd> <id>         a control's text
//   settext <hwnd> <id> <text>   WM_SETTEXT on a control
//   command <hwnd> <id>          post WM_COMMAND id (BN_CLICKED) to a window
//   alive                        the main window answers a message within 2 s
//   quit
// windows.h first: the other Windows headers build on it.
#include <windows.h>

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "probe_protocol.h"

static HWND mainWindow;
static DWORD gameProcessId, gameThreadId;
static HANDLE gameProcess;
static HHOOK probeHookHandle;
static UINT probeMessage;

static std::string toUtf8(const wchar_t* text, int length = -1) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, 0, 0, 0, 0);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], size, 0, 0);
    if (length < 0 && !out.empty()) out.resize(out.size() - 1); // the terminator
    return out;
}

static std::wstring fromUtf8(const char* text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, 0, 0);
    std::wstring out(size > 0 ? size : 1, L'\0');
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, text, -1, &out[0], size);
    out.resize(out.size() - 1);
    return out;
}

static std::string windowText(HWND window) {
    wchar_t buffer[1024];
    const LRESULT n = SendMessageW(window, WM_GETTEXT, 1024, (LPARAM)buffer);
    return toUtf8(buffer, (int)n);
}

static std::string className(HWND window) {
    wchar_t buffer[256];
    const int n = GetClassNameW(window, buffer, 256);
    return toUtf8(buffer, n);
}

static void reply(const std::string& line) {
    fputs(line.c_str(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

static std::string number(long long value) {
    char text[32];
    snprintf(text, sizeof text, "%lld", value);
    return text;
}

// ---- the probe inside the game --------------------------------------------

static bool hookProbe() {
    if (probeHookHandle) return true;
    HMODULE probe = LoadLibraryW(L"bexaran-probe.dll");
    if (!probe) return fprintf(stderr, "driver: probe not loaded (%lu)\n", GetLastError()), false;
    HOOKPROC hook = (HOOKPROC)(void*)GetProcAddress(probe, "probeHook");
    if (!hook) return fprintf(stderr, "driver: probe has no hook\n"), false;
    probeHookHandle = SetWindowsHookExW(WH_CALLWNDPROC, hook, probe, gameThreadId);
    if (!probeHookHandle) fprintf(stderr, "driver: hook not set (%lu)\n", GetLastError());
    return probeHookHandle != 0;
}

static bool askProbe(int query, int argument, LPARAM* result) {
    if (!hookProbe()) return false;
    const WPARAM key = ((WPARAM)query << 16) | (WPARAM)(argument & 0xFFFF);
    // Posted answers to earlier, timed-out questions must not be taken for this one.
    MSG stale;
    while (PeekMessageW(&stale, (HWND)-1, probeMessage, probeMessage, PM_REMOVE)) {
    }
    DWORD_PTR ignored;
    if (!SendMessageTimeoutW(mainWindow, probeMessage, key, (LPARAM)GetCurrentThreadId(),
                             SMTO_NORMAL, 3000, &ignored))
        return false;
    const DWORD until = GetTickCount() + 3000;
    while ((int)(until - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageW(&message, (HWND)-1, probeMessage, probeMessage, PM_REMOVE)) {
            if (message.wParam == key) {
                *result = message.lParam;
                return true;
            }
        }
        MsgWaitForMultipleObjects(0, 0, FALSE, 50, QS_POSTMESSAGE);
    }
    return false;
}

// ---- input -------------------------------------------------------------------

static bool isExtendedKey(WORD vk) {
    switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_RCONTROL:
    case VK_RMENU:
        return true;
    }
    return false;
}

static void sendKey(WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = (WORD)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (isExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &input, sizeof input);
}

static void clickAt(int x, int y) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input[3] = {};
    for (INPUT& i : input)
        i.type = INPUT_MOUSE;
    input[0].mi.dx = (LONG)((x * 65535LL + width / 2) / (width - 1));
    input[0].mi.dy = (LONG)((y * 65535LL + height / 2) / (height - 1));
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &input[0], sizeof(INPUT));
    Sleep(30);
    SendInput(1, &input[1], sizeof(INPUT));
    Sleep(30);
    SendInput(1, &input[2], sizeof(INPUT));
}

// ---- pixels --------------------------------------------------------------------

// Copies w x h pixels at (x, y) of a device context to a binary PPM file.
static bool capture(HDC source, int x, int y, int w, int h, const char* file) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = 0;
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, 0, 0);
    if (!bitmap) return false;
    HDC memory = CreateCompatibleDC(source);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const BOOL copied = BitBlt(memory, 0, 0, w, h, source, x, y, SRCCOPY);
    GdiFlush();
    bool written = false;
    FILE* out = copied ? fopen(file, "wb") : 0;
    if (out) {
        fprintf(out, "P6\n%d %d\n255\n", w, h);
        std::vector<unsigned char> row(w * 3);
        const unsigned char* pixels = (const unsigned char*)bits;
        for (int r = 0; r < h; ++r) {
            const unsigned char* p = pixels + (size_t)r * w * 4; // B G R x
            for (int c = 0; c < w; ++c) {
                row[c * 3] = p[c * 4 + 2];
                row[c * 3 + 1] = p[c * 4 + 1];
                row[c * 3 + 2] = p[c * 4];
            }
            fwrite(row.data(), 1, row.size(), out);
        }
        written = fclose(out) == 0;
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return written;
}

// ---- windows of the game ---------------------------------------------------------

struct WindowList {
    std::vector<HWND> windows;
};

static BOOL CALLBACK collectGameWindow(HWND window, LPARAM list) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == gameProcessId && window != mainWindow && IsWindowVisible(window))
        ((WindowList*)list)->windows.push_back(window);
    return TRUE;
}

static BOOL CALLBACK collectDialog(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && className(window) == "#32770")
        ((WindowList*)list)->windows.push_back(window);
    return TRUE;
}

static std::string listWindows(const WindowList& list) {
    std::string out = "ok";
    for (size_t i = 0; i < list.windows.size(); ++i) {
        HWND x = list.windows[i];
        out += (i ? "\t" : " ") + number((ULONG_PTR)x) + "," + className(x) + "," +
               (IsWindowEnabled(x) ? "1" : "0");
    }
    return out;
}

static BOOL CALLBACK collectChild(HWND window, LPARAM list) {
    ((WindowList*)list)->windows.push_back(window);
    return TRUE;
}

static bool attach() {
    HWND window = FindWindowW(L"Win32Bexa", 0);
    if (!window || !IsWindowVisible(window)) return false;
    mainWindow = window;
    gameThreadId = GetWindowThreadProcessId(window, &gameProcessId);
    gameProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, gameProcessId);
    return gameProcess != 0;
}

static std::string statusTexts() {
    HWND bar = GetDlgItem(mainWindow, 200);
    if (!bar) return "err no status bar";
    const int parts = (int)SendMessageW(bar, SB_GETPARTS, 0, 0);
    const SIZE_T room = 1024 * sizeof(wchar_t);
    void* remote = VirtualAllocEx(gameProcess, 0, room, MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return "err VirtualAllocEx";
    std::string out = "ok ";
    for (int i = 0; i < parts; ++i) {
        std::vector<wchar_t> zero(1024, 0);
        WriteProcessMemory(gameProcess, remote, zero.data(), room, 0);
        const LRESULT result = SendMessageW(bar, SB_GETTEXTW, i, (LPARAM)remote);
        const int length = LOWORD(result) < 1023 ? LOWORD(result) : 1023;
        wchar_t text[1024] = {};
        SIZE_T read = 0;
        ReadProcessMemory(gameProcess, remote, text, room, &read);
        if (i) out += '\t';
        out += toUtf8(text, length);
    }
    VirtualFreeEx(gameProcess, remote, 0, MEM_RELEASE);
    return out;
}

static std::string geometry() {
    RECT window, client, bar;
    GetWindowRect(mainWindow, &window);
    GetClientRect(mainWindow, &client);
    HWND status = GetDlgItem(mainWindow, 200);
    std::string out = "ok " + number(window.left) + " " + number(window.top) + " " +
                      number(window.right) + " " + number(window.bottom) + " " +
                      number(client.right) + " " + number(client.bottom);
    if (status) {
        GetWindowRect(status, &bar);
        MapWindowPoints(0, mainWindow, (POINT*)&bar, 2);
        out += " " + number(bar.left) + " " + number(bar.top) + " " + number(bar.right) + " " +
               number(bar.bottom) + " " + className(status);
    }
    return out;
}

static bool clickCloseBox() {
    RECT r;
    GetWindowRect(mainWindow, &r);
    // Walk the caption row from the right edge until the frame reports the close box.
    for (int y = r.top + 2; y < r.top + 40; y += 2) {
        for (int x = r.right - 2; x > r.right - 80; x -= 2) {
            DWORD_PTR hit = 0;
            SendMessageTimeoutW(mainWindow, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_NORMAL, 1000,
                                &hit);
            if (hit == HTCLOSE) {
                clickAt(x, y);
                return true;
            }
        }
    }
    return false;
}

// ---- the command loop --------------------------------------------------------------

static std::vector<std::string> split(const std::string& line, size_t limit) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i >= line.size()) break;
        if (words.size() + 1 == limit) {
            words.push_back(line.substr(i));
            break;
        }
        size_t j = line.find(' ', i);
        if (j == std::string::npos) j = line.size();
        words.push_back(line.substr(i, j - i));
        i = j;
    }
    return words;
}

static HWND handleOf(const std::string& word) {
    return (HWND)(ULONG_PTR)strtoull(word.c_str(), 0, 10);
}

// Each command gets the line's words (w[0] is its name) and the line itself.
typedef std::vector<std::string> Words;

static std::string commandAttach(const Words&, const std::string&) {
    if (!attach()) return "err no game window";
    return "ok " + number((ULONG_PTR)mainWindow) + " " + number(gameProcessId);
}

static std::string commandBoxes(const Words&, const std::string&) {
    WindowList list;
    EnumWindows(collectDialog, (LPARAM)&list);
    return listWindows(list);
}

static std::string commandTexts(const Words& w, const std::string&) {
    HWND dialog = handleOf(w[1]);
    if (!IsWindow(dialog)) return "err no such window";
    WindowList children;
    EnumChildWindows(dialog, collectChild, (LPARAM)&children);
    std::string out = "ok " + windowText(dialog);
    for (HWND child : children.windows)
        out += "\t" + number(GetDlgCtrlID(child)) + "=" + windowText(child);
    return out;
}

static std::string commandKey(const Words& w, const std::string&) {
    const WORD vk = (WORD)atoi(w[1].c_str());
    std::vector<WORD> mods;
    for (size_t i = 2; i < w.size(); ++i)
        mods.push_back(w[i] == "ctrl" ? VK_CONTROL : w[i] == "shift" ? VK_SHIFT : VK_MENU);
    for (WORD m : mods)
        sendKey(m, false);
    sendKey(vk, false);
    sendKey(vk, true);
    for (size_t i = mods.size(); i-- > 0;)
        sendKey(mods[i], true);
    return "ok";
}

static std::string commandClickItem(const Words& w, const std::string&) {
    HWND item = GetDlgItem(handleOf(w[1]), atoi(w[2].c_str()));
    if (!item) return "err no such control";
    RECT r;
    GetWindowRect(item, &r);
    clickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return "ok";
}

static std::string commandScreenshot(const Words& w, const std::string&) {
    HDC dc = GetDC(0);
    const bool done = capture(dc, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                              GetSystemMetrics(SM_CYSCREEN), w[1].c_str());
    ReleaseDC(0, dc);
    return done ? "ok" : "err capture failed";
}

static std::string commandTitle(const Words&, const std::string&) {
    wchar_t title[512];
    const int n = GetWindowTextW(mainWindow, title, 512);
    return "ok " + toUtf8(title, n);
}

static std::string commandGeometry(const Words&, const std::string&) {
    return geometry();
}

static std::string commandStatus(const Words&, const std::string&) {
    return statusTexts();
}

static std::string probeAnswer(int query, const Words& w) {
    LPARAM result = 0;
    if (!askProbe(query, w.size() > 1 ? atoi(w[1].c_str()) : 0, &result))
        return "err probe did not answer";
    if (query == ProbeQueryMenuItemRect)
        return "ok " + number((short)LOWORD(result)) + " " + number((short)HIWORD(result));
    if (query == ProbeQueryControlFont) {
        if (result == -1) return "err no such dialog";
        return "ok " + number(result & 0xFF) + " " + number((result >> 8) & 0x7F) + " " +
               number((result >> 15) & 1) + " " + number((result >> 16) & 0x7FFF);
    }
    return "ok " + number((long)result);
}

static std::string commandMenu(const Words& w, const std::string&) {
    return probeAnswer(ProbeQueryMenuState, w);
}

static std::string commandGdi(const Words& w, const std::string&) {
    return probeAnswer(ProbeQueryGdiObjects, w);
}

static std::string commandMenuPos(const Words& w, const std::string&) {
    return probeAnswer(ProbeQueryMenuItemRect, w);
}

static std::string commandFont(const Words& w, const std::string&) {
    return probeAnswer(ProbeQueryControlFont, w);
}

static std::string commandActivate(const Words& w, const std::string&) {
    HWND target = w.size() > 1 ? handleOf(w[1]) : mainWindow;
    SetForegroundWindow(target);
    return GetForegroundWindow() == target ? "ok" : "err not in the foreground";
}

static std::string commandDown(const Words& w, const std::string&) {
    sendKey((WORD)atoi(w[1].c_str()), false);
    return "ok";
}

static std::string commandUp(const Words& w, const std::string&) {
    sendKey((WORD)atoi(w[1].c_str()), true);
    return "ok";
}

static std::string commandClick(const Words& w, const std::string&) {
    clickAt(atoi(w[1].c_str()), atoi(w[2].c_str()));
    return "ok";
}

static std::string commandCloseBox(const Words&, const std::string&) {
    return clickCloseBox() ? "ok" : "err no close box";
}

static std::string commandCapture(const Words& w, const std::string&) {
    HDC dc = GetDC(mainWindow);
    const bool done = capture(dc, atoi(w[1].c_str()), atoi(w[2].c_str()), atoi(w[3].c_str()),
                              atoi(w[4].c_str()), w[5].c_str());
    ReleaseDC(mainWindow, dc);
    return done ? "ok" : "err capture failed";
}

static std::string commandWindows(const Words&, const std::string&) {
    WindowList list;
    EnumWindows(collectGameWindow, (LPARAM)&list);
    return listWindows(list);
}

static std::string commandItemText(const Words& w, const std::string&) {
    HWND item = GetDlgItem(handleOf(w[1]), atoi(w[2].c_str()));
    if (!item) return "err no such control";
    return "ok " + windowText(item);
}

static std::string commandSetText(const Words& w, const std::string& line) {
    // The text is the rest of the line, spaces and all.
    std::vector<std::string> parts = split(line, 4);
    HWND item = GetDlgItem(handleOf(w[1]), atoi(w[2].c_str()));
    if (!item) return "err no such control";
    std::wstring text = fromUtf8(parts.size() > 3 ? parts[3].c_str() : "");
    SendMessageW(item, WM_SETTEXT, 0, (LPARAM)text.c_str());
    return "ok";
}

static std::string commandCommand(const Words& w, const std::string&) {
    PostMessageW(handleOf(w[1]), WM_COMMAND, MAKEWPARAM(atoi(w[2].c_str()), BN_CLICKED), 0);
    return "ok";
}

static std::string commandAlive(const Words&, const std::string&) {
    DWORD_PTR ignored;
    if (!IsWindow(mainWindow)) return "err window gone";
    return SendMessageTimeoutW(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored)
               ? "ok"
               : "err not responding";
}

struct DriverCommand {
    const char* name;
    size_t words;       // at least, the name included; fewer is no such command
    bool needsGame;     // only after attach
    std::string (*run)(const Words& w, const std::string& line);
};

// The first six also work before attach: the game may not have its main
// window yet, or only a message box.
static const DriverCommand DriverCommands[] = {
    {"attach", 1, false, commandAttach},
    {"boxes", 1, false, commandBoxes},
    {"texts", 2, false, commandTexts},
    {"key", 2, false, commandKey},
    {"clickitem", 3, false, commandClickItem},
    {"screenshot", 2, false, commandScreenshot},
    {"title", 1, true, commandTitle},
    {"geometry", 1, true, commandGeometry},
    {"status", 1, true, commandStatus},
    {"menu", 1, true, commandMenu},
    {"gdi", 1, true, commandGdi},
    {"menupos", 1, true, commandMenuPos},
    {"font", 1, true, commandFont},
    {"activate", 1, true, commandActivate},
    {"down", 2, true, commandDown},
    {"up", 2, true, commandUp},
    {"click", 3, true, commandClick},
    {"closebox", 1, true, commandCloseBox},
    {"capture", 6, true, commandCapture},
    {"windows", 1, true, commandWindows},
    {"itemtext", 3, true, commandItemText},
    {"settext", 3, true, commandSetText},
    {"command", 3, true, commandCommand},
    {"alive", 1, true, commandAlive},
};

static std::string handle(const std::string& line) {
    Words w = split(line, 64);
    if (w.empty()) return "err empty";
    for (const DriverCommand& command : DriverCommands) {
        if (w[0] != command.name || w.size() < command.words) continue;
        if (command.needsGame && !mainWindow) break;
        return command.run(w, line);
    }
    return mainWindow ? "err unknown command" : "err not attached";
}

int main() {
    probeMessage = RegisterWindowMessageW(ProbeMessageName);
    MSG message;
    PeekMessageW(&message, 0, 0, 0, PM_NOREMOVE); // this thread's queue, for the probe's answers
    char line[4096];
    while (fgets(line, sizeof line, stdin)) {
        size_t n = strlen(line);
        while (n && (line[n - 1] == '\n' || line[n - 1] == '\r'))
            line[--n] = 0;
        if (!strcmp(line, "quit")) break;
        reply(handle(line));
    }
    if (probeHookHandle) UnhookWindowsHookEx(probeHookHandle);
    return 0;
}
