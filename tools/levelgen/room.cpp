// Rooms: a rectangle, wall pieces set into it one at a time (each kept only
// if the floor stays connected and no cell becomes a dead end), then goals.
#include "room.h"

#include <string.h>

#include <vector>

#include "board_kit.h"
#include "rules.h"

namespace {

// Wall pieces as cell offsets from an anchor: pillars, bars, corners, blocks.
struct Piece {
    int32_t count;
    int32_t offsets[4];
};
const Piece Pieces[] = {
    {1, {0}},
    {2, {0, 1}},
    {2, {0, BoardColumns}},
    {3, {0, 1, 2}},
    {3, {0, BoardColumns, 2 * BoardColumns}},
    {3, {0, 1, BoardColumns}},
    {3, {0, 1, BoardColumns + 1}},
    {3, {0, BoardColumns, BoardColumns + 1}},
    {3, {1, BoardColumns, BoardColumns + 1}},
    {4, {0, 1, BoardColumns, BoardColumns + 1}},
};
const int32_t PieceCount = sizeof Pieces / sizeof Pieces[0];

bool isOpen(const Board& board, int32_t cell) {
    return isOnBoard(cell) && board.cells[cell] != CellCodeWall;
}

int32_t openNeighbours(const Board& board, int32_t cell) {
    int32_t n = 0;
    for (int32_t d : BoardDirections)
        n += isOpen(board, neighbour(cell, d));
    return n;
}

// A cell with one open neighbour is a dead end: a box there is lost and the
// keeper only walks in and out. Rooms have none.
bool hasDeadEnd(const Board& board) {
    for (int32_t c = 0; c < BoardCellCount; ++c)
        if (isOpen(board, c) && openNeighbours(board, c) <= 1) return true;
    return false;
}

// Cells of a one-wide passage: open on two opposite sides only.
int32_t countPassageCells(const Board& board) {
    int32_t n = 0;
    for (int32_t c = 0; c < BoardCellCount; ++c) {
        if (!isOpen(board, c) || openNeighbours(board, c) != 2) continue;
        bool across = isOpen(board, neighbour(c, DirectionLeft)) &&
                      isOpen(board, neighbour(c, DirectionRight));
        bool along =
            isOpen(board, neighbour(c, DirectionUp)) && isOpen(board, neighbour(c, DirectionDown));
        n += across || along;
    }
    return n;
}

// Tries to wall up the cells of a piece at anchor; keeps it only when the
// room stays one connected piece of floor without dead ends, and without
// more one-wide passage than a room wants (a maze has nothing but).
bool addPiece(Board* board, const Piece& piece, int32_t anchor, int32_t maxPassage) {
    for (int32_t i = 0; i < piece.count; ++i) {
        int32_t c = anchor + piece.offsets[i];
        if (!isOnBoard(c) || board->cells[c] != CellCodeFloor) return false;
    }
    Board tried = *board;
    for (int32_t i = 0; i < piece.count; ++i)
        tried.cells[anchor + piece.offsets[i]] = CellCodeWall;
    if (!isFloorConnected(tried) || hasDeadEnd(tried) || countPassageCells(tried) > maxPassage)
        return false;
    *board = tried;
    return true;
}

// Moves the open cells so that their bounding box sits in the middle of the
// board (the odd cell, if any, goes to the right and the bottom).
Board centred(const Board& board) {
    int32_t top = BoardRows, bottom = -1, left = BoardColumns, right = -1;
    for (int32_t c = 0; c < BoardCellCount; ++c) {
        if (board.cells[c] == CellCodeWall) continue;
        int32_t r = c / BoardColumns, k = c % BoardColumns;
        top = r < top ? r : top;
        bottom = r > bottom ? r : bottom;
        left = k < left ? k : left;
        right = k > right ? k : right;
    }
    int32_t dr = (BoardRows - (bottom - top + 1)) / 2 - top;
    int32_t dk = (BoardColumns - (right - left + 1)) / 2 - left;
    Board out;
    memset(out.cells, CellCodeWall, sizeof out.cells);
    for (int32_t c = 0; c < BoardCellCount; ++c)
        if (board.cells[c] != CellCodeWall) out.cells[c + dr * BoardColumns + dk] = board.cells[c];
    return out;
}

} // namespace

int32_t countOpenCells(const Board& board) {
    int32_t n = 0;
    for (unsigned char c : board.cells)
        n += c != CellCodeWall;
    return n;
}

bool isFloorConnected(const Board& board) {
    std::vector<int32_t> todo;
    bool seen[BoardCellCount] = {};
    for (int32_t c = 0; c < BoardCellCount && todo.empty(); ++c)
        if (isOpen(board, c)) {
            todo.push_back(c);
            seen[c] = true;
        }
    int32_t reached = 0;
    while (!todo.empty()) {
        int32_t c = todo.back();
        todo.pop_back();
        ++reached;
        for (int32_t d : BoardDirections) {
            int32_t m = neighbour(c, d);
            if (isOpen(board, m) && !seen[m]) {
                seen[m] = true;
                todo.push_back(m);
            }
        }
    }
    return reached == countOpenCells(board);
}

Board makeRoom(Rng& rng, const RoomShape& shape) {
    Board board;
    memset(board.cells, CellCodeWall, sizeof board.cells);
    int32_t top = (BoardRows - shape.height) / 2, left = (BoardColumns - shape.width) / 2;
    for (int32_t r = 0; r < shape.height; ++r)
        for (int32_t k = 0; k < shape.width; ++k)
            board.cells[(top + r) * BoardColumns + left + k] = CellCodeFloor;
    // Pieces anywhere in the rectangle, its edges included: on an edge a
    // piece is a notch or a bay in the outer wall.
    for (int32_t tries = 0; tries < 400 && countOpenCells(board) > shape.floorCells; ++tries) {
        const Piece& piece = Pieces[randomBelow(rng, PieceCount)];
        int32_t anchor = (top + randomBelow(rng, shape.height)) * BoardColumns + left +
                         randomBelow(rng, shape.width);
        addPiece(&board, piece, anchor, 2 + shape.floorCells / 8);
    }
    return centred(board);
}

bool placeGoals(Board* room, Rng& rng, int32_t boxes) {
    std::vector<int32_t> floor;
    for (int32_t c = 0; c < BoardCellCount; ++c)
        if (room->cells[c] == CellCodeFloor) floor.push_back(c);
    if ((int32_t)floor.size() < boxes * 3) return false;
    // Clustered goals make a goal area whose filling order matters; spread
    // goals make boxes cross each other's paths. Both kinds are wanted.
    bool clustered = randomBelow(rng, 3) != 0;
    int32_t placed = 0;
    int32_t seed = floor[randomBelow(rng, (int32_t)floor.size())];
    for (int32_t tries = 0; placed < boxes && tries < 4000; ++tries) {
        int32_t c = floor[randomBelow(rng, (int32_t)floor.size())];
        if (clustered && placed > 0) {
            // Grow from a goal already placed.
            int32_t from = seed;
            for (int32_t k = randomBelow(rng, BoardCellCount); k < 2 * BoardCellCount; ++k)
                if (room->cells[k % BoardCellCount] == CellCodeBoxOnGoal) {
                    from = k % BoardCellCount;
                    break;
                }
            c = neighbour(from, BoardDirections[randomBelow(rng, BoardDirectionCount)]);
        } else if (clustered) {
            c = seed;
        }
        if (!isOnBoard(c) || room->cells[c] != CellCodeFloor) continue;
        room->cells[c] = CellCodeBoxOnGoal;
        ++placed;
    }
    return placed == boxes;
}
