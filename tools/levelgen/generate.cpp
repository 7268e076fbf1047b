// Rooms one after another, each from its own random stream (job number and
// seed), so any range of rooms can be made again on its own.
#include "generate.h"

#include <math.h>
#include <stdio.h>
#include <time.h>

#include <algorithm>

#include "room.h"
#include "rules.h"
#include "solution_shape.h"
#include "solver.h"

namespace {

// Five to eight cells of floor per box (as the settings say) and some room
// to walk, in one
// to four rectangles laid in a box up to the whole board, of which wall
// pieces take an eighth to a quarter: a room, not a maze.
RoomShape pickShape(Rng& rng, int32_t boxes, const GenerateSettings& settings) {
    RoomShape shape;
    int32_t perBox = randomBetween(rng, settings.minCellsPerBox, settings.maxCellsPerBox);
    int32_t area = std::min(boxes * perBox + randomBetween(rng, 10, 20), 210);
    shape.parts = randomBetween(rng, area < 40 ? 1 : 2, 4);
    shape.corridors = shape.parts > 1 && randomBelow(rng, 3) == 0;
    shape.goalRoom = boxes <= 14 && randomBelow(rng, 4) == 0;
    // One rectangle fills its box; joined ones leave corners of it empty.
    int32_t box = shape.parts == 1 ? area * 100 / 82 : area * 100 / 60;
    for (int32_t tries = 0;; ++tries) {
        shape.width = randomBetween(rng, 5, RoomMaxWidth);
        shape.height = randomBetween(rng, 5, RoomMaxHeight);
        int32_t a = shape.width * shape.height;
        if ((a >= box - 4 && a <= box + box / 4) || (tries > 200 && a >= box)) break;
    }
    shape.floorCells = area;
    return shape;
}

struct ScoredStart {
    double score;
    PullStart start;
};

// Far from solved per box, and far beyond what the boxes would need alone:
// the two things that make a start a puzzle rather than a chore.
std::vector<PullStart> mostTangled(const std::vector<PullStart>& starts, int32_t boxes,
                                   int32_t keep) {
    std::vector<ScoredStart> scored;
    for (const PullStart& s : starts) {
        int32_t lone = loneBoxEstimate(s.board, s.keeperCell);
        if (lone <= 0) continue;
        double gap = (double)s.pulls / lone - 1;
        // Past the exhaustive search the pulls are only an upper bound, so
        // the spread of the boxes stands in for the depth.
        double depth = s.exact ? s.pulls : s.spread;
        scored.push_back({depth / boxes + 20 * std::min(gap, 0.5), s});
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const ScoredStart& a, const ScoredStart& b) { return a.score > b.score; });
    std::vector<PullStart> out;
    for (size_t i = 0; i < scored.size() && (int32_t)out.size() < keep; ++i) {
        bool sameBoxes = false;
        for (const PullStart& o : out)
            sameBoxes |= std::equal(o.board.cells, o.board.cells + BoardCellCount,
                                    scored[i].start.board.cells);
        if (!sameBoxes) out.push_back(scored[i].start);
    }
    return out;
}

// One room: its candidates, measured, appended to the pool. Some rooms have
// boxes parked on goals at the start: the beam leaves them out of its
// measure, and only starts with that many boxes on goals are taken.
int32_t makeRoomCandidates(const GenerateSettings& settings, uint64_t job, FILE* pool) {
    Rng rng = streamFor(settings.seed, job);
    int32_t boxes = randomBetween(rng, settings.minBoxes, settings.maxBoxes);
    int32_t parked = settings.maxParked > 0 && randomBelow(rng, 3) == 0
                         ? randomBetween(rng, 1, settings.maxParked)
                         : 0;
    RoomLayout made = makeRoom(rng, pickShape(rng, boxes + parked, settings));
    PullRoom room;
    if (!placeGoals(&made, rng, boxes + parked) || !makePullRoom(made.board, &room)) return 0;
    PullLimits limits = settings.pull;
    limits.parkedBoxes = parked;
    PullLayers layers = searchPulls(room, made.board, limits, rng);
    if (!settings.quiet) {
        size_t positions = 0;
        for (const std::vector<PullKey>& layer : layers.layers)
            positions += layer.size();
        fprintf(stderr,
                "room %llu: %d boxes (%d parked), %d open cells, %zu positions, deepest %zu "
                "pulls%s\n",
                (unsigned long long)job, boxes, parked, room.floor.count, positions,
                layers.layers.size() - 1, layers.exhaustive ? " (exact)" : "");
    }
    // Many starts are tried, the quick proofs of those whose boxes never
    // meet weeding them out, until the room has given its candidates.
    std::vector<PullStart> starts =
        mostTangled(deepestStarts(room, layers, 400, parked, parked + (layers.exhaustive ? 0 : 2)),
                    boxes + parked, 8 * settings.startsPerRoom);
    int32_t written = 0, unproven = 0;
    for (const PullStart& s : starts) {
        // Starts of one room are much alike: when three could not be
        // proven, the others will not be either.
        if (written >= settings.startsPerRoom || unproven >= 3) break;
        // Only the first levels may be shallow, and they have few boxes.
        int32_t offGoal = boxes + parked - s.onGoal;
        if (offGoal < settings.minBoxes) continue;
        if ((s.exact ? s.pulls : 2 * s.spread) < 6 * offGoal && offGoal > 4) continue;
        Candidate c;
        bool proven = true;
        if (!evaluateStart(s, job, settings, &c, &proven)) {
            unproven += !proven;
            continue;
        }
        fprintf(pool, "%s\n", candidateLine(c).c_str());
        fflush(pool);
        ++written;
    }
    return written;
}

} // namespace

bool evaluateStart(const PullStart& start, uint64_t room, const GenerateSettings& settings,
                   Candidate* out, bool* proven) {
    SolverLimits full = {settings.proofLimit, 0, 0, 1024, 1};
    SolverResult proof = solvePosition(start.board, start.keeperCell, full);
    int32_t lone = loneBoxEstimate(start.board, start.keeperCell);
    // A proof that stopped with its lower bound already 10% over the
    // lone-box estimate is a sure puzzle: it gets the larger budget.
    if (proof.outcome != SolverOptimal && settings.retryLimit > settings.proofLimit &&
        proof.lowerBound * 10 >= lone * 11) {
        full.maxExpanded = settings.retryLimit;
        proof = solvePosition(start.board, start.keeperCell, full);
    }
    if (!settings.quiet)
        fprintf(stderr, "room %llu: proof %s, %d pushes, %lld positions, %.1f s\n",
                (unsigned long long)room, proof.outcome == SolverOptimal ? "done" : "not done",
                proof.pushes, (long long)proof.expanded, proof.seconds);
    if (proven) *proven = proof.outcome == SolverOptimal;
    if (proof.outcome != SolverOptimal) return false;
    // Boxes that never get in each other's way are no puzzle past the first
    // few levels: the plain search, the costlier one, is spared them.
    int32_t offGoal = 0;
    for (unsigned char c : start.board.cells)
        offGoal += c == CellCodeBox;
    if (offGoal > 6 && proof.pushes * 10 < lone * 11) return false;
    SolverLimits plain = {settings.plainLimit, 0, 1, 1024, 1};
    SolverResult measured = solvePosition(start.board, start.keeperCell, plain);
    if (measured.outcome != SolverOptimal || measured.pushes != proof.pushes) return false;
    SolutionShape shape = measureSolution(start.board, start.keeperCell, proof.moves);
    if (!shape.solves || shape.unmovedBoxes > shape.restingBoxes) return false;
    if (start.exact && start.pulls != proof.pushes)
        fprintf(stderr,
                "room %llu: %d pulls from solved but %d pushes: search and solver disagree\n",
                (unsigned long long)room, start.pulls, proof.pushes);
    out->room = room;
    out->board = start.board;
    out->keeperCell = start.keeperCell;
    out->boxes = (int32_t)shape.boxRuns.size();
    out->onGoal = shape.parkedBoxes;
    out->parkedMoved = shape.parkedBoxes - shape.restingBoxes;
    out->pushes = proof.pushes;
    out->moves = proof.moveCount;
    out->loneEstimate = loneBoxEstimate(start.board, start.keeperCell);
    out->plainExpanded = measured.expanded;
    out->plainStopped = false;
    out->proofExpanded = proof.expanded;
    out->fillerBoxes = shape.fillerBoxes;
    out->boxRuns = shape.boxRuns;
    out->solution = proof.moves;
    return true;
}

int64_t generatePool(const GenerateSettings& settings) {
    FILE* pool = fopen(settings.poolPath.c_str(), "a");
    if (!pool) return -1;
    int64_t written = 0;
    clock_t began = clock();
    for (int64_t i = 0; i < settings.rooms; ++i) {
        uint64_t job = (uint64_t)(settings.firstRoom + i);
        written += makeRoomCandidates(settings, job, pool);
        if (!settings.quiet)
            fprintf(stderr, "room %llu: %lld candidates so far, %.0f s\n", (unsigned long long)job,
                    (long long)written, (double)(clock() - began) / CLOCKS_PER_SEC);
    }
    fclose(pool);
    return written;
}
