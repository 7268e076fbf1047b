// The commands that replace the state as a whole: one-step undo, restart,
// new game and the advance to the next level once one is solved.
#include "game.h"
#include "platform.h"

#include <string.h>

UndoSnapshot undoSnapshot;

void takeSnapshot() {
    memcpy(undoSnapshot.board.cells, game.board.cells, BoardCellCount);
    undoSnapshot.level = game.levelIndex;
    undoSnapshot.playerCell = game.playerCell;
    undoSnapshot.boxesLeft = game.boxesLeft;
    undoSnapshot.steps = game.steps;
}

void undoMove() {
    cancelSlide();
    memcpy(game.board.cells, undoSnapshot.board.cells, BoardCellCount);
    game.levelIndex = undoSnapshot.level;
    game.playerCell = undoSnapshot.playerCell;
    game.boxesLeft = undoSnapshot.boxesLeft;
    redrawBoard();
    invalidateArea(nullptr);
    refreshLevelAndBoxes();
    // The snapshot is taken before every move test, so an undo may take back
    // no move at all (a second undo, an undo after a blocked attempt). Restoring
    // the recorded count is one less after a move and unchanged otherwise.
    game.steps = undoSnapshot.steps;
    refreshSteps();
}

void restartLevel() {
    cancelSlide();
    startLevel(game.levelIndex);
    invalidateArea(nullptr);
}

void newGame() {
    cancelSlide();
    game.levelIndex = 0;
    startLevel(0);
    invalidateArea(nullptr);
}

void levelSolved() {
    showCongratulation();
    // A key that was queued before the solved message may have started a move
    // in the solved level; the box keeps ticks coming, but whatever is left
    // of that slide must not run on into the next level.
    cancelSlide();
    game.levelIndex += 1;
    if (game.levelIndex > LevelCount - 1) game.levelIndex = 0;
    startLevel(game.levelIndex);
    invalidateArea(nullptr);
}
