#include "recording_platform.h"

#include "platform.h"

#include <stdarg.h>
#include <stdio.h>

Recorder recorder;

void recorderReset() {
    recorder = Recorder();
    recorder.recording = true;
    recorder.lastKeeperFrame = -1;
}

std::vector<std::string> takeCalls() {
    std::vector<std::string> calls;
    calls.swap(recorder.calls);
    return calls;
}

static void record(const char* format, ...) __attribute__((format(printf, 1, 2)));
static void record(const char* format, ...) {
    if (!recorder.recording) return;
    char text[128];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    recorder.calls.push_back(text);
}

// Sprites move in steps of 8 pixels, so every square drawn, saved or restored
// starts on the 8-pixel grid inside the board.
static void checkSquare(int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x > 608 || y > 480 || x % 8 != 0 || y % 8 != 0)
        recorder.drawsOutsideBoard += 1;
}

static const char* sheetName(Sheet sheet) {
    return sheet == SheetTile ? "tile" : "box";
}
static const char* surfaceName(SaveUnderSurface s) {
    return s == SaveUnderKeeper ? "keeper" : "box";
}

void drawTile(Sheet sheet, int32_t n, int32_t x, int32_t y) {
    checkSquare(x, y);
    recorder.tilesDrawn += 1;
    record("drawTile(%s,%d,%d,%d)", sheetName(sheet), (int)n, (int)x, (int)y);
}
void drawKeeper(int32_t frame, int32_t x, int32_t y) {
    checkSquare(x, y);
    if (frame < 0 || frame > 11) recorder.drawsOutsideBoard += 1;
    recorder.keepersDrawn += 1;
    recorder.lastKeeperFrame = frame;
    record("drawKeeper(%d,%d,%d,%s)", (int)frame, (int)x, (int)y, game.pushing ? "push" : "walk");
}
void saveUnder(SaveUnderSurface surface, int32_t x, int32_t y) {
    checkSquare(x, y);
    record("saveUnder(%s,%d,%d)", surfaceName(surface), (int)x, (int)y);
}
void restoreUnder(SaveUnderSurface surface, int32_t x, int32_t y) {
    checkSquare(x, y);
    record("restoreUnder(%s,%d,%d)", surfaceName(surface), (int)x, (int)y);
}
void invalidateArea(const Rect* area) {
    if (!area) {
        recorder.wholeInvalidations += 1;
        record("invalidate(all)");
        return;
    }
    checkSquare(area->left, area->top);
    if (area->right - area->left != 32 || area->bottom - area->top != 32)
        recorder.drawsOutsideBoard += 1;
    record("invalidate(%d,%d,%d,%d)", (int)area->left, (int)area->top, (int)area->right,
           (int)area->bottom);
}
// The status bar calls record what it would show.
void refreshLevelAndBoxes() {
    recorder.levelRefreshes += 1;
    record("refreshLevelAndBoxes(%d,%d)", (int)game.levelIndex + 1, (int)game.boxesLeft);
}
void refreshSteps() {
    recorder.stepsRefreshes += 1;
    record("refreshSteps(%d)", (int)game.steps);
}
void setUndoEnabled(int enabled) {
    recorder.undoEnabled = enabled;
    record("setUndoEnabled(%d)", enabled);
}
void postLevelSolved() {
    recorder.levelSolvedPosted += 1;
    record("postLevelSolved()");
}
void showCongratulation() {
    record("showCongratulation()");
    if (recorder.onCongratulation) recorder.onCongratulation();
}
