// The parts are read from the small-room pool, whose rooms are none of the
// whole-board pool's, so no level of the set is found again inside another.
#include "compose.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "assemble.h"
#include "random_stream.h"
#include "room.h"
#include "solution_shape.h"
#include "solver.h"

namespace {

const int32_t ComposeSteps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}}; // x, y

struct Grid {
    // Per board cell: the part it belongs to (0-based), -1 for wall, -2 for
    // a corridor cell.
    int32_t owner[BoardCellCount];
    bool keeperReach[BoardCellCount]; // where the part's own keeper could walk at its start
    Board board;
};

bool inside(int32_t x, int32_t y) {
    return x >= 1 && x < BoardColumns - 1 && y >= 1 && y < BoardRows - 1;
}

// Floor of some part or corridor next to (x, y), other than at `except`.
int32_t openNeighbours(const Grid& g, int32_t x, int32_t y, int32_t except) {
    int32_t n = 0;
    for (const auto& d : ComposeSteps) {
        int32_t c = (y + d[1]) * BoardColumns + x + d[0];
        n += c != except && g.owner[c] != -1;
    }
    return n;
}

// A door cell: floor with no box and no goal, so the keeper's way through it
// never closes, where the part's own keeper could walk at its start, so that
// through the door he finds the part as it was proven.
bool plainFloor(const Grid& g, int32_t cell, int32_t part) {
    return g.owner[cell] == part && g.board.cells[cell] == CellCodeFloor && g.keeperReach[cell];
}

// The one open cell beside (x, y) other than `except`, if it is the plain
// floor of part `to`: the corridor's end there. *turns grows by one when
// the last step into it turns from the way in `d`.
bool endsAt(const Grid& g, int32_t x, int32_t y, int32_t d, int32_t except, int32_t to,
            int32_t* turns) {
    int32_t found = -1;
    for (int32_t e = 0; e < 4; ++e) {
        int32_t c = (y + ComposeSteps[e][1]) * BoardColumns + x + ComposeSteps[e][0];
        if (c == except || g.owner[c] == -1) continue;
        if (found >= 0 || !plainFloor(g, c, to)) return false;
        found = c;
        *turns += (e >> 1) != (d >> 1);
    }
    return found >= 0;
}

// States of the corridor search: cell, direction of travel into it, and
// turns so far (two standing for two or more).
int32_t stateOf(int32_t cell, int32_t d, int32_t turns) {
    return (cell * 4 + d) * 3 + std::min(turns, 2);
}

void carve(Grid* g, const std::vector<int32_t>& before, int32_t last) {
    for (int32_t s = last; s >= 0; s = before[s]) {
        g->owner[s / 12] = -2;
        g->board.cells[s / 12] = CellCodeFloor;
    }
}

// A corridor from part `from` to part `to` through wall: one cell wide,
// touching each room at one plain floor cell only and nothing else, with
// at least two turns counting the steps out of one room and into the other.
// A box can go along a corridor of one cell's width but never round a
// corner in it, so a box from either room gets no farther than the first
// turn, and the two rooms' boxes never meet. Shortest such; false when
// there is none.
bool joinParts(Grid* g, int32_t from, int32_t to, Rng& rng) {
    std::vector<int32_t> before(BoardCellCount * 12, -2);
    std::vector<int32_t> queue;
    int32_t offset = randomBelow(rng, BoardCellCount);
    for (int32_t k = 0; k < BoardCellCount; ++k) {
        int32_t a = (k + offset) % BoardCellCount;
        if (!plainFloor(*g, a, from)) continue;
        for (int32_t d = 0; d < 4; ++d) {
            int32_t x = a % BoardColumns + ComposeSteps[d][0],
                    y = a / BoardColumns + ComposeSteps[d][1];
            int32_t w = y * BoardColumns + x;
            if (!inside(x, y) || g->owner[w] != -1 || openNeighbours(*g, x, y, a) > 0) continue;
            before[stateOf(w, d, 0)] = -1;
            queue.push_back(stateOf(w, d, 0));
        }
    }
    for (size_t head = 0; head < queue.size(); ++head) {
        int32_t w = queue[head] / 12, d = queue[head] / 3 % 4, turns = queue[head] % 3;
        int32_t x = w % BoardColumns, y = w / BoardColumns;
        for (int32_t e = 0; e < 4; ++e) {
            if (e == (d ^ 1)) continue;
            int32_t t = turns + ((e >> 1) != (d >> 1));
            int32_t nx = x + ComposeSteps[e][0], ny = y + ComposeSteps[e][1];
            int32_t n = ny * BoardColumns + nx;
            int32_t at = stateOf(n, e, t);
            if (!inside(nx, ny) || g->owner[n] != -1 || before[at] != -2) continue;
            int32_t last = t;
            if (endsAt(*g, nx, ny, e, -1, to, &last)) {
                if (last < 2) continue;
                before[at] = queue[head];
                carve(g, before, at);
                return true;
            }
            if (openNeighbours(*g, nx, ny, -1) > 0) continue;
            before[at] = queue[head];
            queue.push_back(at);
        }
    }
    return false;
}

// Lays one part at a random place with a wall of at least two cells all
// round between it and the parts already laid, room for a corridor.
bool layPart(Grid* g, const Candidate& part, int32_t index, Rng& rng, int32_t* keeper) {
    int32_t left = BoardColumns, top = BoardRows, right = 0, bottom = 0;
    for (int32_t c = 0; c < BoardCellCount; ++c)
        if (part.board.cells[c] != CellCodeWall) {
            left = std::min(left, c % BoardColumns), right = std::max(right, c % BoardColumns);
            top = std::min(top, c / BoardColumns), bottom = std::max(bottom, c / BoardColumns);
        }
    int32_t width = right - left + 1, height = bottom - top + 1;
    if (width > BoardColumns - 2 || height > BoardRows - 2) return false;
    for (int32_t tries = 0; tries < 400; ++tries) {
        int32_t ox = randomBetween(rng, 1, BoardColumns - 1 - width) - left;
        int32_t oy = randomBetween(rng, 1, BoardRows - 1 - height) - top;
        bool clear = true;
        for (int32_t c = 0; c < BoardCellCount && clear; ++c) {
            if (part.board.cells[c] == CellCodeWall) continue;
            int32_t x = c % BoardColumns + ox, y = c / BoardColumns + oy;
            for (int32_t dy = -2; dy <= 2 && clear; ++dy)
                for (int32_t dx = -2; dx <= 2; ++dx) {
                    int32_t cx = x + dx, cy = y + dy;
                    if (cx >= 0 && cx < BoardColumns && cy >= 0 && cy < BoardRows)
                        clear &= g->owner[cy * BoardColumns + cx] == -1;
                }
        }
        if (!clear) continue;
        std::vector<int32_t> walk(1, part.keeperCell);
        std::vector<bool> seen(BoardCellCount, false);
        seen[part.keeperCell] = true;
        for (size_t i = 0; i < walk.size(); ++i)
            for (const auto& d : ComposeSteps) {
                int32_t n = walk[i] + d[1] * BoardColumns + d[0];
                unsigned char k = part.board.cells[n];
                if (!seen[n] && (k == CellCodeFloor || k == CellCodeGoal))
                    seen[n] = true, walk.push_back(n);
            }
        for (int32_t c = 0; c < BoardCellCount; ++c) {
            if (part.board.cells[c] == CellCodeWall) continue;
            int32_t at = (c / BoardColumns + oy) * BoardColumns + c % BoardColumns + ox;
            g->owner[at] = index;
            g->keeperReach[at] = seen[c];
            g->board.cells[at] = part.board.cells[c];
            if (c == part.keeperCell && index == 0) *keeper = at;
        }
        return true;
    }
    return false;
}

// Parts worth joining: proven puzzles of their own, deep enough, no filler.
bool mayBePart(const Candidate& c) {
    return boxesOffGoal(c) >= 3 && c.fillerBoxes == 0 && interferenceOf(c) >= 0.1 &&
           pushesPerBox(c) >= 6;
}

bool evaluateComposed(const Board& board, int32_t keeper, uint64_t job,
                      const ComposeSettings& settings, Candidate* out) {
    SolverLimits full = {settings.proofLimit, 0, 0, 4096, 1};
    SolverResult proof = solvePosition(board, keeper, full);
    int32_t lone = loneBoxEstimate(board, keeper);
    if (!settings.quiet)
        fprintf(stderr, "job %llu: proof %s, %d pushes (lone %d), %lld positions, %.1f s\n",
                (unsigned long long)job, proof.outcome == SolverOptimal ? "done" : "not done",
                proof.pushes, lone, (long long)proof.expanded, proof.seconds);
    if (proof.outcome != SolverOptimal || proof.pushes * 10 < lone * 11) return false;
    SolutionShape shape = measureSolution(board, keeper, proof.moves);
    if (!shape.solves || shape.unmovedBoxes > shape.restingBoxes) return false;
    int32_t off = (int32_t)shape.boxRuns.size() - shape.parkedBoxes;
    if (off < settings.minBoxes || off > settings.maxBoxes || proof.pushes < 6 * off) return false;
    SolverLimits plain = {settings.plainLimit, 0, 1, 4096, 1};
    SolverResult measured = solvePosition(board, keeper, plain);
    if (measured.outcome == SolverOptimal && measured.pushes != proof.pushes) return false;
    out->board = board;
    out->keeperCell = keeper;
    out->boxes = (int32_t)shape.boxRuns.size();
    out->onGoal = shape.parkedBoxes;
    out->parkedMoved = shape.parkedBoxes - shape.restingBoxes;
    out->pushes = proof.pushes;
    out->moves = proof.moveCount;
    out->loneEstimate = lone;
    out->plainExpanded = measured.expanded;
    out->plainStopped = measured.outcome != SolverOptimal;
    out->proofExpanded = proof.expanded;
    out->fillerBoxes = shape.fillerBoxes;
    out->boxRuns = shape.boxRuns;
    out->solution = proof.moves;
    return true;
}

} // namespace

bool composeBoard(const std::vector<Candidate>& parts, uint64_t seed, uint64_t job, Board* board,
                  int32_t* keeperCell) {
    Rng rng = streamFor(seed, job ^ 0xC0FFEEull);
    for (int32_t attempt = 0; attempt < 8; ++attempt) {
        Grid g;
        memset(g.board.cells, CellCodeWall, BoardCellCount);
        std::fill(g.owner, g.owner + BoardCellCount, -1);
        std::fill(g.keeperReach, g.keeperReach + BoardCellCount, false);
        int32_t keeper = -1;
        bool laid = true;
        for (size_t i = 0; i < parts.size() && laid; ++i) {
            laid = layPart(&g, parts[i], (int32_t)i, rng, &keeper);
            // Each room joined to one laid before it, the shortest way.
            bool joined = i == 0;
            for (int32_t tries = 0; laid && !joined && tries < 2 * (int32_t)i; ++tries)
                joined = joinParts(&g, randomBelow(rng, (int32_t)i), (int32_t)i, rng);
            laid &= joined;
        }
        if (!laid || keeper < 0) continue;
        *board = g.board;
        *keeperCell = keeper;
        return true;
    }
    return false;
}

int64_t composePool(const ComposeSettings& settings) {
    std::vector<Candidate> pool, parts;
    if (!readPool(settings.partPools, &pool)) return -1;
    for (const Candidate& c : pool)
        if (mayBePart(c)) parts.push_back(c);
    FILE* out = fopen(settings.poolPath.c_str(), "a");
    if (!out || parts.size() < 4) {
        if (out) fclose(out);
        return -1;
    }
    int64_t written = 0;
    for (int64_t i = 0; i < settings.jobs; ++i) {
        uint64_t job = (uint64_t)(settings.firstJob + i);
        Rng rng = streamFor(settings.seed, job);
        int32_t count = randomBetween(rng, settings.minParts, settings.maxParts);
        Board board;
        int32_t keeper = -1;
        bool made = false;
        std::vector<uint64_t> rooms;
        // Rooms that will not go together are drawn again, a few times.
        for (int32_t draw = 0; draw < 24 && !made; ++draw) {
            std::vector<Candidate> chosen;
            int32_t boxes = 0;
            for (int32_t tries = 0; tries < 200 && (int32_t)chosen.size() < count; ++tries) {
                const Candidate& c = parts[(size_t)randomBelow(rng, (int32_t)parts.size())];
                int32_t columns, rows;
                openExtent(c.board, &columns, &rows);
                bool again = count > 2 && columns * rows > settings.maxPartArea;
                for (const Candidate& o : chosen)
                    again |= o.room == c.room;
                if (again || boxes + boxesOffGoal(c) > settings.maxBoxes) continue;
                chosen.push_back(c);
                boxes += boxesOffGoal(c);
            }
            made = boxes >= settings.minBoxes &&
                   composeBoard(chosen, settings.seed, job * 64 + (uint64_t)draw, &board, &keeper);
            rooms.clear();
            for (const Candidate& o : chosen)
                rooms.push_back(o.room);
        }
        if (!made) {
            if (!settings.quiet)
                fprintf(stderr, "job %llu: no %d rooms went together\n", (unsigned long long)job,
                        count);
            continue;
        }
        Candidate c;
        c.room = job;
        c.parts = rooms;
        if (!evaluateComposed(board, keeper, job, settings, &c)) continue;
        fprintf(out, "%s\n", candidateLine(c).c_str());
        fflush(out);
        ++written;
    }
    fclose(out);
    return written;
}
