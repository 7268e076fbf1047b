#include "solver_chambers.h"

#include <string.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <unordered_map>
#include <vector>

enum : uint8_t { ChamberNone = 0xFF };
// More groups than this are read as one: each group's search costs a start.
enum { ChamberMaxGroups = 16 };

struct Chambers {
    const Room* room;
    int32_t groups;
    uint8_t groupOf[RoomMaxCells]; // the group whose boxes can reach the cell, or ChamberNone
    std::vector<Board> alone;      // per group: its goals only, no boxes
    std::unordered_map<std::string, int32_t> known; // group, keeper area, boxes -> pushes
    SolverLimits limits;
    std::chrono::steady_clock::time_point began;
    // The search's progress hook, told the positions of the groups' searches
    // on top of its own.
    void (*progress)(void* context, int64_t expanded);
    void* progressContext;
    const int64_t* searched; // the search's count so far
};

namespace {

// The cells a lone box on cell can be pushed to: every push of the box with
// no other box about, the keeper anywhere. Other boxes only take cells away.
void markReach(const Room& room, int32_t cell, std::vector<uint8_t>* seen,
               std::vector<int32_t>* cells) {
    cells->clear();
    std::fill(seen->begin(), seen->end(), 0);
    (*seen)[cell] = 1;
    cells->push_back(cell);
    for (size_t i = 0; i < cells->size(); ++i)
        for (int32_t d = 0; d < RoomDirections; ++d) {
            int32_t to = room.boxTo[(*cells)[i]][d];
            if (to != RoomNone && !(*seen)[to]) (*seen)[to] = 1, cells->push_back(to);
        }
}

void groupProgress(void* context, int64_t expanded) {
    const Chambers* ch = (const Chambers*)context;
    ch->progress(ch->progressContext, *ch->searched + expanded);
}

int32_t rootOf(std::vector<int32_t>& parent, int32_t i) {
    while (parent[i] != i)
        i = parent[i] = parent[parent[i]];
    return i;
}

// The lowest room cell of the keeper's area with only the boxes of one
// group on the board.
int32_t keeperArea(const Room& room, const uint8_t* occupied, int32_t keeper) {
    uint8_t seen[RoomMaxCells] = {0};
    uint8_t queue[RoomMaxCells];
    int32_t head = 0, tail = 0, lowest = keeper;
    seen[keeper] = 1, queue[tail++] = (uint8_t)keeper;
    while (head < tail) {
        int32_t c = queue[head++];
        lowest = std::min(lowest, c);
        for (int32_t d = 0; d < RoomDirections; ++d) {
            int32_t to = room.step[c][d];
            if (to != RoomNone && !seen[to] && !occupied[to])
                seen[to] = 1, queue[tail++] = (uint8_t)to;
        }
    }
    return lowest;
}

} // namespace

Chambers* findChambers(const Board& board, const Room& room, const RoomStart& start,
                       const SolverLimits& limits) {
    if (start.boxCount < 2) return nullptr;
    std::vector<int32_t> parent(start.boxCount), owner(room.open.count, -1), cells;
    std::vector<uint8_t> seen(room.open.count);
    for (int32_t b = 0; b < start.boxCount; ++b) {
        parent[b] = b;
        markReach(room, start.boxes[b], &seen, &cells);
        for (int32_t c : cells) {
            if (owner[c] < 0)
                owner[c] = b;
            else
                parent[rootOf(parent, b)] = rootOf(parent, owner[c]);
        }
    }
    Chambers* ch = new Chambers();
    ch->room = &room;
    ch->groups = 0;
    std::vector<int32_t> groupOfRoot(start.boxCount, -1), boxes, goals;
    for (int32_t b = 0; b < start.boxCount; ++b) {
        int32_t r = rootOf(parent, b);
        if (groupOfRoot[r] < 0)
            groupOfRoot[r] = ch->groups++, boxes.push_back(0), goals.push_back(0);
        ++boxes[groupOfRoot[r]];
    }
    for (int32_t c = 0; c < room.open.count; ++c) {
        ch->groupOf[c] = (uint8_t)ChamberNone;
        if (owner[c] >= 0) ch->groupOf[c] = (uint8_t)groupOfRoot[rootOf(parent, owner[c])];
        if (room.goal[c] && ch->groupOf[c] != ChamberNone) ++goals[ch->groupOf[c]];
    }
    // Every goal within one group's reach and as many as its boxes: else some
    // goal is out of every box's reach, and the search finds that out alone.
    bool split = ch->groups > 1 && ch->groups <= ChamberMaxGroups;
    int32_t reached = 0;
    for (int32_t g = 0; g < ch->groups; ++g)
        split &= goals[g] == boxes[g], reached += goals[g];
    if (!split || reached != room.goalCount) {
        delete ch;
        return nullptr;
    }
    for (int32_t g = 0; g < ch->groups; ++g) {
        Board alone = board;
        for (int32_t c = 0; c < room.open.count; ++c) {
            unsigned char& k = alone.cells[room.open.cellOf[c]];
            k = room.goal[c] && ch->groupOf[c] == g ? (unsigned char)CellCodeGoal
                                                    : (unsigned char)CellCodeFloor;
        }
        ch->alone.push_back(alone);
    }
    ch->limits = limits;
    ch->progress = limits.progress;
    ch->progressContext = limits.progressContext;
    ch->limits.progress = nullptr;
    ch->limits.proofOnly = 1;
    ch->limits.maxMegabytes =
        std::max((limits.maxMegabytes > 0 ? limits.maxMegabytes : 2048) / 4, 16);
    ch->began = std::chrono::steady_clock::now();
    return ch;
}

void freeChambers(Chambers* chambers) {
    delete chambers;
}

int32_t chamberEstimate(Chambers* ch, const uint8_t* boxes, int32_t boxCount, int32_t keeper,
                        int64_t* expanded) {
    const Room& room = *ch->room;
    int32_t total = 0;
    for (int32_t g = 0; g < ch->groups; ++g) {
        uint8_t occupied[RoomMaxCells] = {0};
        std::string key(2, (char)g);
        for (int32_t i = 0; i < boxCount; ++i)
            if (ch->groupOf[boxes[i]] == g) occupied[boxes[i]] = 1, key += (char)boxes[i];
        key[1] = (char)keeperArea(room, occupied, keeper);
        auto found = ch->known.find(key);
        if (found != ch->known.end()) {
            total += found->second;
            if (total >= MatchInfinite) return MatchInfinite;
            continue;
        }
        Board alone = ch->alone[(size_t)g];
        for (int32_t c = 0; c < room.open.count; ++c)
            if (occupied[c]) {
                unsigned char& k = alone.cells[room.open.cellOf[c]];
                k = k == CellCodeGoal ? (unsigned char)CellCodeBoxOnGoal
                                      : (unsigned char)CellCodeBox;
            }
        SolverLimits limits = ch->limits;
        if (limits.maxSeconds > 0) {
            std::chrono::duration<double> spent = std::chrono::steady_clock::now() - ch->began;
            // Out of time: the group counts nothing, which is still a bound.
            if (spent.count() >= limits.maxSeconds) continue;
            limits.maxSeconds -= spent.count();
        }
        if (ch->progress) {
            ch->searched = expanded;
            limits.progress = groupProgress;
            limits.progressContext = ch;
        }
        SolverResult r = solvePosition(alone, room.open.cellOf[keeper], limits);
        *expanded += r.expanded;
        int32_t pushes = r.outcome == SolverOptimal      ? r.pushes
                         : r.outcome == SolverNoSolution ? (int32_t)MatchInfinite
                                                         : std::max(r.lowerBound, 0);
        // A bound from a search that stopped may still grow; only answers
        // that hold whatever the budget are kept.
        if (r.outcome == SolverOptimal || r.outcome == SolverNoSolution) ch->known[key] = pushes;
        total += pushes;
        if (total >= MatchInfinite) return MatchInfinite;
    }
    return total;
}
