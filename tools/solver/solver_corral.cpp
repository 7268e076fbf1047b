// Corral deadlocks. A push can wall off cells the keeper cannot reach (a
// corral). Its boxes can only ever be freed by pushes of those same boxes:
// every other box only takes room away. So a small search over the corral's
// boxes alone, with every other box lifted off the board, is a relaxation of
// the real game: if in it the boxes can neither all reach goals nor open the
// corral to the keeper, no sequence of moves of the real game can either.
#include "solver_room.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

struct Bits {
    uint64_t w[RoomBoardWords];
};

bool has(const Bits& b, int32_t cell) {
    return (b.w[cell >> 6] >> (cell & 63)) & 1;
}
void put(Bits* b, int32_t cell) {
    b->w[cell >> 6] |= 1ull << (cell & 63);
}
void take(Bits* b, int32_t cell) {
    b->w[cell >> 6] &= ~(1ull << (cell & 63));
}
bool meets(const Bits& a, const Bits& b) {
    for (int32_t i = 0; i < RoomBoardWords; ++i)
        if (a.w[i] & b.w[i]) return true;
    return false;
}

// The cells the keeper reaches from board cell from over the free cells,
// flooded by shifting bits (every walk goes to the next cell or row).
Bits areaOf(const Room& room, const Bits& boxes, int32_t from) {
    uint64_t free[RoomBoardWords];
    for (int32_t i = 0; i < RoomBoardWords; ++i)
        free[i] = room.boardBits[i] & ~boxes.w[i];
    Bits area;
    floodArea(free, from, area.w);
    return area;
}

struct Reduced {
    std::vector<uint8_t> boxes; // room cells, ascending
    int32_t keeper;             // board cell
};

// Breadth-first over the corral boxes' pushes; true when within limit no
// position lets the keeper into the corral or has every such box on a goal.
bool corralNeverOpens(const Room& room, const Reduced& start, const Bits& corral, int32_t limit) {
    std::vector<Reduced> queue(1, start);
    std::unordered_set<std::string> seen;
    for (size_t head = 0; head < queue.size(); ++head) {
        if ((int32_t)queue.size() > limit) return false;
        Reduced r = queue[head];
        Bits boxes = {};
        bool allOnGoals = true;
        for (uint8_t b : r.boxes)
            put(&boxes, room.open.cellOf[b]), allOnGoals = allOnGoals && room.goal[b];
        Bits area = areaOf(room, boxes, r.keeper);
        if (allOnGoals || meets(area, corral)) return false;
        for (size_t i = 0; i < r.boxes.size(); ++i)
            for (int32_t d = 0; d < RoomDirections; ++d) {
                int32_t b = r.boxes[i], behind = room.step[b][d ^ 1], to = room.boxTo[b][d];
                if (behind == RoomNone || !has(area, room.open.cellOf[behind])) continue;
                if (to == RoomNone || has(boxes, room.open.cellOf[to])) continue;
                Reduced next = r;
                next.boxes[i] = (uint8_t)to;
                std::sort(next.boxes.begin(), next.boxes.end());
                next.keeper = room.open.cellOf[b];
                Bits moved = boxes;
                take(&moved, room.open.cellOf[b]);
                put(&moved, room.open.cellOf[to]);
                Bits nextArea = areaOf(room, moved, next.keeper);
                int32_t lowest = 0;
                while (!has(nextArea, lowest))
                    ++lowest;
                std::string key(next.boxes.begin(), next.boxes.end());
                key.push_back((char)(lowest & 0xFF));
                key.push_back((char)(lowest >> 8));
                if (seen.insert(key).second) queue.push_back(next);
            }
    }
    return true;
}

} // namespace

bool isCorralDeadlock(const Room& room, const uint8_t* boxes, int32_t boxCount, int32_t keeper,
                      int32_t pushed, int32_t limit) {
    Bits boxBits = {};
    for (int32_t i = 0; i < boxCount; ++i)
        put(&boxBits, room.open.cellOf[boxes[i]]);
    Bits area = areaOf(room, boxBits, room.open.cellOf[keeper]);
    for (int32_t d = 0; d < RoomDirections; ++d) {
        int32_t c = room.step[pushed][d];
        if (c == RoomNone || has(boxBits, room.open.cellOf[c]) || has(area, room.open.cellOf[c]))
            continue;
        // The corral: the free cells reached from c; its boxes: those beside it.
        Bits corral = areaOf(room, boxBits, room.open.cellOf[c]);
        Reduced start;
        start.keeper = room.open.cellOf[keeper];
        bool allOnGoals = true;
        for (int32_t i = 0; i < boxCount; ++i) {
            int32_t b = boxes[i];
            bool beside = false;
            for (int32_t e = 0; e < RoomDirections && !beside; ++e)
                beside =
                    room.step[b][e] != RoomNone && has(corral, room.open.cellOf[room.step[b][e]]);
            if (!beside) continue;
            start.boxes.push_back((uint8_t)b);
            allOnGoals = allOnGoals && room.goal[b];
        }
        if (allOnGoals) continue; // a corral of boxes at rest on goals may stay shut
        if (corralNeverOpens(room, start, corral, limit)) return true;
    }
    return false;
}
