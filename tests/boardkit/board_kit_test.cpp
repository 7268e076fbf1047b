// The board kit: start codes, the empty board and its numbering, the
// keeper's walks, the random stream and the position table, on boards made
// here and on the level table.
#include "board_kit.h"
#include "position_table.h"
#include "random_stream.h"
#include "rules.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Rows at the top-left of an all-wall board.
Board boardOf(const std::vector<std::string>& rows) {
    Board board;
    memset(board.cells, CellCodeWall, BoardCellCount);
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            board.cells[y * BoardColumns + x] = (unsigned char)rows[y][x];
    return board;
}

int32_t cellAt(int32_t row, int32_t column) {
    return row * BoardColumns + column;
}

std::vector<int32_t> regionOf(const Board& board, int32_t from) {
    std::vector<int32_t> cells(BoardCellCount);
    cells.resize((size_t)walkRegion(board, from, cells.data()));
    return cells;
}

} // namespace

TEST(BoardKit, OppositeDirectionsDifferInTheLowestBit) {
    for (int32_t d = 0; d < BoardDirectionCount; ++d)
        EXPECT_EQ(BoardDirections[d ^ 1], oppositeDirection(BoardDirections[d])) << d;
}

TEST(BoardKit, EveryLevelSplitsIntoAFloorStartAndNoOtherChange) {
    for (int32_t n = 0; n < LevelCount; ++n) {
        SCOPED_TRACE("level " + std::to_string(n + 1));
        Board board;
        int32_t start = splitStart(LevelTable[n], &board);
        ASSERT_GE(start, 0);
        EXPECT_TRUE(isStartCode(LevelTable[n][start]));
        EXPECT_EQ(CellCodeFloor, board.cells[start]);
        EXPECT_EQ(-1, findStartCell(board));
        for (int32_t c = 0; c < BoardCellCount; ++c) {
            if (c == start) continue;
            EXPECT_EQ(LevelTable[n][c], board.cells[c]) << "cell " << c;
        }
    }
    for (unsigned char code : std::string("@ xo#P"))
        EXPECT_FALSE(isStartCode(code)) << code;
}

TEST(BoardKit, TheEmptyBoardKeepsWallsAndGoalsAndNumbersItsOpenCellsInOrder) {
    Board board = boardOf({"@@@@@@", "@>o#?@", "@ x  @", "@@@@@@"});
    Board empty = emptyBoard(board);
    EXPECT_EQ(0, memcmp(boardOf({"@@@@@@", "@  x?@", "@ x  @", "@@@@@@"}).cells, empty.cells,
                        BoardCellCount));
    OpenCells open;
    ASSERT_TRUE(numberOpenCells(empty, OpenCellsMax, &open));
    // The unknown byte '?' blocks like a wall, so it is no open cell.
    const int32_t expected[] = {cellAt(1, 1), cellAt(1, 2), cellAt(1, 3), cellAt(2, 1),
                                cellAt(2, 2), cellAt(2, 3), cellAt(2, 4)};
    ASSERT_EQ(7, open.count);
    for (int32_t i = 0; i < open.count; ++i) {
        EXPECT_EQ(expected[i], open.cellOf[i]);
        EXPECT_EQ(i, open.indexOf[expected[i]]);
    }
    EXPECT_EQ(OpenCellNone, open.indexOf[cellAt(1, 4)]);
    EXPECT_EQ(OpenCellNone, open.indexOf[0]);
    EXPECT_FALSE(numberOpenCells(empty, 6, &open));
    EXPECT_TRUE(numberOpenCells(empty, 7, &open));
}

// The pull search numbers its positions by the order the region is met, so
// a change of that order changes every pool the generator writes.
TEST(BoardKit, TheRegionStopsAtBoxesInDepthFirstOrderAndItsWalksAreShortest) {
    Board board = boardOf({"@@@@@@@", "@     @", "@ @@@ @", "@  o  @", "@@@@@@@"});
    const int32_t from = cellAt(3, 1);
    const std::vector<int32_t> expected = {cellAt(3, 1), cellAt(2, 1), cellAt(1, 1), cellAt(1, 2),
                                           cellAt(1, 3), cellAt(1, 4), cellAt(1, 5), cellAt(2, 5),
                                           cellAt(3, 5), cellAt(3, 4), cellAt(3, 2)};
    ASSERT_EQ(expected, regionOf(board, from));
    for (int32_t target : expected) {
        SCOPED_TRACE("to cell " + std::to_string(target));
        std::string moves = "R"; // appended to, not replaced
        int32_t player = from;
        ASSERT_TRUE(appendWalk(board, &player, target, &moves));
        EXPECT_EQ(target, player);
        Board played = board;
        int32_t at = from, left = 0;
        for (size_t i = 1; i < moves.size(); ++i)
            ASSERT_EQ(MoveWalk, applyStep(&played, &at, letterDirection(moves[i]), &left).kind);
        EXPECT_EQ(target, at);
        // The Manhattan way, except past the box: up over the wall block,
        // across the top and down the far side.
        int32_t r = target / BoardColumns, c = target % BoardColumns;
        bool pastBox = r >= 2 && c >= 4;
        int32_t shortest = pastBox ? 2 + 4 + (r - 1) + (5 - c) : abs(r - 3) + abs(c - 1);
        EXPECT_EQ((size_t)shortest + 1, moves.size()) << moves;
    }
    std::string moves;
    int32_t player = from;
    EXPECT_FALSE(appendWalk(board, &player, cellAt(3, 3), &moves)); // the box
    EXPECT_FALSE(appendWalk(board, &player, cellAt(2, 2), &moves)); // a wall
    EXPECT_EQ(from, player);
    EXPECT_TRUE(moves.empty());
}

// Every level in the pool and every solver effort figure hangs on these
// numbers: a changed constant must fail here, not in a regenerated pool.
TEST(BoardKit, TheRandomStreamAndItsZobristKeysAreTheFixedSplitmixSequence) {
    Rng rng = {0};
    EXPECT_EQ(0xE220A8397B1DCDAFull, nextRandom(rng));
    uint64_t keys[8];
    fillZobristKeys(1234, keys, 8);
    Rng same = {1234};
    for (uint64_t key : keys)
        EXPECT_EQ(nextRandom(same), key);
    // Jobs draw from streams of their own, and the bounded draws stay in range.
    Rng a = streamFor(7, 0), b = streamFor(7, 1);
    EXPECT_NE(nextRandom(a), nextRandom(b));
    for (int32_t i = 0; i < 1000; ++i) {
        int32_t r = randomBetween(a, -2, 3);
        ASSERT_TRUE(r >= -2 && r <= 3) << r;
    }
}

// Positions whose hashes share the low half (the slot's tag) must still be
// told apart by the caller's test, and survive the table's doublings.
TEST(BoardKit, ThePositionTableFindsEveryPositionAgainAcrossCollisionsAndGrowth) {
    PositionTable table;
    startPositionTable(&table, 4);
    std::vector<uint64_t> stored;
    auto hashOf = [](uint64_t value) { return (value % 5) | value << 40; }; // tags collide
    for (uint64_t value = 0; value < 300; ++value) {
        auto same = [&stored, value](uint32_t n) { return stored[n] == value; };
        PositionSlot* slot = findPosition(&table, hashOf(value), same);
        ASSERT_EQ(PositionNone, slot->index) << value;
        addPosition(&table, slot, hashOf(value), (uint32_t)stored.size());
        stored.push_back(value);
    }
    EXPECT_EQ(300u, table.used);
    EXPECT_LE(table.used * 2, table.slots.size());
    for (uint64_t value = 0; value < 300; ++value) {
        auto same = [&stored, value](uint32_t n) { return stored[n] == value; };
        const PositionSlot* slot = findPosition(&table, hashOf(value), same);
        ASSERT_NE(PositionNone, slot->index) << value;
        EXPECT_EQ(value, stored[slot->index]);
    }
}

// The room graph is read once from the rules on the empty board; flooded
// with the boxes as blockers it must reach what the rules' own walks reach
// with the boxes on the board, from every level's start.
TEST(BoardKit, TheRoomGraphFloodReachesWhatTheRulesWalkReachesOnEveryLevel) {
    for (int32_t n = 0; n < LevelCount; ++n) {
        SCOPED_TRACE("level " + std::to_string(n + 1));
        Board board;
        int32_t start = splitStart(LevelTable[n], &board);
        Board empty = emptyBoard(board);
        OpenCells open;
        ASSERT_TRUE(numberOpenCells(empty, OpenCellsMax, &open));
        std::vector<OpenSteps> steps(open.count);
        readOpenSteps(empty, open, steps.data());
        for (int32_t i = 0; i < open.count; ++i) {
            for (int32_t d = 0; d < BoardDirectionCount; ++d) {
                if (steps[i][d] == OpenCellNone) continue;
                ASSERT_EQ(i, steps[steps[i][d]][d ^ 1]) << "walks go both ways";
            }
        }
        std::vector<uint8_t> seen(open.count);
        seen[open.indexOf[start]] = true;
        uint8_t queue[OpenCellsMax];
        int32_t count = floodOpenCells(steps.data(), open.indexOf[start], queue,
                                       [&](int32_t t, int32_t) {
                                           if (seen[t] || holdsBox(board.cells[open.cellOf[t]]))
                                               return false;
                                           seen[t] = 1;
                                           return true;
                                       });
        std::vector<int32_t> flooded;
        for (int32_t i = 0; i < count; ++i)
            flooded.push_back(open.cellOf[queue[i]]);
        std::vector<int32_t> walked = regionOf(board, start);
        std::sort(flooded.begin(), flooded.end());
        std::sort(walked.begin(), walked.end());
        EXPECT_EQ(walked, flooded);
    }
}
