#include "tests/shell/fake_display.h"

#include "game/platform.h"

FakeDisplay display;

void resetDisplay() {
    display = FakeDisplay();
    display.lastKeeperFrame = -1;
}

void drawTile(Sheet, int32_t, int32_t, int32_t) {
    ++display.tilesDrawn;
}
void drawKeeper(int32_t frame, int32_t, int32_t) {
    ++display.keepersDrawn;
    display.lastKeeperFrame = frame;
}
void saveUnder(SaveUnderSurface, int32_t, int32_t) {}
void restoreUnder(SaveUnderSurface, int32_t, int32_t) {}
void invalidateArea(const Rect* area) {
    if (!area) ++display.wholeInvalidations;
}
void refreshLevelAndBoxes() {
    ++display.levelRefreshes;
}
void refreshSteps() {
    ++display.stepsRefreshes;
}
void setUndoEnabled(int enabled) {
    display.undoEnabled = enabled;
}
void postLevelSolved() {}
void showCongratulation() {}
