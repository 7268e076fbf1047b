// The compiled level table: what the core relies on (closed layouts, one
// start cell, as many boxes as goals) and what the set keeps to (6 to 32
// boxes rising by tens, boxes on goals in some, centred rooms, big ones
// among them, distinct and varied shapes, no box lost from the start).
#include "board_kit.h"
#include "game.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

int countCode(int level, unsigned char code) {
    int n = 0;
    for (unsigned char c : LevelTable[level])
        n += c == code;
    return n;
}

bool isBorder(int cell) {
    int row = cell / BoardColumns, column = cell % BoardColumns;
    return row == 0 || row == BoardRows - 1 || column == 0 || column == BoardColumns - 1;
}

} // namespace

TEST(LevelTable, EveryLevelIsClosedWithOneStartAndAsManyBoxesAsGoals) {
    for (int n = 0; n < LevelCount; ++n) {
        SCOPED_TRACE("level " + std::to_string(n + 1));
        const unsigned char* level = LevelTable[n];
        int starts = 0, start = -1, open = 0;
        for (int i = 0; i < BoardCellCount; ++i) {
            unsigned char code = level[i];
            ASSERT_TRUE(code && strchr("@ xo#$<>^v", code))
                << "cell " << i << " holds " << (int)code;
            if (isBorder(i)) {
                EXPECT_EQ('@', code) << "open border at cell " << i;
            }
            if (isStartCode(code)) {
                ++starts;
                start = i;
            }
            open += code != '@';
        }
        ASSERT_EQ(1, starts);
        // The first eight levels use the plain start mark, the others a facing.
        if (n < 8)
            EXPECT_EQ('$', level[start]);
        else
            EXPECT_TRUE(strchr("<>^v", level[start])) << level[start];
        EXPECT_EQ(countCode(n, 'o'), countCode(n, 'x'));

        // Every open cell is reachable from the start through open cells, so
        // nothing of the level lies outside the player's room.
        std::vector<int> todo{start};
        std::vector<bool> seen(BoardCellCount, false);
        seen[start] = true;
        int reached = 0;
        while (!todo.empty()) {
            int c = todo.back();
            todo.pop_back();
            ++reached;
            for (int d : {-1, 1, -(int)BoardColumns, (int)BoardColumns}) {
                int m = c + d;
                if (m >= 0 && m < BoardCellCount && !seen[m] && level[m] != '@') {
                    seen[m] = true;
                    todo.push_back(m);
                }
            }
        }
        EXPECT_EQ(open, reached);
    }
}

// A box off a goal with a wall beside it on both axes can never move again:
// such a level could not be solved, whatever its stored solution says.
TEST(LevelTable, NoBoxStartsStuckInACorner) {
    for (int n = 0; n < LevelCount; ++n) {
        const unsigned char* level = LevelTable[n];
        for (int i = 0; i < BoardCellCount; ++i) {
            if (level[i] != 'o') continue;
            bool acrossBlocked = level[i - 1] == '@' || level[i + 1] == '@';
            bool alongBlocked = level[i - BoardColumns] == '@' || level[i + BoardColumns] == '@';
            EXPECT_FALSE(acrossBlocked && alongBlocked) << "level " << n + 1 << " cell " << i;
        }
    }
}

double medianOf(std::vector<int> values) {
    std::sort(values.begin(), values.end());
    size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2.0;
}

// Six to 32 boxes off goal, more as the set goes on (the median of each ten
// never below the ten before), a big finale, and boxes already standing on
// goals in some levels.
TEST(LevelTable, BoxCountsRiseAndSomeBoxesStartOnGoals) {
    int sixteen = 0, parked = 0;
    std::vector<double> medians;
    for (int d = 0; d < LevelCount; d += 10) {
        std::vector<int> counts;
        for (int n = d; n < d + 10; ++n) {
            SCOPED_TRACE("level " + std::to_string(n + 1));
            int boxes = countCode(n, 'o');
            EXPECT_GE(boxes, 6);
            EXPECT_LE(boxes, n < 10 ? 8 : 32);
            if (n >= 40) {
                EXPECT_GE(boxes, 12);
            }
            sixteen += boxes >= 16;
            parked += countCode(n, '#') > 0;
            counts.push_back(boxes);
        }
        medians.push_back(medianOf(counts));
        if (d > 0) {
            EXPECT_GE(medians.back(), medians[medians.size() - 2]) << "levels " << d + 1;
        }
    }
    EXPECT_GE(sixteen, 3) << "levels of 16 boxes or more";
    EXPECT_GE(parked, 8) << "levels with boxes on goals at the start";
}

// The room's open cells sit in the middle of the board, off by one cell at
// most where the free space is odd.
TEST(LevelTable, EveryRoomIsCentred) {
    for (int n = 0; n < LevelCount; ++n) {
        int top = BoardRows, bottom = -1, left = BoardColumns, right = -1;
        for (int i = 0; i < BoardCellCount; ++i) {
            if (LevelTable[n][i] == '@') continue;
            top = std::min(top, i / BoardColumns);
            bottom = std::max(bottom, i / BoardColumns);
            left = std::min(left, i % BoardColumns);
            right = std::max(right, i % BoardColumns);
        }
        int below = BoardRows - 1 - bottom, beside = BoardColumns - 1 - right;
        EXPECT_LE(std::abs(top - below), 1) << "level " << n + 1;
        EXPECT_LE(std::abs(left - beside), 1) << "level " << n + 1;
    }
}

TEST(LevelTable, LevelsAreDistinctAndVariedInShape) {
    std::set<std::string> layouts;
    std::set<std::pair<int, int>> sizes;
    int rectangles = 0, big = 0;
    for (int n = 0; n < LevelCount; ++n) {
        const unsigned char* level = LevelTable[n];
        layouts.insert(std::string(level, level + BoardCellCount));
        int top = BoardRows, bottom = -1, left = BoardColumns, right = -1, open = 0;
        for (int i = 0; i < BoardCellCount; ++i) {
            if (level[i] == '@') continue;
            ++open;
            top = std::min(top, i / BoardColumns);
            bottom = std::max(bottom, i / BoardColumns);
            left = std::min(left, i % BoardColumns);
            right = std::max(right, i % BoardColumns);
        }
        sizes.insert({right - left + 1, bottom - top + 1});
        rectangles += open == (right - left + 1) * (bottom - top + 1);
        big += right - left + 1 >= 14 || bottom - top + 1 >= 11;
    }
    EXPECT_GE(big, 10) << "rooms of 14 columns or 11 rows";
    EXPECT_EQ((size_t)LevelCount, layouts.size()) << "two levels are the same";
    EXPECT_GE(sizes.size(), 15u) << "too few different level sizes";
    EXPECT_LE(rectangles, 5) << "too many levels are plain rectangles";
}
