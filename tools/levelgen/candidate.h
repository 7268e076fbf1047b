// A measured candidate level, and its line in a pool file. The generator
// appends one line per candidate as soon as it is measured, so several runs
// (or an interrupted one) can all feed the choice of the 50 levels.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "game.h"

struct Candidate {
    uint64_t room; // the job that made it: rooms with one number share walls
    Board board;   // walls, floor, goals, boxes; no start code
    int32_t keeperCell;
    int32_t boxes;         // all of them, those standing on goals at the start too
    int32_t onGoal;        // boxes standing on goals at the start
    int32_t parkedMoved;   // of those, the ones the solution pushes
    int32_t pushes;        // proven fewest
    int32_t moves;         // of the stored solution
    int32_t loneEstimate;  // loneBoxEstimate of the start
    int64_t plainExpanded; // positions the plain search expanded to prove it
    bool plainStopped;     // it stopped there unfinished: the effort is at least that
    int64_t proofExpanded; // positions the full solver expanded
    int32_t fillerBoxes;
    std::vector<int32_t> boxRuns;
    std::string solution;        // L R U D
    std::vector<uint64_t> parts; // rooms of the small-room pool it was joined from, if any
};

// Positions the plain search expanded per push of the optimum.
double effortOf(const Candidate& c);
// Pushes over the lone-box estimate, less one: 0.1 is ten per cent more.
double interferenceOf(const Candidate& c);
// Pushes per box off goal at the start.
double pushesPerBox(const Candidate& c);
int32_t boxesOffGoal(const Candidate& c);

std::string candidateLine(const Candidate& c);
bool parseCandidateLine(const std::string& line, Candidate* c);
