// The figures written above each level of game/level_table.cpp, read back
// for the level sheet and the level tests, and the solutions file.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

struct LevelFigures {
    int32_t boxes;
    int32_t pushes; // fewest, proven
    int32_t moves;  // of the stored solution
    int32_t loneEstimate;
    double effort;     // as printed, one decimal
    int64_t positions; // the plain search's expanded positions
};

// One entry per "// Level N: ..." comment, in order; false when the file
// cannot be read or a comment is malformed.
bool readLevelFigures(const std::string& tableSource, std::vector<LevelFigures>* figures);

// The lines of a text file, without their line ends; empty if unreadable.
std::vector<std::string> readLines(const std::string& path);
