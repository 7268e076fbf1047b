// Random play: arrow keys, timer ticks and commands in random order, as the
// window would deliver them, with the state checked after every message.
#include "board_support.h"
#include "random_stream.h"
#include "recording_platform.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

// The tools' random stream, drawn from its high half.
struct Random {
    Rng rng;
    uint32_t below(uint32_t n) { return (uint32_t)(nextRandom(rng) >> 32) % n; }
};

int tableBoxes(int32_t level) {
    int n = 0;
    for (unsigned char c : LevelTable[level])
        n += c == 'o' || c == '#';
    return n;
}

struct Play {
    int boxes;         // boxes the current level holds, on goals or not
    int pendingSolved; // level-solved messages posted but not yet handled
    int postsSeen;     // recorder.levelSolvedPosted already accounted for
    int levelsSolved;
    int pushesDone;
    int undosDone;
};

void checkState(const Play& play, const char* event) {
    SCOPED_TRACE(event);
    ASSERT_EQ(countCells(game.board, 'o'), game.boxesLeft);
    ASSERT_EQ(play.boxes, countCells(game.board, 'o') + countCells(game.board, '#'));
    unsigned char under = game.board.cells[game.playerCell];
    ASSERT_TRUE(under == ' ' || under == 'x') << "keeper on " << (int)under;
    int32_t row = game.playerCell / BoardColumns, column = game.playerCell % BoardColumns;
    ASSERT_TRUE(row > 0 && row < BoardRows - 1 && column > 0 && column < BoardColumns - 1);
    for (unsigned char code : {'$', '<', '>', '^', 'v'})
        ASSERT_EQ(0, countCells(game.board, code));
    if (game.playerSliding) {
        ASSERT_TRUE(game.slideStep >= 1 && game.slideStep <= 4) << game.slideStep;
        ASSERT_EQ(game.pushing, game.boxSliding);
    } else {
        ASSERT_EQ(0, game.boxSliding);
        ASSERT_EQ(0u, game.slideStep);
    }
    ASSERT_EQ(game.undoAvailable, recorder.undoEnabled);
    ASSERT_EQ(0, recorder.drawsOutsideBoard);
    ASSERT_GE(game.steps, 0);
}

// One message of the window's queue. A posted level-solved message is usually
// handled next, but a key or tick already queued may come first.
void deliverOne(Random& random, Play& play) {
    const char* event;
    if (play.pendingSolved > 0 && random.below(4) != 0) {
        play.pendingSolved -= 1;
        levelSolved();
        play.boxes = tableBoxes(game.levelIndex);
        play.levelsSolved += 1;
        event = "level solved";
    } else {
        uint32_t pick = random.below(100);
        if (pick < 40) {
            static const int32_t directions[4] = {0, 3, 6, 9};
            requestMove(directions[random.below(4)]);
            play.pushesDone += game.playerSliding && game.pushing;
            event = "arrow key";
        } else if (pick < 90) {
            advanceSlide();
            event = "tick";
        } else if (pick < 96) {
            if (recorder.undoEnabled) { // a grayed Undo delivers nothing
                undoMove();
                play.undosDone += 1;
            }
            event = "undo";
        } else if (pick < 99) {
            restartLevel();
            play.boxes = tableBoxes(game.levelIndex);
            event = "restart";
        } else {
            newGame();
            play.boxes = tableBoxes(game.levelIndex);
            event = "new game";
        }
    }
    if (recorder.levelSolvedPosted > play.postsSeen) {
        ASSERT_EQ(1, recorder.levelSolvedPosted - play.postsSeen);
        ASSERT_EQ(0, game.boxesLeft);
        play.postsSeen = recorder.levelSolvedPosted;
        play.pendingSolved += 1;
    }
    checkState(play, event);
}

void playRandomly(Random& random, Play& play, int messages) {
    recorder.recording = false;
    play.pendingSolved = 0;
    play.postsSeen = recorder.levelSolvedPosted;
    checkState(play, "start");
    for (int i = 0; i < messages && !::testing::Test::HasFatalFailure(); ++i)
        deliverOne(random, play);
}

} // namespace

TEST(RandomPlay, EveryLevelOfTheTableKeepsItsInvariants) {
    Random random{{20261208}};
    Play play{};
    for (int32_t n = 0; n < LevelCount; ++n) {
        for (int sequence = 0; sequence < 40; ++sequence) {
            SCOPED_TRACE("level " + std::to_string(n + 1) + " sequence " +
                         std::to_string(sequence));
            useBoard({});
            game.levelIndex = n;
            startLevel(n);
            takeSnapshot();
            play.boxes = tableBoxes(n);
            playRandomly(random, play, 250);
            ASSERT_FALSE(HasFatalFailure());
        }
    }
    EXPECT_GT(play.pushesDone, 1000);
    EXPECT_GT(play.undosDone, 1000);
}

// Small rooms that random play solves often, so solving, the level advance
// and a key that slips in ahead of the solved message all come up.
TEST(RandomPlay, SmallRoomsGetSolvedAndAdvanceCleanly) {
    const std::vector<std::vector<std::string>> rooms = {
        {"@@@@@", "@ x @", "@ o @", "@ $ @", "@@@@@"},
        {"@@@@@@", "@ #  @", "@$ox @", "@    @", "@@@@@@"},
        {"@@@@@@@", "@ $ox @", "@ #x  @", "@     @", "@@@@@@@"},
    };
    Random random{{42}};
    Play play{};
    for (int sequence = 0; sequence < 1500; ++sequence) {
        SCOPED_TRACE("sequence " + std::to_string(sequence));
        const std::vector<std::string>& room = rooms[sequence % rooms.size()];
        useBoard(room);
        game.levelIndex = (int32_t)random.below(LevelCount);
        takeSnapshot();
        play.boxes = countCells(game.board, 'o') + countCells(game.board, '#');
        playRandomly(random, play, 120);
        ASSERT_FALSE(HasFatalFailure());
    }
    EXPECT_GT(play.levelsSolved, 50);
}
