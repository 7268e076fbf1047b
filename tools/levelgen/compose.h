// Levels of many boxes assembled from proven small ones: two to four rooms
// of the small-room pool set apart on the whole board and joined by
// corridors of one cell's width that turn as they leave each room, so the
// keeper walks between the rooms but no box ever can. The solver proves the
// whole (its chambers rule solves each room's boxes alone, once per
// position); the plain search, whose effort measures the levels, is given
// a budget and, where it stops, its count stands as a lower bound.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "candidate.h"

struct ComposeSettings {
    uint64_t seed;
    int64_t firstJob; // each job is a level tried, from its own random stream
    int64_t jobs;
    int32_t minParts, maxParts;
    int32_t minBoxes, maxBoxes; // boxes off goal of the whole
    int32_t maxPartArea;        // with three parts or more: each part's open extent, in cells
    int64_t proofLimit;         // positions the full solver may expand
    int64_t plainLimit;         // and the plain search
    std::vector<std::string> partPools;
    std::string poolPath; // appended to
    bool quiet;
};

// Returns the number of candidates written, or -1 when a pool cannot be read
// or the output cannot be opened.
int64_t composePool(const ComposeSettings& settings);

// The rooms of parts laid on one board and joined (the first part's keeper
// kept), or false when they do not fit after some tries.
bool composeBoard(const std::vector<Candidate>& parts, uint64_t seed, uint64_t job, Board* board,
                  int32_t* keeperCell);
