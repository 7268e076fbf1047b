// Rooms of the kind people draw in the editor, made from a seed: a few
// joined rectangles on the 20 by 16 board, a few wall pieces inside, the
// goals in one cluster and the boxes scattered from it by pulls (pushes
// played backwards), so every room made is solvable.
#pragma once
#include "game.h"

#include <stdint.h>

struct MadeRoom {
    Board board; // walls, floor, goals and boxes; no start code
    int32_t player;
};

// The room for (seed, job) with boxes boxes; the same pair always gives the
// same room.
MadeRoom makeRoom(uint64_t seed, uint64_t job, int32_t boxes);
