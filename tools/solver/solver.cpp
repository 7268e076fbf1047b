// solvePosition: reads the board into the solver's room, rules out positions
// that are dead from the start, and within limits runs a greedier search for
// some solution before A* on pushes proves the fewest.
#include "solver.h"

#include "solver_room.h"
#include "solver_search.h"

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

// The greedier search for some solution while the proof runs: its
// estimate's weight is high, so it heads for the goals and seldom looks back,
// and it gets SolverGreedyPercent of the budget. SolverDiveLimit positions are
// the proof's goals-first dive and SolverWideDiveLimit its dive with
// PI-corrals off (every dive that paid on the rooms benchmark and the levels
// took under 6,000 and 100; one that fails costs them all), and
// SolverPlateauLimit the positions the proof may search for a solution of its
// own once its bound has reached the greedier one's pushes.
enum {
    SolverGreedyWeight = 20,
    SolverGreedyPercent = 5,
    SolverDiveLimit = 6000,
    SolverWideDiveLimit = 1000,
    SolverPlateauLimit = 20000,
};

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

// The progress of a later search counted on from an earlier one's.
struct ProgressShift {
    void (*hook)(void*, int64_t);
    void* context;
    int64_t base;
};

void shiftedProgress(void* context, int64_t expanded) {
    const ProgressShift* shift = (const ProgressShift*)context;
    shift->hook(shift->context, shift->base + expanded);
}

// What limits leave after expanded positions and the time since began; a
// progress hook is shifted on by expanded through shift.
SolverLimits leftOver(const SolverLimits& limits, std::chrono::steady_clock::time_point began,
                      int64_t expanded, ProgressShift* shift) {
    SolverLimits rest = limits;
    std::chrono::duration<double> spent = std::chrono::steady_clock::now() - began;
    if (rest.maxSeconds > 0) rest.maxSeconds = std::max(rest.maxSeconds - spent.count(), 0.001);
    if (rest.maxExpanded > 0) rest.maxExpanded = std::max(rest.maxExpanded - expanded, (int64_t)1);
    *shift = {limits.progress, limits.progressContext, expanded};
    if (limits.progress) rest.progress = shiftedProgress, rest.progressContext = shift;
    return rest;
}

// The greedier search, on SolverGreedyPercent of limits' budget and no more
// than what is left of it after expanded positions since began.
SearchRun runGreedy(const Board& board, int32_t playerCell, const Room& room,
                    const RoomStart& start, const SolverLimits& limits,
                    std::chrono::steady_clock::time_point began, int64_t expanded) {
    ProgressShift shift;
    SolverLimits slice = leftOver(limits, began, expanded, &shift);
    SolverLimits part = share(limits, SolverGreedyPercent / 100.0);
    if (part.maxSeconds > 0) slice.maxSeconds = std::min(slice.maxSeconds, part.maxSeconds);
    if (part.maxExpanded > 0) slice.maxExpanded = std::min(slice.maxExpanded, part.maxExpanded);
    return runSearch(board, playerCell, room, start, slice, SolverGreedyWeight,
                     SearchOrderFewestMoves);
}

// A dive of the proof: the exact search in the given order on at most a
// tenth of the budget and cap positions.
SearchRun runDive(const Board& board, int32_t playerCell, const Room& room, const RoomStart& start,
                  const SolverLimits& limits, std::chrono::steady_clock::time_point began,
                  int64_t expanded, int64_t cap, uint32_t skipRules, int32_t order) {
    ProgressShift shift;
    bool limited = limits.maxSeconds > 0 || limits.maxExpanded > 0;
    SolverLimits dive = leftOver(limits, began, expanded, &shift);
    if (limited) {
        SolverLimits part = share(limits, 0.1);
        if (part.maxSeconds > 0) dive.maxSeconds = std::min(dive.maxSeconds, part.maxSeconds);
        if (part.maxExpanded > 0) dive.maxExpanded = std::min(dive.maxExpanded, part.maxExpanded);
    }
    if (dive.maxExpanded == 0 || dive.maxExpanded > cap) dive.maxExpanded = cap;
    dive.skipRules |= skipRules;
    return runSearch(board, playerCell, room, start, dive, 1, order);
}

// The proof. The full search first dives twice: with fewest boxes off goals
// first, then with fewest moves first and every push of a PI-corral kept.
// Then, when greedy, the greedier search looks for some solution (*quick),
// and the main search runs with fewest moves first and PI-corrals on. All
// three are the same exact search (the pruning rules only leave out pushes
// some optimal solution does without) meeting positions in other orders: on
// a wide plateau of equal estimates one order may reach a solution as short
// as the bound in a few dozen positions where another finds none in a
// million. The plain search, whose effort is the levels' measure, runs
// without the dives. expanded counts every search's positions.
SearchRun runProof(const Board& board, int32_t playerCell, const Room& room, const RoomStart& start,
                   const SolverLimits& limits, bool greedy, SearchRun* quick) {
    auto began = std::chrono::steady_clock::now();
    SearchRun first = {0, 0, -1, -1, 0, std::string()};
    if (!limits.plain) {
        first = runDive(board, playerCell, room, start, limits, began, 0, SolverDiveLimit, 0,
                        SearchOrderGoalsFirst);
        if (first.found || first.exhausted) return first;
        SearchRun second =
            runDive(board, playerCell, room, start, limits, began, first.expanded,
                    SolverWideDiveLimit, SolverRulePiCorrals, SearchOrderFewestMoves);
        second.expanded += first.expanded;
        if (second.found || second.exhausted) return second;
        first.expanded = second.expanded;
        first.lowerBound = std::max(first.lowerBound, second.lowerBound);
    }
    SearchPlan plan;
    plan.plateauExpansions = SolverPlateauLimit;
    if (greedy) {
        *quick = runGreedy(board, playerCell, room, start, limits, began, first.expanded);
        // Expanding every position it could reach shows, as the proof
        // would, that none is solved.
        if (quick->exhausted) {
            quick->expanded += first.expanded;
            return *quick;
        }
        if (quick->found) plan.incumbent = quick->pushes;
    }
    ProgressShift shift;
    SolverLimits rest = leftOver(limits, began, first.expanded + quick->expanded, &shift);
    SearchRun run =
        runSearch(board, playerCell, room, start, rest, 1, SearchOrderFewestMoves, plan);
    run.expanded += first.expanded + quick->expanded;
    if (!run.found && first.lowerBound > run.lowerBound) run.lowerBound = first.lowerBound;
    return run;
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
    // Within limits a solution of the greedier search is reported should the
    // proof not end, and it is optimal once the proof's bound reaches its
    // pushes.
    bool greedy = !limits.proofOnly && (limits.maxSeconds > 0 || limits.maxExpanded > 0);
    SearchRun quick = {0, 0, -1, -1, 0, std::string()};
    SearchRun proof = runProof(board, playerCell, *room, start, limits, greedy, &quick);
    r.expanded = proof.expanded;
    r.lowerBound = proof.lowerBound;
    if (proof.found) {
        r.moves = proof.moves;
        r.pushes = proof.pushes;
    } else if (proof.exhausted) {
        r.outcome = SolverNoSolution;
        r.lowerBound = -1;
    } else if (quick.found) {
        r.outcome = proof.lowerBound >= quick.pushes ? SolverOptimal : SolverSolvedOnly;
        r.lowerBound = std::min(proof.lowerBound, quick.pushes);
        r.moves = quick.moves;
        r.pushes = quick.pushes;
    } else {
        r.outcome = SolverGaveUp;
    }
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
