// Phase 1 of the generator: a compact room and its goals. A room is a
// rectangle of floor with wall pieces and notches set into it, all its floor
// connected, no dead-end cells, centred on the 20 by 16 board; the goals are
// then chosen on its floor, each with its box standing on it (the solved
// position that the pull search starts from).
#pragma once
#include "game.h"
#include "random_stream.h"

struct RoomShape {
    int32_t width;      // interior columns, 5..10
    int32_t height;     // interior rows, 5..9
    int32_t floorCells; // wall pieces go in until the floor is this small
};

// Walls and floor only; the open cells are centred on the board.
Board makeRoom(Rng& rng, const RoomShape& shape);

// Marks `boxes` floor cells as boxes on goals, clustered or spread; false
// when the room has too little floor.
bool placeGoals(Board* room, Rng& rng, int32_t boxes);

// Every open cell reachable from every other through open cells.
bool isFloorConnected(const Board& board);
int32_t countOpenCells(const Board& board);
