// Positions are box sets plus the lowest cell of the keeper's area, stored
// once each in a flat node array, found again through an open-addressing
// table keyed by a Zobrist hash. The open list is a bucket queue on
// pushes + weight * estimate, deepest first within a bucket. Expansion is
// partial: children that would go in a later bucket than their parent are not
// stored until the parent's turn comes round again at that bucket.
#include "solver_search.h"

#include "solver_chambers.h"

#include "position_table.h"
#include "random_stream.h"
#include "rules.h"

#include <algorithm>
#include <assert.h>
#include <chrono>
#include <memory>
#include <string.h>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

enum : uint32_t { NodeNone = 0xFFFFFFFFu };
enum : uint16_t { EstimateNever = 0xFFFF }; // a position that can never be solved
// Positions a corral test may search before it answers "not a deadlock".
enum { SearchCorralLimit = 300 };
// Room tables with frozen boxes walled in that a search may read; past that
// a position keeps its parent's, which wall fewer boxes and are still sound.
enum { SearchMaxVariants = 64 };

// What has become of a stored position.
enum NodeState : uint8_t {
    NodeOpen = 0,    // waiting, never expanded
    NodeClosed = 1,  // every child offered, or never solvable
    NodePartial = 2, // expanded, its costlier children held back for a later turn
};

struct Node {
    uint32_t parent;   // NodeNone for the start
    uint32_t moves;    // keeper steps from the start on the path found
    uint32_t priority; // in the open list: pushes + weight * estimate, or more once partial
    uint16_t pushes;
    uint16_t estimate; // the matching bound, 0 only when solved
    uint8_t keeper;    // lowest room cell of the keeper's area
    uint8_t standing;  // the keeper's own cell: where the last pushed box was
    uint8_t direction; // of the push that made this position
    uint8_t state;     // NodeState
    uint8_t variant;   // the room tables it is searched with (Search::variants)
};

// The room with some boxes frozen on their goals turned into walls.
struct RoomVariant {
    Room room;
    uint8_t frozen[RoomMaxCells];
};

using Clock = std::chrono::steady_clock;

struct OpenEntry {
    uint32_t order; // smaller goes first
    uint32_t node;
};

// Outside the plain search, entries of the same order go oldest position
// first: with the order total, the heap pops the same sequence whatever
// library sorts it, so the page's worker searches the very positions the
// native solver does. The plain search keeps the order its effort figures
// were measured with.
struct LaterEntry {
    bool total;
    bool operator()(const OpenEntry& a, const OpenEntry& b) const {
        if (a.order != b.order || !total) return a.order > b.order;
        return a.node > b.node;
    }
};

struct Push {
    uint32_t parent;
    int32_t box; // index in the parent's box list
    int32_t from, to, direction, keeperSteps;
    int32_t keeper;   // the child's lowest keeper cell
    uint64_t hash;    // the child's
    int32_t wallsOff; // the push may have cut cells beside the box off from the keeper
    int32_t estimate; // the child's
    uint8_t variant;  // the room tables the child is searched with
};

struct Search {
    const Room* room; // the tables of the position being expanded
    std::vector<std::unique_ptr<RoomVariant>> variants;
    std::unordered_map<std::string, uint8_t> variantOf; // frozen cells -> variant
    bool frozenWalls;
    SolverLimits limits;
    int32_t weight;
    int32_t order;      // SearchOrder
    bool sameBoxFirst;  // the box just pushed first (not in the plain search)
    bool oldestFirst;   // ties in the open list go oldest first (LaterEntry)
    bool estimateFirst; // a child held back is not looked up (expand)
    int32_t boxCount;
    bool sided; // the matching counts each box from the keeper's side of it
    std::vector<Node> nodes;
    std::vector<uint8_t> boxes;               // boxCount room cells per node, ascending
    PositionTable table;                      // slot index: the node
    std::vector<std::vector<OpenEntry>> open; // a heap per priority
    size_t lowest;                            // no open entry below this bucket
    size_t maxNodes;
    uint64_t zobrist[2][256];
    Matching matching, childMatching;
    // childMatching's costs are matching's but for row childRow while this
    // holds, so a child copies back one row instead of the whole table.
    bool childCostsSynced;
    int32_t childRow;
    std::vector<Push> pushes;        // of the position being expanded
    uint32_t matchedNode;            // whose boxes s->matching holds, or NodeNone
    int32_t matchedCost;             // the cost of s->matching's assignment
    uint8_t rowOfCell[RoomMaxCells]; // the matching's row of each of its boxes
    uint8_t occupied[RoomMaxCells + 1];
    uint64_t boxBits[RoomBoardWords]; // the expanded position's boxes by board cell
    uint16_t walk[RoomMaxCells];
    uint32_t areaMark[RoomMaxCells], childMark[RoomMaxCells], markCount;
    uint32_t corralMark[RoomMaxCells]; // stamp of the corral a free cell belongs to
    uint8_t pushable[RoomMaxCells];    // 1: the boxes expand may push (all, or one corral's)
    bool piCorrals;
    bool corralDeadlocks;
    SearchPlan plan;
    uint32_t ceiling;   // the incumbent's pushes in the proof, else UINT32_MAX
    Chambers* chambers; // groups of boxes that never meet, or null
    int64_t expanded;   // positions expanded, each counted once
    int64_t turns;      // expansions, partial ones included
    Clock::time_point began;
};

// The keys never change: the tables' order, and so every effort figure,
// depends on them.
enum : uint64_t { SearchZobristSeed = 0x9E3779B97F4A7C15ull };

// Marks the keeper's area from cell with the current box placement; returns
// its lowest cell. With Walk, also the steps to each cell of the area. Walk
// is a template argument so that expand, which runs this once per position,
// gets a flood without the test in its loop.
template <bool Walk> int32_t markArea(Search* s, uint32_t* mark, int32_t from) {
    uint32_t stamp = ++s->markCount;
    uint8_t queue[RoomMaxCells];
    int32_t lowest = from;
    mark[from] = stamp;
    if (Walk) s->walk[from] = 0;
    floodOpenCells(s->room->step, from, queue, [&](int32_t t, int32_t c) {
        if (mark[t] == stamp || s->occupied[t]) return false;
        mark[t] = stamp;
        if (Walk) s->walk[t] = (uint16_t)(s->walk[c] + 1);
        if (t < lowest) lowest = t;
        return true;
    });
    return lowest;
}

// The table slot holding this position, or the empty slot where it belongs.
PositionSlot* findSlot(Search* s, uint64_t hash, int32_t keeper, const uint8_t* boxes) {
    return findPosition(&s->table, hash, [s, keeper, boxes](uint32_t n) {
        return s->nodes[n].keeper == keeper &&
               memcmp(&s->boxes[(size_t)n * s->boxCount], boxes, s->boxCount) == 0;
    });
}

void pushOpen(Search* s, uint32_t n) {
    const Node& node = s->nodes[n];
    size_t priority = node.priority;
    if (priority >= s->open.size()) s->open.resize(priority + 1);
    // Deepest first, then fewest moves: the first solution reached is then
    // the one with the fewest moves among those the search meets first.
    uint32_t depthFirst = (uint32_t)(0xFFFF - node.pushes) << 16;
    // Outside the plain search, a push of the box the parent pushed goes
    // before other pushes (of as many boxes off goals) with as many moves or
    // fewer: boxes are mostly pushed several times on end, and on a plateau
    // of equal estimates this order reaches a solution sooner (room 10.1 of
    // the rooms benchmark: 41 positions instead of 306,021). Only the order
    // within a bucket changes, so the first solved position taken still has
    // the fewest pushes.
    uint32_t other = 0;
    if (s->sameBoxFirst && node.parent != NodeNone) {
        const Node& up = s->nodes[node.parent];
        other = up.parent == NodeNone ||
                s->variants[0]->room.boxTo[up.standing][up.direction] != node.standing;
    }
    uint32_t order = depthFirst | other << 15 | (node.moves < 0x7FFF ? node.moves : 0x7FFF);
    if (!s->sameBoxFirst) order = depthFirst | (node.moves < 0xFFFF ? node.moves : 0xFFFF);
    if (s->order == SearchOrderGoalsFirst) {
        int32_t off = 0;
        const uint8_t* boxes = &s->boxes[(size_t)n * s->boxCount];
        for (int32_t i = 0; i < s->boxCount; ++i)
            off += !s->variants[0]->room.goal[boxes[i]];
        // Five bits: from 31 boxes off goals up they tie (the board holds at
        // most a few more), rather than spill into the depth.
        if (off > 31) off = 31;
        order = depthFirst | (uint32_t)off << 11 | other << 10 |
                (node.moves < 0x3FF ? node.moves : 0x3FF);
    }
    std::vector<OpenEntry>& bucket = s->open[priority];
    bucket.push_back(OpenEntry{order, n});
    std::push_heap(bucket.begin(), bucket.end(), LaterEntry{s->oldestFirst});
    if (priority < s->lowest) s->lowest = priority;
}

uint32_t addNode(Search* s, const Node& node, const uint8_t* boxes, uint64_t hash,
                 PositionSlot* slot) {
    uint32_t n = (uint32_t)s->nodes.size();
    s->nodes.push_back(node);
    s->boxes.insert(s->boxes.end(), boxes, boxes + s->boxCount);
    addPosition(&s->table, slot, hash, n);
    return n;
}

// The child's box cells: parent's with moved replaced by to, kept ascending.
void movedBoxes(const uint8_t* from, int32_t count, int32_t moved, int32_t to, uint8_t* out) {
    int32_t k = 0;
    bool placed = false;
    for (int32_t i = 0; i < count; ++i) {
        if (i == moved) continue;
        if (!placed && to < from[i]) out[k++] = (uint8_t)to, placed = true;
        out[k++] = from[i];
    }
    if (!placed) out[k++] = (uint8_t)to;
}

uint64_t hashBoxes(const Search* s, const uint8_t* boxes) {
    uint64_t hash = 0;
    for (int32_t i = 0; i < s->boxCount; ++i)
        hash ^= s->zobrist[0][boxes[i]];
    return hash;
}

// The estimate of boxes with the keeper on cell keeper, read with a
// variant's tables from scratch.
int32_t solveMatchingOf(Search* s, uint8_t variant, const uint8_t* boxes, int32_t keeper) {
    Matching m;
    setSidedMatchingCosts(s->variants[variant]->room, boxes, s->boxCount, keeper, &m);
    return solveMatching(&m);
}

// The variant for the frozen cells in frozen: found, made, or none (-1)
// once there are SearchMaxVariants.
int32_t variantFor(Search* s, const uint8_t* frozen) {
    std::string key;
    for (int32_t c = 0; c < s->variants[0]->room.open.count; ++c)
        if (frozen[c]) key.push_back((char)c);
    auto known = s->variantOf.find(key);
    if (known != s->variantOf.end()) return known->second;
    if ((int32_t)s->variants.size() >= SearchMaxVariants) return -1;
    std::unique_ptr<RoomVariant> v(new RoomVariant());
    memcpy(v->frozen, frozen, sizeof v->frozen);
    wallFrozenBoxes(s->variants[0]->room, frozen, &v->room);
    uint8_t index = (uint8_t)s->variants.size();
    s->variants.push_back(std::move(v));
    s->variantOf[key] = index;
    return index;
}

// After a push onto a goal: when it froze boxes on their goals, the child is
// searched with them as walls, and its estimate is the matching read there.
int32_t frozenWallEstimate(Search* s, const Push& p, int32_t estimate, const uint8_t* child,
                           uint8_t* variant) {
    uint8_t parentVariant = *variant;
    const RoomVariant& parent = *s->variants[parentVariant];
    uint8_t frozen[RoomMaxCells];
    memcpy(frozen, parent.frozen, sizeof frozen);
    s->occupied[p.from] = 0, s->occupied[p.to] = 1;
    int32_t marked = markFrozenOnGoals(parent.room, s->occupied, p.to, frozen);
    s->occupied[p.from] = 1, s->occupied[p.to] = 0;
    int32_t found = marked > 0 ? variantFor(s, frozen) : -1;
    if (found < 0) return estimate;
    *variant = (uint8_t)found;
    return solveMatchingOf(s, *variant, child, p.from);
}
// s->childMatching made equal to s->matching, the child's row to be written.
void copyForChild(Search* s) {
    const Matching& from = s->matching;
    Matching& to = s->childMatching;
    if (!s->childCostsSynced) {
        to.cost = from.cost;
        s->childCostsSynced = true;
    } else {
        size_t at = (size_t)s->childRow * from.columns;
        std::copy(from.cost.begin() + at, from.cost.begin() + at + from.columns,
                  to.cost.begin() + at);
    }
    to.rows = from.rows, to.columns = from.columns;
    to.u = from.u, to.v = from.v, to.rowOfColumn = from.rowOfColumn;
}

// The pushed box's cost to goal column g (0-based) after push p: from the
// side the keeper stands on.
int32_t pushedCost(const Search* s, const Push& p, int32_t g) {
    int32_t d = loneDistanceFrom(*s->room, g, p.to, p.direction ^ 1);
    return d == RoomUnreachable ? MatchInfinite : d;
}

// Whether after push p the matching costs one less than the parent's: so it
// does when the pushed box came a push nearer the goal the parent's
// assignment gives it. The push lowers each of the box's costs by at most
// one (pushed on from its new cell, it is one push past the old one) and
// leaves the other rows as they were, so no assignment can cost less than
// the parent's optimum less one, and the parent's own assignment then does.
bool costsOneLess(const Search* s, const Push& p) {
    const Matching& m = s->matching;
    int32_t row = s->rowOfCell[p.from];
    if (s->matchedCost >= MatchInfinite) return false;
    for (int32_t j = 1; j <= m.columns; ++j) {
        if (m.rowOfColumn[j] != row + 1) continue;
        int32_t before = m.cost[(size_t)row * m.columns + j - 1];
        return before < MatchInfinite && pushedCost(s, p, j - 1) == before - 1;
    }
    return false;
}

// The estimate of the position after push p, with the room tables it is to
// be searched with in *variant (the parent's on entry); >= MatchInfinite when
// no assignment of boxes to goals is left.
int32_t childEstimate(Search* s, const Push& p, const uint8_t* parentBoxes, uint8_t* variant) {
    int32_t estimate;
    if (costsOneLess(s, p)) {
        estimate = s->matchedCost - 1;
#ifndef NDEBUG
        Matching check = s->matching;
        int32_t row = s->rowOfCell[p.from];
        for (int32_t g = 0; g < check.columns; ++g)
            check.cost[(size_t)row * check.columns + g] = pushedCost(s, p, g);
        assert(resolveMatchingRow(&check, row) == estimate);
#endif
    } else {
        int32_t row = s->rowOfCell[p.from];
        Matching& m = s->childMatching;
        copyForChild(s);
        s->childRow = row;
        for (int32_t g = 0; g < m.columns; ++g)
            m.cost[(size_t)row * m.columns + g] = pushedCost(s, p, g);
        estimate = resolveMatchingRow(&m, row);
    }
    if (s->frozenWalls && s->room->goal[p.to] && estimate < MatchInfinite) {
        uint8_t child[RoomMaxCells];
        movedBoxes(parentBoxes, s->boxCount, p.box, p.to, child);
        estimate = frozenWallEstimate(s, p, estimate, child, variant);
    }
    if (s->chambers && estimate < MatchInfinite) {
        uint8_t child[RoomMaxCells];
        movedBoxes(parentBoxes, s->boxCount, p.box, p.to, child);
        estimate = std::max(estimate,
                            chamberEstimate(s->chambers, child, s->boxCount, p.from, &s->expanded));
    }
    return estimate;
}

// Records the position after one push: new, or a cheaper way to a known one.
// A new position later in the open list than its parent is not stored yet;
// the lowest such priority goes to *heldBack (see expand).
void offerChild(Search* s, const Push& p, const uint8_t* parentBoxes, uint32_t* heldBack) {
    uint8_t child[RoomMaxCells];
    movedBoxes(parentBoxes, s->boxCount, p.box, p.to, child);
    const Node parent = s->nodes[p.parent];
    uint64_t hash = p.hash;
    int32_t keeper = p.keeper;
    PositionSlot* slot = findSlot(s, hash, keeper, child);
    uint32_t pushes = parent.pushes + 1u, moves = parent.moves + p.keeperSteps + 1u;
    if (slot->index != PositionNone) {
        Node& known = s->nodes[slot->index];
        bool fewerPushes = pushes < known.pushes;
        if (!fewerPushes &&
            (pushes > known.pushes || moves >= known.moves || known.state == NodeClosed))
            return;
        known.pushes = (uint16_t)pushes, known.moves = moves, known.parent = p.parent;
        known.standing = (uint8_t)p.from, known.direction = (uint8_t)p.direction;
        if (fewerPushes && known.estimate != EstimateNever) {
            known.state = NodeOpen;
            known.priority = pushes + (uint32_t)s->weight * known.estimate;
            pushOpen(s, slot->index);
        }
        return;
    }
    Node node = {};
    node.variant = p.variant;
    node.parent = p.parent, node.moves = moves, node.pushes = (uint16_t)pushes;
    node.estimate = EstimateNever, node.state = NodeClosed;
    node.keeper = (uint8_t)keeper, node.standing = (uint8_t)p.from;
    node.direction = (uint8_t)p.direction;
    if (p.estimate >= MatchInfinite) { // no assignment of boxes to goals: never solvable
        addNode(s, node, child, hash, slot);
        return;
    }
    uint32_t priority = pushes + (uint32_t)s->weight * p.estimate;
    if (priority > parent.priority) {
        if (priority < *heldBack) *heldBack = priority;
        return;
    }
    if (p.wallsOff && s->corralDeadlocks &&
        isCorralDeadlock(*s->room, child, s->boxCount, p.from, p.to, SearchCorralLimit)) {
        addNode(s, node, child, hash, slot); // stored as never solvable
        return;
    }
    node.estimate = (uint16_t)p.estimate, node.priority = priority;
    node.state = NodeOpen;
    pushOpen(s, addNode(s, node, child, hash, slot));
}

// The keeper's lowest cell after a push, by flooding the room's bits. This
// is the one flood the board kit does not do: it runs after most pushes, and
// with the kit's cell-by-cell flood (markArea) in its place the solver
// benchmark took 1.32 times as long.
int32_t floodChildKeeper(const Search* s, int32_t from, int32_t to) {
    const Room& room = *s->room;
    uint64_t free[RoomBoardWords];
    for (int32_t i = 0; i < RoomBoardWords; ++i)
        free[i] = room.boardBits[i] & ~s->boxBits[i];
    int32_t fromCell = room.open.cellOf[from], toCell = room.open.cellOf[to];
    free[fromCell >> 6] |= 1ull << (fromCell & 63);
    free[toCell >> 6] &= ~(1ull << (toCell & 63));
    return room.open.indexOf[floodLowestCell(free, fromCell)];
}

bool isFree(const Search* s, int32_t cell) {
    return cell != RoomNone && !s->occupied[cell];
}

// Whether the free cells beside cell stay joined when cell fills: the free
// ones among its four neighbours, taken around the cell, must be linked by
// free corner cells into one group.
bool neighboursStayJoined(const Search* s, int32_t cell) {
    static const int32_t around[RoomDirections] = {2, 1, 3, 0}; // up, right, down, left
    const Room& room = *s->room;
    int32_t free = 0, links = 0;
    for (int32_t k = 0; k < RoomDirections; ++k) {
        int32_t d = around[k], e = around[(k + 1) % RoomDirections];
        int32_t a = room.step[cell][d], b = room.step[cell][e];
        if (!isFree(s, a)) continue;
        ++free;
        if (!isFree(s, b)) continue;
        int32_t corner = room.step[a][e];
        links += isFree(s, corner) && room.step[b][d] == corner;
    }
    return links >= free - 1;
}

// The lowest cell of the keeper's area after the box on from went to to (the
// keeper now on from). It is the parent's area with from added and to taken
// away, unless the push opens a way into cells the keeper could not reach or
// cuts the area in two; both show in the cells around, and then a full flood
// answers.
int32_t fastChildKeeperCell(Search* s, uint32_t area, int32_t keeper, int32_t from, int32_t to) {
    const Room& room = *s->room;
    for (int32_t d = 0; d < RoomDirections; ++d) {
        int32_t c = room.step[from][d];
        if (isFree(s, c) && s->areaMark[c] != area) return floodChildKeeper(s, from, to);
    }
    if (s->areaMark[to] == area && (to == keeper || !neighboursStayJoined(s, to)))
        return floodChildKeeper(s, from, to);
    return keeper < from ? keeper : from;
}

// Whether, after a push onto cell to, a free cell beside the box may be out
// of the keeper's reach: one the keeper could not reach before, or any when
// the box may have cut the area in two.
int32_t mayWallOff(const Search* s, uint32_t area, int32_t to) {
    const Room& room = *s->room;
    for (int32_t d = 0; d < RoomDirections; ++d) {
        int32_t c = room.step[to][d];
        if (isFree(s, c) && s->areaMark[c] != area) return 1;
    }
    return s->areaMark[to] == area && !neighboursStayJoined(s, to);
}

// The same, checked against a full flood in debug builds.
int32_t childKeeperCell(Search* s, uint32_t area, int32_t keeper, int32_t from, int32_t to) {
    assert(fastChildKeeperCell(s, area, keeper, from, to) ==
           markArea<false>(s, s->childMark, from));
    return fastChildKeeperCell(s, area, keeper, from, to);
}

// The matching's costs for a position. The pushed box's row of a child is
// always counted from the keeper's side (offerChild); with sided, every row
// is. After a push the keeper stands where the box was, which he reached
// without passing any other box, so his side of every other box is the
// parent's: one row changes per push, and a push lowers that row's entries
// by at most one, so the estimate stays consistent.
void setPositionCosts(const Search* s, const uint8_t* boxes, int32_t keeper, Matching* m) {
    if (s->sided)
        setSidedMatchingCosts(*s->room, boxes, s->boxCount, keeper, m);
    else
        setMatchingCosts(*s->room, boxes, s->boxCount, m);
}

// Leaves the matching of position n's boxes in s->matching. When the last
// position matched was n's parent, only the pushed box's row changes and one
// augmentation re-solves it; the search goes deepest first, so that is the
// usual case.
void matchPosition(Search* s, uint32_t n, const uint8_t* boxes) {
    const Room& room = *s->room;
    const Node& node = s->nodes[n];
    Matching& m = s->matching;
    if (s->matchedNode == n) return;
    s->childCostsSynced = false;
    bool small = true; // potentials only fall; start afresh before they grow large
    for (int32_t v : m.v)
        small = small && v > -(1 << 28);
    bool sameTables = node.parent != NodeNone && s->nodes[node.parent].variant == node.variant;
    if (s->matchedNode != NodeNone && node.parent == s->matchedNode && small && sameTables) {
        int32_t from = node.standing, to = room.boxTo[from][node.direction];
        int32_t row = s->rowOfCell[from];
        s->rowOfCell[to] = (uint8_t)row;
        for (int32_t g = 0; g < m.columns; ++g) {
            int32_t d =
                s->sided ? sidedDistance(room, g, to, node.keeper) : loneDistance(room, g, to);
            m.cost[(size_t)row * m.columns + g] = d == RoomUnreachable ? MatchInfinite : d;
        }
        s->matchedCost = resolveMatchingRow(&m, row);
#ifndef NDEBUG
        Matching fresh;
        setPositionCosts(s, boxes, node.keeper, &fresh);
        assert(solveMatching(&fresh) == s->matchedCost);
#endif
    } else {
        for (int32_t i = 0; i < s->boxCount; ++i)
            s->rowOfCell[boxes[i]] = (uint8_t)i;
        setPositionCosts(s, boxes, node.keeper, &m);
        s->matchedCost = solveMatching(&m);
    }
    s->matchedNode = n;
}

// PI-corrals. A corral is a piece of free room the keeper cannot reach;
// its boxes are those beside it, and it stays shut until one of them moves,
// for no other box can be pushed into it without being beside it. Say every
// push of its boxes that could ever be the first is one the keeper can make
// now, into the corral (a push from inside the corral, or onto or from a
// cell another of its boxes holds, cannot be first; one onto a dead square
// is never part of a solution). If some box of the corral stands off its
// goal, every solution pushes them, and in a solution with the fewest
// pushes the first such push can be played at once instead: the pushes
// before it move other boxes, never onto the two cells it changes, and the
// keeper's ways only gain by it. So some optimal solution goes on with a push
// of the corral's boxes, and the others can be left out; when the corral has
// none at all, no solution goes through the position.

// Stamps the corral of free cell from with stamp.
void markCorral(Search* s, int32_t from, uint32_t stamp) {
    uint8_t queue[RoomMaxCells];
    s->corralMark[from] = stamp;
    floodOpenCells(s->room->step, from, queue, [&](int32_t t, int32_t) {
        if (s->corralMark[t] == stamp || s->occupied[t]) return false;
        s->corralMark[t] = stamp;
        return true;
    });
}

bool besideCorral(const Search* s, int32_t box, uint32_t stamp) {
    for (int32_t d = 0; d < RoomDirections; ++d) {
        int32_t c = s->room->step[box][d];
        if (c != RoomNone && !s->occupied[c] && s->corralMark[c] == stamp) return true;
    }
    return false;
}

// The pushes the corral of stamp allows now when it is a PI-corral, -1 when
// it is not. inCorral[b] is set for its boxes.
int32_t piCorralPushes(Search* s, uint32_t area, uint32_t stamp, const uint8_t* boxes,
                       uint8_t* inCorral) {
    const Room& room = *s->room;
    bool offGoal = false;
    for (int32_t i = 0; i < s->boxCount; ++i) {
        inCorral[boxes[i]] = besideCorral(s, boxes[i], stamp);
        offGoal = offGoal || (inCorral[boxes[i]] && !room.goal[boxes[i]]);
    }
    if (!offGoal) return -1;
    int32_t pushes = 0;
    for (int32_t i = 0; i < s->boxCount; ++i) {
        int32_t b = boxes[i];
        if (!inCorral[b]) continue;
        for (int32_t d = 0; d < RoomDirections; ++d) {
            int32_t behind = room.step[b][d ^ 1], to = room.boxTo[b][d];
            if (behind == RoomNone || to == RoomNone || room.dead[to]) continue;
            bool behindInside = !s->occupied[behind] && s->corralMark[behind] == stamp;
            if (behindInside || (s->occupied[behind] && inCorral[behind])) continue;
            if (s->occupied[to] && inCorral[to]) continue;
            bool toInside = !s->occupied[to] && s->corralMark[to] == stamp;
            if (s->occupied[behind] || s->areaMark[behind] != area || !toInside) return -1;
            ++pushes;
        }
    }
    return pushes;
}

// Fills s->pushable: the boxes of the PI-corral with the fewest pushes, or
// every box when there is none.
void choosePushable(Search* s, uint32_t area, const uint8_t* boxes) {
    const Room& room = *s->room;
    for (int32_t i = 0; i < s->boxCount; ++i)
        s->pushable[boxes[i]] = 1;
    if (!s->piCorrals) return;
    uint32_t first = s->markCount + 1;
    int32_t fewest = INT32_MAX;
    uint8_t inCorral[RoomMaxCells];
    for (int32_t c = 0; c < room.open.count; ++c) {
        if (s->occupied[c] || s->areaMark[c] == area || s->corralMark[c] >= first) continue;
        uint32_t stamp = ++s->markCount;
        markCorral(s, c, stamp);
        int32_t pushes = piCorralPushes(s, area, stamp, boxes, inCorral);
        if (pushes < 0 || pushes >= fewest) continue;
        fewest = pushes;
        for (int32_t i = 0; i < s->boxCount; ++i)
            s->pushable[boxes[i]] = inCorral[boxes[i]];
    }
}

// Offers every push of position n; n stays open, at the lowest priority held
// back, while some children wait for a later turn.
void expand(Search* s, uint32_t n) {
    s->room = &s->variants[s->nodes[n].variant]->room;
    const Room& room = *s->room;
    uint8_t parentBoxes[RoomMaxCells];
    memcpy(parentBoxes, &s->boxes[(size_t)n * s->boxCount], s->boxCount);
    memset(s->boxBits, 0, sizeof s->boxBits);
    for (int32_t i = 0; i < s->boxCount; ++i) {
        int32_t cell = room.open.cellOf[parentBoxes[i]];
        s->occupied[parentBoxes[i]] = 1;
        s->boxBits[cell >> 6] |= 1ull << (cell & 63);
    }
    int32_t keeper = markArea<true>(s, s->areaMark, s->nodes[n].standing);
    assert(keeper == s->nodes[n].keeper);
    (void)keeper;
    uint32_t area = s->markCount;
    matchPosition(s, n, parentBoxes);
    uint64_t boxHash = hashBoxes(s, parentBoxes);
    uint32_t heldBack = UINT32_MAX;
    const Node parentNode = s->nodes[n];
    choosePushable(s, area, parentBoxes);
    for (int32_t i = 0; i < s->boxCount; ++i) {
        int32_t b = parentBoxes[i];
        if (!s->pushable[b]) continue;
        for (int32_t d = 0; d < RoomDirections; ++d) {
            int32_t behind = room.step[b][d ^ 1], to = room.boxTo[b][d];
            if (behind == RoomNone || s->areaMark[behind] != area) continue;
            if (to == RoomNone || s->occupied[to] || room.dead[to]) continue;
            s->occupied[b] = 0, s->occupied[to] = 1;
            bool frozen = !s->limits.plain && isFrozenDeadlock(room, s->occupied, to);
            s->occupied[b] = 1, s->occupied[to] = 0;
            if (frozen) continue;
            // The estimate first: a child later in the open list than its
            // parent is not stored until the parent's turn comes round again
            // at its bucket (partial expansion: most such children are never
            // needed, and memory is what ends long proofs); the lowest such
            // priority goes to heldBack. Outside the plain search such a
            // child is not even looked up, which spares its keeper's area
            // and the table (a seventh of the instructions on room 14.2);
            // a known one then takes its cheaper way at the parent's next
            // turn instead of now. The plain search looks every child up
            // first as it always has, so its effort figures stand.
            Push p = {n, i, b, to, d, s->walk[behind], 0, 0, 0, 0, parentNode.variant};
            p.estimate = childEstimate(s, p, parentBoxes, &p.variant);
            // Never solvable: outside the plain search not even stored.
            if (s->estimateFirst && p.estimate >= MatchInfinite) continue;
            uint32_t priority = parentNode.pushes + 1u + (uint32_t)s->weight * p.estimate;
            if (s->estimateFirst && priority > parentNode.priority) {
                heldBack = std::min(heldBack, priority);
                continue;
            }
            s->occupied[b] = 0, s->occupied[to] = 1;
            p.keeper = childKeeperCell(s, area, parentNode.keeper, b, to);
            p.hash = boxHash ^ s->zobrist[0][b] ^ s->zobrist[0][to] ^ s->zobrist[1][p.keeper];
            p.wallsOff = mayWallOff(s, area, to);
            s->occupied[b] = 1, s->occupied[to] = 0;
            // The table lookups are the search's slowest part: fetch all the
            // slots first, look them up after.
            __builtin_prefetch(positionHome(s->table, p.hash));
            s->pushes.push_back(p);
        }
    }
    for (const Push& p : s->pushes)
        offerChild(s, p, parentBoxes, &heldBack);
    s->pushes.clear();
    for (int32_t i = 0; i < s->boxCount; ++i)
        s->occupied[parentBoxes[i]] = 0;
    Node& node = s->nodes[n];
    node.state = heldBack == UINT32_MAX ? NodeClosed : NodePartial;
    if (node.state == NodePartial) {
        node.priority = heldBack;
        pushOpen(s, n);
    }
}

bool outOfLimits(Search* s) {
    if (s->limits.maxExpanded > 0 && s->expanded >= s->limits.maxExpanded) return true;
    if (s->nodes.size() >= s->maxNodes) return true;
    if (s->limits.maxSeconds > 0 && (++s->turns & 255) == 0) {
        std::chrono::duration<double> spent = Clock::now() - s->began;
        if (spent.count() >= s->limits.maxSeconds) return true;
    }
    return false;
}

// The next open position, or NodeNone when there is none.
uint32_t popOpen(Search* s) {
    while (s->lowest < s->open.size()) {
        std::vector<OpenEntry>& bucket = s->open[s->lowest];
        while (!bucket.empty()) {
            std::pop_heap(bucket.begin(), bucket.end(), LaterEntry{s->oldestFirst});
            uint32_t n = bucket.back().node;
            bucket.pop_back();
            const Node& node = s->nodes[n];
            // Skip closed positions and entries left behind by a re-queue.
            if (node.state != NodeClosed && node.priority == s->lowest) return n;
        }
        ++s->lowest;
    }
    return NodeNone;
}

// Turns the chain of pushes ending at node n into keeper steps and plays them
// on a copy of the board with applyStep: a solution is only reported after
// the game's own rules have taken every box to a goal with it.
bool replaySolution(const Search& s, const Board& start, int32_t playerCell, uint32_t n,
                    std::string* moves) {
    std::vector<uint32_t> chain;
    for (; s.nodes[n].parent != NodeNone; n = s.nodes[n].parent)
        chain.push_back(n);
    Board board = start;
    int32_t boxesLeft = 0;
    for (unsigned char& code : board.cells) {
        if (isStartCode(code)) code = CellCodeFloor;
        boxesLeft += code == CellCodeBox;
    }
    int32_t player = playerCell;
    for (size_t k = chain.size(); k-- > 0;) {
        const Node& node = s.nodes[chain[k]];
        int32_t d = node.direction;
        int32_t from = s.room->open.cellOf[node.standing];
        int32_t behind = neighbour(from, oppositeDirection(BoardDirections[d]));
        if (!appendWalk(board, &player, behind, moves)) return false;
        if (applyStep(&board, &player, BoardDirections[d], &boxesLeft).kind != MovePush)
            return false;
        moves->push_back(directionLetter(BoardDirections[d]));
    }
    return boxesLeft == 0;
}

void startSearch(Search* s, const Room& room, const RoomStart& start, const SolverLimits& limits,
                 int32_t weight, int32_t order, const SearchPlan& plan) {
    s->order = order;
    s->plan = plan;
    s->ceiling = weight == 1 && plan.incumbent >= 0 ? (uint32_t)plan.incumbent : UINT32_MAX;
    s->sameBoxFirst = !limits.plain;
    s->oldestFirst = !limits.plain;
    s->estimateFirst = !limits.plain;
    s->variants.clear();
    s->variants.emplace_back(new RoomVariant());
    s->variants[0]->room = room;
    memset(s->variants[0]->frozen, 0, sizeof s->variants[0]->frozen);
    s->room = &s->variants[0]->room;
    s->limits = limits;
    s->weight = weight;
    s->boxCount = start.boxCount;
    s->sided = !limits.plain && !(limits.skipRules & SolverRuleSidedMatching);
    s->piCorrals = !limits.plain && !(limits.skipRules & SolverRulePiCorrals);
    s->corralDeadlocks = !limits.plain && !(limits.skipRules & SolverRuleCorralDeadlocks);
    s->frozenWalls = !limits.plain && !(limits.skipRules & SolverRuleFrozenWalls);
    s->lowest = 0;
    s->markCount = 0;
    s->expanded = 0;
    s->turns = 0;
    s->matchedNode = NodeNone;
    s->began = Clock::now();
    memset(s->occupied, 0, sizeof s->occupied);
    memset(s->areaMark, 0, sizeof s->areaMark);
    memset(s->childMark, 0, sizeof s->childMark);
    memset(s->corralMark, 0, sizeof s->corralMark);
    int32_t megabytes = limits.maxMegabytes > 0 ? limits.maxMegabytes : 2048;
    size_t perNode = sizeof(Node) + start.boxCount + 4 * sizeof(PositionSlot) + sizeof(OpenEntry);
    s->maxNodes = ((size_t)megabytes << 20) / perNode;
    fillZobristKeys(SearchZobristSeed, &s->zobrist[0][0], 2 * 256);
    startPositionTable(&s->table, 1u << 16);
}

// The variant for the boxes the start has frozen on their goals (s->occupied
// holds the start's boxes).
uint8_t startVariant(Search* s, const RoomStart& start) {
    if (!s->frozenWalls) return 0;
    uint8_t frozen[RoomMaxCells] = {0};
    int32_t marked = 0;
    for (int32_t i = 0; i < start.boxCount; ++i)
        marked += markFrozenOnGoals(*s->room, s->occupied, start.boxes[i], frozen);
    int32_t found = marked > 0 ? variantFor(s, frozen) : -1;
    return found < 0 ? 0 : (uint8_t)found;
}

} // namespace

SearchRun runSearch(const Board& board, int32_t playerCell, const Room& room,
                    const RoomStart& start, const SolverLimits& limits, int32_t weight,
                    int32_t order, const SearchPlan& plan) {
    Search* s = new Search();
    startSearch(s, room, start, limits, weight, order, plan);
    SearchRun run = {0, 0, -1, -1, 0, std::string()};
    for (int32_t i = 0; i < start.boxCount; ++i)
        s->occupied[start.boxes[i]] = 1;
    int32_t keeper = markArea<false>(s, s->areaMark, start.keeper);
    uint8_t rootVariant = startVariant(s, start);
    for (int32_t i = 0; i < start.boxCount; ++i)
        s->occupied[start.boxes[i]] = 0;
    s->room = &s->variants[rootVariant]->room;
    setPositionCosts(s, start.boxes, keeper, &s->matching);
    s->childCostsSynced = false;
    int32_t estimate = solveMatching(&s->matching);
    bool chambers = !limits.plain && !(limits.skipRules & SolverRuleChambers);
    s->chambers = chambers ? findChambers(board, s->variants[0]->room, start, limits) : nullptr;
    if (s->chambers && estimate < MatchInfinite) {
        int32_t summed =
            chamberEstimate(s->chambers, start.boxes, start.boxCount, start.keeper, &s->expanded);
        // Where the groups alone need no more than the matching says, their
        // searches would cost positions and tell nothing.
        if (summed <= estimate) freeChambers(s->chambers), s->chambers = nullptr;
        estimate = std::max(estimate, summed);
    }
    uint64_t hash = hashBoxes(s, start.boxes) ^ s->zobrist[1][keeper];
    Node root = {};
    root.parent = NodeNone;
    root.estimate = (uint16_t)estimate;
    root.priority = (uint32_t)weight * estimate;
    root.keeper = (uint8_t)keeper, root.standing = (uint8_t)start.keeper;
    root.state = NodeOpen;
    root.variant = rootVariant;
    if (estimate < MatchInfinite)
        pushOpen(s, addNode(s, root, start.boxes, hash, findSlot(s, hash, keeper, start.boxes)));
    uint32_t reported = 0;    // expansions since the search began, for the progress hook
    int64_t plateauFrom = -1; // expansions when no open position was below the incumbent
    for (;;) {
        if (outOfLimits(s)) {
            if (weight == 1) run.lowerBound = (int32_t)s->lowest;
            break;
        }
        uint32_t n = popOpen(s);
        if (n == NodeNone) {
            run.exhausted = 1;
            break;
        }
        if (s->lowest >= s->ceiling) {
            if (plateauFrom < 0) plateauFrom = s->expanded;
            if (s->expanded - plateauFrom >= s->plan.plateauExpansions) {
                run.lowerBound = (int32_t)s->ceiling;
                break;
            }
        }
        if (s->nodes[n].estimate == 0) {
            run.found = replaySolution(*s, board, playerCell, n, &run.moves);
            assert(run.found);
            run.pushes = s->nodes[n].pushes;
            if (weight == 1) run.lowerBound = s->nodes[n].pushes;
            break;
        }
        s->expanded += s->nodes[n].state == NodeOpen;
        expand(s, n);
        if (s->limits.progress && (++reported & 4095) == 0)
            s->limits.progress(s->limits.progressContext, s->expanded);
    }
    run.expanded = s->expanded;
    freeChambers(s->chambers);
    delete s;
    return run;
}
