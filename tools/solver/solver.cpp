// solvePosition: reads the board into the solver's room, rules out positions
// that are dead from the start, runs A* on pushes and, when the limits stop
// the proof first, a greedier search for some solution to report.
#include "solver.h"

#include "solver_room.h"
#include "solver_search.h"

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

// The estimate's weight in the search for some solution once the proof has
// run out of budget: high, so it heads for the goals and seldom looks back.
enum { SolverGreedyWeight = 20, SolverFirstDive = 20000 };

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

// The proof. The full search first dives twice, on at most a fifth of the
// proof's budget and SolverFirstDive positions each: with fewest boxes off
// goals first, then with fewest moves first and every push of a PI-corral
// kept; then it runs with fewest moves first and PI-corrals on the rest. All
// three are the same exact search (the pruning rules only leave out pushes
// some optimal solution does without) meeting positions in other orders:
// on a wide plateau of equal estimates one order may reach a solution as
// short as the bound in a few dozen positions where another finds none in a
// million. The plain search, whose effort is the levels' measure, runs alone
// as it always has.
SearchRun runProof(const Board& board, int32_t playerCell, const Room& room, const RoomStart& start,
                   const SolverLimits& limits) {
    if (limits.plain) return runSearch(board, playerCell, room, start, limits, 1, 0);
    bool limited = limits.maxSeconds > 0 || limits.maxExpanded > 0;
    SolverLimits dive = limited ? share(limits, 0.2) : limits;
    if (dive.maxExpanded == 0 || dive.maxExpanded > SolverFirstDive)
        dive.maxExpanded = SolverFirstDive;
    auto began = std::chrono::steady_clock::now();
    SearchRun first = runSearch(board, playerCell, room, start, dive, 1, SearchOrderGoalsFirst);
    if (first.found || first.exhausted) return first;
    SolverLimits wide = dive;
    wide.skipRules |= SolverRulePiCorrals;
    SearchRun second = runSearch(board, playerCell, room, start, wide, 1, SearchOrderFewestMoves);
    if (second.found || second.exhausted) return second;
    first.expanded += second.expanded;
    first.lowerBound = std::max(first.lowerBound, second.lowerBound);
    SolverLimits rest = limits; // what the dive left
    std::chrono::duration<double> spent = std::chrono::steady_clock::now() - began;
    if (rest.maxSeconds > 0) rest.maxSeconds = std::max(rest.maxSeconds - spent.count(), 0.001);
    if (rest.maxExpanded > 0)
        rest.maxExpanded = std::max(rest.maxExpanded - first.expanded, (int64_t)1);
    ProgressShift shift = {limits.progress, limits.progressContext, first.expanded};
    if (limits.progress) rest.progress = shiftedProgress, rest.progressContext = &shift;
    SearchRun run = runSearch(board, playerCell, room, start, rest, 1, SearchOrderFewestMoves);
    run.expanded += first.expanded;
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
    bool fallback = !limits.proofOnly && (limits.maxSeconds > 0 || limits.maxExpanded > 0);
    SearchRun proof =
        runProof(board, playerCell, *room, start, fallback ? share(limits, 0.8) : limits);
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
            SearchRun quick = runSearch(board, playerCell, *room, start, share(limits, 0.2),
                                        SolverGreedyWeight, SearchOrderFewestMoves);
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
