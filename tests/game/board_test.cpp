// The board, the level table, starting a level and redrawing the board.
#include "board_support.h"
#include "recording_platform.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

static std::string tileCall(const char* sheet, int n, int32_t cell) {
    Point p = cellToPixel(cell);
    char text[64];
    snprintf(text, sizeof text, "drawTile(%s,%d,%d,%d)", sheet, n, (int)p.x, (int)p.y);
    return text;
}

// How the board shows a cell code when it is drawn whole.
static std::string cellCall(unsigned char code, int32_t cell) {
    switch (code) {
    case '@':
        return tileCall("tile", 0, cell);
    case 'x':
        return tileCall("tile", 2, cell);
    case 'o':
        return tileCall("box", 0, cell);
    case '#':
        return tileCall("box", 1, cell);
    default:
        return tileCall("tile", 1, cell);
    }
}

// The first frame the keeper shows on each kind of start cell, or -1.
static int startFrameOf(unsigned char code) {
    switch (code) {
    case '$':
    case '^':
        return 6;
    case '>':
        return 3;
    case '<':
        return 0;
    case 'v':
        return 9;
    default:
        return -1;
    }
}

// Every level of the table, whatever its layout: the exact calls, the counters
// reset, the start cell turned into floor with the keeper on it.
TEST(StartLevel, DrawsEveryCellAndPlacesTheKeeperOnEachLevel) {
    for (int n = 0; n < LevelCount; ++n) {
        SCOPED_TRACE("level " + std::to_string(n + 1));
        useBoard({});
        // Leftovers of a level in progress that startLevel must reset or keep.
        // levelIndex is the caller's to set; the status bar shows it + 1 even
        // when another level is started.
        game.levelIndex = (n + 3) % LevelCount;
        game.steps = 17;
        game.direction = 9;
        game.pushing = 1;
        game.slideStep = 3;
        game.boxesLeft = 99;
        game.undoAvailable = 1;
        game.pushedBoxCell = 123;
        undoSnapshot.playerCell = 77;

        std::vector<std::string> expected{"setUndoEnabled(0)"};
        int32_t start = -1;
        int boxes = 0;
        for (int32_t i = 0; i < BoardCellCount; ++i) {
            unsigned char code = LevelTable[n][i];
            int frame = startFrameOf(code);
            expected.push_back(cellCall(code, i));
            if (frame >= 0) {
                Point p = cellToPixel(i);
                expected.push_back("drawKeeper(" + std::to_string(frame) + "," +
                                   std::to_string(p.x) + "," + std::to_string(p.y) + ",walk)");
                start = i;
            }
            boxes += code == 'o';
        }
        expected.push_back("refreshLevelAndBoxes(" + std::to_string((n + 3) % LevelCount + 1) +
                           "," + std::to_string(boxes) + ")");
        expected.push_back("refreshSteps(0)");

        startLevel(n);
        EXPECT_EQ(expected, takeCalls());
        EXPECT_EQ(start, game.playerCell);
        EXPECT_EQ(' ', game.board.cells[start]);
        EXPECT_EQ(0, memcmp(game.board.cells, LevelTable[n], start));
        EXPECT_EQ(0, memcmp(game.board.cells + start + 1, LevelTable[n] + start + 1,
                            BoardCellCount - start - 1));
        EXPECT_EQ(boxes, game.boxesLeft);
        EXPECT_EQ(0, game.steps);
        EXPECT_EQ(0, game.direction); // the start cell's facing is only drawn
        EXPECT_EQ(0, game.pushing);
        EXPECT_EQ(0u, game.slideStep);
        EXPECT_EQ(0, game.undoAvailable);
        EXPECT_EQ((n + 3) % LevelCount, game.levelIndex);
        EXPECT_EQ(123, game.pushedBoxCell);
        EXPECT_EQ(77, undoSnapshot.playerCell);
    }
}

TEST(RedrawBoard, DrawsEveryCodeThenTheKeeperWithFrameZeroInTheCurrentRow) {
    useBoard({"@@@@@@@",    //
              "@ xo#$@",    //
              "@\x01v<@ @", // stray bytes are drawn as floor
              "@@@@@@@"});
    game.board.cells[cellAt(1, 5)] = '$'; // a start code left on the board: floor
    game.playerCell = cellAt(1, 1);
    Board before = game.board;
    std::vector<std::string> expected;
    for (int32_t i = 0; i < BoardCellCount; ++i)
        expected.push_back(cellCall(game.board.cells[i], i));
    expected.push_back("drawKeeper(0,32,32,walk)");
    redrawBoard();
    EXPECT_EQ(expected, takeCalls());
    EXPECT_EQ(0, memcmp(&before, &game.board, sizeof before));

    game.pushing = 1; // as the last move test left it after a push
    redrawBoard();
    EXPECT_EQ("drawKeeper(0,32,32,push)", takeCalls().back());
}
