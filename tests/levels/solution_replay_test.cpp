// Every stored solution, played through the real core one arrow key and four
// timer ticks at a time: each step moves, the level-solved message comes with
// the last step and not before, and solving a level starts the next one, the
// fiftieth going back to the first.
#include "game.h"
#include "headless.h"
#include "level_figures.h"
#include "rules.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

int countOnBoard(unsigned char code) {
    int n = 0;
    for (unsigned char c : game.board.cells)
        n += c == code;
    return n;
}

// Plays one level's solution from its start. Returns false at the first
// fault, which it reports.
bool playSolution(int level, const std::string& solution) {
    SCOPED_TRACE("level " + std::to_string(level + 1));
    EXPECT_EQ(level, game.levelIndex);
    EXPECT_EQ(0, game.steps);
    EXPECT_EQ(countOnBoard('o'), game.boxesLeft);
    for (size_t i = 0; i < solution.size(); ++i) {
        char letter = solution[i];
        if (!strchr("LRUD", letter) || !letter) {
            ADD_FAILURE() << "bad letter at step " << i + 1;
            return false;
        }
        playMove(letterDirection(letter));
        if (game.steps != (int32_t)i + 1) {
            ADD_FAILURE() << "step " << i + 1 << " (" << letter << ") was blocked";
            return false;
        }
        bool last = i + 1 == solution.size();
        if (!last && nullPlatform.levelSolvedPosted) {
            ADD_FAILURE() << "solved already at step " << i + 1 << " of " << solution.size();
            return false;
        }
    }
    EXPECT_EQ(1, nullPlatform.levelSolvedPosted);
    EXPECT_EQ(0, game.boxesLeft);
    EXPECT_EQ(0, countOnBoard('o'));
    EXPECT_EQ((int32_t)solution.size(), game.steps);
    EXPECT_EQ(0, game.playerSliding);
    return nullPlatform.levelSolvedPosted == 1 && game.boxesLeft == 0;
}

} // namespace

TEST(LevelSolutions, OneLinePerLevelInArrowLettersOnly) {
    std::vector<std::string> solutions = readLines(BEXARAN_LEVEL_SOLUTIONS);
    ASSERT_EQ((size_t)LevelCount, solutions.size()) << BEXARAN_LEVEL_SOLUTIONS;
    for (size_t n = 0; n < solutions.size(); ++n) {
        EXPECT_FALSE(solutions[n].empty()) << "level " << n + 1;
        EXPECT_EQ(std::string::npos, solutions[n].find_first_not_of("LRUD")) << "level " << n + 1;
    }
}

// Each level on its own, started the way the game starts its first level.
TEST(LevelSolutions, EachSolvesItsLevelExactlyOnTheLastStep) {
    std::vector<std::string> solutions = readLines(BEXARAN_LEVEL_SOLUTIONS);
    ASSERT_EQ((size_t)LevelCount, solutions.size());
    for (int n = 0; n < LevelCount; ++n) {
        headlessReset();
        headlessStartGame(n);
        playSolution(n, solutions[n]);
    }
}

// The whole game in one run: every solved message handled as the window
// handles it, which must bring the next level, and after the fiftieth the
// first again.
TEST(LevelSolutions, PlayingThroughTheGameWrapsFromTheLastLevelToTheFirst) {
    std::vector<std::string> solutions = readLines(BEXARAN_LEVEL_SOLUTIONS);
    ASSERT_EQ((size_t)LevelCount, solutions.size());
    headlessReset();
    headlessStartGame(0);
    for (int n = 0; n < LevelCount; ++n) {
        headlessReset();
        ASSERT_TRUE(playSolution(n, solutions[n]));
        levelSolved();
        EXPECT_EQ(1, nullPlatform.congratulationShown);
        ASSERT_EQ(n + 1 < LevelCount ? n + 1 : 0, game.levelIndex);
    }
    // Back at the first level, freshly started.
    EXPECT_EQ(0, game.steps);
    EXPECT_EQ(0, game.undoAvailable);
    EXPECT_EQ(countOnBoard('o'), game.boxesLeft);
    for (int i = 0; i < BoardCellCount; ++i) {
        unsigned char want = LevelTable[0][i] == '$' ? ' ' : LevelTable[0][i];
        ASSERT_EQ(want, game.board.cells[i]) << "cell " << i;
    }
}
