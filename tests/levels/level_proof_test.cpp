// The slow half of the level checks: the solver proves every stored
// solution push-optimal, and the plain search expands exactly the positions the table's comments
// give, so the effort figures are true.
#include "board_kit.h"
#include "game.h"
#include "level_figures.h"
#include "solution_shape.h"
#include "solver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LevelProof : public testing::TestWithParam<int> {};

std::vector<LevelFigures> notedFigures() {
    std::vector<LevelFigures> noted;
    readLevelFigures(BEXARAN_LEVEL_TABLE_SOURCE, &noted);
    return noted;
}

} // namespace

TEST_P(LevelProof, StoredSolutionIsProvenOptimal) {
    const int n = GetParam();
    std::vector<LevelFigures> noted = notedFigures();
    ASSERT_EQ((size_t)LevelCount, noted.size());
    Board board;
    int32_t start = splitStart(LevelTable[n], &board);
    SolverResult proof = solvePosition(board, start, SolverLimits{0, 600, 0, 1024, 1});
    ASSERT_EQ(SolverOptimal, proof.outcome) << "not proven within ten minutes";
    EXPECT_EQ(noted[n].pushes, proof.pushes);
    SolverResult plain = solvePosition(board, start, SolverLimits{0, 600, 1, 1024, 1});
    ASSERT_EQ(SolverOptimal, plain.outcome);
    EXPECT_EQ(noted[n].pushes, plain.pushes);
    EXPECT_EQ(noted[n].positions, plain.expanded);
    // Moves are not compared: the full search leaves out pushes that cannot
    // shorten a solution and may reach another of as many pushes, with more
    // moves or fewer than the stored one.
    RecordProperty("proofSeconds", std::to_string(proof.seconds));
}

INSTANTIATE_TEST_SUITE_P(EveryLevel, LevelProof, testing::Range(0, (int)LevelCount),
                         [](const testing::TestParamInfo<int>& info) {
                             return "Level" + std::to_string(info.param + 1);
                         });
