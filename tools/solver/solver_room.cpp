// The room tables, read from the game's rules: a walk is what testStep calls
// MoveWalk on the board with every box taken off, a push is what testStep
// calls MovePush with one box on that board. The search never asks the rules
// again; these tables are its whole knowledge of walls, goals and moves.
#include "solver_room.h"

#include "rules.h"

#include <algorithm>
#include <assert.h>
#include <string.h>

namespace {

void readMoves(const Board& empty, Room* room) {
    readOpenSteps(empty, room->open, room->step);
    for (int32_t i = 0; i < room->open.count; ++i) {
        int32_t cell = room->open.cellOf[i];
        Board single = empty; // this cell holds the only box
        single.cells[cell] = cellAfterBoxArrives(single.cells[cell]);
        for (int32_t d = 0; d < RoomDirections; ++d) {
            room->boxTo[i][d] = RoomNone;
            int32_t from = neighbour(cell, oppositeDirection(BoardDirections[d]));
            if (!isOnBoard(from) || room->open.indexOf[from] == RoomNone) continue;
            MoveOutcome push = testStep(&single, from, BoardDirections[d]);
            if (push.kind == MovePush) room->boxTo[i][d] = room->open.indexOf[push.boxTarget];
        }
    }
}

// With a box on cell b, which of its four neighbours the keeper can walk
// between: each neighbour gets the number of its area (the lowest direction
// index in it), RoomNone where there is no neighbour.
void readSides(Room* room) {
    uint8_t seen[RoomMaxCells];
    uint8_t queue[RoomMaxCells];
    room->keeperSide.assign((size_t)room->open.count * room->open.count, RoomNone);
    for (int32_t b = 0; b < room->open.count; ++b) {
        for (int32_t d = 0; d < RoomDirections; ++d)
            room->side[b][d] = RoomNone;
        for (int32_t d = 0; d < RoomDirections; ++d) {
            int32_t n = room->step[b][d];
            if (n == RoomNone || room->side[b][d] != RoomNone) continue;
            memset(seen, 0, (size_t)room->open.count);
            seen[b] = 1;
            seen[n] = 1;
            floodOpenCells(room->step, n, queue, [&seen](int32_t t, int32_t) {
                if (seen[t]) return false;
                seen[t] = 1;
                return true;
            });
            for (int32_t e = d; e < RoomDirections; ++e) {
                int32_t m = room->step[b][e];
                if (m != RoomNone && seen[m]) room->side[b][e] = (uint8_t)d;
            }
            uint8_t* sides = &room->keeperSide[(size_t)b * room->open.count];
            for (int32_t c = 0; c < room->open.count; ++c)
                if (seen[c] && c != b) sides[c] = (uint8_t)d;
        }
    }
}

// Pushes from every cell to one goal for a box alone on the board, found by
// pulling the box away from the goal: state (box cell, keeper's side area).
void readGoalDistances(Room* room, int32_t goalIndex) {
    int32_t n = room->open.count;
    std::vector<uint16_t> best((size_t)n * RoomDirections, RoomUnreachable);
    std::vector<uint16_t> queue;
    queue.reserve((size_t)n * RoomDirections);
    int32_t g = room->goals[goalIndex];
    for (int32_t d = 0; d < RoomDirections; ++d) {
        int32_t s = room->side[g][d];
        if (s == RoomNone || best[g * RoomDirections + s] == 0) continue;
        best[g * RoomDirections + s] = 0;
        queue.push_back((uint16_t)(g * RoomDirections + s));
    }
    for (size_t head = 0; head < queue.size(); ++head) {
        int32_t box = queue[head] / RoomDirections, area = queue[head] % RoomDirections;
        for (int32_t d = 0; d < RoomDirections; ++d) {
            // The push in d that brought the box here left the keeper on its old cell.
            int32_t from = room->step[box][d ^ 1];
            if (from == RoomNone || room->side[box][d ^ 1] != area) continue;
            if (room->boxTo[from][d] != box) continue;
            assert(room->side[from][d ^ 1] != RoomNone); // a push has a keeper's cell
            int32_t state = from * RoomDirections + room->side[from][d ^ 1];
            if (best[state] != RoomUnreachable) continue;
            best[state] = (uint16_t)(best[queue[head]] + 1);
            queue.push_back((uint16_t)state);
        }
    }
    std::copy(best.begin(), best.end(),
              room->sideDistance.begin() + (size_t)goalIndex * n * RoomDirections);
    for (int32_t c = 0; c < n; ++c) {
        uint16_t low = RoomUnreachable;
        for (int32_t s = 0; s < RoomDirections; ++s)
            if (best[c * RoomDirections + s] < low) low = best[c * RoomDirections + s];
        // A box on the goal needs no push, even one shut in where no keeper
        // can stand beside it.
        room->distance[(size_t)goalIndex * n + c] = c == g ? 0 : low;
    }
}

} // namespace

int buildRoom(const Board& board, int32_t playerCell, Room* room, RoomStart* start) {
    Board empty = emptyBoard(board);
    room->goalCount = 0;
    if (!numberOpenCells(empty, RoomMaxCells, &room->open)) return 0;
    if (!isOnBoard(playerCell) || room->open.indexOf[playerCell] == RoomNone) return 0;
    if (holdsBox(board.cells[playerCell])) return 0;
    start->keeper = room->open.indexOf[playerCell];
    start->boxCount = 0;
    for (int32_t i = 0; i < room->open.count; ++i) {
        int32_t cell = room->open.cellOf[i];
        room->goal[i] = isGoalCell(empty.cells[cell]);
        if (room->goal[i]) room->goals[room->goalCount++] = (uint8_t)i;
        if (holdsBox(board.cells[cell])) start->boxes[start->boxCount++] = (uint8_t)i;
    }
    readMoves(empty, room);
    memset(room->boardBits, 0, sizeof room->boardBits);
    for (int32_t i = 0; i < room->open.count; ++i) {
        int32_t cell = room->open.cellOf[i];
        room->boardBits[cell >> 6] |= 1ull << (cell & 63);
        for (int32_t d = 0; d < RoomDirections; ++d) // the shifts of floodLowestCell
            assert(room->step[i][d] == RoomNone ||
                   room->open.cellOf[room->step[i][d]] - cell ==
                       (d < 2 ? 1 : BoardColumns) * (d & 1 ? 1 : -1));
    }
    room->keeperSide.assign((size_t)room->open.count * room->open.count, RoomNone);
    readPushTables(room);
    return 1;
}

void readPushTables(Room* room) {
    readSides(room);
    room->distance.assign((size_t)room->goalCount * room->open.count, RoomUnreachable);
    room->sideDistance.assign(room->distance.size() * RoomDirections, RoomUnreachable);
    for (int32_t g = 0; g < room->goalCount; ++g)
        readGoalDistances(room, g);
    for (int32_t c = 0; c < room->open.count; ++c) {
        room->dead[c] = 1;
        for (int32_t g = 0; g < room->goalCount && room->dead[c]; ++g)
            if (loneDistance(*room, g, c) != RoomUnreachable) room->dead[c] = 0;
    }
}

void wallFrozenBoxes(const Room& base, const uint8_t* frozen, Room* room) {
    *room = base;
    auto walled = [frozen](int32_t c) { return c != RoomNone && frozen[c]; };
    for (int32_t c = 0; c < room->open.count; ++c)
        for (int32_t d = 0; d < RoomDirections; ++d) {
            // A push needs the box's cell, the cell it goes to and the
            // keeper's cell behind it.
            if (frozen[c] || walled(base.boxTo[c][d]) || walled(base.step[c][d ^ 1]))
                room->boxTo[c][d] = RoomNone;
            if (frozen[c] || walled(base.step[c][d])) room->step[c][d] = RoomNone;
        }
    readPushTables(room);
}

namespace {

enum { OccupiedNone = 0, OccupiedBox = 1, OccupiedHeld = 2 }; // held: counted as wall

bool isFrozen(const Room& room, uint8_t* occupied, int32_t cell, bool* offGoal);

// Whether the box on cell cannot move along one axis (directions d, d + 1).
bool blockedAlong(const Room& room, uint8_t* occupied, int32_t cell, int32_t d, bool* offGoal) {
    int32_t a = room.step[cell][d], b = room.step[cell][d + 1];
    if (a == RoomNone || b == RoomNone) return true;
    if (occupied[a] == OccupiedHeld || occupied[b] == OccupiedHeld) return true;
    // Pushed either way it lands where no goal can be reached.
    if (room.dead[a] && room.dead[b]) return true;
    if (occupied[a] == OccupiedBox && isFrozen(room, occupied, a, offGoal)) return true;
    if (occupied[b] == OccupiedBox && isFrozen(room, occupied, b, offGoal)) return true;
    return false;
}

// The box on cell is frozen if blocked along both axes, where each box it
// leans on is tested with this one held in place. *offGoal is set only when
// the answer is yes: some box of the frozen group stands off a goal.
bool isFrozen(const Room& room, uint8_t* occupied, int32_t cell, bool* offGoal) {
    occupied[cell] = OccupiedHeld;
    bool offAcross = false, offDown = false;
    bool frozen = blockedAlong(room, occupied, cell, 0, &offAcross) &&
                  blockedAlong(room, occupied, cell, 2, &offDown);
    occupied[cell] = OccupiedBox;
    if (frozen) *offGoal = !room.goal[cell] || offAcross || offDown;
    return frozen;
}

} // namespace

int32_t markFrozenOnGoals(const Room& room, uint8_t* occupied, int32_t cell, uint8_t* frozen) {
    uint8_t queue[RoomMaxCells], seen[RoomMaxCells] = {0};
    int32_t count = 0, marked = 0;
    queue[count++] = (uint8_t)cell;
    seen[cell] = 1;
    for (int32_t head = 0; head < count; ++head) {
        int32_t c = queue[head];
        bool offGoal = false;
        if (!frozen[c] && room.goal[c] && isFrozen(room, occupied, c, &offGoal) && !offGoal)
            frozen[c] = 1, ++marked;
        for (int32_t d = 0; d < RoomDirections; ++d) {
            int32_t n = room.step[c][d];
            if (n != RoomNone && occupied[n] == OccupiedBox && !seen[n])
                seen[n] = 1, queue[count++] = (uint8_t)n;
        }
    }
    return marked;
}

bool isFrozenDeadlock(const Room& room, uint8_t* occupied, int32_t cell) {
    bool offGoal = false;
    return isFrozen(room, occupied, cell, &offGoal) && offGoal;
}

namespace {

enum { FloodRowMask = (1u << BoardColumns) - 1, FloodLastColumn = BoardColumns - 1 };

uint32_t rowOfBits(const uint64_t bits[RoomBoardWords], int32_t y) {
    int32_t at = y * BoardColumns, word = at >> 6, shift = at & 63;
    uint64_t row = bits[word] >> shift;
    if (shift > 64 - BoardColumns) row |= bits[word + 1] << (64 - shift);
    return (uint32_t)row & FloodRowMask;
}

// Grows seeds (cells of free) along their runs of free cells, both ways.
inline uint32_t fillRuns(uint32_t seeds, uint32_t free) {
    uint32_t up = ((free + seeds) ^ free) & free; // the carry runs up through free
    uint32_t down = seeds, open = free;
    down |= open & (down >> 1), open &= open >> 1;
    down |= open & (down >> 2), open &= open >> 2;
    down |= open & (down >> 4), open &= open >> 4;
    down |= open & (down >> 8), open &= open >> 8;
    down |= open & (down >> 16);
    return seeds | up | down;
}

// Row y of the area grown from its neighbour rows; every row of the area is
// kept a union of whole runs, so only cells new to it need filling. The
// board's cells are numbered row after row, so the last cell of a row and the
// first of the next are neighbours too, as they are to the one-bit shifts of
// the whole board.
// The area has an empty row before its first and after its last.
inline bool growRow(uint32_t* area, const uint32_t free[BoardRows], int32_t y) {
    uint32_t seeds = area[y - 1] | area[y - 1] >> FloodLastColumn | area[y + 1] |
                     (area[y + 1] & 1) << FloodLastColumn;
    seeds &= free[y] & ~area[y];
    if (!seeds) return false;
    area[y] |= fillRuns(seeds, free[y]);
    return true;
}

} // namespace

namespace {

// The flood's area as one 20-bit row per board row, in rows[0, BoardRows);
// rows[-1] and rows[BoardRows] are left empty for growRow.
void floodRows(const uint64_t free[RoomBoardWords], int32_t from, uint32_t* rows) {
    rows[-1] = rows[BoardRows] = 0;
    uint32_t freeRows[BoardRows];
    int32_t top = BoardRows, bottom = -1;
    for (int32_t y = 0; y < BoardRows; ++y) {
        rows[y] = 0, freeRows[y] = rowOfBits(free, y);
        if (freeRows[y]) top = std::min(top, y), bottom = y;
    }
    // The start and the cells next to it in the board's numbering: a start on
    // a cell that is not free still reaches its free neighbours.
    const int32_t steps[] = {0, -1, 1, -BoardColumns, BoardColumns};
    for (int32_t step : steps) {
        int32_t c = from + step;
        if (c >= 0 && c < BoardCellCount) rows[c / BoardColumns] |= 1u << (c % BoardColumns);
    }
    for (int32_t y = 0; y < BoardRows; ++y)
        if (rows[y]) rows[y] = fillRuns(rows[y] & freeRows[y], freeRows[y]);
    // Then row by row, sweeping down and up the board: each sweep carries the
    // area along every run it touches, and a sweep that grows no row leaves
    // every row closed, so the area is done. Rows without free cells never
    // grow; the sweeps leave them out.
    for (;;) {
        bool grew = false;
        for (int32_t y = top; y <= bottom; ++y)
            grew |= growRow(rows, freeRows, y);
        if (!grew) break;
        grew = false;
        for (int32_t y = bottom; y >= top; --y)
            grew |= growRow(rows, freeRows, y);
        if (!grew) break;
    }
}

} // namespace

void floodArea(const uint64_t free[RoomBoardWords], int32_t from, uint64_t area[RoomBoardWords]) {
    uint32_t padded[BoardRows + 2], *rows = padded + 1;
    floodRows(free, from, rows);
    for (int32_t i = 0; i < RoomBoardWords; ++i)
        area[i] = 0;
    for (int32_t y = 0; y < BoardRows; ++y) {
        int32_t at = y * BoardColumns, word = at >> 6, shift = at & 63;
        area[word] |= (uint64_t)rows[y] << shift;
        if (shift > 64 - BoardColumns) area[word + 1] |= (uint64_t)rows[y] >> (64 - shift);
    }
}

int32_t floodLowestCell(const uint64_t free[RoomBoardWords], int32_t from) {
    uint32_t padded[BoardRows + 2], *rows = padded + 1;
    floodRows(free, from, rows);
    for (int32_t y = 0; y < BoardRows; ++y)
        if (rows[y]) return y * BoardColumns + __builtin_ctz(rows[y]);
    return from;
}
