// A push-optimal solver for the game's levels and saved positions. It decides
// every move through the game's own rules (game/rules.h) and searches over
// pushes: a position is the set of box cells plus the keeper's reachable
// region, and the cost of a solution is its number of pushes, ties broken by
// fewest moves among what the search finds. No shared state: calls may run
// at the same time on different threads.
#pragma once
#include "game.h"

#include <stdint.h>
#include <string>

struct SolverLimits {
    int64_t maxExpanded; // positions to expand before giving up; 0 means no limit
    double maxSeconds;   // wall-clock budget; 0 means no limit
    // The plain search used to measure a level's difficulty: the matching
    // estimate and dead squares only, no frozen-box or corral deadlocks. Its
    // effort (positions expanded per optimal push) is the figure that the
    // level set's ramp is judged by.
    int plain;
    // Memory for stored positions, in megabytes; 0 means 2048.
    int32_t maxMegabytes;
    // Within limits, a greedier search gets a twentieth of the budget, after
    // the proof's short dives and before its main search, to find some
    // solution: reported (as SolverSolvedOnly) when the proof does not end,
    // and proven optimal when the proof's bound reaches its pushes. 1 gives
    // the whole budget to the proof instead.
    int32_t proofOnly;
    // Called now and then with the positions expanded so far in the current
    // search, for a progress line; null means none.
    void (*progress)(void* context, int64_t expanded) = nullptr;
    void* progressContext = nullptr;
    // Rules of the full search to leave out (SolverRule bits), for the tests
    // that show what each one changes; 0 in every real use.
    uint32_t skipRules = 0;
};

// The full search's rules beyond the plain one's matching and dead squares.
// Each keeps every push-optimal answer (see the comments where they act).
enum SolverRule : uint32_t {
    SolverRuleSidedMatching = 1,   // each box's costs from the keeper's side of it
    SolverRulePiCorrals = 2,       // only the pushes of one corral that must be opened first
    SolverRuleCorralDeadlocks = 4, // a small search over a walled-off corral's boxes
    SolverRuleFrozenWalls = 8,     // boxes frozen on their goals read as walls
    SolverRuleChambers = 16,       // boxes that never meet: each group's own optimum
};

enum SolverOutcome : int32_t {
    SolverOptimal = 0,    // solved, and no solution with fewer pushes exists
    SolverSolvedOnly = 1, // a solution found, its optimality not proven in the limits
    SolverNoSolution = 2, // proven: no sequence of moves solves the position
    SolverGaveUp = 3,     // limits reached before any solution was found
};

struct SolverResult {
    SolverOutcome outcome;
    std::string moves;  // the keeper's steps as 'L' 'R' 'U' 'D' letters
    int32_t pushes;     // pushes in moves (-1 when there is none)
    int32_t moveCount;  // moves.size() (-1 when there is none)
    int32_t lowerBound; // proven lower bound on the pushes of any solution
                        // (-1 with SolverNoSolution, or a board that cannot be read)
    int64_t expanded;   // positions expanded, each counted once however often
                        // it is taken up again
    double seconds;     // wall clock
};

// Solves the position on board with the keeper at playerCell. The board holds
// walls, floor, goals and boxes; start-cell codes are read as floor.
SolverResult solvePosition(const Board& board, int32_t playerCell, const SolverLimits& limits);

// The lone-box estimate: a minimum-cost matching of boxes to goals where
// each box's cost to a goal is its fewest pushes with no other box on the
// board. A lower bound on the pushes of any solution; -1 when some box can
// reach no goal.
int32_t loneBoxEstimate(const Board& board, int32_t playerCell);
