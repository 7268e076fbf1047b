// The move rules of the game, in one place: which cells the keeper may enter,
// which hold a box, what a step in a direction does, and the same step played
// backwards (a pull), which the level generator works with. Pure: no drawing,
// no game state; the animated move, the tools and the solver all decide
// through these functions.
#pragma once
#include "game.h"

// What a step of the keeper does.
enum MoveKind : int32_t {
    MoveBlocked = 0, // a wall, an unknown byte, the board's edge, or a box that cannot move
    MoveWalk = 1,    // onto floor or a goal
    MovePush = 2,    // a box in the next cell slides one cell on
};

struct MoveOutcome {
    MoveKind kind;
    int32_t target;    // the keeper's cell after the step (valid unless blocked)
    int32_t boxTarget; // a pushed box's new cell (MovePush only, else -1)
};

// The next cell in a direction, without regard to the board's edges.
int32_t neighbour(int32_t cell, int32_t direction);
inline bool isOnBoard(int32_t cell) {
    return cell >= 0 && cell < BoardCellCount;
}
// Floor and goal: the keeper may step there and a box may be pushed there.
inline bool isWalkable(unsigned char code) {
    return code == CellCodeFloor || code == CellCodeGoal;
}
inline bool holdsBox(unsigned char code) {
    return code == CellCodeBox || code == CellCodeBoxOnGoal;
}
inline bool isGoalCell(unsigned char code) {
    return code == CellCodeGoal || code == CellCodeBoxOnGoal;
}

// A cell outside the 320 bytes counts as wall, so a board that breaks the
// closed-border rule (a bad saved game, say) is never read out of bounds.
MoveOutcome testStep(const Board* board, int32_t cell, int32_t direction);
// Plays a step that testStep allowed: moves the keeper and any pushed box,
// keeping *boxesLeft (the boxes off goals) up to date. Returns what it did;
// a blocked step changes nothing.
MoveOutcome applyStep(Board* board, int32_t* playerCell, int32_t direction, int32_t* boxesLeft);

// The box cell after the pushed box leaves it, and the code of a cell that a
// box arrives on.
unsigned char cellAfterBoxLeaves(unsigned char code);
unsigned char cellAfterBoxArrives(unsigned char code);

// A pull: the keeper at cell steps one cell in direction and drags the box
// behind him (on the opposite side) into the cell he left. It is exactly a
// push played backwards. 1 when both the keeper's new cell is walkable and a
// box stands behind him.
int testPull(const Board* board, int32_t cell, int32_t direction);
// Plays an allowed pull; *playerCell moves on, the box follows.
void applyPull(Board* board, int32_t* playerCell, int32_t direction);

// The opposite direction (left <-> right, up <-> down).
int32_t oppositeDirection(int32_t direction);
// 'L', 'R', 'U', 'D' for a direction; a direction for such a letter, or -1.
char directionLetter(int32_t direction);
int32_t letterDirection(char letter);
