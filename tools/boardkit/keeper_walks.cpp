// The keeper's walks, asked of the rules one step at a time.
#include "board_kit.h"

#include "rules.h"

int32_t walkRegion(const Board& board, int32_t from, int32_t* cells) {
    bool seen[BoardCellCount] = {};
    int32_t todo[BoardCellCount], waiting = 0, count = 0; // each cell enters todo once
    todo[waiting++] = from;
    seen[from] = true;
    while (waiting > 0) {
        int32_t c = todo[--waiting];
        cells[count++] = c;
        for (int32_t d : BoardDirections) {
            MoveOutcome step = testStep(&board, c, d);
            if (step.kind == MoveWalk && !seen[step.target]) {
                seen[step.target] = true;
                todo[waiting++] = step.target;
            }
        }
    }
    return count;
}

bool appendWalk(const Board& board, int32_t* player, int32_t target, std::string* moves) {
    // Breadth first, so the walk is a shortest one; cameBy is the direction
    // index that entered each cell, BoardDirectionCount for the start.
    int32_t cameBy[BoardCellCount];
    int32_t queue[BoardCellCount];
    for (int32_t c = 0; c < BoardCellCount; ++c)
        cameBy[c] = -1;
    int32_t head = 0, tail = 0;
    queue[tail++] = *player;
    cameBy[*player] = BoardDirectionCount;
    while (head < tail && cameBy[target] < 0) {
        int32_t c = queue[head++];
        for (int32_t d = 0; d < BoardDirectionCount; ++d) {
            MoveOutcome step = testStep(&board, c, BoardDirections[d]);
            if (step.kind != MoveWalk || cameBy[step.target] >= 0) continue;
            cameBy[step.target] = d;
            queue[tail++] = step.target;
        }
    }
    if (cameBy[target] < 0) return false;
    std::string path;
    for (int32_t c = target; c != *player;) {
        int32_t d = cameBy[c];
        path.push_back(directionLetter(BoardDirections[d]));
        c = neighbour(c, BoardDirections[d ^ 1]);
    }
    moves->append(path.rbegin(), path.rend());
    *player = target;
    return true;
}
