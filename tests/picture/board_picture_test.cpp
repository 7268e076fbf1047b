// The board pictures need no Wine: with it the game core's
// level start is compared, for every level, with a picture drawn straight
// from the level table, so a wrong tile or keeper frame in the core shows
// up here and not only as a mismatch against the real game.
#include <gtest/gtest.h>

#include <string>

#include "board_picture.h"
#include "game/game.h"

namespace {

TEST(BoardPicture, CoreLevelStartsMatchTheLevelTable) {
    std::string error;
    ASSERT_TRUE(loadSheets(BEXARAN_PICTURE_SHELL_FOLDER, &error)) << error;
    for (int n = 0; n < LevelCount; ++n) {
        game = GameState();
        game.levelIndex = n;
        startLevel(n);
        int32_t x = 0, y = 0;
        EXPECT_EQ(countDifferences(boardPicture(), levelStartPicture(n), &x, &y), 0)
            << "level " << n + 1 << " first differs at (" << x << ", " << y << ")";
        EXPECT_EQ(modelSignals.undoEnabled, 0) << "level " << n + 1;
    }
}

TEST(BoardPicture, KeeperKeepsTheCellVisibleThroughTheKeyColour) {
    std::string error;
    ASSERT_TRUE(loadSheets(BEXARAN_PICTURE_SHELL_FOLDER, &error)) << error;
    // Frame 6 standing on a goal and on floor differ exactly where the
    // frame has key-coloured pixels, and only there.
    const Picture onGoal = keeperOnCell(6, 0, CellCodeGoal);
    const Picture onFloor = keeperOnCell(6, 0, CellCodeFloor);
    const Picture frame = keeperFrame(6, 0);
    int keyed = 0, differing = 0, misplaced = 0;
    for (size_t i = 0; i < frame.pixels.size(); ++i) {
        const bool isKey = frame.pixels[i] == 0xFF00FF;
        const bool differs = onGoal.pixels[i] != onFloor.pixels[i];
        keyed += isKey;
        differing += differs;
        misplaced += differs && !isKey;
        if (!isKey) {
            EXPECT_EQ(onGoal.pixels[i], frame.pixels[i]);
        }
    }
    EXPECT_GT(keyed, 0) << "the keeper frame has no key-coloured background";
    EXPECT_GT(differing, 0) << "floor and goal look the same around the keeper";
    EXPECT_EQ(misplaced, 0);
}

} // namespace
