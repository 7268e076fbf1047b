// The solver's picture of a board: the cells a box or the keeper can ever
// stand on, numbered 0..open.count-1 in board order, with every move fact the
// search needs read once from the game's rules (game/rules.h) and kept in
// small tables. Also the lone-box push distances, the dead squares, the
// freeze test and the minimum-cost matching of boxes to goals.
#pragma once
#include "board_kit.h"
#include "game.h"

#include <stddef.h>
#include <stdint.h>
#include <vector>

enum {
    RoomNone = OpenCellNone,              // no cell: a wall, or a step off the room
    RoomMaxCells = OpenCellsMax,          // a closed 20 by 16 board has at most 18 * 14
    RoomDirections = BoardDirectionCount, // indices into BoardDirections; d ^ 1 is opposite
    RoomUnreachable = 0xFFFF,             // a lone-box distance to a goal the box can never reach
    MatchInfinite = 1 << 20,              // cost of a box-goal pair that is impossible
    RoomBoardWords = (BoardCellCount + 63) / 64,
};

struct Room {
    OpenCells open;                              // the room cells and their board cells
    uint8_t step[RoomMaxCells][RoomDirections];  // where a walk in d leads, box-free board
    uint8_t boxTo[RoomMaxCells][RoomDirections]; // where a lone box here lands when pushed in d
    uint8_t side[RoomMaxCells][RoomDirections];  // with a box here: keeper area of the cell in d
    uint8_t goal[RoomMaxCells];
    uint8_t dead[RoomMaxCells]; // a box here can never reach any goal, even alone
    int32_t goalCount;
    uint8_t goals[RoomMaxCells];
    std::vector<uint16_t> distance; // [goalIndex * open.count + cell]: lone-box pushes
    // The same with the keeper beside the box in a known side area:
    // [(goalIndex * open.count + cell) * RoomDirections + side area].
    std::vector<uint16_t> sideDistance;
    // [box * open.count + cell]: with a lone box on box, the side area (as in
    // side) the keeper on cell is in; RoomNone when he touches no side of it.
    std::vector<uint8_t> keeperSide;
    // The room as a bit per board cell. Every walk the rules allow is to the
    // next cell in board order (+1, -1) or the next row (+20, -20), so the
    // keeper's area can be flooded by shifting these bits.
    uint64_t boardBits[RoomBoardWords];
};

// The start of a search read from a board: the room, the boxes (room cells,
// ascending) and the keeper's room cell.
struct RoomStart {
    int32_t boxCount;
    uint8_t boxes[RoomMaxCells];
    int32_t keeper;
};

// Builds the room of board (start codes read as floor). 0 when the board
// cannot be searched: the keeper not on a walkable cell, or more than
// RoomMaxCells open cells.
int buildRoom(const Board& board, int32_t playerCell, Room* room, RoomStart* start);

// Reads the side areas, lone-box distances and dead squares from the room's
// step and boxTo tables.
void readPushTables(Room* room);
// The room with the boxes on cells where frozen[c] is 1 turned into walls:
// boxes frozen on their goals never move again in any solution, so the
// distances read around them are still lower bounds, and larger ones.
void wallFrozenBoxes(const Room& base, const uint8_t* frozen, Room* room);

// The lowest board cell the keeper on board cell from can walk to, where free
// holds a bit per board cell the keeper may enter (room cells without boxes).
int32_t floodLowestCell(const uint64_t free[RoomBoardWords], int32_t from);
// The same area as bits: every cell of free the keeper on from can walk to.
void floodArea(const uint64_t free[RoomBoardWords], int32_t from, uint64_t area[RoomBoardWords]);

inline int32_t loneDistance(const Room& room, int32_t goalIndex, int32_t cell) {
    return room.distance[(size_t)goalIndex * room.open.count + cell];
}

// Lone-box pushes from cell to a goal with the keeper standing in the side
// area of the cell's neighbour in direction d.
inline int32_t loneDistanceFrom(const Room& room, int32_t goalIndex, int32_t cell, int32_t d) {
    size_t state = (size_t)goalIndex * room.open.count + cell;
    return room.sideDistance[state * RoomDirections + room.side[cell][d]];
}

// The pushes box needs to reach a goal with the keeper on keeper cell: the
// keeper cannot get past the box without pushing it, whatever the other
// boxes do, so his side of it holds until it moves. RoomUnreachable when no
// push gets it there.
inline int32_t sidedDistance(const Room& room, int32_t goalIndex, int32_t box, int32_t keeper) {
    if (room.goals[goalIndex] == box) return 0;
    int32_t area = room.keeperSide[(size_t)box * room.open.count + keeper];
    if (area == RoomNone) return RoomUnreachable;
    size_t state = (size_t)goalIndex * room.open.count + box;
    return room.sideDistance[state * RoomDirections + area];
}

// A box just placed at cell that can never move again, with a box off its
// goal among the boxes frozen with it. occupied[c] is 1 for a box, 0 for none;
// entries are changed during the test and restored.
bool isFrozenDeadlock(const Room& room, uint8_t* occupied, int32_t cell);

// Marks in frozen[] the boxes frozen on their goals in the group of boxes
// joined by sides to the box on cell (occupied as for isFrozenDeadlock);
// returns how many it newly marked.
int32_t markFrozenOnGoals(const Room& room, uint8_t* occupied, int32_t cell, uint8_t* frozen);

// After a push of the box now on room cell pushed, with the keeper on room
// cell keeper: some cells beside the box are walled off from the keeper and
// the boxes around them can never, pushed among themselves, either all reach
// goals or let the keeper in (searched up to limit positions; past it the
// answer is no).
bool isCorralDeadlock(const Room& room, const uint8_t* boxes, int32_t boxCount, int32_t keeper,
                      int32_t pushed, int32_t limit);

// Minimum-cost assignment of rows (boxes) to columns (goals), rows <= columns,
// kept with its dual potentials so that one changed row can be re-solved with
// a single augmentation.
struct Matching {
    int32_t rows, columns;
    std::vector<int32_t> cost;              // rows * columns, MatchInfinite when impossible
    std::vector<int32_t> u, v, rowOfColumn; // 1-based as in the textbook method; 0 = none
};

// Fills the cost matrix of boxes against the room's goals.
void setMatchingCosts(const Room& room, const uint8_t* boxes, int32_t boxCount, Matching* m);
// The same, each box's costs counted from the keeper's side of it
// (sidedDistance): never less, and still a lower bound.
void setSidedMatchingCosts(const Room& room, const uint8_t* boxes, int32_t boxCount, int32_t keeper,
                           Matching* m);
// Solves from scratch; returns the total cost (>= MatchInfinite: no assignment).
int32_t solveMatching(Matching* m);
// After the costs of one row changed: re-assigns that row only.
int32_t resolveMatchingRow(Matching* m, int32_t row);
