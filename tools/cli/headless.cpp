#include "headless.h"

#include "rules.h"

void headlessReset() {
    nullPlatformReset();
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
        int32_t direction = letterDirection(*c);
        if (direction >= 0)
            headlessMove(direction);
        else if (*c == 'z' && nullPlatform.undoEnabled) // a grayed Undo delivers nothing
            undoMove();
        else if (*c == 'r')
            restartLevel();
        else if (*c == 'n')
            newGame();
        if (nullPlatform.levelSolvedPosted) break;
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
    fprintf(out, "solved %s\n", nullPlatform.levelSolvedPosted ? "yes" : "no");
}
