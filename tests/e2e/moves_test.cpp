// Walks, pushes, blocked pushes, Ctrl with an arrow and held keys, each
// checked on the status bar and pixel for pixel on the board.
#include "wine_game.h"

namespace e2e {

TEST_F(WineGame, MovesWalkPushAndHeldKeys) {
    ASSERT_TRUE(attachToGame());
    expectBoard(levelStartPicture(0), "level 1 at start");

    // A walk: the steps count rises at the key press, before the slide ends.
    int walkDirection = -1;
    for (int d : BoardDirections)
        if (walkDirection < 0 && freeRun(d) > 0) walkDirection = d;
    ASSERT_GE(walkDirection, 0) << "the keeper cannot walk anywhere in level 1";
    int seenMidSlide = 0;
    for (int attempt = 0; attempt < 3 && seenMidSlide == 0 && freeRun(walkDirection) > 0;
         ++attempt) {
        press(vkOf(walkDirection));
        modelMove(walkDirection);
        const std::vector<std::string> wanted =
            expectedStatus(game.levelIndex, game.boxesLeft, game.steps);
        ASSERT_TRUE(pollUntil([&] { return status() == wanted; }, CheckTimeoutMs, 5));
        Picture early;
        if (captureBoard(&early) && countDifferences(early, boardPicture(), nullptr, nullptr) != 0)
            ++seenMidSlide;
        expectModelBoard("after walk " + std::to_string(attempt + 1));
    }
    EXPECT_GT(seenMidSlide, 0) << "the steps count never rose before the slide had ended";
    expectUndoOffered(true, "after the first move");

    // A push; the keeper then shows the pushing frame of that direction.
    std::vector<int> path;
    int pushDirection = -1;
    ASSERT_TRUE(findPush(false, &path, &pushDirection)) << "no push possible in level 1";
    walk(path, "walking to a box");
    move(pushDirection, "the push");
    EXPECT_EQ(game.pushing, 1);
    const Point keeper = cellToPixel(game.playerCell);
    Picture seen;
    ASSERT_TRUE(captureBoard(&seen));
    EXPECT_EQ(countDifferences(cutSquare(seen, keeper.x, keeper.y),
                               keeperOnCell(pushDirection, 1, game.board.cells[game.playerCell]),
                               nullptr, nullptr),
              0)
        << "the keeper is not in the pushing row after a push";

    // Ctrl with an arrow is no accelerator: it moves like the arrow alone.
    press(vkOf(oppositeDirection(pushDirection)), "ctrl");
    modelMove(oppositeDirection(pushDirection));
    expectModelStatus("after Ctrl+arrow");
    expectModelBoard("after Ctrl+arrow");

    // A blocked push: nothing changes, not even the steps count.
    if (findPush(true, &path, &pushDirection)) {
        walk(path, "walking to a blocked box");
        const int stepsBefore = game.steps;
        press(vkOf(pushDirection));
        modelMove(pushDirection);
        EXPECT_EQ(game.steps, stepsBefore);
        sleepMilliseconds(300);
        expectModelStatus("after a blocked push");
        expectModelBoard("after a blocked push");
    }

    // A held arrow key: the first key-down moves, the repeats that arrive
    // during the slide are dropped, and the first one after it moves again.
    // It needs two free cells in a row; a level that has them at its start is
    // loaded if the present position has none.
    int cell = -1, heldDirection = -1;
    if (!findStraightRun(2, &cell, &heldDirection)) {
        for (int n = 0; n < LevelCount && heldDirection < 0; ++n) {
            game.levelIndex = n;
            startLevel(n);
            if (!findStraightRun(2, &cell, &heldDirection)) continue;
            const std::string file = session.artifacts + "/corridor.bxr";
            ASSERT_TRUE(writeBytes(file, levelStartBytes(n, 0)));
            load(file, "loading a level with a corridor");
        }
    }
    ASSERT_GE(heldDirection, 0) << "no two free cells in a row in any level";
    walk(walkTo(cell), "walking to a corridor");
    EXPECT_EQ(holdKey(heldDirection, 6, 15), 1) << "repeats during a slide were not dropped";
    const int back = oppositeDirection(heldDirection);
    move(back, "stepping back");
    const int moves = holdKey(heldDirection, 20, 25);
    EXPECT_GE(moves, 2) << "a repeat after the slide did not start the next move";
    EXPECT_LE(moves, freeRunOf(cell, heldDirection));
}

} // namespace e2e
