// Rooms: rectangles laid and joined, wall pieces set into them one at a time
// (each kept only if the floor stays connected and no cell becomes a dead
// end), then goals.
#include "room.h"

#include <string.h>

#include <algorithm>
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

// The shift that puts the open cells' bounding box in the middle of the
// board (the odd cell, if any, goes to the right and the bottom).
int32_t centringShift(const Board& board) {
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
    return dr * BoardColumns + dk;
}

void centre(RoomLayout* room) {
    int32_t shift = centringShift(room->board);
    Board out;
    memset(out.cells, CellCodeWall, sizeof out.cells);
    for (int32_t c = 0; c < BoardCellCount; ++c)
        if (room->board.cells[c] != CellCodeWall) out.cells[c + shift] = room->board.cells[c];
    room->board = out;
    for (int32_t& c : room->goalRoom)
        c += shift;
}

struct Rect {
    int32_t left, top, width, height; // in board cells
};

bool inRect(const Rect& r, int32_t column, int32_t row) {
    return column >= r.left && column < r.left + r.width && row >= r.top && row < r.top + r.height;
}

// How many of the rectangle's cells are floor already, and how many floor
// cells lie just outside it (touching it along a side).
void overlapOf(const Board& board, const Rect& r, int32_t* inside, int32_t* touching) {
    *inside = *touching = 0;
    for (int32_t row = r.top - 1; row <= r.top + r.height; ++row)
        for (int32_t k = r.left - 1; k <= r.left + r.width; ++k) {
            if (board.cells[row * BoardColumns + k] == CellCodeWall) continue;
            bool corner = (row == r.top - 1 || row == r.top + r.height) &&
                          (k == r.left - 1 || k == r.left + r.width);
            if (inRect(r, k, row))
                ++*inside;
            else if (!corner)
                ++*touching;
        }
}

void fillRect(Board* board, const Rect& r) {
    for (int32_t row = r.top; row < r.top + r.height; ++row)
        for (int32_t k = r.left; k < r.left + r.width; ++k)
            board->cells[row * BoardColumns + k] = CellCodeFloor;
}

// A rectangle inside the shape's box at (1, 1).
Rect randomRect(Rng& rng, const RoomShape& shape, int32_t width, int32_t height) {
    width = std::min(width, shape.width);
    height = std::min(height, shape.height);
    return {1 + randomBelow(rng, shape.width - width + 1),
            1 + randomBelow(rng, shape.height - height + 1), width, height};
}

// Floor along a walk from cell a to cell b, first across then along (or the
// other way round): a corridor where it crosses wall.
int32_t carveCorridor(Board* board, Rng& rng, int32_t a, int32_t b) {
    int32_t carved = 0;
    int32_t r = a / BoardColumns, k = a % BoardColumns;
    int32_t br = b / BoardColumns, bk = b % BoardColumns;
    bool acrossFirst = randomBelow(rng, 2) != 0;
    for (int32_t leg = 0; leg < 2; ++leg) {
        bool across = (leg == 0) == acrossFirst;
        while (across ? k != bk : r != br) {
            if (across)
                k += k < bk ? 1 : -1;
            else
                r += r < br ? 1 : -1;
            unsigned char& c = board->cells[r * BoardColumns + k];
            carved += c == CellCodeWall;
            c = CellCodeFloor;
        }
    }
    return carved;
}

int32_t randomCellOf(Rng& rng, const Rect& r) {
    return (r.top + randomBelow(rng, r.height)) * BoardColumns + r.left + randomBelow(rng, r.width);
}

// Sizes for the rectangles: the first large, the others sharing what is left
// of the floor wanted, none smaller than 3 by 3.
Rect partFor(Rng& rng, const RoomShape& shape, int32_t part, int32_t wanted) {
    int32_t area = std::max(9, wanted / (part == 0 ? std::max(1, shape.parts - 1) : 1));
    if (part == 0 && shape.parts > 1) area = std::max(area, wanted * 2 / (shape.parts + 1));
    int32_t narrowest =
        std::min(shape.width, std::max(3, (area + shape.height - 1) / shape.height));
    int32_t width = randomBetween(rng, narrowest, shape.width);
    int32_t height = std::max(3, std::min(shape.height, (area + width - 1) / width));
    return randomRect(rng, shape, width, height);
}

// Lays the rectangles: each after the first overlaps or touches the floor
// so far, or (with corridors) stands apart and is reached by a corridor.
int32_t layParts(Board* board, Rng& rng, const RoomShape& shape) {
    int32_t corridorCells = 0;
    int32_t wanted = shape.floorCells * 100 / 82;
    // A rectangle that finds no place is tried again, up to twice as many
    // times as there are parts.
    for (int32_t part = 0, laid = 0; part < 2 * shape.parts && laid < shape.parts; ++part) {
        int32_t left = wanted - countOpenCells(*board);
        if (laid > 0 && left < 9) break;
        int32_t share = laid == 0 ? left : left / std::max(1, shape.parts - laid);
        for (int32_t tries = 0; tries < 60; ++tries) {
            Rect r = partFor(rng, shape, laid, share);
            int32_t inside, touching;
            overlapOf(*board, r, &inside, &touching);
            if (laid == 0) {
                fillRect(board, r);
                ++laid;
                break;
            }
            bool apart = inside == 0 && touching == 0;
            bool joined = inside < r.width * r.height && (inside >= 2 || touching >= 2);
            if (shape.corridors ? !apart : !joined) continue;
            int32_t from = -1;
            if (shape.corridors)
                while (from < 0 || board->cells[from] == CellCodeWall)
                    from = randomCellOf(rng, {1, 1, shape.width, shape.height});
            fillRect(board, r);
            if (shape.corridors)
                corridorCells += carveCorridor(board, rng, from, randomCellOf(rng, r));
            ++laid;
            break;
        }
    }
    return corridorCells;
}

// A small room for the goals, one wall away from the floor, opened by a door
// of one or two cells; its cells go to *goalRoom. false when none fits.
bool addGoalRoom(Board* board, Rng& rng, int32_t width, int32_t height,
                 std::vector<int32_t>* goalRoom) {
    for (int32_t tries = 0; tries < 200; ++tries) {
        Rect r = {1 + randomBelow(rng, RoomMaxWidth - width + 1),
                  1 + randomBelow(rng, RoomMaxHeight - height + 1), width, height};
        int32_t inside, touching;
        overlapOf(*board, r, &inside, &touching);
        if (inside || touching) continue;
        // A door: a wall cell next to the rectangle with floor beyond it.
        std::vector<std::pair<int32_t, int32_t>> doors;
        for (int32_t c = 0; c < BoardCellCount; ++c) {
            if (!inRect(r, c % BoardColumns, c / BoardColumns)) continue;
            for (int32_t d : BoardDirections) {
                int32_t wall = neighbour(c, d), beyond = neighbour(wall, d);
                int32_t wr = wall / BoardColumns, wk = wall % BoardColumns;
                if (inRect(r, wk, wr) || wr < 1 || wr > RoomMaxHeight || wk < 1 ||
                    wk > RoomMaxWidth || !isOnBoard(beyond))
                    continue;
                if (board->cells[beyond] != CellCodeWall) doors.push_back({wall, d});
            }
        }
        if (doors.empty()) continue;
        fillRect(board, r);
        std::pair<int32_t, int32_t> door = doors[randomBelow(rng, (int32_t)doors.size())];
        board->cells[door.first] = CellCodeFloor;
        for (const std::pair<int32_t, int32_t>& other : doors)
            if (randomBelow(rng, 3) == 0 &&
                (other.first == door.first + 1 || other.first == door.first + BoardColumns))
                board->cells[other.first] = CellCodeFloor;
        for (int32_t c = 0; c < BoardCellCount; ++c)
            if (inRect(r, c % BoardColumns, c / BoardColumns)) goalRoom->push_back(c);
        return true;
    }
    return false;
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

void openExtent(const Board& board, int32_t* columns, int32_t* rows) {
    int32_t top = BoardRows, bottom = -1, left = BoardColumns, right = -1;
    for (int32_t c = 0; c < BoardCellCount; ++c) {
        if (board.cells[c] == CellCodeWall) continue;
        top = std::min(top, c / BoardColumns);
        bottom = std::max(bottom, c / BoardColumns);
        left = std::min(left, c % BoardColumns);
        right = std::max(right, c % BoardColumns);
    }
    *columns = right < 0 ? 0 : right - left + 1;
    *rows = bottom < 0 ? 0 : bottom - top + 1;
}

RoomLayout makeRoom(Rng& rng, const RoomShape& shape) {
    RoomLayout room;
    Board& board = room.board;
    memset(board.cells, CellCodeWall, sizeof board.cells);
    int32_t corridorCells = layParts(&board, rng, shape);
    if (shape.goalRoom)
        addGoalRoom(&board, rng, randomBetween(rng, 2, 4), randomBetween(rng, 2, 3),
                    &room.goalRoom);
    int32_t columns, rows;
    openExtent(board, &columns, &rows);
    // Pieces anywhere in the floor, its edges included: on an edge a piece
    // is a notch or a bay in the outer wall. The goal room keeps its floor.
    // However the rectangles came out, wall pieces take an eighth to a
    // quarter of their floor.
    int32_t floorCells = std::min(shape.floorCells, countOpenCells(board) * 82 / 100);
    int32_t maxPassage = 2 + floorCells / 8 + corridorCells;
    for (int32_t tries = 0; tries < 5 * floorCells + 400 && countOpenCells(board) > floorCells;
         ++tries) {
        const Piece& piece = Pieces[randomBelow(rng, PieceCount)];
        int32_t anchor = randomBelow(rng, BoardCellCount);
        if (board.cells[anchor] == CellCodeWall) continue;
        bool inGoalRoom = false;
        for (int32_t c : room.goalRoom)
            for (int32_t i = 0; i < piece.count; ++i)
                inGoalRoom |= c == anchor + piece.offsets[i];
        if (!inGoalRoom) addPiece(&board, piece, anchor, maxPassage);
    }
    centre(&room);
    return room;
}

namespace {

// A goal next to one already placed (or in the goal room while it has
// room), -1 when none is free.
int32_t nextToGoals(const RoomLayout& room, Rng& rng, const std::vector<int32_t>& goals,
                    size_t first) {
    std::vector<int32_t> free;
    for (int32_t c : room.goalRoom)
        if (room.board.cells[c] == CellCodeFloor) free.push_back(c);
    if (free.empty())
        for (size_t i = first; i < goals.size(); ++i)
            for (int32_t d : BoardDirections) {
                int32_t c = neighbour(goals[i], d);
                if (isOnBoard(c) && room.board.cells[c] == CellCodeFloor) free.push_back(c);
            }
    return free.empty() ? -1 : free[randomBelow(rng, (int32_t)free.size())];
}

} // namespace

bool placeGoals(RoomLayout* room, Rng& rng, int32_t boxes) {
    std::vector<int32_t> floor;
    for (int32_t c = 0; c < BoardCellCount; ++c)
        if (room->board.cells[c] == CellCodeFloor) floor.push_back(c);
    if ((int32_t)floor.size() < boxes * 3) return false;
    // Clustered goals make a goal area whose filling order matters; spread
    // goals make boxes cross each other's paths; two clusters do both. A
    // goal room is filled first.
    int32_t kind = room->goalRoom.empty() ? randomBelow(rng, 4) : 0;
    int32_t clusters = kind == 3 ? 0 : kind == 2 ? 2 : 1;
    std::vector<int32_t> goals;
    size_t clusterStart = 0;
    for (int32_t tries = 0; (int32_t)goals.size() < boxes && tries < 8000; ++tries) {
        int32_t c = floor[randomBelow(rng, (int32_t)floor.size())];
        bool newCluster = goals.empty() || (clusters == 2 && (int32_t)goals.size() == boxes / 2 &&
                                            clusterStart == 0);
        if (clusters > 0 && (!newCluster || !room->goalRoom.empty()))
            c = nextToGoals(*room, rng, goals, clusterStart);
        if (c < 0) { // the cluster is walled in: another starts elsewhere
            c = floor[randomBelow(rng, (int32_t)floor.size())];
            newCluster = true;
        }
        if (room->board.cells[c] != CellCodeFloor) continue;
        if (newCluster) clusterStart = goals.size();
        room->board.cells[c] = CellCodeBoxOnGoal;
        goals.push_back(c);
    }
    return (int32_t)goals.size() == boxes;
}
