// Moves and pushes: the move test, the exact calls of every slide tick, the
// commits at the fourth tick, and the keys that are dropped.
#include "board_support.h"
#include "recording_platform.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

using Calls = std::vector<std::string>;

static std::string keeperCall(int frame, int x, int y, const char* row) {
    return "drawKeeper(" + std::to_string(frame) + "," + std::to_string(x) + "," +
           std::to_string(y) + "," + row + ")";
}
static std::string invalidateCall(int x, int y) {
    return "invalidate(" + std::to_string(x) + "," + std::to_string(y) + "," +
           std::to_string(x + 32) + "," + std::to_string(y + 32) + ")";
}
static void append(Calls& to, const Calls& more) {
    to.insert(to.end(), more.begin(), more.end());
}

// A later keeper step from (x0, y0) to (x1, y1) showing the given frame.
static Calls keeperTick(int frame, int x0, int y0, int x1, int y1, const char* row) {
    Calls c = spriteLeaves("keeper", x0, y0, x1, y1);
    c.push_back(keeperCall(frame, x1, y1, row));
    c.push_back(invalidateCall(x1, y1));
    return c;
}

static void expectState(uint32_t slideStep, int32_t playerCell, int32_t sliding) {
    EXPECT_EQ(slideStep, game.slideStep);
    EXPECT_EQ(playerCell, game.playerCell);
    EXPECT_EQ(sliding, game.playerSliding);
}

// The key press and four ticks of a walk, call by call, as the slide table
// gives them: frames d, d+1, d+2, d+1, d at offsets 0, 8, 16, 24, 32.
TEST(Move, WalkRightFollowsTheTickTableExactly) {
    useBoard({"@@@@@@", //
              "@ $  @", //
              "@@@@@@"});
    int32_t start = cellAt(1, 2);
    requestMove(DirectionRight);
    EXPECT_EQ(
        (Calls{"drawTile(tile,1,64,32)", "saveUnder(keeper,64,32)", keeperCall(3, 64, 32, "walk"),
               invalidateCall(64, 32), "refreshSteps(1)", "setUndoEnabled(1)"}),
        takeCalls());
    expectState(1, start, 1);
    EXPECT_EQ(1, game.steps);
    EXPECT_EQ(1, game.undoAvailable);
    EXPECT_EQ(0, game.boxSliding);

    const int frames[4] = {4, 5, 4, 3};
    for (int tick = 1; tick <= 4; ++tick) {
        SCOPED_TRACE("tick " + std::to_string(tick));
        Board before = game.board;
        advanceSlide();
        EXPECT_EQ(keeperTick(frames[tick - 1], 64 + 8 * (tick - 1), 32, 64 + 8 * tick, 32, "walk"),
                  takeCalls());
        EXPECT_EQ(0, memcmp(&before, &game.board, sizeof before));
        if (tick < 4) expectState(tick + 1, start, 1);
    }
    expectState(0, start + 1, 0);
    EXPECT_EQ(1, game.steps);

    advanceSlide(); // idle: a tick does nothing
    EXPECT_TRUE(takeCalls().empty());

    // Undo is already offered: the next move does not enable it again.
    requestMove(DirectionLeft);
    Calls calls = takeCalls();
    EXPECT_EQ("refreshSteps(2)", calls.back());
    EXPECT_EQ(keeperCall(0, 96, 32, "walk"), calls[2]);
}

// A goal under the keeper is what the first step draws back; the goal stays.
TEST(Move, WalkOntoAGoalAndOffItKeepsTheGoal) {
    useBoard({"@@@@@", //
              "@ x @", //
              "@ $ @", //
              "@@@@@"});
    requestMove(DirectionUp);
    takeCalls();
    finishSlide();
    EXPECT_EQ(cellAt(1, 2), game.playerCell);
    EXPECT_EQ('x', game.board.cells[cellAt(1, 2)]);
    EXPECT_EQ(1, game.steps);

    takeCalls();
    requestMove(DirectionDown);
    Calls calls = takeCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ("drawTile(tile,2,64,32)", calls[0]);
    EXPECT_EQ(keeperCall(9, 64, 32, "walk"), calls[2]);
    EXPECT_EQ(keeperTick(10, 64, 32, 64, 40, "walk"), (advanceSlide(), takeCalls()));
    advanceSlide();
    advanceSlide();
    advanceSlide();
    EXPECT_EQ(cellAt(2, 2), game.playerCell);
    EXPECT_EQ('x', game.board.cells[cellAt(1, 2)]);
    EXPECT_EQ(2, game.steps);
}

// A push of the last box onto its goal: the box steps before the keeper in
// every tick, the box commits at tick 4 (posting level solved once) and the
// keeper commits in the same tick.
TEST(Move, PushOfTheLastBoxFollowsTheTickTableAndPostsSolvedOnce) {
    useBoard({"@@@@@@@", //
              "@ $ox @", //
              "@@@@@@@"});
    int32_t start = cellAt(1, 2), box = cellAt(1, 3), goal = cellAt(1, 4);
    requestMove(DirectionRight);
    EXPECT_EQ((Calls{"drawTile(tile,1,96,32)", "saveUnder(box,96,32)", "drawTile(box,0,96,32)",
                     invalidateCall(96, 32), "drawTile(tile,1,64,32)", "saveUnder(keeper,64,32)",
                     keeperCall(3, 64, 32, "push"), invalidateCall(64, 32), "refreshSteps(1)",
                     "setUndoEnabled(1)"}),
              takeCalls());
    EXPECT_EQ(1, game.pushing);
    EXPECT_EQ(box, game.pushedBoxCell);
    EXPECT_EQ(1, game.boxSliding);
    expectState(1, start, 1);

    const int frames[4] = {4, 5, 4, 3};
    for (int tick = 1; tick <= 3; ++tick) {
        SCOPED_TRACE("tick " + std::to_string(tick));
        advanceSlide();
        Calls expected = spriteLeaves("box", 96 + 8 * (tick - 1), 32, 96 + 8 * tick, 32);
        expected.push_back("drawTile(box,0," + std::to_string(96 + 8 * tick) + ",32)");
        expected.push_back(invalidateCall(96 + 8 * tick, 32));
        append(expected,
               keeperTick(frames[tick - 1], 64 + 8 * (tick - 1), 32, 64 + 8 * tick, 32, "push"));
        EXPECT_EQ(expected, takeCalls());
        EXPECT_EQ('o', game.board.cells[box]);
        EXPECT_EQ(1, game.boxesLeft);
        EXPECT_EQ(0, recorder.levelSolvedPosted);
        expectState(tick + 1, start, 1);
    }
    advanceSlide();
    Calls expected = spriteLeaves("box", 120, 32, 128, 32);
    append(expected, {"drawTile(box,0,128,32)", "refreshLevelAndBoxes(1,0)", "postLevelSolved()",
                      "drawTile(box,1,128,32)", invalidateCall(128, 32)});
    append(expected, keeperTick(3, 88, 32, 96, 32, "push"));
    EXPECT_EQ(expected, takeCalls());
    EXPECT_EQ(' ', game.board.cells[box]);
    EXPECT_EQ('#', game.board.cells[goal]);
    EXPECT_EQ(0, game.boxesLeft);
    EXPECT_EQ(1, recorder.levelSolvedPosted);
    EXPECT_EQ(0, game.boxSliding);
    expectState(0, box, 0);
    EXPECT_EQ(1, game.steps);
}

// Pushes off a goal: the box is drawn on its goal at the key press, plain in
// motion, and boxesLeft is refreshed once for each goal it leaves or reaches.
TEST(Move, PushesOffAGoalCountBoxesLeftAtTheFourthTick) {
    const Calls pressBox = {"drawTile(tile,2,96,32)", "saveUnder(box,96,32)",
                            "drawTile(box,1,96,32)"};
    const struct {
        std::vector<std::string> rows;
        Calls tick4Box;
        unsigned char endsOn;
        int boxesLeft;
    } cases[] = {
        {{"@@@@@@@", "@ $# x@", "@    o@", "@@@@@@@"},
         {"drawTile(box,0,128,32)", "refreshLevelAndBoxes(1,2)", "drawTile(box,0,128,32)",
          invalidateCall(128, 32)},
         'o',
         2},
        {{"@@@@@@@", "@ $#x @", "@   xo@", "@@@@@@@"},
         {"drawTile(box,0,128,32)", "refreshLevelAndBoxes(1,2)", "refreshLevelAndBoxes(1,1)",
          "drawTile(box,1,128,32)", invalidateCall(128, 32)},
         '#',
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows[1]);
        useBoard(c.rows);
        requestMove(DirectionRight);
        Calls calls = takeCalls();
        EXPECT_EQ(pressBox, Calls(calls.begin(), calls.begin() + 3));
        advanceSlide();
        EXPECT_EQ("drawTile(box,0,104,32)", takeCalls()[3]); // in motion: the plain box
        advanceSlide();
        advanceSlide();
        takeCalls();
        advanceSlide();
        calls = takeCalls(); // box sprite leaves (3), the box, the keeper's step (5)
        EXPECT_EQ(c.tick4Box, Calls(calls.begin() + 3, calls.end() - 5));
        EXPECT_EQ('x', game.board.cells[cellAt(1, 3)]);
        EXPECT_EQ(c.endsOn, game.board.cells[cellAt(1, 4)]);
        EXPECT_EQ(c.boxesLeft, game.boxesLeft);
        EXPECT_EQ(0, recorder.levelSolvedPosted);
    }
}

// Refused moves draw nothing and count nothing, but the snapshot was taken
// and direction and pushing show the attempt.
TEST(Move, BlockedMovesDrawNothingButReplaceTheSnapshot) {
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        int32_t direction;
        int32_t boxCell; // -1: no box involved
    };
    // A keeper on the outer ring (only a damaged saved game could make one) is
    // never read outside the board's 320 bytes.
    std::vector<std::string> bottom(15, ""), boxOnBottom(14, "");
    bottom.push_back("   $");
    boxOnBottom.insert(boxOnBottom.end(), {"   $", "   o"});
    const std::vector<Case> cases = {
        {"walk into a wall", {"@@@", "@$@", "@@@"}, DirectionRight, -1},
        {"walk into a stray code", {"@@@@@", "@$v @", "@@@@@"}, DirectionRight, -1},
        {"box into a wall", {"@@@@@", "@$o@@", "@@@@@"}, DirectionRight, cellAt(1, 2)},
        {"box into a box", {"@@@@@@", "@$o# @", "@@@@@@"}, DirectionRight, cellAt(1, 2)},
        {"box on goal into a box", {"@@@@@@", "@$#o @", "@@@@@@"}, DirectionRight, cellAt(1, 2)},
        {"box into a stray code", {"@@@@@@", "@$o! @", "@@@@@@"}, DirectionRight, cellAt(1, 2)},
        {"off the top row", {"  $  "}, DirectionUp, -1},
        {"off the bottom row", bottom, DirectionDown, -1},
        {"box on the bottom row", boxOnBottom, DirectionDown, cellAt(15, 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useBoard(c.rows);
        game.pushing = 1; // left over from an earlier push
        game.steps = 5;
        Board before = game.board;
        int32_t start = game.playerCell;
        memset(&undoSnapshot, 0, sizeof undoSnapshot);
        requestMove(c.direction);
        EXPECT_TRUE(takeCalls().empty());
        EXPECT_EQ(0, memcmp(&before, &game.board, sizeof before));
        EXPECT_EQ(start, game.playerCell);
        EXPECT_EQ(5, game.steps);
        EXPECT_EQ(c.direction, game.direction);
        EXPECT_EQ(0, game.pushing);
        EXPECT_EQ(0, game.playerSliding);
        EXPECT_EQ(0, game.undoAvailable);
        if (c.boxCell >= 0) {
            EXPECT_EQ(c.boxCell, game.pushedBoxCell);
        }
        EXPECT_EQ(0, memcmp(&before, &undoSnapshot.board, sizeof before));
        EXPECT_EQ(start, undoSnapshot.playerCell);
        EXPECT_EQ(5, undoSnapshot.steps);
    }
}

// Held arrow keys: presses during a slide are dropped (no snapshot, no
// direction change); the first one after tick 4 starts the next move.
TEST(Move, KeysDuringASlideAreDropped) {
    useBoard({"@@@@@@@", //
              "@ $   @", //
              "@     @", //
              "@@@@@@@"});
    requestMove(DirectionRight);
    UndoSnapshot snapshot = undoSnapshot;
    for (int tick = 1; tick <= 4; ++tick) {
        takeCalls();
        requestMove(DirectionDown);
        EXPECT_TRUE(takeCalls().empty());
        EXPECT_EQ(DirectionRight, game.direction);
        EXPECT_EQ(0, memcmp(&snapshot, &undoSnapshot, sizeof snapshot));
        advanceSlide();
    }
    EXPECT_EQ(cellAt(1, 3), game.playerCell);
    requestMove(DirectionDown);
    EXPECT_EQ(1, game.playerSliding);
    EXPECT_EQ(DirectionDown, game.direction);
    EXPECT_EQ(cellAt(1, 3), undoSnapshot.playerCell);
    finishSlide();
    EXPECT_EQ(cellAt(2, 3), game.playerCell);
    EXPECT_EQ(2, game.steps);
}

// A saved game may carry the largest count; a move must not wrap it negative.
TEST(Move, StepsStopAtTheLargestCount) {
    useBoard({"@@@@@", //
              "@$  @", //
              "@@@@@"});
    game.steps = INT32_MAX - 1;
    requestMove(DirectionRight);
    finishSlide();
    EXPECT_EQ(INT32_MAX, game.steps);
    requestMove(DirectionRight);
    finishSlide();
    EXPECT_EQ(INT32_MAX, game.steps);
}
