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

// A rectangle of about six cells per box plus some room to walk, of which
// wall pieces take an eighth to a quarter: a room, not a maze.
RoomShape pickShape(Rng& rng, int32_t boxes) {
    RoomShape shape;
    int32_t area = std::min(boxes * 6 + randomBetween(rng, 10, 20), 88);
    for (;;) {
        shape.width = randomBetween(rng, 5, 10);
        shape.height = randomBetween(rng, 5, 9);
        int32_t a = shape.width * shape.height;
        if (a >= area - 3 && a <= area + 4) break;
    }
    shape.floorCells = shape.width * shape.height * randomBetween(rng, 75, 87) / 100;
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
        scored.push_back({(double)s.pulls / boxes + 20 * std::min(gap, 0.5), s});
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

// One room: its candidates, measured, appended to the pool.
int32_t makeRoomCandidates(const GenerateSettings& settings, uint64_t job, FILE* pool) {
    Rng rng = streamFor(settings.seed, job);
    int32_t boxes = randomBetween(rng, settings.minBoxes, settings.maxBoxes);
    Board solved = makeRoom(rng, pickShape(rng, boxes));
    PullRoom room;
    if (!placeGoals(&solved, rng, boxes) || !makePullRoom(solved, &room)) return 0;
    PullLayers layers = searchPulls(room, solved, settings.pull, rng);
    if (!settings.quiet) {
        size_t positions = 0;
        for (const std::vector<PullKey>& layer : layers.layers)
            positions += layer.size();
        fprintf(stderr, "room %llu: %d boxes, %d open cells, %zu positions, deepest %zu pulls%s\n",
                (unsigned long long)job, boxes, room.floor.count, positions,
                layers.layers.size() - 1, layers.exhaustive ? " (exact)" : "");
    }
    std::vector<PullStart> starts =
        mostTangled(deepestStarts(room, layers, 400), boxes, settings.startsPerRoom);
    int32_t written = 0;
    for (const PullStart& s : starts) {
        // Only the first levels may be shallow, and they have few boxes.
        if (s.exact && boxes > 4 && s.pulls < 6 * boxes) continue;
        Candidate c;
        if (!evaluateStart(s, job, settings, &c)) continue;
        fprintf(pool, "%s\n", candidateLine(c).c_str());
        fflush(pool);
        ++written;
    }
    return written;
}

} // namespace

bool evaluateStart(const PullStart& start, uint64_t room, const GenerateSettings& settings,
                   Candidate* out) {
    SolverLimits full = {settings.proofLimit, 0, 0, 1024, 1};
    SolverResult proof = solvePosition(start.board, start.keeperCell, full);
    if (proof.outcome != SolverOptimal) return false;
    SolverLimits plain = {settings.plainLimit, 0, 1, 1024, 1};
    SolverResult measured = solvePosition(start.board, start.keeperCell, plain);
    if (measured.outcome != SolverOptimal || measured.pushes != proof.pushes) return false;
    SolutionShape shape = measureSolution(start.board, start.keeperCell, proof.moves);
    if (!shape.solves || shape.unmovedBoxes > 0) return false;
    if (start.exact && start.pulls != proof.pushes)
        fprintf(stderr,
                "room %llu: %d pulls from solved but %d pushes: search and solver disagree\n",
                (unsigned long long)room, start.pulls, proof.pushes);
    out->room = room;
    out->board = start.board;
    out->keeperCell = start.keeperCell;
    out->boxes = (int32_t)shape.boxRuns.size();
    out->pushes = proof.pushes;
    out->moves = proof.moveCount;
    out->loneEstimate = loneBoxEstimate(start.board, start.keeperCell);
    out->plainExpanded = measured.expanded;
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
