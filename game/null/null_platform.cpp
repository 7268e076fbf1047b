#include "null_platform.h"

#include "platform.h"

NullPlatform nullPlatform;

void nullPlatformReset() {
    nullPlatform = NullPlatform();
}

void drawTile(Sheet, int32_t, int32_t, int32_t) {}
void drawKeeper(int32_t, int32_t, int32_t) {}
void saveUnder(SaveUnderSurface, int32_t, int32_t) {}
void restoreUnder(SaveUnderSurface, int32_t, int32_t) {}
void invalidateArea(const Rect*) {}
void refreshLevelAndBoxes() {}
void refreshSteps() {}
void setUndoEnabled(int enabled) {
    nullPlatform.undoEnabled = enabled;
}
void postLevelSolved() {
    nullPlatform.levelSolvedPosted += 1;
}
void showCongratulation() {
    nullPlatform.congratulationShown += 1;
}

// Without a window there are no dialogs: the tools name their files.
int showSaveDialog(uint32_t) {
    return 0;
}
int showOpenDialog(uint32_t) {
    return 0;
}
void showLoadRefused(SavedGameCheck) {
    nullPlatform.loadRefusalsShown += 1;
}
void showSaveFailed(int) {
    nullPlatform.saveFailuresShown += 1;
}
