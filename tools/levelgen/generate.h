// Phases 1 to 3 for a run of rooms: make each room and its goals, search
// its pulls, keep the starts farthest from solved that look most tangled,
// solve those forward and append every proven one to the pool file.
#pragma once
#include <stdint.h>

#include <string>

#include "candidate.h"
#include "pull_search.h"

struct GenerateSettings {
    uint64_t seed;
    int64_t firstRoom;
    int64_t rooms;
    int32_t minBoxes; // boxes off goal at the start
    int32_t maxBoxes;
    int32_t maxParked;      // boxes on goals at the start, up to this in some rooms
    int32_t minCellsPerBox; // the room's floor: this many cells per box or more
    int32_t maxCellsPerBox;
    int32_t startsPerRoom; // forward-solved per room
    PullLimits pull;
    int64_t proofLimit;   // positions the full solver may expand
    int64_t retryLimit;   // and again, when its bound shows the start is a puzzle (0: none)
    int64_t plainLimit;   // positions the plain search may expand
    std::string poolPath; // appended to
    bool quiet;
};

// Solves a start forward, proves it optimal both ways and measures it;
// false when either search gives up or the start is not worth keeping.
// *proven (if given) says whether the full solver's proof finished.
bool evaluateStart(const PullStart& start, uint64_t room, const GenerateSettings& settings,
                   Candidate* out, bool* proven = nullptr);

// Returns the number of candidates written, or -1 when the pool cannot be
// opened.
int64_t generatePool(const GenerateSettings& settings);
