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

namespace {

bool untilLevelSolved(void*, char, bool) {
    return !nullPlatform.levelSolvedPosted;
}

} // namespace

int headlessPlay(const char* moves) {
    return playMoves(moves, untilLevelSolved, nullptr);
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
