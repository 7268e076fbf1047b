// What the solver and the level generator both need to know about a board
// beyond the move rules of game/rules.h: the four directions in a fixed
// order, the keeper's start codes, a board with its boxes lifted off, the
// numbering of its open cells, and the keeper's walks. Every walk is decided
// by testStep, so the tools agree with the game about where the keeper goes.
#pragma once
#include "game.h"

#include <stdint.h>

#include <string>

enum {
    BoardDirectionCount = 4,
    OpenCellNone = 255, // indexOf of a cell that is not open
    OpenCellsMax = 255, // open cells a numbering can hold (a closed board has at most 18 * 14)
};

// Left, right, up, down: the index of a direction xor 1 is its opposite,
// which the searches use to find the cell behind a box.
extern const int32_t BoardDirections[BoardDirectionCount];

// "$" and the four facings '<' '>' '^' 'v': the keeper's start in the table.
bool isStartCode(unsigned char code);
// The first cell holding a start code, or -1.
int32_t findStartCell(const Board& board);
// Copies a level of the table into *board with its start code turned into
// floor; returns the start cell, -1 when the level has none.
int32_t splitStart(const unsigned char* level, Board* board);

// The board with start codes read as floor and every box lifted off: the
// walls, floor and goals that do not change while the boxes move.
Board emptyBoard(const Board& board);

// The cells a box or the keeper can ever stand on, numbered in board order.
struct OpenCells {
    int32_t count;
    int16_t cellOf[OpenCellsMax];    // board cell of each open cell
    uint8_t indexOf[BoardCellCount]; // number of each board cell, or OpenCellNone
};

// Numbers the walkable cells of an empty board (see emptyBoard); false when
// there are more than limit (at most OpenCellsMax).
bool numberOpenCells(const Board& empty, int32_t limit, OpenCells* open);

// The room graph: for each open cell, the open cell a walk in each direction
// (BoardDirections order) leads to on the empty board, OpenCellNone where the
// rules allow no walk.
typedef uint8_t OpenSteps[BoardDirectionCount];
void readOpenSteps(const Board& empty, const OpenCells& open, OpenSteps* steps);

// The keeper's reach over the room graph, breadth first from open cell from.
// enter(t, c) is asked once for each step from a reached cell c to t: it
// returns whether t is newly reached (not yet seen, not blocked by a box),
// marking it so when it is. The searches keep their own marks (stamps, bit
// sets, byte arrays), so the flood is a template and costs them nothing.
// queue must hold OpenCellsMax entries; returns how many cells were reached.
template <class Enter>
inline int32_t floodOpenCells(const OpenSteps* steps, int32_t from, uint8_t* queue, Enter enter) {
    int32_t head = 0, tail = 0;
    queue[tail++] = (uint8_t)from;
    while (head < tail) {
        int32_t c = queue[head++];
        for (int32_t d = 0; d < BoardDirectionCount; ++d) {
            int32_t t = steps[c][d];
            if (t != OpenCellNone && enter(t, c)) queue[tail++] = (uint8_t)t;
        }
    }
    return tail;
}

// The keeper's region: the cells he can walk to from cell `from` without
// pushing, from first, in the order a depth-first walk (directions in
// BoardDirections order) meets them. cells must hold BoardCellCount entries;
// returns how many it filled.
int32_t walkRegion(const Board& board, int32_t from, int32_t* cells);

// Appends to *moves the letters of a shortest walk on board from *player to
// target (board cells) and moves *player there; false, with nothing changed,
// when target cannot be reached without pushing.
bool appendWalk(const Board& board, int32_t* player, int32_t target, std::string* moves);
