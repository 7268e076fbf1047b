// bexaran_probe.exe: looks at a running bexaran.exe from inside Windows (or
// Wine), where its window class, client size and texts can be seen, then
// closes it. Used by the smoke test; prints what it found, one item a line,
// and exits 0 only when everything is as the game promises.
#include "shell/shell.h"
#include "shell/texts.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {

int failures = 0;

void expect(bool ok, const char* what) {
    printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) ++failures;
}

bool sameAsWindows1251(const wchar_t* shown, const char* text) {
    wchar_t wide[256];
    widenWindows1251(text, reinterpret_cast<uint16_t*>(wide), 256);
    return wcscmp(shown, wide) == 0;
}

} // namespace

// Presses OK on every open message box with this caption; returns how many.
int dismissBoxes(const wchar_t* caption) {
    int count = 0;
    while (HWND box = FindWindowW(L"#32770", caption)) {
        SendMessageW(box, WM_COMMAND, IDOK, 0);
        ++count;
        Sleep(100);
    }
    return count;
}

// bexaran_probe MODE EXE [BOXES]. MODE close or exit: waits for the game's
// window, checks it and ends the game by the close box or the Exit command;
// BOXES "Error Loading PNG" boxes must come first (pictures missing).
// MODE small-screen or no-window: the game must end after its message box.
int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "close";
    const char* exePath = argc > 2 ? argv[2] : nullptr;
    int expectedImageBoxes = argc > 3 ? atoi(argv[3]) : 0;
    const int tries = 600; // 60 s

    // The game must end after one box: the screen check's, or the report
    // that its window could not be made ("Ошибка", error).
    bool smallScreen = strcmp(mode, "small-screen") == 0;
    if (smallScreen || strcmp(mode, "no-window") == 0) {
        const wchar_t* caption =
            smallScreen ? L"Can't continue!" : L"\u041e\u0448\u0438\u0431\u043a\u0430";
        int boxes = 0;
        for (int i = 0; i < tries && boxes == 0; ++i) {
            boxes = dismissBoxes(caption);
            if (FindWindowW(L"Win32Bexa", nullptr)) break;
            if (!boxes) Sleep(100);
        }
        expect(boxes == 1, smallScreen ? "the screen check's box"
                                       : "the box saying the window could not be made");
        expect(FindWindowW(L"Win32Bexa", nullptr) == nullptr, "no game window");
        printf("%d failed\n", failures);
        return failures == 0 ? 0 : 1;
    }

    // The window exists while it is being created; it is shown after that.
    HWND window = nullptr;
    int imageBoxes = 0;
    for (int i = 0; i < tries; ++i) {
        imageBoxes += dismissBoxes(L"Error Loading PNG");
        window = FindWindowW(L"Win32Bexa", nullptr);
        if (window && IsWindowVisible(window)) break;
        Sleep(100);
    }
    expect(window != nullptr && IsWindowVisible(window), "a window of class Win32Bexa");
    if (!window) return 1;
    printf("%d \"Error Loading PNG\" boxes\n", imageBoxes);
    expect(imageBoxes == expectedImageBoxes,
           "one \"Error Loading PNG\" box for each missing picture");
    Sleep(500); // let the first paint happen
    HWND bar = FindWindowExW(window, nullptr, L"msctls_statusbar32", nullptr);
    expect(bar != nullptr, "a status bar inside it");
    RECT client = {}, barRect = {};
    GetClientRect(window, &client);
    GetWindowRect(bar, &barRect);
    int barHeight = barRect.bottom - barRect.top;
    printf("client %ld x %ld, status bar %d high\n", client.right, client.bottom, barHeight);
    expect(client.right == 640, "client area 640 wide");
    expect(barHeight > 0 && client.bottom == 512 + barHeight,
           "client area 512 plus the status bar high");

    wchar_t text[256];
    GetWindowTextW(window, text, 256);
    expect(sameAsWindows1251(text, windowTitleText), "the Russian title");
    // WM_GETTEXT is carried across processes; a status bar answers it with part 0.
    SendMessageW(bar, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    expect(wcscmp(text, L"\u0423\u0440\u043e\u0432\u0435\u043d\u044c:  1") == 0,
           "status part 0 reads Уровень:  1");

    // Menu handles belong to their process, so the menu texts are read from
    // the executable's own resource.
    HMODULE exe = exePath ? LoadLibraryExA(exePath, nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr;
    HRSRC found =
        exe ? FindResourceW(exe, MAKEINTRESOURCEW(10000), reinterpret_cast<LPCWSTR>(RT_MENU))
            : nullptr;
    HMENU menu = found ? LoadMenuIndirectW(LockResource(LoadResource(exe, found))) : nullptr;
    expect(menu != nullptr, "menu 10000 in the executable");
    if (menu) {
        GetMenuStringW(menu, 0, text, 256, MF_BYPOSITION);
        expect(wcscmp(text, L"\u0418\u0433\u0440\u0430") == 0, "menu bar entry Игра");
        GetMenuStringW(menu, CommandUndo, text, 256, MF_BYCOMMAND);
        expect(wcscmp(text,
                      L"&\u041e\u0442\u043c\u0435\u043d\u0430 \u0445\u043e\u0434\u0430\tCtrl+Z") ==
                   0,
               "Undo item text");
        UINT undoState = GetMenuState(menu, CommandUndo, MF_BYCOMMAND);
        expect(undoState != 0xFFFFFFFF && (undoState & MF_GRAYED), "Undo grayed at start");
    }

    // A few moves, whatever the pictures: the game goes on.
    const WPARAM keys[] = {VK_UP, VK_LEFT, VK_DOWN, VK_RIGHT};
    for (WPARAM key : keys) {
        PostMessageW(window, WM_KEYDOWN, key, 0);
        Sleep(250);
    }
    expect(IsWindow(window) != FALSE, "still running after some moves");

    // Ends the game one of its two ways: the close box, or the Exit command.
    bool byExitCommand = strcmp(mode, "exit") == 0;
    if (byExitCommand)
        PostMessageW(window, WM_COMMAND, CommandExit, 0);
    else
        PostMessageW(window, WM_CLOSE, 0, 0);
    printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
