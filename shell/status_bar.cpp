// The status bar along the bottom of the main window: level, boxes off a goal
// and steps, each in its own part.
#include "game/platform.h"
#include "shell/shell.h"
#include "shell/texts.h"

#include <commctrl.h> // after windows.h

HWND statusBar;

namespace {

enum : WPARAM {
    PartLevel = 0,
    PartBoxes = 1,
    PartSteps = 2,
};

void showPart(WPARAM part, const StatusText& text) {
    wchar_t wide[StatusTextCapacity];
    widenWindows1251(text.bytes, reinterpret_cast<uint16_t*>(wide), StatusTextCapacity);
    // The control keeps its own copy of the text.
    SendMessageW(statusBar, SB_SETTEXTW, part | SBT_RTLREADING, reinterpret_cast<LPARAM>(wide));
}

} // namespace

void createStatusBar(HWND window) {
    statusBar = CreateStatusWindowW(WS_CHILD | WS_VISIBLE, nullptr, window, StatusBarId);
    static const int rightEdges[4] = {120, 240, 430, -1}; // the last part reaches the edge
    SendMessageW(statusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(rightEdges));
}

void refreshLevelAndBoxes() {
    writeStatusNumber(&levelText, game.levelIndex + 1); // levels count from 1 on screen
    writeStatusNumber(&boxesText, game.boxesLeft);
    showPart(PartLevel, levelText);
    showPart(PartBoxes, boxesText);
}

void refreshSteps() {
    writeStatusNumber(&stepsText, game.steps);
    showPart(PartSteps, stepsText);
}
