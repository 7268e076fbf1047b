// The game core: the board, the single game state, moves with their slide
// animation, undo, restart, new game and level advance. Portable: it draws
// and talks to the window only through the operations of game/platform.h.
#pragma once
#include <stdint.h>

enum {
    BoardColumns = 20,
    BoardRows = 16,
    BoardCellCount = BoardColumns * BoardRows, // 320
    CellPixels = 32,
    LevelCount = 50,
};

// One byte per cell. Any other byte blocks like a wall and is drawn as floor.
enum CellCode : unsigned char {
    CellCodeWall = '@',
    CellCodeFloor = ' ',
    CellCodeGoal = 'x',
    CellCodeBox = 'o',
    CellCodeBoxOnGoal = '#',
    CellCodeStart = '$',      // keeper's start, facing up (levels 1 to 8)
    CellCodeStartRight = '>', // keeper's start with its facing (levels 9 to 50)
    CellCodeStartLeft = '<',
    CellCodeStartUp = '^',
    CellCodeStartDown = 'v',
};

struct Board {
    unsigned char cells[BoardCellCount]; // row by row from the top
};

// The built-in levels, back to back in playing order (game/level_table.cpp).
extern const unsigned char LevelTable[LevelCount][BoardCellCount];

// Also the first of the keeper's three frames for that direction.
enum Direction : int32_t {
    DirectionLeft = 0,
    DirectionRight = 3,
    DirectionUp = 6,
    DirectionDown = 9,
};

struct Rect {
    int32_t left, top, right, bottom;
};

struct Point {
    int32_t x, y;
};

struct GameState {
    Board board;
    int32_t levelIndex;    // 0..49
    int32_t playerCell;    // 0..319
    int32_t boxesLeft;     // cells holding "o"
    int32_t steps;         // moves made in this level
    int32_t direction;     // Direction of the move made or last tried
    int32_t pushing;       // that move pushes a box; selects the pushing frames
    int32_t pushedBoxCell; // the box the move pushes
    int32_t playerSliding;
    int32_t boxSliding;
    uint32_t slideStep; // 0..5
    int32_t undoAvailable;
    Rect playerRect; // square the keeper's sprite covers during a slide
    Rect boxRect;    // square the pushed box's sprite covers during a slide
};

// What a move changes, kept for the one-step undo. `steps` is kept too, so an
// undo that takes back nothing leaves the count as it is.
struct UndoSnapshot {
    Board board;
    int32_t level;
    int32_t playerCell;
    int32_t boxesLeft;
    int32_t steps;
};

extern GameState game;
extern UndoSnapshot undoSnapshot;

Point cellToPixel(int32_t cell);
void startLevel(int32_t n);
void redrawBoard();

int testMove();
void requestMove(int32_t direction);
void advanceSlide();
void stepPlayerSlide();
void stepBoxSlide();

void takeSnapshot();
void undoMove();
void restartLevel();
void newGame();
void levelSolved();

// Ends a running slide without committing it; the commands that replace the
// state call it first, so no stale pixels or unchecked move survive them.
void cancelSlide();

// The saved-game file: an image of the position, exactly 336 bytes with no
// header, integers 32-bit little-endian, extension "bxr".
enum {
    SavedGameSize = 336,
};

struct SavedGame {
    Board board;        // the keeper's cell holds " " or "x"
    int32_t levelIndex; // 0..49
    int32_t playerCell; // 0..319
    int32_t boxesLeft;  // equals the number of "o" cells
    int32_t steps;
};

// Why a saved game was refused (or that it was not).
enum SavedGameCheck : int32_t {
    SavedGameValid = 0,
    SavedGameUnreadable = 1,    // cannot be opened or read
    SavedGameWrongSize = 2,     // not exactly 336 bytes
    SavedGameBadLevel = 3,      // level outside 0..49
    SavedGameBadKeeperCell = 4, // keeper cell outside 0..319
    SavedGameOpenBorder = 5,    // an outer row or column cell is not a wall
    SavedGameKeeperBlocked = 6, // the keeper's cell holds neither " " nor "x"
    SavedGameBoxCountWrong = 7, // boxes left differs from the "o" cells
};

void encodeSavedGame(const GameState* state, unsigned char bytes[SavedGameSize]);
// Checks size and every invariant the game relies on; fills saved only when valid.
SavedGameCheck decodeSavedGame(const unsigned char* bytes, uint32_t size, SavedGame* saved);
// A checked saved game becomes the state in play (board not redrawn).
void installSavedGame(const SavedGame* saved);
const char* savedGameCheckName(SavedGameCheck check); // English, for tools
// Writes the position to fileName through a temporary file beside it, so an
// existing file is replaced whole or not at all. 1 on success.
int writeSavedGame(const char* fileName);
// The names writeSavedGame may write to before the rename, one per attempt
// (0 .. SavedGameTemporaryAttempts - 1), into temporary (room for
// FileNameCapacity bytes): in the same folder, as long as fileName, never
// equal to it and different for every attempt. 0 for an empty or over-long
// name, one that ends in a separator, or an attempt past the last.
enum {
    SavedGameTemporaryAttempts = 37,
};
int savedGameTemporaryName(const char* fileName, int32_t attempt, char* temporary);
// After writeSavedGame failed: 1 when there was a file of that name, which
// the failure left as it was.
int earlierFileKept(const char* fileName);
// Reads, checks and installs a saved game; a refused file changes nothing.
SavedGameCheck readSavedGame(const char* fileName);
// Whether a room drawn in the page's editor can be played, and if not why:
// the first fault found, in this order.
enum RoomCheck : int32_t {
    RoomPlayable = 0,
    RoomNoKeeper = 1,  // no keeper, or not on floor or a goal
    RoomBadCell = 2,   // a byte other than wall, floor, goal, box, box on goal
    RoomOpen = 3,      // the keeper's part of the room reaches the board's edge
    RoomStrayCell = 4, // a box or goal outside the keeper's part of the room
    RoomNoBoxes = 5,   // not one box
    RoomBoxesGoalsDiffer = 6,
    RoomAllBoxesHome = 7,  // no box off a goal: nothing to play
    RoomRefusedAsGame = 8, // the saved game made of it is refused (never, after the above)
};
// Judges a drawn room (the keeper apart, at keeperCell; -1 for none) and,
// when it is playable, writes it as a saved game at its start: level 1, no
// steps, floor the keeper can never reach made wall. The saved game is then
// read back by decodeSavedGame, so a playable room is one a load accepts.
RoomCheck judgeRoom(const Board* drawn, int32_t keeperCell, unsigned char bytes[SavedGameSize]);
void saveGame(); // command 10002: save dialog, then writeSavedGame
void loadGame(); // command 10003: open dialog, then readSavedGame
