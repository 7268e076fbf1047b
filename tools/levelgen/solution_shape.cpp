// Replays a solution with box identities: each box keeps its number from its
// start cell, so runs and filler can be told apart per box.
#include "solution_shape.h"

#include <string.h>

#include "board_kit.h"
#include "rules.h"

namespace {

struct BoxHistory {
    int32_t startCell = -1;
    int32_t runs = 0;
    int32_t pushes = 0;
    int32_t direction = -1;
    bool straight = true;
};

// The cells the keeper can walk to from cell in the start position.
void walkable(const Board& board, int32_t cell, bool* reach) {
    int32_t region[BoardCellCount];
    int32_t count = walkRegion(board, cell, region);
    memset(reach, 0, BoardCellCount);
    for (int32_t i = 0; i < count; ++i)
        reach[region[i]] = true;
}

// A box pushed in one straight run of at most three cells that the keeper
// could make as his very first pushes: he reaches the cell behind it and
// the cells ahead are free from the start.
bool isFiller(const Board& start, const bool* reach, const BoxHistory& box) {
    if (box.runs != 1 || !box.straight || box.pushes > 3) return false;
    int32_t behind = neighbour(box.startCell, oppositeDirection(box.direction));
    if (!isOnBoard(behind) || !reach[behind]) return false;
    int32_t c = box.startCell;
    for (int32_t i = 0; i < box.pushes; ++i) {
        c = neighbour(c, box.direction);
        if (!isOnBoard(c) || !isWalkable(start.cells[c])) return false;
    }
    return true;
}

} // namespace

SolutionShape measureSolution(const Board& board, int32_t keeperCell, const std::string& moves) {
    SolutionShape shape = {false, 0, 0, {}, 0, 0, 0, 0};
    Board live = board;
    int32_t boxOf[BoardCellCount];
    std::vector<BoxHistory> boxes;
    for (int32_t c = 0; c < BoardCellCount; ++c) {
        boxOf[c] = holdsBox(board.cells[c]) ? (int32_t)boxes.size() : -1;
        if (boxOf[c] >= 0) boxes.push_back(BoxHistory{c});
    }
    int32_t player = keeperCell, boxesLeft = 0, last = -1;
    for (unsigned char c : board.cells)
        boxesLeft += c == CellCodeBox;
    for (char letter : moves) {
        int32_t d = letterDirection(letter);
        MoveOutcome out =
            d < 0 ? MoveOutcome{MoveBlocked, -1, -1} : applyStep(&live, &player, d, &boxesLeft);
        if (out.kind == MoveBlocked) return shape;
        ++shape.moves;
        if (out.kind != MovePush) continue;
        ++shape.pushes;
        int32_t id = boxOf[out.target];
        boxOf[out.boxTarget] = id;
        boxOf[out.target] = -1;
        BoxHistory& h = boxes[id];
        h.runs += id != last;
        h.straight = h.straight && (h.direction < 0 || h.direction == d);
        h.direction = d;
        ++h.pushes;
        last = id;
    }
    shape.solves = boxesLeft == 0;
    bool reach[BoardCellCount];
    walkable(board, keeperCell, reach);
    for (const BoxHistory& h : boxes) {
        shape.boxRuns.push_back(h.runs);
        shape.fillerBoxes += isFiller(board, reach, h);
        shape.unmovedBoxes += h.pushes == 0;
        bool parked = board.cells[h.startCell] == CellCodeBoxOnGoal;
        shape.parkedBoxes += parked;
        shape.restingBoxes += parked && h.pushes == 0;
    }
    return shape;
}
