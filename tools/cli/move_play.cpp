#include "move_play.h"

#include "game.h"
#include "rules.h"

void playMove(int32_t direction) {
    requestMove(direction);
    // A slide lasts four ticks; the bound only guards against a core fault.
    for (int tick = 0; game.playerSliding && tick < 8; ++tick)
        advanceSlide();
}

int playMoves(const char* moves, AfterMoveLetter after, void* context) {
    int consumed = 0;
    for (const char* c = moves; *c; ++c) {
        ++consumed;
        int32_t direction = letterDirection(*c);
        bool moved = false;
        if (direction >= 0) {
            int32_t before = game.steps;
            playMove(direction);
            moved = game.steps != before;
        } else if (*c == 'z' && game.undoAvailable) { // a grayed Undo delivers nothing
            undoMove();
        } else if (*c == 'r') {
            restartLevel();
        } else if (*c == 'n') {
            newGame();
        }
        if (after && !after(context, *c, moved)) break;
    }
    return consumed;
}
