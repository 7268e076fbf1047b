// The figures written above each level of game/level_table.cpp, read back
// for the level sheet and the level tests, and the solutions file.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

struct LevelFigures {
    int32_t boxes;       // off goal at the start
    int32_t onGoal;      // standing on goals at the start
    int32_t parkedMoved; // of those, the ones the stored solution moves
    int32_t pushes;      // fewest, proven
    int32_t moves;       // of the stored solution
    int32_t loneEstimate;
    double effort;     // as printed, one decimal
    int64_t positions; // the plain search's expanded positions
    bool unfinished;   // it stopped there: the effort is at least the figure
};

// One entry per "// Level N: ..." comment, in order; false when the file
// cannot be read or a comment is malformed. "B boxes, K on goals (M moved);"
// gives boxes on goals, "B boxes;" says there are none.
bool readLevelFigures(const std::string& tableSource, std::vector<LevelFigures>* figures);

// The lines of a text file, without their line ends; empty if unreadable.
std::vector<std::string> readLines(const std::string& path);
