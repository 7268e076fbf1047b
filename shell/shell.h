// Process-wide state and operations of the Windows shell: the window, the
// drawing surfaces and the status bar. Included by shell/*.cpp and by the
// test programs built on them (tests/shell, tests/bench).
#pragma once
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

enum : UINT {
    CommandNewGame = 10001,
    CommandSave = 10002,
    CommandLoad = 10003,
    CommandExit = 10004,
    CommandUndo = 10005,
    CommandRestart = 10006,
    CommandAbout = 10007,
    MessageLevelSolved = WM_USER + 100, // 1124
};

enum {
    ClientWidth = 640,   // 20 cells
    BoardHeight = 512,   // 16 cells; the status bar lies below
    InitialWidth = 645,  // the window's outer size before WM_CREATE resizes it,
    InitialHeight = 550, // and the size of the back buffer
    StatusBarId = 200,
    AnimationTimerId = 0,
    AnimationPeriodMs = 40,
};

extern HINSTANCE instance;
extern HWND mainWindow; // null until CreateWindowExW returns
extern HMENU mainMenu;
extern HWND statusBar;

// Surfaces (surfaces.cpp).
void createSurfaces(HWND window);
void deleteSurfaces();
HBITMAP loadImageResource(UINT resourceId);
extern HDC backBufferDc;

// Status bar (status_bar.cpp).
void createStatusBar(HWND window);

// The file dialogs' shared record (platform_windows.cpp), filled once at creation.
void fillFileDialog(HWND owner);

// Registers the window class, makes the main window and runs the message
// loop until the game ends; returns the exit code (main_window.cpp).
int runMessageLoop(HINSTANCE module, int showCommand);

// Shows a Windows-1251 text and caption as UTF-16; returns MessageBoxW's result.
int showMessage(HWND owner, const char* text, const char* caption, UINT type);
