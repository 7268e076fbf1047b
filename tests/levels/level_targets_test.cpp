// What makes the set worth playing, checked over the whole table with the
// stored solutions: the figures in the table's comments are true, the boxes
// go deep, get in each other's way and share the work, no box is filler,
// boxes parked on goals are mostly in the way, and the search effort per
// push rises from ten levels to the next (where the plain search stopped
// unfinished, its count stands as a lower bound, which can only understate
// the rise into the last levels).
#include "board_kit.h"
#include "game.h"
#include "level_figures.h"
#include "solution_shape.h"
#include "solver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Measured {
    LevelFigures noted;
    SolutionShape shape;
    int32_t lone;
};

std::vector<Measured> measureAll() {
    std::vector<LevelFigures> noted;
    std::vector<std::string> solutions = readLines(BEXARAN_LEVEL_SOLUTIONS);
    std::vector<Measured> all;
    if (!readLevelFigures(BEXARAN_LEVEL_TABLE_SOURCE, &noted) || noted.size() != LevelCount ||
        solutions.size() != LevelCount)
        return all;
    for (int n = 0; n < LevelCount; ++n) {
        Board board;
        int32_t start = splitStart(LevelTable[n], &board);
        all.push_back(
            {noted[n], measureSolution(board, start, solutions[n]), loneBoxEstimate(board, start)});
    }
    return all;
}

double meanEffort(const std::vector<Measured>& all, int first) {
    double sum = 0;
    for (int n = first; n < first + 10; ++n)
        sum += all[n].noted.effort;
    return sum / 10;
}

} // namespace

TEST(LevelTargets, CommentsGiveTheTrueFigures) {
    std::vector<Measured> all = measureAll();
    ASSERT_EQ((size_t)LevelCount, all.size()) << "cannot read the figures or the solutions";
    for (int n = 0; n < LevelCount; ++n) {
        SCOPED_TRACE("level " + std::to_string(n + 1));
        const Measured& m = all[n];
        EXPECT_TRUE(m.shape.solves);
        EXPECT_EQ(m.noted.boxes + m.noted.onGoal, (int32_t)m.shape.boxRuns.size());
        EXPECT_EQ(m.noted.onGoal, m.shape.parkedBoxes);
        EXPECT_EQ(m.noted.parkedMoved, m.shape.parkedBoxes - m.shape.restingBoxes);
        EXPECT_EQ(m.noted.pushes, m.shape.pushes);
        EXPECT_EQ(m.noted.moves, m.shape.moves);
        EXPECT_EQ(m.noted.loneEstimate, m.lone);
        EXPECT_NEAR(m.noted.effort, (double)m.noted.positions / m.noted.pushes, 0.051);
    }
}

TEST(LevelTargets, BoxesGoDeepAndGetInEachOthersWay) {
    std::vector<Measured> all = measureAll();
    ASSERT_EQ((size_t)LevelCount, all.size());
    std::vector<int32_t> runs; // per box, levels 11 to 50
    for (int n = 0; n < LevelCount; ++n) {
        SCOPED_TRACE("level " + std::to_string(n + 1));
        const Measured& m = all[n];
        int32_t boxes = (int32_t)m.shape.boxRuns.size() - m.shape.parkedBoxes; // off goal
        if (n >= 5) {
            EXPECT_GE(m.shape.pushes, 6 * boxes) << "fewer than six pushes per box";
        }
        if (n >= 9) { // ten per cent over what the boxes would need each alone
            EXPECT_GE(m.shape.pushes * 10, m.lone * 11);
        }
        if (n >= 10)
            for (int32_t r : m.shape.boxRuns)
                if (r > 0) runs.push_back(r); // boxes left at rest on their goals aside
    }
    std::sort(runs.begin(), runs.end());
    ASSERT_FALSE(runs.empty());
    size_t half = runs.size() / 2;
    double median = runs.size() % 2 ? runs[half] : (runs[half - 1] + runs[half]) / 2.0;
    EXPECT_GE(median, 1.5) << "the median box is pushed in one run";
}

TEST(LevelTargets, NoFillerAndNoIdleBox) {
    std::vector<Measured> all = measureAll();
    ASSERT_EQ((size_t)LevelCount, all.size());
    int32_t boxes = 0, filler = 0, parked = 0, moved = 0;
    for (int n = 0; n < LevelCount; ++n) {
        const SolutionShape& shape = all[n].shape;
        boxes += (int32_t)shape.boxRuns.size() - shape.parkedBoxes;
        filler += shape.fillerBoxes;
        // Only boxes that start on goals may stay where they are.
        EXPECT_EQ(shape.restingBoxes, shape.unmovedBoxes) << "level " << n + 1;
        parked += shape.parkedBoxes > 0;
        moved += shape.parkedBoxes > shape.restingBoxes;
    }
    EXPECT_GE(moved * 2, parked) << "boxes on goals at the start are mostly in the way";
    EXPECT_LE(filler * 10, boxes) << filler << " of " << boxes << " boxes are filler";
}

TEST(LevelTargets, EffortRisesFromTenLevelsToTheNext) {
    std::vector<Measured> all = measureAll();
    ASSERT_EQ((size_t)LevelCount, all.size());
    for (int d = 10; d < LevelCount; d += 10)
        EXPECT_GT(meanEffort(all, d), meanEffort(all, d - 10))
            << "levels " << d + 1 << "-" << d + 10;
    EXPECT_GE(meanEffort(all, 40), 10 * meanEffort(all, 0));
}

// The measures themselves, on two boxes in a small room: a box pushed
// straight onto its goal, free to go first, is filler; a box whose pushes
// another box's push splits is in two runs and no filler.
TEST(LevelTargets, ShapeMeasureTellsRunsAndFiller) {
    Board board;
    for (unsigned char& c : board.cells)
        c = CellCodeWall;
    const char* rows[] = {" o x", " ox ", "    "};
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 4; ++k)
            board.cells[(r + 1) * BoardColumns + 1 + k] = (unsigned char)rows[r][k];
    int32_t keeper = BoardColumns + 1;
    SolutionShape straight = measureSolution(board, keeper, "RRLLDR");
    EXPECT_TRUE(straight.solves);
    EXPECT_EQ((std::vector<int32_t>{1, 1}), straight.boxRuns);
    EXPECT_EQ(2, straight.fillerBoxes);
    SolutionShape split = measureSolution(board, keeper, "RLDRUR");
    EXPECT_TRUE(split.solves);
    EXPECT_EQ((std::vector<int32_t>{2, 1}), split.boxRuns);
    EXPECT_EQ(1, split.fillerBoxes);
    SolutionShape unfinished = measureSolution(board, keeper, "RR");
    EXPECT_FALSE(unfinished.solves);
    EXPECT_EQ(1, unfinished.unmovedBoxes);
    EXPECT_FALSE(measureSolution(board, keeper, "U").solves) << "a blocked step ends the replay";
}
