// The model's position searched the simple way, breadth first over the
// board, so the cases find walks and pushes in any level.
#include "board_model.h"

#include <string.h>

#include "game/game.h"
#include "game/rules.h"

namespace e2e {

const int Directions[4] = {DirectionLeft, DirectionRight, DirectionUp, DirectionDown};

namespace {

// A walk step of the keeper from cell, by the game's own rules; -1 where the
// step is no walk.
int walkTarget(int cell, int direction) {
    const MoveOutcome out = testStep(&game.board, cell, direction);
    return out.kind == MoveWalk ? out.target : -1;
}

int levelStartCell(int levelIndex) {
    for (int i = 0; i < BoardCellCount; ++i)
        if (strchr("$^<>v", LevelTable[levelIndex][i])) return i;
    return -1;
}

void putInt(std::string* bytes, int32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes->push_back((char)(((uint32_t)value >> (8 * i)) & 0xFF));
}

// A saved game written by hand: the board, then level, keeper cell, boxes
// off goal and steps, 32-bit little-endian.
std::string savedGameBytes(const unsigned char* board, int levelIndex, int keeperCell, int boxes,
                           int steps) {
    std::string bytes((const char*)board, BoardCellCount);
    putInt(&bytes, levelIndex);
    putInt(&bytes, keeperCell);
    putInt(&bytes, boxes);
    putInt(&bytes, steps);
    return bytes;
}

} // namespace

int boxesOffGoal(int levelIndex) {
    int count = 0;
    for (int i = 0; i < BoardCellCount; ++i)
        count += LevelTable[levelIndex][i] == CellCodeBox;
    return count;
}

// Shortest walk over floor and goals from the model's keeper to every cell:
// the direction that last entered each one (-1 where it cannot be reached).
std::vector<int> walkFromKeeper(std::vector<int>* previous) {
    std::vector<int> entered(BoardCellCount, -1);
    previous->assign(BoardCellCount, -1);
    std::vector<int> queue = {game.playerCell};
    entered[game.playerCell] = 99;
    for (size_t i = 0; i < queue.size(); ++i)
        for (int d : Directions) {
            const int next = walkTarget(queue[i], d);
            if (next < 0 || entered[next] != -1) continue;
            entered[next] = d;
            (*previous)[next] = queue[i];
            queue.push_back(next);
        }
    return entered;
}

std::vector<int> pathFromKeeper(int target, const std::vector<int>& entered,
                                const std::vector<int>& previous) {
    std::vector<int> path;
    for (int cell = target; cell != game.playerCell; cell = previous[cell])
        path.insert(path.begin(), entered[cell]);
    return path;
}

// A push the keeper can reach: walk path, then push in direction. With
// blocked set, the box's far side is a wall or another box instead.
bool findPush(bool blocked, std::vector<int>* path, int* direction) {
    std::vector<int> previous;
    const std::vector<int> entered = walkFromKeeper(&previous);
    for (int cell = 0; cell < BoardCellCount; ++cell) {
        if (entered[cell] == -1) continue;
        for (int d : Directions) {
            const int box = neighbour(cell, d);
            if (!isOnBoard(box) || !holdsBox(game.board.cells[box])) continue;
            const bool pushes = testStep(&game.board, cell, d).kind == MovePush;
            if (pushes == blocked) continue;
            *path = pathFromKeeper(cell, entered, previous);
            *direction = d;
            return true;
        }
    }
    return false;
}

// How many free cells lie in a straight line from the keeper.
int freeRunOf(int cell, int direction) {
    int run = 0;
    for (int c = walkTarget(cell, direction); c >= 0; c = walkTarget(c, direction))
        ++run;
    return run;
}

int freeRun(int direction) {
    return freeRunOf(game.playerCell, direction);
}

// A cell the keeper can walk to with at least `length` free cells in a row
// beyond it.
bool findStraightRun(int length, int* cell, int* direction) {
    std::vector<int> previous;
    const std::vector<int> entered = walkFromKeeper(&previous);
    for (int c = 0; c < BoardCellCount; ++c) {
        if (entered[c] == -1) continue;
        for (int d : Directions)
            if (freeRunOf(c, d) >= length) {
                *cell = c;
                *direction = d;
                return true;
            }
    }
    return false;
}

// Level n's start position as a saved game.
std::string levelStartBytes(int levelIndex, int steps) {
    unsigned char board[BoardCellCount];
    memcpy(board, LevelTable[levelIndex], BoardCellCount);
    const int start = levelStartCell(levelIndex);
    board[start] = CellCodeFloor;
    return savedGameBytes(board, levelIndex, start, boxesOffGoal(levelIndex), steps);
}

std::string modelSavedBytes() {
    return savedGameBytes(game.board.cells, game.levelIndex, game.playerCell, game.boxesLeft,
                          game.steps);
}

} // namespace e2e
