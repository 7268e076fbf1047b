// Phase 2 of the generator: the search backwards from the solved position.
// A pull is a push played backwards (game/rules.h), so a position that is n
// pulls from solved at the least is solved in n pushes at the fewest. The
// search runs breadth-first over positions (the box cells and the keeper's
// region, which is all that matters between pushes), exhaustively while the
// positions fit in its budget and as a beam of random survivors after that.
#pragma once
#include <stdint.h>

#include <vector>

#include "board_kit.h"
#include "game.h"
#include "random_stream.h"

enum {
    PullMaxBoxes = 12,
    PullMaxFloor = 127, // open cells a room may have
};

// One position: the boxes' floor numbers plus one, ascending, in bytes 0..11,
// and the smallest floor number of the keeper's region in byte 15.
struct PullKey {
    uint64_t lo, hi;
};

// The fixed part of a room: walls, goals and the numbering of its floor.
struct PullRoom {
    Board empty;     // walls and goals, no boxes
    OpenCells floor; // floor and goal cells, numbered in board order
};

struct PullLimits {
    int64_t maxPositions; // past this, each further layer is cut to beamWidth
    int32_t beamWidth;
    int32_t maxDepth;
};

struct PullLayers {
    std::vector<std::vector<PullKey>> layers; // layers[n]: positions n pulls from solved
    bool exhaustive; // every layer complete: depths are exact fewest pushes
};

// A start position found by the search.
struct PullStart {
    Board board; // walls, goals, boxes; no keeper code
    int32_t keeperCell;
    int32_t pulls; // its layer
    bool exact;    // the search was exhaustive, so pulls is the fewest pushes
};

// false when the room has more open cells than a key can number.
bool makePullRoom(const Board& solved, PullRoom* room);
PullLayers searchPulls(const PullRoom& room, const Board& solved, const PullLimits& limits,
                       Rng& rng);
// Up to `count` positions from the deepest layers, deepest first, leaving out
// those with a box on a goal (such a box might never need to move).
std::vector<PullStart> deepestStarts(const PullRoom& room, const PullLayers& found, int32_t count);
