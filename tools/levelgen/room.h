// Phase 1 of the generator: a room and its goals. A room is one to four
// rectangles of floor, joined where they overlap or by one-wide corridors,
// perhaps with a small goal room behind a door, with wall pieces and notches
// set into it; all its floor connected, no dead-end cells, anywhere up to
// the board's 18 by 14 open cells and centred on the board. The goals are
// then chosen on its floor, each with its box standing on it (the solved
// position that the pull search starts from).
#pragma once
#include <stdint.h>

#include <vector>

#include "game.h"
#include "random_stream.h"

enum {
    RoomMaxWidth = BoardColumns - 2, // inside the closed border
    RoomMaxHeight = BoardRows - 2,
};

struct RoomShape {
    int32_t width;      // the box the rectangles are laid in, 3..18
    int32_t height;     // 3..14
    int32_t parts;      // rectangles, 1..4
    int32_t floorCells; // wall pieces go in until the floor is this small
    bool corridors;     // later rectangles stand apart, reached by corridors
    bool goalRoom;      // a small room behind a door, where the goals gather
};

struct RoomLayout {
    Board board;                   // walls and floor only, centred on the board
    std::vector<int32_t> goalRoom; // the goal room's cells, empty without one
};

RoomLayout makeRoom(Rng& rng, const RoomShape& shape);

// Marks `boxes` floor cells as boxes on goals: filling the goal room first
// if there is one, else clustered, in two clusters or spread; false when the
// room has too little floor.
bool placeGoals(RoomLayout* room, Rng& rng, int32_t boxes);

// Every open cell reachable from every other through open cells.
bool isFloorConnected(const Board& board);
int32_t countOpenCells(const Board& board);

// Columns and rows spanned by the open cells.
void openExtent(const Board& board, int32_t* columns, int32_t* rows);
