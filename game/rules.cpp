// The move rules. Everything that decides whether the keeper walks, pushes or
// is blocked lives here; the animation in move.cpp only shows the result.
#include "rules.h"

int32_t neighbour(int32_t cell, int32_t direction) {
    switch (direction) {
    case DirectionLeft:
        return cell - 1;
    case DirectionRight:
        return cell + 1;
    case DirectionUp:
        return cell - BoardColumns;
    default:
        return cell + BoardColumns;
    }
}

MoveOutcome testStep(const Board* board, int32_t cell, int32_t direction) {
    MoveOutcome out = {MoveBlocked, -1, -1};
    int32_t t = neighbour(cell, direction);
    if (!isOnBoard(t)) return out;
    unsigned char target = board->cells[t];
    if (isWalkable(target)) {
        out.kind = MoveWalk;
        out.target = t;
        return out;
    }
    if (!holdsBox(target)) return out; // wall or an unknown byte
    int32_t beyond = neighbour(t, direction);
    if (!isOnBoard(beyond) || !isWalkable(board->cells[beyond])) return out; // one box at a time
    out.kind = MovePush;
    out.target = t;
    out.boxTarget = beyond;
    return out;
}

unsigned char cellAfterBoxLeaves(unsigned char code) {
    return code == CellCodeBoxOnGoal ? CellCodeGoal : CellCodeFloor;
}

unsigned char cellAfterBoxArrives(unsigned char code) {
    return code == CellCodeGoal ? CellCodeBoxOnGoal : CellCodeBox;
}

MoveOutcome applyStep(Board* board, int32_t* playerCell, int32_t direction, int32_t* boxesLeft) {
    MoveOutcome out = testStep(board, *playerCell, direction);
    if (out.kind == MovePush) {
        unsigned char& from = board->cells[out.target];
        unsigned char& to = board->cells[out.boxTarget];
        *boxesLeft += (from == CellCodeBoxOnGoal) - (to == CellCodeGoal);
        from = cellAfterBoxLeaves(from);
        to = cellAfterBoxArrives(to);
    }
    if (out.kind != MoveBlocked) *playerCell = out.target;
    return out;
}

int32_t oppositeDirection(int32_t direction) {
    switch (direction) {
    case DirectionLeft:
        return DirectionRight;
    case DirectionRight:
        return DirectionLeft;
    case DirectionUp:
        return DirectionDown;
    default:
        return DirectionUp;
    }
}

int testPull(const Board* board, int32_t cell, int32_t direction) {
    int32_t to = neighbour(cell, direction);
    int32_t box = neighbour(cell, oppositeDirection(direction));
    if (!isOnBoard(to) || !isOnBoard(box)) return 0;
    return isWalkable(board->cells[to]) && holdsBox(board->cells[box]);
}

void applyPull(Board* board, int32_t* playerCell, int32_t direction) {
    int32_t cell = *playerCell;
    int32_t box = neighbour(cell, oppositeDirection(direction));
    board->cells[box] = cellAfterBoxLeaves(board->cells[box]);
    board->cells[cell] = cellAfterBoxArrives(board->cells[cell]);
    *playerCell = neighbour(cell, direction);
}

char directionLetter(int32_t direction) {
    switch (direction) {
    case DirectionLeft:
        return 'L';
    case DirectionRight:
        return 'R';
    case DirectionUp:
        return 'U';
    default:
        return 'D';
    }
}

int32_t letterDirection(char letter) {
    switch (letter) {
    case 'L':
        return DirectionLeft;
    case 'R':
        return DirectionRight;
    case 'U':
        return DirectionUp;
    case 'D':
        return DirectionDown;
    default:
        return -1;
    }
}
