// solvePosition: reads the board into the solver's room, rules out positions
// that are dead from the start, runs A* on pushes and, when the limits stop
// the proof first, a greedier search for some solution to report.
#include "solver.h"

#include "solver_room.h"
#include "solver_search.h"

#include <chrono>
#include <memory>

namespace {

// The estimate's weight in the search for some solution once the proof has
// run out of budget: high, so it heads for the goals and seldom looks back.
enum { SolverGreedyWeight = 20 };

SolverResult emptyResult(SolverOutcome outcome) {
    SolverResult r;
    r.outcome = outcome;
    r.pushes = -1;
    r.moveCount = -1;
    r.lowerBound = -1;
    r.expanded = 0;
    r.seconds = 0;
    return r;
}

// A box off its goal on a dead square, or frozen where it stands off a goal.
bool startIsDead(const Room& room, const RoomStart& start, const SolverLimits& limits) {
    uint8_t occupied[RoomMaxCells + 1] = {0};
    for (int32_t i = 0; i < start.boxCount; ++i)
        occupied[start.boxes[i]] = 1;
    for (int32_t i = 0; i < start.boxCount; ++i) {
        int32_t b = start.boxes[i];
        if (room.dead[b]) return true;
        if (!limits.plain && isFrozenDeadlock(room, occupied, b)) return true;
    }
    return false;
}

int32_t boxesOffGoals(const Room& room, const RoomStart& start) {
    int32_t off = 0;
    for (int32_t i = 0; i < start.boxCount; ++i)
        off += !room.goal[start.boxes[i]];
    return off;
}

SolverLimits share(const SolverLimits& limits, double part) {
    SolverLimits l = limits;
    if (l.maxSeconds > 0) l.maxSeconds *= part;
    if (l.maxExpanded > 0) l.maxExpanded = (int64_t)(l.maxExpanded * part) + 1;
    return l;
}

} // namespace

SolverResult solvePosition(const Board& board, int32_t playerCell, const SolverLimits& limits) {
    auto began = std::chrono::steady_clock::now();
    std::unique_ptr<Room> room(new Room());
    RoomStart start;
    if (!buildRoom(board, playerCell, room.get(), &start)) return emptyResult(SolverGaveUp);
    SolverResult r = emptyResult(SolverOptimal);
    if (boxesOffGoals(*room, start) == 0) {
        r.pushes = r.moveCount = r.lowerBound = 0;
        return r;
    }
    if (startIsDead(*room, start, limits)) return emptyResult(SolverNoSolution);
    bool fallback = !limits.proofOnly && (limits.maxSeconds > 0 || limits.maxExpanded > 0);
    SearchRun proof =
        runSearch(board, playerCell, *room, start, fallback ? share(limits, 0.8) : limits, 1);
    r.expanded = proof.expanded;
    r.lowerBound = proof.lowerBound;
    if (proof.found) {
        r.moves = proof.moves;
    } else if (proof.exhausted) {
        r.outcome = SolverNoSolution;
        r.lowerBound = -1;
    } else {
        r.outcome = SolverGaveUp;
        if (fallback) {
            SearchRun quick =
                runSearch(board, playerCell, *room, start, share(limits, 0.2), SolverGreedyWeight);
            r.expanded += quick.expanded;
            if (quick.found) {
                // A solution as short as the proof's bound is optimal.
                r.outcome = quick.pushes == proof.lowerBound ? SolverOptimal : SolverSolvedOnly;
                r.moves = quick.moves;
                r.pushes = quick.pushes;
            }
        }
    }
    if (proof.found) r.pushes = proof.pushes;
    if (r.pushes >= 0) r.moveCount = (int32_t)r.moves.size();
    std::chrono::duration<double> spent = std::chrono::steady_clock::now() - began;
    r.seconds = spent.count();
    return r;
}

int32_t loneBoxEstimate(const Board& board, int32_t playerCell) {
    std::unique_ptr<Room> room(new Room());
    RoomStart start;
    if (!buildRoom(board, playerCell, room.get(), &start)) return -1;
    Matching m;
    setMatchingCosts(*room, start.boxes, start.boxCount, &m);
    int32_t total = solveMatching(&m);
    return total >= MatchInfinite ? -1 : total;
}
