// Directions, start codes, the empty board, the numbering of its open cells
// and the room graph over them.
#include "board_kit.h"

#include "rules.h"

#include <string.h>

const int32_t BoardDirections[BoardDirectionCount] = {DirectionLeft, DirectionRight, DirectionUp,
                                                      DirectionDown};

bool isStartCode(unsigned char code) {
    return code == CellCodeStart || code == CellCodeStartRight || code == CellCodeStartLeft ||
           code == CellCodeStartUp || code == CellCodeStartDown;
}

int32_t findStartCell(const Board& board) {
    for (int32_t c = 0; c < BoardCellCount; ++c)
        if (isStartCode(board.cells[c])) return c;
    return -1;
}

int32_t splitStart(const unsigned char* level, Board* board) {
    memcpy(board->cells, level, BoardCellCount);
    int32_t start = findStartCell(*board);
    if (start >= 0) board->cells[start] = CellCodeFloor;
    return start;
}

Board emptyBoard(const Board& board) {
    Board empty = board;
    for (unsigned char& code : empty.cells) {
        if (isStartCode(code)) code = CellCodeFloor;
        if (holdsBox(code)) code = cellAfterBoxLeaves(code);
    }
    return empty;
}

bool numberOpenCells(const Board& empty, int32_t limit, OpenCells* open) {
    open->count = 0;
    memset(open->indexOf, OpenCellNone, sizeof open->indexOf);
    for (int32_t c = 0; c < BoardCellCount; ++c) {
        if (!isWalkable(empty.cells[c])) continue;
        if (open->count == limit || open->count == OpenCellsMax) return false;
        open->indexOf[c] = (uint8_t)open->count;
        open->cellOf[open->count++] = (int16_t)c;
    }
    return true;
}

void readOpenSteps(const Board& empty, const OpenCells& open, OpenSteps* steps) {
    for (int32_t i = 0; i < open.count; ++i)
        for (int32_t d = 0; d < BoardDirectionCount; ++d) {
            MoveOutcome walk = testStep(&empty, open.cellOf[i], BoardDirections[d]);
            steps[i][d] = walk.kind == MoveWalk ? open.indexOf[walk.target] : (uint8_t)OpenCellNone;
        }
}
