// The slow half of the level checks: the solver proves every stored
// solution push-optimal, and the plain search expands exactly the positions
// the table's comments give, so the effort figures are true (where they
// say it stopped unfinished, it finds no solution within them). The levels
// whose plain search stays within QuickProofPositions, and the proofs of
// those where it stopped, take a few seconds and run as the "Quick" suite
// with every test run; the others are the "Long" suite, run with the slow
// tests.
#include "board_kit.h"
#include "game.h"
#include "level_figures.h"
#include "solution_shape.h"
#include "solver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int64_t QuickProofPositions = 1000000;

class LevelProof : public testing::TestWithParam<int> {};
class LevelPlainBound : public testing::TestWithParam<int> {};

std::vector<LevelFigures> notedFigures() {
    std::vector<LevelFigures> noted;
    readLevelFigures(BEXARAN_LEVEL_TABLE_SOURCE, &noted);
    return noted;
}

enum LevelSet { LevelsQuick, LevelsLong, LevelsUnfinished };

// The levels of one suite; all of them in Quick when the figures cannot be
// read, so the test itself reports that. A level whose plain search stopped
// is proven by the full search alone in Quick, its plain search measured
// with the long ones.
std::vector<int> levelsOf(LevelSet set) {
    std::vector<LevelFigures> noted = notedFigures();
    std::vector<int> levels;
    for (int n = 0; n < (int)LevelCount; ++n) {
        if (noted.size() != (size_t)LevelCount) {
            if (set == LevelsQuick) levels.push_back(n);
            continue;
        }
        bool quick = noted[n].unfinished || noted[n].positions <= QuickProofPositions;
        bool in = set == LevelsUnfinished ? noted[n].unfinished : quick == (set == LevelsQuick);
        if (in) levels.push_back(n);
    }
    return levels;
}

std::string levelName(const testing::TestParamInfo<int>& info) {
    return "Level" + std::to_string(info.param + 1);
}

} // namespace

// Proven optimal, and the plain search's effort as noted.
TEST_P(LevelProof, StoredSolutionIsProvenOptimal) {
    const int n = GetParam();
    std::vector<LevelFigures> noted = notedFigures();
    ASSERT_EQ((size_t)LevelCount, noted.size());
    Board board;
    int32_t start = splitStart(LevelTable[n], &board);
    SolverResult proof = solvePosition(board, start, SolverLimits{0, 1800, 0, 2048, 1});
    ASSERT_EQ(SolverOptimal, proof.outcome) << "not proven within thirty minutes";
    EXPECT_EQ(noted[n].pushes, proof.pushes);
    RecordProperty("proofSeconds", std::to_string(proof.seconds));
    if (noted[n].unfinished) return; // LevelPlainBound measures its plain search
    SolverResult plain = solvePosition(board, start, SolverLimits{0, 1800, 1, 2048, 1});
    ASSERT_EQ(SolverOptimal, plain.outcome);
    EXPECT_EQ(noted[n].pushes, plain.pushes);
    EXPECT_EQ(noted[n].positions, plain.expanded);
    // Moves are not compared: the full search leaves out pushes that cannot
    // shorten a solution and may reach another of as many pushes, with more
    // moves or fewer than the stored one.
}

// Where the effort is noted as a lower bound: the plain search, stopped
// after the positions noted, has found no solution.
TEST_P(LevelPlainBound, PlainSearchStopsUnfinished) {
    const int n = GetParam();
    std::vector<LevelFigures> noted = notedFigures();
    ASSERT_EQ((size_t)LevelCount, noted.size());
    Board board;
    int32_t start = splitStart(LevelTable[n], &board);
    SolverResult plain =
        solvePosition(board, start, SolverLimits{noted[n].positions, 0, 1, 4096, 1});
    EXPECT_EQ(SolverGaveUp, plain.outcome);
    EXPECT_GE(plain.expanded, noted[n].positions);
}

INSTANTIATE_TEST_SUITE_P(Quick, LevelProof, testing::ValuesIn(levelsOf(LevelsQuick)), levelName);
INSTANTIATE_TEST_SUITE_P(Long, LevelProof, testing::ValuesIn(levelsOf(LevelsLong)), levelName);
INSTANTIATE_TEST_SUITE_P(Long, LevelPlainBound, testing::ValuesIn(levelsOf(LevelsUnfinished)),
                         levelName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(LevelProof);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(LevelPlainBound);
