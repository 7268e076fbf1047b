// The best-first search over pushes behind solvePosition: A* when weight is 1
// (the first solved position taken from the open list has the fewest
// pushes), a greedier search with a larger weight on the estimate.
#pragma once
#include "solver.h"
#include "solver_room.h"

#include <string>

struct SearchRun {
    int32_t found;      // 1: pushes and moves hold a solution
    int32_t exhausted;  // every reachable position was expanded
    int32_t pushes;     // of the solution found
    int32_t lowerBound; // weight 1 only: no solution has fewer pushes
    int64_t expanded;
    std::string moves; // the solution, replayed on the board through applyStep
};

// The order of positions of the same priority and pushes: fewest moves
// first, or fewest boxes off goals first and then fewest moves; outside the
// plain search, a push of the box pushed last goes before fewer moves. Either way
// the first solved position taken has the fewest pushes; which one the
// search meets first differs, and on a wide plateau of equal estimates that
// can decide between a proof in a few dozen positions and none in a million.
enum SearchOrder : int32_t {
    SearchOrderFewestMoves = 0,
    SearchOrderGoalsFirst = 1,
};

// How a proof may use what is known before it starts.
struct SearchPlan {
    // Pushes of a solution already found, or -1. Once no open position is
    // below it the incumbent is optimal: the search goes on for at most
    // plateauExpansions more, for a solution of its own with as many pushes
    // (its moves may be fewer), and then reports the bound reached. Positions
    // above it need no test to be left out: partial expansion never stores a
    // child above the parent's bucket until that bucket's turn, which does
    // not come before the search stops.
    int32_t incumbent = -1;
    int64_t plateauExpansions = 0;
};

// Searches from start within the limits (maxExpanded and maxSeconds as given,
// 0 = none). board is the position as read, used to replay the solution.
SearchRun runSearch(const Board& board, int32_t playerCell, const Room& room,
                    const RoomStart& start, const SolverLimits& limits, int32_t weight,
                    int32_t order, const SearchPlan& plan = SearchPlan());
