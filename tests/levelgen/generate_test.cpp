// The generator end to end on a few small rooms: the same pool every run,
// every candidate solved by its own stored solution, boxes parked on goals
// counted; the pull search's beam giving depths that are upper bounds only,
// on a small room and on one of twenty boxes; rooms up to the whole board;
// the pool line and the set's targets.
#include "assemble.h"
#include "compose.h"
#include "generate.h"
#include "level_figures.h"
#include "pull_search.h"
#include "room.h"
#include "rules.h"
#include "solution_shape.h"
#include "solver.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

// The pool of smallRun as the generator wrote it when rooms grew to the whole
// board (FNV-1a of the file); any change to the rooms, the random streams,
// the pull search's order or the solver's proofs changes it.
constexpr uint64_t PinnedSmallPoolHash = 0x2648622EA7DF7BE4ull;
constexpr int64_t PinnedSmallPoolLines = 8;

// bexaran-levelgen generate --seed 3 --rooms 6 --boxes 3-3 --parked 2
// --beam 5000, without the progress lines.
GenerateSettings smallRun(const std::string& pool) {
    return {3, 0, 6, 3, 3, 2, 5, 8, 2, {400000, 5000, 400, 0, 6}, 2000000, 0, 3000000, pool, true};
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
    EXPECT_EQ(PinnedSmallPoolLines, generatePool(smallRun(first)));
    EXPECT_EQ(PinnedSmallPoolLines, generatePool(smallRun(second)));
    std::string text = readText(first);
    EXPECT_EQ(text, readText(second));
    EXPECT_EQ(PinnedSmallPoolHash, fnv1a(text)) << text;

    std::vector<Candidate> pool;
    ASSERT_TRUE(readPool({first}, &pool));
    ASSERT_EQ((size_t)PinnedSmallPoolLines, pool.size());
    int32_t parked = 0;
    for (const Candidate& c : pool) {
        SCOPED_TRACE("room " + std::to_string(c.room) + ": " + c.solution);
        EXPECT_LT(c.room, 6u);
        EXPECT_EQ(c.boxes, boxesOn(c.board));
        EXPECT_EQ(3, boxesOffGoal(c));
        SolutionShape shape = measureSolution(c.board, c.keeperCell, c.solution);
        EXPECT_TRUE(shape.solves);
        EXPECT_EQ(c.pushes, shape.pushes);
        EXPECT_EQ(c.moves, shape.moves);
        EXPECT_EQ(c.onGoal, shape.parkedBoxes);
        EXPECT_EQ(c.onGoal - c.parkedMoved, shape.restingBoxes);
        EXPECT_GE(c.pushes, c.loneEstimate);
        parked += c.onGoal > 0;
    }
    EXPECT_GT(parked, 0) << "no room of the run parks a box on a goal";
    remove(first.c_str());
    remove(second.c_str());
}

TEST(Generate, ABeamCutPullSearchGivesUpperBoundsThatTheSolverBeats) {
    Rng rng = streamFor(3, 1);
    const int32_t boxes = 3;
    RoomLayout made = makeRoom(rng, RoomShape{7, 6, 1, 32, false, false});
    ASSERT_TRUE(isFloorConnected(made.board));
    ASSERT_TRUE(placeGoals(&made, rng, boxes));
    PullRoom room;
    ASSERT_TRUE(makePullRoom(made.board, &room));

    PullLimits tight = {150, 20, 400, 0, 6};
    PullLayers layers = searchPulls(room, made.board, tight, rng);
    EXPECT_FALSE(layers.exhaustive);
    ASSERT_GT(layers.layers.size(), 3u);
    // Past the budget every layer is cut to the beam's width.
    EXPECT_LE(layers.layers.back().size(), 20u);

    std::vector<PullStart> starts = deepestStarts(room, layers, 10, 0, 0);
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

// Rooms of every kind the generator makes, on many streams: closed, one
// piece of floor without dead ends, within the board's open 18 by 14 and
// centred; the big ones span most of the board; goals fill a goal room first.
TEST(Generate, RoomsOfJoinedPartsCorridorsAndGoalRoomsAreClosedAndConnected) {
    int32_t wide = 0, withGoalRoom = 0;
    for (uint64_t job = 0; job < 48; ++job) {
        SCOPED_TRACE("room " + std::to_string(job));
        Rng rng = streamFor(5, job);
        RoomShape shape = {RoomMaxWidth - (int32_t)(job % 5),
                           RoomMaxHeight - (int32_t)(job % 4),
                           1 + (int32_t)(job % 4),
                           60 + (int32_t)(job % 7) * 20,
                           job % 3 == 1,
                           job % 4 == 2};
        RoomLayout room = makeRoom(rng, shape);
        const Board& b = room.board;
        ASSERT_TRUE(isFloorConnected(b));
        int32_t columns, rows;
        openExtent(b, &columns, &rows);
        EXPECT_LE(columns, RoomMaxWidth);
        EXPECT_LE(rows, RoomMaxHeight);
        wide += columns >= 14;
        for (int32_t c = 0; c < BoardCellCount; ++c) {
            int32_t r = c / BoardColumns, k = c % BoardColumns;
            if (r == 0 || k == 0 || r == BoardRows - 1 || k == BoardColumns - 1) {
                ASSERT_EQ(CellCodeWall, b.cells[c]);
            }
            if (b.cells[c] == CellCodeWall) continue;
            int32_t open = 0;
            for (int32_t d : BoardDirections)
                open += b.cells[neighbour(c, d)] != CellCodeWall;
            EXPECT_GE(open, 2) << "dead end at cell " << c;
        }
        int32_t top = BoardRows, left = BoardColumns;
        for (int32_t c = 0; c < BoardCellCount; ++c)
            if (b.cells[c] != CellCodeWall) {
                top = std::min(top, c / BoardColumns);
                left = std::min(left, c % BoardColumns);
            }
        EXPECT_LE(std::abs(2 * top + rows - BoardRows), 1);
        EXPECT_LE(std::abs(2 * left + columns - BoardColumns), 1);
        if (room.goalRoom.empty()) continue;
        ++withGoalRoom;
        for (int32_t c : room.goalRoom)
            ASSERT_EQ(CellCodeFloor, b.cells[c]);
        int32_t goals = (int32_t)room.goalRoom.size() + 2;
        ASSERT_TRUE(placeGoals(&room, rng, goals));
        for (int32_t c : room.goalRoom)
            EXPECT_EQ(CellCodeBoxOnGoal, room.board.cells[c]) << "goal room cell " << c;
    }
    EXPECT_GE(wide, 12);
    EXPECT_GE(withGoalRoom, 6);
}

// Twenty boxes, far past what an exhaustive search holds: the beam keeps its
// width, every position keeps its twenty boxes on open cells, and the starts
// it offers have as many boxes on goals as they were asked for.
TEST(Generate, ABeamCarriesTwentyBoxesAndParksSomeOnGoals) {
    Rng rng = streamFor(9, 0);
    RoomLayout made = makeRoom(rng, RoomShape{16, 12, 3, 120, false, false});
    ASSERT_TRUE(placeGoals(&made, rng, 20));
    PullRoom room;
    ASSERT_TRUE(makePullRoom(made.board, &room));
    PullLimits limits = {2000, 60, 80, 3, 6};
    PullLayers layers = searchPulls(room, made.board, limits, rng);
    EXPECT_FALSE(layers.exhaustive);
    ASSERT_GT(layers.layers.size(), 30u);
    for (size_t d = layers.layers.size() - 10; d < layers.layers.size(); ++d)
        EXPECT_LE(layers.layers[d].size(), 60u);
    // The goal area is crowded: after 80 pulls seven or eight boxes still
    // stand on goals. Asked for exactly seven, the starts have seven.
    std::vector<PullStart> starts = deepestStarts(room, layers, 50, 7, 7);
    ASSERT_FALSE(starts.empty());
    for (const PullStart& s : starts) {
        EXPECT_EQ(20, boxesOn(s.board));
        EXPECT_EQ(7, s.onGoal);
        EXPECT_EQ(CellCodeFloor, s.board.cells[s.keeperCell]);
        EXPECT_GT(s.spread, 20);
        for (int32_t c = 0; c < BoardCellCount; ++c)
            if (holdsBox(s.board.cells[c])) {
                EXPECT_NE(CellCodeWall, made.board.cells[c]);
            }
    }
}

// A pool line keeps the boxes parked on goals, and lines written before
// there were any still read.
TEST(Generate, PoolLinesKeepParkedBoxesAndOldLinesStillRead) {
    Candidate c;
    const char* old = "2 1 13 56 7 16 15 0 5 ";
    std::string board(BoardCellCount, '@');
    board.replace(107, 5, "$.xo.");
    ASSERT_TRUE(parseCandidateLine(std::string(old) + board + " R", &c));
    EXPECT_EQ(0, c.onGoal);
    EXPECT_EQ(1, c.boxes);
    EXPECT_FALSE(parseCandidateLine("2 3 13 56 7 16 15 0 5,4,1 " + board + " R", &c))
        << "three boxes said, one on the board";
    c.boxes = 3;
    c.boxRuns = {1, 0, 2};
    c.onGoal = 2;
    c.parkedMoved = 1;
    c.board.cells[110] = CellCodeBox;
    c.board.cells[111] = CellCodeBoxOnGoal;
    c.board.cells[112] = CellCodeBoxOnGoal;
    std::string line = candidateLine(c);
    EXPECT_NE(std::string::npos, line.find(" g2/1 1,0,2 ")) << line;
    Candidate back;
    ASSERT_TRUE(parseCandidateLine(line, &back));
    EXPECT_EQ(2, back.onGoal);
    EXPECT_EQ(1, back.parkedMoved);
    EXPECT_EQ(1, boxesOffGoal(back));
    EXPECT_EQ(line, candidateLine(back));
    // A joined level: its parts' rooms, and a plain search that stopped.
    c.parts = {12, 345};
    c.plainExpanded = 1000000;
    c.plainStopped = true;
    line = candidateLine(c);
    EXPECT_NE(std::string::npos, line.find(" 1000000+ ")) << line;
    EXPECT_NE(std::string::npos, line.find(" g2/1 p12+345 1,0,2 ")) << line;
    ASSERT_TRUE(parseCandidateLine(line, &back));
    EXPECT_TRUE(back.plainStopped);
    EXPECT_EQ((std::vector<uint64_t>{12, 345}), back.parts);
    EXPECT_EQ(line, candidateLine(back));
}

// Small proven rooms joined on one board: every part's boxes and goals are
// there, the keeper reaches every room, and the corridors let no box from
// room to room, so the solver's answer is the same with its chambers rule
// and without it.
TEST(Generate, JoinedRoomsKeepTheirBoxesApartAndTheKeeperGoesEverywhere) {
    std::vector<Candidate> pool;
    ASSERT_TRUE(readPool({BEXARAN_SMALL_POOL}, &pool));
    std::vector<Candidate> parts;
    for (const Candidate& c : pool)
        if (c.boxes == 3 && interferenceOf(c) >= 0.1 && parts.size() < 6) parts.push_back(c);
    ASSERT_EQ(6u, parts.size());
    int32_t joined = 0;
    for (uint64_t job = 0; job < 3; ++job) {
        std::vector<Candidate> two = {parts[2 * job], parts[2 * job + 1]};
        Board board;
        int32_t keeper;
        if (!composeBoard(two, 5, job, &board, &keeper)) continue;
        ++joined;
        int32_t boxes = 0, goals = 0, open = 0;
        for (unsigned char k : board.cells) {
            boxes += k == CellCodeBox || k == CellCodeBoxOnGoal;
            goals += k == CellCodeGoal || k == CellCodeBoxOnGoal;
            open += k != CellCodeWall;
        }
        EXPECT_EQ(6, boxes);
        EXPECT_EQ(6, goals);
        // Walking over boxes as if they were floor reaches every open cell.
        std::vector<int32_t> walk(1, keeper);
        std::vector<bool> seen(BoardCellCount, false);
        seen[keeper] = true;
        for (size_t i = 0; i < walk.size(); ++i)
            for (int32_t d : {-1, 1, -(int32_t)BoardColumns, (int32_t)BoardColumns})
                if (!seen[walk[i] + d] && board.cells[walk[i] + d] != CellCodeWall)
                    seen[walk[i] + d] = true, walk.push_back(walk[i] + d);
        EXPECT_EQ(open, (int32_t)walk.size());
        SolverLimits limits = {2000000, 0, 0, 1024, 1};
        SolverResult with = solvePosition(board, keeper, limits);
        limits.skipRules = SolverRuleChambers;
        SolverResult without = solvePosition(board, keeper, limits);
        EXPECT_EQ(with.outcome, without.outcome);
        EXPECT_EQ(with.pushes, without.pushes);
        // The rooms are chambers to the solver: it searched them apart.
        EXPECT_NE(with.expanded, without.expanded);
    }
    EXPECT_GT(joined, 0);
}

// The whole-board set's targets: a pool of one kind of level cannot fill
// them, and the report says which are missed.
TEST(Generate, WholeBoardChoiceSaysWhatThePoolLacks) {
    std::vector<Candidate> none;
    EXPECT_NE(std::string::npos, wholeBoardShortfalls(none).find("not 50 levels"));
    Candidate small;
    ASSERT_TRUE(parseCandidateLine("2 1 13 56 7 16 15 0 5 " + std::string(107, '@') + "$.xo." +
                                       std::string(BoardCellCount - 112, '@') + " R",
                                   &small));
    std::vector<Candidate> same(LevelCount, small);
    std::string shortfalls = wholeBoardShortfalls(same);
    for (const char* missed :
         {"level 1: does not fit", "two levels are the same",
          "fewer than 8 levels with boxes on goals", "fewer than 10 rooms of 14 columns"})
        EXPECT_NE(std::string::npos, shortfalls.find(missed)) << shortfalls;
    // A middle level of ten boxes off goal (two more parked) may be chosen;
    // too shallow, it may not.
    Candidate middle = small;
    middle.boxes = 12;
    middle.onGoal = 2;
    middle.pushes = 66;
    middle.loneEstimate = 60;
    EXPECT_TRUE(mayBeChosen(middle));
    middle.pushes = 59;
    middle.loneEstimate = 50;
    EXPECT_FALSE(mayBeChosen(middle));
    std::string report;
    EXPECT_TRUE(chooseWholeBoardLevels(same, &report).empty());
    EXPECT_NE(std::string::npos, report.find("only 0 levels qualify")) << report;
}

// The committed pool for the set on the whole board: every line's stored
// solution solves its start through the game's rules, with the figures the
// line gives, and every start keeps to the board's envelope.
TEST(Generate, TheWholeBoardPoolHoldsTrueFigures) {
    std::vector<Candidate> pool;
    ASSERT_TRUE(readPool({BEXARAN_WHOLE_BOARD_POOL}, &pool));
    ASSERT_FALSE(pool.empty());
    for (const Candidate& c : pool) {
        SCOPED_TRACE("room " + std::to_string(c.room));
        SolutionShape shape = measureSolution(c.board, c.keeperCell, c.solution);
        ASSERT_TRUE(shape.solves);
        EXPECT_EQ(c.pushes, shape.pushes);
        EXPECT_EQ(c.moves, shape.moves);
        EXPECT_EQ(c.boxRuns, shape.boxRuns);
        EXPECT_EQ(c.fillerBoxes, shape.fillerBoxes);
        EXPECT_EQ(c.onGoal, shape.parkedBoxes);
        EXPECT_EQ(c.onGoal - c.parkedMoved, shape.restingBoxes);
        EXPECT_EQ(c.loneEstimate, loneBoxEstimate(c.board, c.keeperCell));
        EXPECT_GE(boxesOffGoal(c), 6);
        EXPECT_LE(boxesOffGoal(c), 32);
        EXPECT_GE(c.pushes, c.loneEstimate);
    }
}
