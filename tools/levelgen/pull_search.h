// Phase 2 of the generator: the search backwards from the solved position.
// A pull is a push played backwards (game/rules.h), so a position that is n
// pulls from solved at the least is solved in n pushes at the fewest. The
// search runs breadth-first over positions (the box cells and the keeper's
// region, which is all that matters between pushes), exhaustively while the
// positions fit in its budget, and as a beam after that: each further layer
// keeps the positions whose boxes stand farthest from the goals (each box's
// fewest pushes to its nearest goal, alone, summed), with a little chance
// among near-equals so the beam does not collapse onto one line of play.
#pragma once
#include <stdint.h>

#include <vector>

#include "board_kit.h"
#include "game.h"
#include "random_stream.h"

enum {
    PullMaxFloor = 254, // open cells a room may have: a key numbers them in bits
};

// One position: a bit per floor number for the cells holding boxes, and the
// smallest floor number of the keeper's region.
struct PullKey {
    uint64_t boxes[4];
    uint32_t region;
};

// The fixed part of a room: walls, goals and the numbering of its floor.
struct PullRoom {
    Board empty;     // walls and goals, no boxes
    OpenCells floor; // floor and goal cells, numbered in board order
    // Fewest pushes of a box alone from each floor number to its nearest
    // goal; a large number where no goal can be reached.
    std::vector<int32_t> goalDistance;
};

struct PullLimits {
    int64_t maxPositions; // past this, each further layer is cut to beamWidth
    int32_t beamWidth;
    int32_t maxDepth;
    // The beam's measure leaves out this many boxes nearest their goals
    // (but for a little credit for each that stands on one), so positions
    // with boxes parked on goals keep their place in it.
    int32_t parkedBoxes;
    // Pushes of spread that chance may outweigh in the beam's choice: the
    // larger, the more the beam wanders rather than runs for the far corner.
    int32_t beamNoise;
};

struct PullLayers {
    std::vector<std::vector<PullKey>> layers; // layers[n]: positions n pulls from solved
    bool exhaustive; // every layer complete: depths are exact fewest pushes
};

// A start position found by the search.
struct PullStart {
    Board board; // walls, goals, boxes; no keeper code
    int32_t keeperCell;
    int32_t pulls;  // its layer
    bool exact;     // the search was exhaustive, so pulls is the fewest pushes
    int32_t onGoal; // boxes standing on goals
    int32_t spread; // the beam's measure: how far the boxes stand from goals
};

// false when the room has more open cells than a key can number.
bool makePullRoom(const Board& solved, PullRoom* room);
PullLayers searchPulls(const PullRoom& room, const Board& solved, const PullLimits& limits,
                       Rng& rng);
// Up to `count` positions from the deepest layers, deepest first, with from
// minOnGoal to maxOnGoal boxes standing on goals.
std::vector<PullStart> deepestStarts(const PullRoom& room, const PullLayers& found, int32_t count,
                                     int32_t minOnGoal, int32_t maxOnGoal);
