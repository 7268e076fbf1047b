// The backward search. Positions are packed into keys kept in the board
// kit's position table; every step, walk and pull is decided by
// game/rules.h.
#include "pull_search.h"

#include <string.h>

#include <algorithm>

#include "board_kit.h"
#include "position_table.h"
#include "rules.h"

namespace {

enum {
    PullFar = 1000,    // the distance of a cell from which no goal is reached
    BeamPatience = 24, // layers a beam goes on without spreading the boxes farther
};

bool sameKey(const PullKey& a, const PullKey& b) {
    return a.region == b.region && !memcmp(a.boxes, b.boxes, sizeof a.boxes);
}

uint64_t hashKey(const PullKey& k) {
    uint64_t h = k.region * 0x9E3779B97F4A7C15ull;
    for (uint64_t w : k.boxes)
        h = (h ^ w) * 0xC2B2AE3D27D4EB4Full + 0x632BE59BD9B4E019ull;
    return h ^ (h >> 29);
}

// Positions seen so far: each key once in `keys`, found through the table.
struct KeySet {
    PositionTable table;
    std::vector<PullKey> keys;
};

void clearKeys(KeySet* set) {
    startPositionTable(&set->table, 1024);
    set->keys.clear();
}

// false when key was seen before.
bool insertKey(KeySet* set, const PullKey& key) {
    uint64_t hash = hashKey(key);
    PositionSlot* slot = findPosition(
        &set->table, hash, [set, &key](uint32_t n) { return sameKey(set->keys[n], key); });
    if (slot->index != PositionNone) return false;
    addPosition(&set->table, slot, hash, (uint32_t)set->keys.size());
    set->keys.push_back(key);
    return true;
}

// The smallest floor number of the keeper's region from cell.
uint32_t regionNumber(const PullRoom& room, const Board& board, int32_t cell) {
    int32_t region[BoardCellCount];
    int32_t count = walkRegion(board, cell, region);
    int32_t smallest = room.floor.indexOf[cell];
    for (int32_t i = 0; i < count; ++i)
        smallest = std::min(smallest, (int32_t)room.floor.indexOf[region[i]]);
    return (uint32_t)smallest;
}

// The key of the boxes on board, its region number left for the caller.
PullKey boxesOf(const PullRoom& room, const Board& board) {
    PullKey key = {{0, 0, 0, 0}, 0};
    for (int32_t i = 0; i < room.floor.count; ++i)
        if (holdsBox(board.cells[room.floor.cellOf[i]])) key.boxes[i >> 6] |= 1ull << (i & 63);
    return key;
}

PullKey encode(const PullRoom& room, const Board& board, int32_t keeperCell) {
    PullKey key = boxesOf(room, board);
    key.region = regionNumber(room, board, keeperCell);
    return key;
}

// The board of a key, and the keeper's cell (the region's first cell).
Board decode(const PullRoom& room, const PullKey& key, int32_t* keeperCell) {
    Board board = room.empty;
    for (int32_t i = 0; i < room.floor.count; ++i)
        if (key.boxes[i >> 6] >> (i & 63) & 1) {
            unsigned char& c = board.cells[room.floor.cellOf[i]];
            c = cellAfterBoxArrives(c);
        }
    *keeperCell = room.floor.cellOf[key.region];
    return board;
}

// A box left out of the beam's measure counts only if it stands on a goal:
// the room wants that many boxes parked.
int32_t parkedBonus(int32_t distance) {
    return distance == 0 ? 3 : 0;
}

// The beam's measure of a position: each box's distance to its nearest goal,
// summed, the `parked` smallest counting only for standing on goals.
int32_t spreadOf(const PullRoom& room, const Board& board, int32_t parked) {
    int32_t distances[BoardCellCount] = {};
    int32_t n = 0;
    for (int32_t i = 0; i < room.floor.count; ++i)
        if (holdsBox(board.cells[room.floor.cellOf[i]]))
            distances[n++] = std::min((int32_t)PullFar, room.goalDistance[i]);
    std::sort(distances, distances + n);
    int32_t sum = 0;
    for (int32_t i = 0; i < n; ++i)
        sum += i < parked ? parkedBonus(distances[i]) : distances[i];
    return sum;
}

int32_t distanceAt(const PullRoom& room, int32_t cell) {
    return std::min((int32_t)PullFar, room.goalDistance[room.floor.indexOf[cell]]);
}

// The spread after one box's distance changes from `was` to `now`, from the
// sorted distances before.
int32_t spreadAfterMove(const std::vector<int32_t>& sorted, int32_t was, int32_t now,
                        int32_t parked) {
    int32_t sum = 0, skipped = 0, n = (int32_t)sorted.size();
    bool removed = false, inserted = false;
    // Walk the merged list of the distances less `was` plus `now`, smallest first.
    for (int32_t i = 0; i < n || !inserted;) {
        int32_t next;
        if (!inserted && (i >= n || now <= sorted[i])) {
            next = now;
            inserted = true;
        } else {
            next = sorted[i++];
            if (!removed && next == was) {
                removed = true;
                continue;
            }
        }
        if (skipped < parked)
            sum += parkedBonus(next), ++skipped;
        else
            sum += next;
    }
    return sum;
}

// Calls visit(board after the pull, keeper's cell, pulling cell, direction)
// for every pull from the position of key.
template <class Visit> void forEachPull(const PullRoom& room, const PullKey& key, Visit visit) {
    int32_t keeper;
    Board board = decode(room, key, &keeper);
    int32_t region[BoardCellCount];
    int32_t count = walkRegion(board, keeper, region);
    for (int32_t i = 0; i < count; ++i)
        for (int32_t d : BoardDirections) {
            int32_t c = region[i];
            if (!testPull(&board, c, d)) continue;
            Board pulled = board;
            int32_t at = c;
            applyPull(&pulled, &at, d);
            visit(pulled, at, c, d);
        }
}

// Every position one pull away from key, added to `next` if not seen yet.
void expand(const PullRoom& room, const PullKey& key, KeySet* seen, std::vector<PullKey>* next) {
    forEachPull(room, key, [&](const Board& pulled, int32_t at, int32_t, int32_t) {
        PullKey k = encode(room, pulled, at);
        if (insertKey(seen, k)) next->push_back(k);
    });
}

// A pull from a position of the layer, kept small: the board is made again
// only for the pulls the beam keeps.
struct Child {
    int32_t rank; // spread, with chance among near-equals
    int32_t parent;
    int16_t cell;
    int16_t direction;
};

// The next layer of a beam: every pull from the layer, the farthest spread
// first, each new position once. `window` holds the keys of the layers
// around it, so a pull straight back is not taken again.
std::vector<PullKey> beamLayer(const PullRoom& room, const std::vector<PullKey>& layer,
                               const PullLimits& limits, KeySet* window, Rng& rng) {
    std::vector<Child> children;
    std::vector<int32_t> distances;
    for (size_t p = 0; p < layer.size(); ++p) {
        // The parent's distances, sorted: a pull changes one of them.
        int32_t keeper;
        Board board = decode(room, layer[p], &keeper);
        distances.clear();
        for (int32_t i = 0; i < room.floor.count; ++i)
            if (holdsBox(board.cells[room.floor.cellOf[i]]))
                distances.push_back(std::min((int32_t)PullFar, room.goalDistance[i]));
        std::sort(distances.begin(), distances.end());
        forEachPull(room, layer[p], [&](const Board&, int32_t, int32_t c, int32_t d) {
            int32_t from = neighbour(c, oppositeDirection(d));
            int32_t spread = spreadAfterMove(distances, distanceAt(room, from), distanceAt(room, c),
                                             limits.parkedBoxes);
            children.push_back({spread * 4 + randomBelow(rng, limits.beamNoise * 4 + 1), (int32_t)p,
                                (int16_t)c, (int16_t)d});
        });
    }
    std::stable_sort(children.begin(), children.end(),
                     [](const Child& a, const Child& b) { return a.rank > b.rank; });
    std::vector<PullKey> next;
    for (const Child& c : children) {
        if ((int32_t)next.size() >= limits.beamWidth) break;
        int32_t keeper;
        Board board = decode(room, layer[c.parent], &keeper);
        int32_t at = c.cell;
        applyPull(&board, &at, c.direction);
        PullKey k = encode(room, board, at);
        if (insertKey(window, k)) next.push_back(k);
    }
    return next;
}

// The solved position with the keeper in each region the boxes leave him.
std::vector<PullKey> solvedKeys(const PullRoom& room, const Board& solved, KeySet* seen) {
    std::vector<PullKey> keys;
    for (int32_t i = 0; i < room.floor.count; ++i) {
        int32_t c = room.floor.cellOf[i];
        if (holdsBox(solved.cells[c])) continue;
        PullKey k = encode(room, solved, c);
        if (insertKey(seen, k)) keys.push_back(k);
    }
    return keys;
}

// The table cannot show the keeper standing on a goal, so he starts on the
// first plain floor cell of his region; false if the region has none.
bool startOnFloor(PullStart* start) {
    int32_t region[BoardCellCount];
    int32_t count = walkRegion(start->board, start->keeperCell, region);
    std::sort(region, region + count);
    for (int32_t i = 0; i < count; ++i)
        if (start->board.cells[region[i]] == CellCodeFloor) {
            start->keeperCell = region[i];
            return true;
        }
    return false;
}

// Fewest pushes of a lone box from each open cell to a goal: breadth first
// from the goals by pulls, the keeper on the far side of the box's new cell.
std::vector<int32_t> goalDistances(const Board& empty, const OpenCells& floor) {
    std::vector<int32_t> distance(floor.count, PullFar);
    std::vector<int32_t> todo;
    for (int32_t i = 0; i < floor.count; ++i)
        if (isGoalCell(empty.cells[floor.cellOf[i]])) {
            distance[i] = 0;
            todo.push_back(i);
        }
    for (size_t head = 0; head < todo.size(); ++head) {
        int32_t box = floor.cellOf[todo[head]];
        for (int32_t d : BoardDirections) {
            int32_t to = neighbour(box, d), keeper = neighbour(to, d);
            if (!isOnBoard(keeper) || !isWalkable(empty.cells[to]) ||
                !isWalkable(empty.cells[keeper]))
                continue;
            int32_t n = floor.indexOf[to];
            if (distance[n] != PullFar) continue;
            distance[n] = distance[todo[head]] + 1;
            todo.push_back(n);
        }
    }
    return distance;
}

} // namespace

bool makePullRoom(const Board& solved, PullRoom* room) {
    room->empty = emptyBoard(solved);
    if (!numberOpenCells(room->empty, PullMaxFloor, &room->floor)) return false;
    room->goalDistance = goalDistances(room->empty, room->floor);
    return true;
}

PullLayers searchPulls(const PullRoom& room, const Board& solved, const PullLimits& limits,
                       Rng& rng) {
    PullLayers found;
    found.exhaustive = true;
    KeySet seen;
    clearKeys(&seen);
    found.layers.push_back(solvedKeys(room, solved, &seen));
    int32_t bestSpread = 0, bestDepth = 0;
    while ((int32_t)found.layers.size() <= limits.maxDepth) {
        std::vector<PullKey> next;
        if (found.exhaustive) {
            for (const PullKey& k : found.layers.back())
                expand(room, k, &seen, &next);
            if ((int64_t)seen.keys.size() > limits.maxPositions) {
                // From here on depths are only upper bounds; the forward
                // solver measures the truth.
                found.exhaustive = false;
                next.clear();
            }
        }
        if (!found.exhaustive) {
            // The window: the layer before and the layer being left.
            clearKeys(&seen);
            for (size_t back = found.layers.size() >= 2 ? found.layers.size() - 2 : 0;
                 back < found.layers.size(); ++back)
                for (const PullKey& k : found.layers[back])
                    insertKey(&seen, k);
            next = beamLayer(room, found.layers.back(), limits, &seen, rng);
        }
        if (next.empty()) break;
        // A beam that has not spread the boxes farther for a while only
        // shuffles them: it stops.
        int32_t spread = 0;
        for (const PullKey& k : next) {
            int32_t keeper;
            spread = std::max(spread, spreadOf(room, decode(room, k, &keeper), limits.parkedBoxes));
        }
        if (spread > bestSpread) {
            bestSpread = spread;
            bestDepth = (int32_t)found.layers.size();
        }
        found.layers.push_back(std::move(next));
        if (!found.exhaustive && (int32_t)found.layers.size() > bestDepth + BeamPatience) break;
    }
    return found;
}

std::vector<PullStart> deepestStarts(const PullRoom& room, const PullLayers& found, int32_t count,
                                     int32_t minOnGoal, int32_t maxOnGoal) {
    std::vector<PullStart> starts;
    // An exhaustive search's deepest layers are the farthest starts; a
    // beam's last layers are much alike, so it gives a few from each.
    size_t perLayer = found.exhaustive ? (size_t)count : std::max<size_t>(count / 40, 8);
    for (int32_t depth = (int32_t)found.layers.size() - 1; depth > 0; --depth)
        for (size_t i = 0; i < found.layers[depth].size() && i < perLayer; ++i) {
            const PullKey& k = found.layers[depth][i];
            if ((int32_t)starts.size() >= count) return starts;
            PullStart s;
            s.board = decode(room, k, &s.keeperCell);
            s.pulls = depth;
            s.exact = found.exhaustive;
            s.onGoal = 0;
            for (unsigned char c : s.board.cells)
                s.onGoal += c == CellCodeBoxOnGoal;
            s.spread = spreadOf(room, s.board, 0);
            if (s.onGoal >= minOnGoal && s.onGoal <= maxOnGoal && startOnFloor(&s))
                starts.push_back(s);
        }
    return starts;
}
