// The model's position searched with the board kit's walks, so the cases
// find walks and pushes in any level.
#include "board_model.h"

#include <algorithm>

#include "game/game.h"
#include "game/rules.h"

namespace e2e {

namespace {

// A walk step of the keeper from cell, by the game's own rules; -1 where the
// step is no walk.
int walkTarget(int cell, int direction) {
    const MoveOutcome out = testStep(&game.board, cell, direction);
    return out.kind == MoveWalk ? out.target : -1;
}

// The cells the model's keeper can walk to, in board order.
std::vector<int> keeperReach() {
    std::vector<int32_t> cells(BoardCellCount);
    cells.resize((size_t)walkRegion(game.board, game.playerCell, cells.data()));
    std::sort(cells.begin(), cells.end());
    return std::vector<int>(cells.begin(), cells.end());
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

std::vector<int> walkTo(int target) {
    std::string letters;
    int32_t at = game.playerCell;
    std::vector<int> path;
    if (!appendWalk(game.board, &at, target, &letters)) return path;
    for (char letter : letters)
        path.push_back(letterDirection(letter));
    return path;
}

// The first reachable cell in board order that has such a push, a walk away
// from the keeper where there is one: callers walk, then push, and check
// each on its own.
bool findPush(bool blocked, std::vector<int>* path, int* direction) {
    for (int pass = 0; pass < 2; ++pass)
        for (int cell : keeperReach()) {
            if (pass == 0 && cell == game.playerCell) continue;
            for (int d : BoardDirections) {
                const int box = neighbour(cell, d);
                if (!isOnBoard(box) || !holdsBox(game.board.cells[box])) continue;
                const bool pushes = testStep(&game.board, cell, d).kind == MovePush;
                if (pushes == blocked) continue;
                *path = walkTo(cell);
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
    for (int c : keeperReach()) {
        for (int d : BoardDirections)
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
    Board board;
    const int start = splitStart(LevelTable[levelIndex], &board);
    return savedGameBytes(board.cells, levelIndex, start, boxesOffGoal(levelIndex), steps);
}

std::string modelSavedBytes() {
    return savedGameBytes(game.board.cells, game.levelIndex, game.playerCell, game.boxesLeft,
                          game.steps);
}

} // namespace e2e
