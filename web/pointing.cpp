// Shortest walks and fewest-push paths for the page's pointing. Small
// searches over one board: a breadth-first walk, and a Dijkstra search over
// (box cell, keeper cell) with the cost (pushes, steps) compared in that
// order; a room has at most 320 cells, so neither needs more than a moment.
#include "web/pointing.h"

#include <string.h>

#include "game/rules.h"

namespace {

const int32_t Directions[4] = {DirectionLeft, DirectionRight, DirectionUp, DirectionDown};

// Walk distances from a cell (boxes block), with each cell's step in.
struct Walks {
    int32_t distance[BoardCellCount]; // -1: not reached
    int32_t cameBy[BoardCellCount];   // the direction of the last step
};

void walkFrom(const Board& board, int32_t from, Walks* walks) {
    for (int32_t& d : walks->distance)
        d = -1;
    int32_t queue[BoardCellCount];
    int32_t head = 0, tail = 0;
    walks->distance[from] = 0;
    queue[tail++] = from;
    while (head < tail) {
        const int32_t cell = queue[head++];
        for (int32_t direction : Directions) {
            const MoveOutcome step = testStep(&board, cell, direction);
            if (step.kind != MoveWalk || walks->distance[step.target] >= 0) continue;
            walks->distance[step.target] = walks->distance[cell] + 1;
            walks->cameBy[step.target] = direction;
            queue[tail++] = step.target;
        }
    }
}

// The letters of the walk to a reached cell, read backwards from it.
std::string walkTo(const Walks& walks, int32_t from, int32_t to, bool lowerCase) {
    std::string letters;
    for (int32_t cell = to; cell != from;) {
        const int32_t direction = walks.cameBy[cell];
        const char letter = directionLetter(direction);
        letters.insert(letters.begin(), lowerCase ? (char)(letter - 'A' + 'a') : letter);
        cell = neighbour(cell, oppositeDirection(direction));
    }
    return letters;
}

struct Cost {
    int32_t pushes, steps;
};

bool cheaper(Cost a, Cost b) {
    return a.pushes < b.pushes || (a.pushes == b.pushes && a.steps < b.steps);
}

// A state of the push search: the box at a cell, the keeper beside it at one
// of the four sides (index into Directions: the side he stands on).
struct PushSearch {
    Cost cost[BoardCellCount][4];
    bool done[BoardCellCount][4];
    int32_t fromBox[BoardCellCount][4], fromSide[BoardCellCount][4];
    std::string letters[BoardCellCount][4]; // the steps from the state before
};

} // namespace

std::string walkPath(const Board& board, int32_t from, int32_t to) {
    if (!isOnBoard(from) || !isOnBoard(to) || from == to) return "";
    Walks walks;
    walkFrom(board, from, &walks);
    if (walks.distance[to] < 0) return "";
    return walkTo(walks, from, to, false);
}

namespace {

// Reaches every side of the box at boxCell from the keeper at keeper (the
// box where it stands, every other box still), at the cost given plus the
// walk; sides reached cheaper than before are recorded.
void reachSides(const Board& board, PushSearch& s, int32_t boxCell, int32_t keeper, Cost at,
                int32_t fromBox, int32_t fromSide, const std::string& before) {
    Walks walks;
    walkFrom(board, keeper, &walks);
    for (int32_t side = 0; side < 4; ++side) {
        const int32_t cell = neighbour(boxCell, Directions[side]);
        if (!isOnBoard(cell) || walks.distance[cell] < 0) continue;
        const Cost cost = {at.pushes, at.steps + walks.distance[cell]};
        if (s.done[boxCell][side] || !cheaper(cost, s.cost[boxCell][side])) continue;
        s.cost[boxCell][side] = cost;
        s.fromBox[boxCell][side] = fromBox;
        s.fromSide[boxCell][side] = fromSide;
        s.letters[boxCell][side] = before + walkTo(walks, keeper, cell, true);
    }
}

} // namespace

std::string pushPath(const Board& start, int32_t keeper, int32_t boxCell, int32_t target) {
    if (!isOnBoard(keeper) || !isOnBoard(boxCell) || !isOnBoard(target)) return "";
    if (!holdsBox(start.cells[boxCell]) || boxCell == target) return "";
    static PushSearch s; // large; the page runs one search at a time
    for (int32_t cell = 0; cell < BoardCellCount; ++cell)
        for (int32_t side = 0; side < 4; ++side) {
            s.cost[cell][side] = {1 << 30, 1 << 30};
            s.done[cell][side] = false;
            s.letters[cell][side].clear();
        }
    reachSides(start, s, boxCell, keeper, Cost{0, 0}, -1, -1, "");
    Board board = start;
    for (;;) {
        int32_t bestCell = -1, bestSide = -1;
        for (int32_t cell = 0; cell < BoardCellCount; ++cell)
            for (int32_t side = 0; side < 4; ++side)
                if (!s.done[cell][side] && s.cost[cell][side].pushes < (1 << 30) &&
                    (bestCell < 0 || cheaper(s.cost[cell][side], s.cost[bestCell][bestSide]))) {
                    bestCell = cell;
                    bestSide = side;
                }
        if (bestCell < 0) return "";
        s.done[bestCell][bestSide] = true;
        if (bestCell == target) break;
        // The board with this one box moved to bestCell.
        board = start;
        board.cells[boxCell] = cellAfterBoxLeaves(board.cells[boxCell]);
        board.cells[bestCell] = cellAfterBoxArrives(board.cells[bestCell]);
        const int32_t side = neighbour(bestCell, Directions[bestSide]);
        const int32_t direction =
            oppositeDirection(Directions[bestSide]); // from the side over the box
        const MoveOutcome push = testStep(&board, side, direction);
        if (push.kind != MovePush) continue;
        const Cost at = s.cost[bestCell][bestSide];
        const std::string letter(1, directionLetter(direction));
        Board after = board;
        after.cells[bestCell] = cellAfterBoxLeaves(after.cells[bestCell]);
        after.cells[push.boxTarget] = cellAfterBoxArrives(after.cells[push.boxTarget]);
        reachSides(after, s, push.boxTarget, bestCell, Cost{at.pushes + 1, at.steps + 1}, bestCell,
                   bestSide, letter);
    }
    // The side reached first at the target ends the path; read it back.
    int32_t cell = target, side = -1;
    for (int32_t k = 0; k < 4; ++k)
        if (s.done[target][k] && (side < 0 || cheaper(s.cost[target][k], s.cost[target][side])))
            side = k;
    std::string path;
    while (cell >= 0) {
        path.insert(0, s.letters[cell][side]);
        const int32_t fromBox = s.fromBox[cell][side], fromSide = s.fromSide[cell][side];
        cell = fromBox;
        side = fromSide;
    }
    // The walk to the side the path ends on is not needed: drop trailing walking.
    size_t end = path.size();
    while (end > 0 && path[end - 1] >= 'a')
        --end;
    return path.substr(0, end);
}
