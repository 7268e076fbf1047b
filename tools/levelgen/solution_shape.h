// What a solution asks of the player, measured by replaying it with the
// game's rules: how many separate runs each box is pushed in (a run is a
// longest stretch of consecutive pushes of one box), and which boxes are
// filler (pushed once, straight, at most three cells, and free to be pushed
// so before anything else happens).
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "game.h"

struct SolutionShape {
    bool solves; // every step moves and the last leaves no box off a goal
    int32_t moves;
    int32_t pushes;
    std::vector<int32_t> boxRuns; // per box, in the order of the boxes' start cells
    int32_t fillerBoxes;
    int32_t unmovedBoxes; // boxes never pushed
    int32_t parkedBoxes;  // boxes standing on goals at the start
    int32_t restingBoxes; // of those, the ones never pushed
};

// board: walls, floor, goals and boxes; keeper start codes count as floor.
SolutionShape measureSolution(const Board& board, int32_t keeperCell, const std::string& moves);
