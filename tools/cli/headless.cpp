#include "headless.h"

#include "platform.h"

HeadlessPlatform headless;

void drawTile(Sheet, int32_t, int32_t, int32_t) {}
void drawKeeper(int32_t, int32_t, int32_t) {}
void saveUnder(SaveUnderSurface, int32_t, int32_t) {}
void restoreUnder(SaveUnderSurface, int32_t, int32_t) {}
void invalidateArea(const Rect*) {}
void refreshLevelAndBoxes() {}
void refreshSteps() {}
void setUndoEnabled(int enabled) {
    headless.undoEnabled = enabled;
}
void postLevelSolved() {
    headless.levelSolvedPosted += 1;
}
void showCongratulation() {
    headless.congratulationShown += 1;
}

void headlessReset() {
    headless.undoEnabled = 0;
    headless.levelSolvedPosted = 0;
    headless.congratulationShown = 0;
}

void headlessStartGame(int32_t n) {
    game.levelIndex = n;
    startLevel(n);
    takeSnapshot();
}

void headlessMove(int32_t direction) {
    requestMove(direction);
    // A slide lasts four ticks; the bound only guards against a core fault.
    for (int tick = 0; game.playerSliding && tick < 8; ++tick)
        advanceSlide();
}

int headlessPlay(const char* moves) {
    int consumed = 0;
    for (const char* c = moves; *c; ++c) {
        ++consumed;
        switch (*c) {
        case 'L':
            headlessMove(DirectionLeft);
            break;
        case 'R':
            headlessMove(DirectionRight);
            break;
        case 'U':
            headlessMove(DirectionUp);
            break;
        case 'D':
            headlessMove(DirectionDown);
            break;
        case 'z':
            if (headless.undoEnabled) // a grayed Undo delivers nothing
                undoMove();
            break;
        case 'r':
            restartLevel();
            break;
        case 'n':
            newGame();
            break;
        default:
            break;
        }
        if (headless.levelSolvedPosted) break;
    }
    return consumed;
}

void headlessPrintPosition(FILE* out) {
    for (int32_t row = 0; row < BoardRows; ++row) {
        char line[BoardColumns + 1];
        for (int32_t column = 0; column < BoardColumns; ++column) {
            int32_t cell = row * BoardColumns + column;
            char code = (char)game.board.cells[cell];
            if (cell == game.playerCell) code = code == CellCodeGoal ? 'p' : 'P';
            line[column] = code;
        }
        line[BoardColumns] = '\0';
        fprintf(out, "%s\n", line);
    }
    fprintf(out, "level %d\n", (int)game.levelIndex + 1);
    fprintf(out, "boxes %d\n", (int)game.boxesLeft);
    fprintf(out, "steps %d\n", (int)game.steps);
    fprintf(out, "solved %s\n", headless.levelSolvedPosted ? "yes" : "no");
}
