// Phase 4: choosing the 50 levels from the pool and writing the table and
// the solutions. The choice is deterministic: the same pool lines give the
// same table byte for byte.
#pragma once
#include <string>
#include <vector>

#include "candidate.h"

enum {
    LevelsWithPlainStart = 8, // from the ninth level on the start shows a facing
};

// Reads every candidate line of the files; false when one cannot be read.
bool readPool(const std::vector<std::string>& paths, std::vector<Candidate>* pool);

// Whether the candidate fits the rules of any place in the set.
bool mayBeChosen(const Candidate& c);

// The levels in playing order; fewer than 50 when the pool has too few that
// qualify. Notes what it could not meet in *report.
std::vector<Candidate> chooseLevels(const std::vector<Candidate>& pool, std::string* report);

// The choice for levels on the whole board: 6 to 8 boxes off goal in the
// first ten, at least 12 in the last ten and 16 or more in three of them,
// the box counts' medians rising by tens, boxes parked on goals in some, and
// the puzzle targets (depth, interference, no filler, a rising effort).
// Fewer than 50 levels when the pool cannot fill every place; *report then
// says what is short, and also lists every target the set misses.
std::vector<Candidate> chooseWholeBoardLevels(const std::vector<Candidate>& pool,
                                              std::string* report);
// Every target of the whole-board set that `levels` (in playing order)
// misses, one line each; empty when all are met.
std::string wholeBoardShortfalls(const std::vector<Candidate>& levels);

bool writeLevelTable(const std::string& path, const std::vector<Candidate>& levels,
                     const std::string& madeBy);
bool writeSolutions(const std::string& path, const std::vector<Candidate>& levels);
// The start code of level n (0-based): '$', or the facing of the first step.
unsigned char startCodeFor(int32_t n, const Candidate& level);
