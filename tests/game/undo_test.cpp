// Undo, restart, new game and level advance; commands that replace the state
// while a slide runs.
#include "board_support.h"
#include "recording_platform.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

using Calls = std::vector<std::string>;

// The calls `draw` makes, without disturbing the state under test.
static Calls callsOf(void (*draw)(int32_t), int32_t n, int32_t shownLevel) {
    GameState savedGame = game;
    Recorder savedRecorder = recorder;
    game.levelIndex = shownLevel;
    recorder.calls.clear();
    recorder.recording = true;
    draw(n);
    Calls calls = recorder.calls;
    game = savedGame;
    recorder = savedRecorder;
    return calls;
}
static Calls levelStartCalls(int32_t n, int32_t shown) {
    return callsOf(startLevel, n, shown);
}

static Calls plus(Calls calls, const std::string& last) {
    calls.push_back(last);
    return calls;
}

// The board a level starts with: the table's bytes, the start cell as floor.
static void expectLevelStarted(int32_t n) {
    EXPECT_EQ(n, game.levelIndex);
    for (int32_t i = 0; i < BoardCellCount; ++i) {
        unsigned char want = i == game.playerCell ? ' ' : LevelTable[n][i];
        ASSERT_EQ(want, game.board.cells[i]) << "cell " << i;
    }
    EXPECT_TRUE(strchr("$<>^v", LevelTable[n][game.playerCell]));
    EXPECT_EQ(0, game.steps);
    EXPECT_EQ(0, game.undoAvailable);
    EXPECT_EQ(0, recorder.undoEnabled);
}

TEST(UndoMove, TakesBackAWalkAndAPushWithTheExactCalls) {
    useBoard({"@@@@@@@", //
              "@ $ox @", //
              "@   xo@", //
              "@@@@@@@"});
    game.levelIndex = 6;
    takeSnapshot();
    GameState start = game;

    requestMove(DirectionRight); // push, not solving: one box stays off
    finishSlide();
    ASSERT_EQ('#', game.board.cells[cellAt(1, 4)]);
    ASSERT_EQ(1, game.boxesLeft);
    takeCalls();
    UndoSnapshot snapshot = undoSnapshot;
    undoMove();
    EXPECT_EQ(0, memcmp(&start.board, &game.board, sizeof start.board));
    EXPECT_EQ(start.playerCell, game.playerCell);
    EXPECT_EQ(2, game.boxesLeft);
    EXPECT_EQ(6, game.levelIndex);
    EXPECT_EQ(0, game.steps);
    // The redraw shows the keeper with frame 0 of the pushing row: pushing
    // still holds the last move test's value, as do direction and the rest.
    Calls expected = callsOf([](int32_t) { redrawBoard(); }, 0, game.levelIndex);
    EXPECT_EQ("drawKeeper(0,64,32,push)", expected.back());
    expected.push_back("invalidate(all)");
    expected.push_back("refreshLevelAndBoxes(7,2)");
    expected.push_back("refreshSteps(0)");
    EXPECT_EQ(expected, takeCalls());
    EXPECT_EQ(1, game.pushing);
    EXPECT_EQ(DirectionRight, game.direction);
    EXPECT_EQ(1, game.undoAvailable); // Undo stays offered after use
    EXPECT_EQ(1, recorder.undoEnabled);
    EXPECT_EQ(0, memcmp(&snapshot, &undoSnapshot, sizeof snapshot));

    requestMove(DirectionDown); // a walk, then its undo
    finishSlide();
    EXPECT_EQ(1, game.steps);
    takeCalls();
    undoMove();
    EXPECT_EQ(start.playerCell, game.playerCell);
    EXPECT_EQ(0, game.steps);
    EXPECT_EQ("drawKeeper(0,64,32,walk)", takeCalls()[BoardCellCount]);
}

// The snapshot is taken before every move test, so these undos take back no
// move: the board stays and so does the step count.
TEST(UndoMove, AnUndoThatTakesBackNoMoveKeepsBoardAndSteps) {
    useBoard({"@@@@@@", //
              "@ $ @@", //
              "@@@@@@"});
    takeSnapshot();
    requestMove(DirectionRight);
    finishSlide();
    requestMove(DirectionRight); // blocked: snapshot of the position after the move
    EXPECT_EQ(0, game.playerSliding);
    undoMove();
    EXPECT_EQ(cellAt(1, 3), game.playerCell);
    EXPECT_EQ(1, game.steps);
    EXPECT_EQ("refreshSteps(1)", takeCalls().back());

    requestMove(DirectionLeft);
    finishSlide();
    EXPECT_EQ(2, game.steps);
    undoMove();
    EXPECT_EQ(1, game.steps);
    EXPECT_EQ(cellAt(1, 3), game.playerCell);
    undoMove(); // a second undo in a row restores the same snapshot
    undoMove();
    EXPECT_EQ(1, game.steps);
    EXPECT_EQ(cellAt(1, 3), game.playerCell);
}

static bool makeAnyMove() {
    for (int32_t d : {0, 3, 6, 9}) {
        requestMove(d);
        if (game.playerSliding) {
            finishSlide();
            return true;
        }
    }
    return false;
}

// Restart starts the current level again, new game the first one from any
// level: the level start's calls, then a whole repaint; the snapshot is kept.
TEST(LevelCommands, RestartAndNewGameStartALevelAgain) {
    const struct {
        void (*run)();
        int32_t level, started;
    } cases[] = {{restartLevel, 0, 0},
                 {restartLevel, 8, 8},
                 {restartLevel, 9, 9},
                 {restartLevel, 11, 11},
                 {restartLevel, LevelCount - 1, LevelCount - 1},
                 {newGame, 23, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.run == newGame ? "new game" : "restart") + " on level " +
                     std::to_string(c.level + 1));
        useBoard({});
        game.levelIndex = c.level;
        startLevel(c.level);
        takeSnapshot();
        ASSERT_TRUE(makeAnyMove());
        ASSERT_TRUE(makeAnyMove());
        EXPECT_EQ(1, recorder.undoEnabled);
        UndoSnapshot snapshot = undoSnapshot;
        takeCalls();
        c.run();
        EXPECT_EQ(plus(levelStartCalls(c.started, c.started), "invalidate(all)"), takeCalls());
        expectLevelStarted(c.started);
        EXPECT_EQ(0, memcmp(&snapshot, &undoSnapshot, sizeof snapshot));
    }
}

static int32_t levelShownDuringCongratulation;
static void noteLevelShown() {
    levelShownDuringCongratulation = game.levelIndex;
}

// Solving a level: the box first, then the next level in table order, 50
// wrapping to 1; Undo is grayed, so a solving push cannot be taken back.
TEST(LevelCommands, LevelSolvedCongratulatesThenStartsTheNextLevel) {
    for (int32_t n : {0, 7, 48, LevelCount - 1}) {
        SCOPED_TRACE("level index " + std::to_string(n));
        useBoard({"@@@@@@", //
                  "@$ox @", //
                  "@@@@@@"});
        game.levelIndex = n;
        takeSnapshot();
        requestMove(DirectionRight);
        finishSlide();
        ASSERT_EQ(1, recorder.levelSolvedPosted);
        EXPECT_EQ(1, recorder.undoEnabled);
        takeCalls();
        recorder.onCongratulation = noteLevelShown;
        levelSolved();
        int32_t next = n == LevelCount - 1 ? 0 : n + 1;
        Calls expected = plus(levelStartCalls(next, next), "invalidate(all)");
        expected.insert(expected.begin(), "showCongratulation()");
        EXPECT_EQ(expected, takeCalls());
        EXPECT_EQ(n, levelShownDuringCongratulation);
        expectLevelStarted(next);
        EXPECT_EQ(1, recorder.levelSolvedPosted);
    }
}

// A command that replaces the state while a move is on screen cancels the
// move: nothing of it is committed and later ticks do nothing.
TEST(LevelCommands, CommandsDuringAWalkOrAPushCancelTheSlide) {
    struct Command {
        const char* name;
        void (*run)();
    };
    const Command commands[] = {
        {"undo", undoMove}, {"restart", restartLevel}, {"new game", newGame}};
    const std::vector<std::string> board = {"@@@@@@@", //
                                            "@ $ox @", //
                                            "@   x @", //
                                            "@@@@@@@"};
    for (const Command& command : commands) {
        for (int32_t direction : {DirectionRight, DirectionDown}) { // push, walk
            for (int ticks = 0; ticks < 4; ++ticks) {
                SCOPED_TRACE(std::string(command.name) +
                             (direction == DirectionRight ? " push" : " walk") + " after " +
                             std::to_string(ticks) + " ticks");
                useBoard(board);
                game.levelIndex = 5;
                game.steps = 3;
                takeSnapshot();
                GameState before = game;
                requestMove(direction);
                ASSERT_EQ(1, game.playerSliding);
                for (int t = 0; t < ticks; ++t)
                    advanceSlide();
                takeCalls();
                command.run();
                Calls calls = takeCalls();
                for (const std::string& c : calls)
                    EXPECT_EQ(std::string::npos, c.find("Under(")) << c; // no stale pixels
                EXPECT_EQ(0, game.playerSliding);
                EXPECT_EQ(0, game.boxSliding);
                EXPECT_EQ(0u, game.slideStep);
                if (command.run == undoMove) {
                    EXPECT_EQ(0, memcmp(&before.board, &game.board, sizeof before.board));
                    EXPECT_EQ(before.playerCell, game.playerCell);
                    EXPECT_EQ(before.boxesLeft, game.boxesLeft);
                    EXPECT_EQ(3, game.steps); // the move never happened
                } else {
                    expectLevelStarted(command.run == newGame ? 0 : 5);
                }
                GameState after = game;
                for (int t = 0; t < 5; ++t)
                    advanceSlide();
                EXPECT_TRUE(takeCalls().empty());
                EXPECT_EQ(0, memcmp(&after, &game, sizeof after));
            }
        }
    }
}

// A key queued ahead of the solved message starts a move in the solved level;
// the level that follows must not inherit that slide.
TEST(LevelCommands, LevelSolvedCancelsAMoveStartedAfterTheSolvingPush) {
    useBoard({"@@@@@@", //
              "@ $ox@", //
              "@    @", //
              "@@@@@@"});
    takeSnapshot();
    requestMove(DirectionRight);
    finishSlide();
    ASSERT_EQ(1, recorder.levelSolvedPosted);
    requestMove(DirectionDown);
    advanceSlide();
    ASSERT_EQ(1, game.playerSliding);
    levelSolved();
    EXPECT_EQ(0, game.playerSliding);
    EXPECT_EQ(0u, game.slideStep);
    expectLevelStarted(1);
    GameState after = game;
    takeCalls();
    finishSlide();
    EXPECT_TRUE(takeCalls().empty());
    EXPECT_EQ(0, memcmp(&after, &game, sizeof after));
}
