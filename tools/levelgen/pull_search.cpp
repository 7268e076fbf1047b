// The backward search. Positions are packed into 16-byte keys kept in the
// board kit's position table; every step, walk and pull is decided by
// game/rules.h.
#include "pull_search.h"

#include <string.h>

#include <algorithm>

#include "board_kit.h"
#include "position_table.h"
#include "rules.h"

namespace {

bool sameKey(const PullKey& a, const PullKey& b) {
    return a.lo == b.lo && a.hi == b.hi;
}

uint64_t hashKey(const PullKey& k) {
    uint64_t h =
        k.lo * 0x9E3779B97F4A7C15ull ^ (k.hi + 0x632BE59BD9B4E019ull) * 0xC2B2AE3D27D4EB4Full;
    return h ^ (h >> 29);
}

// Positions seen so far: each key once in `keys`, found through the table.
struct KeySet {
    PositionTable table;
    std::vector<PullKey> keys;
};

// false when key was seen before.
bool insertKey(KeySet* set, const PullKey& key) {
    uint64_t hash = hashKey(key);
    PositionSlot* slot =
        findPosition(&set->table, hash, [set, &key](uint32_t n) { return sameKey(set->keys[n], key); });
    if (slot->index != PositionNone) return false;
    addPosition(&set->table, slot, hash, (uint32_t)set->keys.size());
    set->keys.push_back(key);
    return true;
}

// The smallest floor number of the keeper's region from cell.
int32_t regionNumber(const PullRoom& room, const Board& board, int32_t cell) {
    int32_t region[BoardCellCount];
    int32_t count = walkRegion(board, cell, region);
    int32_t smallest = room.floor.indexOf[cell];
    for (int32_t i = 0; i < count; ++i)
        smallest = std::min(smallest, (int32_t)room.floor.indexOf[region[i]]);
    return smallest;
}

PullKey encode(const PullRoom& room, const Board& board, int32_t keeperCell) {
    uint8_t bytes[16] = {};
    int32_t n = 0;
    for (int32_t i = 0; i < room.floor.count && n < PullMaxBoxes; ++i)
        if (holdsBox(board.cells[room.floor.cellOf[i]])) bytes[n++] = (uint8_t)(i + 1);
    bytes[15] = (uint8_t)regionNumber(room, board, keeperCell);
    PullKey key;
    memcpy(&key.lo, bytes, 8);
    memcpy(&key.hi, bytes + 8, 8);
    return key;
}

// The board of a key, and the keeper's cell (the region's first cell).
Board decode(const PullRoom& room, const PullKey& key, int32_t* keeperCell) {
    uint8_t bytes[16];
    memcpy(bytes, &key.lo, 8);
    memcpy(bytes + 8, &key.hi, 8);
    Board board = room.empty;
    for (int32_t i = 0; i < PullMaxBoxes && bytes[i]; ++i) {
        unsigned char& c = board.cells[room.floor.cellOf[bytes[i] - 1]];
        c = cellAfterBoxArrives(c);
    }
    *keeperCell = room.floor.cellOf[bytes[15]];
    return board;
}

// Every position one pull away from key, added to `next` if not seen yet.
void expand(const PullRoom& room, const PullKey& key, KeySet* seen, std::vector<PullKey>* next) {
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
            PullKey k = encode(room, pulled, at);
            if (insertKey(seen, k)) next->push_back(k);
        }
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

void cutToBeam(std::vector<PullKey>* layer, int32_t width, Rng& rng) {
    if ((int32_t)layer->size() <= width) return;
    for (int32_t i = 0; i < width; ++i)
        std::swap((*layer)[i], (*layer)[i + randomBelow(rng, (int32_t)layer->size() - i)]);
    layer->resize(width);
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

} // namespace

bool makePullRoom(const Board& solved, PullRoom* room) {
    room->empty = emptyBoard(solved);
    return numberOpenCells(room->empty, PullMaxFloor, &room->floor);
}

PullLayers searchPulls(const PullRoom& room, const Board& solved, const PullLimits& limits,
                       Rng& rng) {
    PullLayers found;
    found.exhaustive = true;
    KeySet seen;
    startPositionTable(&seen.table, 1024);
    found.layers.push_back(solvedKeys(room, solved, &seen));
    while ((int32_t)found.layers.size() <= limits.maxDepth) {
        std::vector<PullKey> next;
        for (const PullKey& k : found.layers.back())
            expand(room, k, &seen, &next);
        if (next.empty()) break;
        if ((int64_t)seen.keys.size() > limits.maxPositions) {
            // From here on depths are only upper bounds; the forward solver
            // measures the truth.
            found.exhaustive = false;
            cutToBeam(&next, limits.beamWidth, rng);
        }
        found.layers.push_back(std::move(next));
    }
    return found;
}

std::vector<PullStart> deepestStarts(const PullRoom& room, const PullLayers& found, int32_t count) {
    std::vector<PullStart> starts;
    for (int32_t depth = (int32_t)found.layers.size() - 1; depth > 0; --depth)
        for (const PullKey& k : found.layers[depth]) {
            if ((int32_t)starts.size() >= count) return starts;
            PullStart s;
            s.board = decode(room, k, &s.keeperCell);
            s.pulls = depth;
            s.exact = found.exhaustive;
            bool onGoal = false;
            for (unsigned char c : s.board.cells)
                onGoal |= c == CellCodeBoxOnGoal;
            if (!onGoal && startOnFloor(&s)) starts.push_back(s);
        }
    return starts;
}
