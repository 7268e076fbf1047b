// The generator end to end on three small rooms: the same pool every run,
// every candidate solved by its own stored solution, and the pull search's
// beam giving depths that are upper bounds only.
#include "assemble.h"
#include "generate.h"
#include "level_figures.h"
#include "pull_search.h"
#include "room.h"
#include "rules.h"
#include "solution_shape.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

namespace {

// The pool of smallRun as the generator writes it with the solver's dives
// (FNV-1a of the file; its proofs find other solutions of the same pushes);
// any change to the rooms, the random streams, the pull search's order or
// the solver's proofs changes it.
constexpr uint64_t PinnedSmallPoolHash = 0x3C08D6EDFD5B930Cull;

// bexaran-levelgen generate --seed 3 --rooms 3 --boxes 3-3, without the
// progress lines.
GenerateSettings smallRun(const std::string& pool) {
    return {3, 0, 3, 3, 3, 2, {400000, 5000, 400}, 2000000, 3000000, pool, true};
}

std::string poolPath(const char* name) {
    return testing::TempDir() + name;
}

// The file's text, each line with its newline, as the generator wrote it.
std::string readText(const std::string& path) {
    std::string text;
    for (const std::string& line : readLines(path))
        text += line + "\n";
    return text;
}

uint64_t fnv1a(const std::string& text) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (unsigned char c : text)
        h = (h ^ c) * 0x100000001B3ull;
    return h;
}

int32_t boxesOn(const Board& board) {
    int32_t n = 0;
    for (unsigned char c : board.cells)
        n += holdsBox(c);
    return n;
}

} // namespace

TEST(Generate, SmallRoomsGiveTheSamePoolEveryRunAndEachCandidateSolvesItsStart) {
    std::string first = poolPath("generate_first.txt"), second = poolPath("generate_second.txt");
    remove(first.c_str());
    remove(second.c_str());
    EXPECT_EQ(6, generatePool(smallRun(first)));
    EXPECT_EQ(6, generatePool(smallRun(second)));
    std::string text = readText(first);
    EXPECT_EQ(text, readText(second));
    EXPECT_EQ(PinnedSmallPoolHash, fnv1a(text)) << text;

    std::vector<Candidate> pool;
    ASSERT_TRUE(readPool({first}, &pool));
    ASSERT_EQ(6u, pool.size());
    for (const Candidate& c : pool) {
        SCOPED_TRACE("room " + std::to_string(c.room) + ": " + c.solution);
        EXPECT_LT(c.room, 3u);
        EXPECT_EQ(3, boxesOn(c.board));
        SolutionShape shape = measureSolution(c.board, c.keeperCell, c.solution);
        EXPECT_TRUE(shape.solves);
        EXPECT_EQ(c.pushes, shape.pushes);
        EXPECT_EQ(c.moves, shape.moves);
        EXPECT_GE(c.pushes, c.loneEstimate);
    }
    remove(first.c_str());
    remove(second.c_str());
}

TEST(Generate, ABeamCutPullSearchGivesUpperBoundsThatTheSolverBeats) {
    Rng rng = streamFor(3, 1);
    const int32_t boxes = 3;
    Board solved = makeRoom(rng, RoomShape{7, 6, 32});
    ASSERT_TRUE(isFloorConnected(solved));
    ASSERT_TRUE(placeGoals(&solved, rng, boxes));
    PullRoom room;
    ASSERT_TRUE(makePullRoom(solved, &room));

    PullLimits tight = {150, 20, 400};
    PullLayers layers = searchPulls(room, solved, tight, rng);
    EXPECT_FALSE(layers.exhaustive);
    ASSERT_GT(layers.layers.size(), 3u);
    // Past the budget every layer is cut to the beam's width.
    EXPECT_LE(layers.layers.back().size(), 20u);

    std::vector<PullStart> starts = deepestStarts(room, layers, 10);
    ASSERT_FALSE(starts.empty());
    GenerateSettings settings = smallRun(poolPath("unused.txt"));
    int32_t proved = 0;
    for (const PullStart& s : starts) {
        EXPECT_FALSE(s.exact);
        EXPECT_EQ(3, boxesOn(s.board));
        EXPECT_EQ(CellCodeFloor, s.board.cells[s.keeperCell]);
        Candidate c;
        if (!evaluateStart(s, 1, settings, &c)) continue;
        ++proved;
        EXPECT_LE(c.pushes, s.pulls);
    }
    EXPECT_GT(proved, 0);
}
