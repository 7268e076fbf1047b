// The frame of the game: the entry point with its screen check, the main
// window and its message loop, the window procedure that hands every event to
// the game core, the paint handler and the About dialog.
#include "game/game.h"
#include "game/platform.h"
#include "shell/shell.h"
#include "shell/texts.h"

// After windows.h, which shell.h brings in.
#include <commctrl.h>

HINSTANCE instance;
HWND mainWindow;
HMENU mainMenu;

namespace {

const wchar_t className[] = L"Win32Bexa";
const DWORD windowStyle =
    WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX; // fixed size: no resizing, no maximise

enum {
    MenuId = 10000,
    IconLarge = 2004,
    IconSmall = 2005,
    AboutDialogId = 1000,
    AboutCloseButton = 1001,
    MinimumScreenWidth = 800,
    MinimumScreenHeight = 600,
    TitleCapacity = 64,
};

HACCEL accelerators;

// WM_CREATE: everything the game needs, built in this order.
void onCreate(HWND window) {
    createStatusBar(window);
    RECT bar;
    GetWindowRect(statusBar, &bar);
    int barHeight = bar.bottom - bar.top;

    // A client area of exactly 20 by 16 cells plus the status bar.
    RECT outer;
    SetRect(&outer, 0, 0, ClientWidth, BoardHeight + barHeight);
    AdjustWindowRectEx(&outer, windowStyle, TRUE, 0);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    GetClientRect(window, &client);
    SetWindowPos(statusBar, nullptr, 0, client.bottom - barHeight, client.right - client.left,
                 barHeight, SWP_NOZORDER);

    fillFileDialog(window);
    SetTimer(window, AnimationTimerId, AnimationPeriodMs, nullptr);
    createSurfaces(window);
    startLevel(0);
    takeSnapshot();
    InvalidateRect(window, nullptr, FALSE);
}

// WM_PAINT: the picture is always complete in the back buffer, so painting
// is one copy of the invalid rectangle.
void paintFromBackBuffer(HWND window) {
    RECT update;
    if (!GetUpdateRect(window, &update, TRUE)) return;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    BitBlt(dc, update.left, update.top, update.right - update.left, update.bottom - update.top,
           backBufferDc, update.left, update.top, SRCCOPY);
    EndPaint(window, &paint);
}

// Both ways out end here: the close box (through WM_DESTROY) and Exit.
void stopGame(HWND window) {
    KillTimer(window, AnimationTimerId);
    deleteSurfaces();
    PostQuitMessage(0);
}

// WM_KEYDOWN: the arrows move the keeper; every other key does nothing.
void onKeyDown(WPARAM key) {
    switch (key) {
    case VK_LEFT:
        requestMove(DirectionLeft);
        break;
    case VK_UP:
        requestMove(DirectionUp);
        break;
    case VK_RIGHT:
        requestMove(DirectionRight);
        break;
    case VK_DOWN:
        requestMove(DirectionDown);
        break;
    }
}

// The About box's texts in the template's face and size, but asked for with
// the Cyrillic character set. The dialog manager asks for the face alone, and
// where "MS Sans Serif" is a bitmap font without Cyrillic (Wine's own fonts,
// a Windows whose code page is not 1251) every letter would show as a box.
HFONT aboutFont;

bool realisedWithFace(HFONT font, const wchar_t* face) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    wchar_t realised[LF_FACESIZE];
    bool same = GetTextFaceW(screen, LF_FACESIZE, realised) && !lstrcmpiW(realised, face);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return same;
}

void setCyrillicFont(HWND dialog) {
    LOGFONTW font;
    HFONT templateFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (!templateFont || !GetObjectW(templateFont, sizeof font, &font)) return;
    font.lfCharSet = RUSSIAN_CHARSET;
    aboutFont = CreateFontIndirectW(&font);
    // Where the face has no Cyrillic at all, the font mapper takes any font
    // that has, often one too wide for the texts' boxes (Wine: DejaVu Sans,
    // and the last line of each text is cut off). The system's dialog face,
    // made for such boxes, then stands in at the same size.
    if (aboutFont && !realisedWithFace(aboutFont, font.lfFaceName)) {
        DeleteObject(aboutFont);
        lstrcpyW(font.lfFaceName, L"MS Shell Dlg");
        aboutFont = CreateFontIndirectW(&font);
    }
    if (!aboutFont) return;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(aboutFont), FALSE);
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        setCyrillicFont(dialog);
        return FALSE; // as before: the dialog manager's own focus choice is not asked for
    case WM_DESTROY:
        // The controls go right after this and paint no more; the dialog
        // itself keeps the template's font, which the dialog manager frees.
        if (aboutFont) DeleteObject(aboutFont);
        aboutFont = nullptr;
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_COMMAND:
        // Only the button closes it; Esc's cancel command is swallowed.
        if (HIWORD(wParam) == 0 && wParam == AboutCloseButton) SendMessageW(dialog, WM_CLOSE, 0, 0);
        return TRUE;
    }
    return FALSE;
}

// WM_COMMAND: menu items and their accelerators alike, by the low word.
void onCommand(HWND window, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case CommandNewGame:
        newGame();
        break;
    case CommandSave:
        saveGame();
        break;
    case CommandLoad:
        loadGame();
        break;
    case CommandExit:
        stopGame(window);
        break; // the window goes with the process
    case CommandUndo:
        undoMove();
        break;
    case CommandRestart:
        restartLevel();
        break;
    case CommandAbout:
        DialogBoxParamW(instance, MAKEINTRESOURCEW(AboutDialogId), mainWindow, aboutDialogProc, 0);
        break;
    }
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        onCreate(window);
        return 0;
    case WM_PAINT:
        paintFromBackBuffer(window);
        return 0;
    case WM_KEYDOWN:
        onKeyDown(wParam);
        return 0;
    case WM_KEYUP:
        return 0;
    case WM_TIMER:
        advanceSlide();
        return 0;
    case WM_COMMAND:
        onCommand(window, wParam);
        return 0;
    case MessageLevelSolved:
        levelSolved();
        return 0;
    case WM_DESTROY:
        stopGame(window);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerWindowClass(HINSTANCE module) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = module;
    windowClass.hIcon = LoadIconW(module, MAKEINTRESOURCEW(IconLarge));
    windowClass.hIconSm = LoadIconW(module, MAKEINTRESOURCEW(IconSmall));
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEW(MenuId);
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

} // namespace

// Returns the exit code: WM_QUIT's, or 1 when the window cannot be made (the
// loop would otherwise wait for ever for a window that does not exist).
int runMessageLoop(HINSTANCE module, int showCommand) {
    if (!registerWindowClass(module)) {
        showMessage(nullptr, cannotStartText, errorCaption, MB_ICONERROR | MB_OK);
        return 1;
    }
    wchar_t title[TitleCapacity];
    widenWindows1251(windowTitleText, reinterpret_cast<uint16_t*>(title), TitleCapacity);
    mainWindow = CreateWindowExW(0, className, title, windowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                 InitialWidth, InitialHeight, nullptr, nullptr, module, nullptr);
    if (!mainWindow) {
        showMessage(nullptr, cannotStartText, errorCaption, MB_ICONERROR | MB_OK);
        return 1;
    }
    mainMenu = GetMenu(mainWindow);
    accelerators = LoadAcceleratorsW(module, L"MyAccel");
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);

    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        // The keystroke of an accelerator is dispatched too; windowProc ignores it.
        TranslateAcceleratorW(mainWindow, accelerators, &message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    instance = GetModuleHandleW(nullptr);
    unsigned width = GetSystemMetrics(SM_CXSCREEN);
    unsigned height = GetSystemMetrics(SM_CYSCREEN);
    if (width < MinimumScreenWidth || height < MinimumScreenHeight) {
        int answer =
            showMessage(nullptr, screenTooSmallText, screenTooSmallCaption, MB_ICONERROR | MB_OK);
        ExitProcess(answer);
    }
    ExitProcess(runMessageLoop(instance, SW_SHOWNORMAL));
}
