// The pruning rules on positions made for them: which boxes count as frozen
// off their goals, and which cells are dead.
#include "solver_room.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* name;
    std::vector<std::string> rows; // '$' the keeper; '*' marks the box to test
    bool deadlock;
};

TEST(Pruning, FrozenBoxesOffGoalsAreDeadlocksAndOnGoalsAreNot) {
    const Case cases[] = {
        {"pair along a wall, off goals", {"@@@@@@", "@x*ox@", "@    @", "@ $  @", "@@@@@@"}, true},
        {"pair along a wall, on goals", {"@@@@@@", "@ ## @", "@    @", "@ $  @", "@@@@@@"}, false},
        {"square with one off goal",
         {"@@@@@@@", "@     @", "@ ##  @", "@ #*  @", "@  $ x@", "@@@@@@@"},
         true},
        {"free to slide along the wall",
         {"@@@@@@@", "@x *  @", "@     @", "@ $   @", "@@@@@@@"},
         false},
        // Leans on a box that can still be pushed down: not frozen.
        {"leaning on a movable box",
         {"@@@@@@", "@@@ x@", "@x*o @", "@    @", "@ $ x@", "@@@@@@"},
         false},
        // Frozen against the corner box, which sits on its goal.
        {"beside a frozen box on a goal", {"@@@@@@", "@#*  @", "@    @", "@ $ x@", "@@@@@@"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Board board;
        memset(board.cells, CellCodeWall, BoardCellCount);
        int32_t player = -1, tested = -1;
        for (size_t y = 0; y < c.rows.size(); ++y)
            for (size_t x = 0; x < c.rows[y].size(); ++x) {
                int32_t cell = (int32_t)(y * BoardColumns + x);
                char code = c.rows[y][x];
                if (code == '$') player = cell, code = ' ';
                if (code == '*') tested = cell, code = 'o';
                board.cells[cell] = (unsigned char)code;
            }
        if (tested < 0) tested = 1 * BoardColumns + 2; // the pair's first box
        Room* room = new Room();
        RoomStart start;
        ASSERT_TRUE(buildRoom(board, player, room, &start));
        uint8_t occupied[RoomMaxCells + 1] = {0};
        for (int32_t i = 0; i < start.boxCount; ++i)
            occupied[start.boxes[i]] = 1;
        EXPECT_EQ(isFrozenDeadlock(*room, occupied, room->open.indexOf[tested]), c.deadlock);
        delete room;
    }
}

TEST(Pruning, DeadCellsAreThoseNoLoneBoxLeavesForAGoal) {
    // Corners, the side columns and the bottom row (no goal along them) are
    // dead; the goal's row away from the corners is not.
    Board board;
    memset(board.cells, CellCodeWall, BoardCellCount);
    const char* rows[] = {"@@@@@@", "@ x  @", "@    @", "@ o $@", "@@@@@@"};
    for (int32_t y = 0; y < 5; ++y)
        memcpy(board.cells + y * BoardColumns, rows[y], 6);
    Room* room = new Room();
    RoomStart start;
    ASSERT_TRUE(buildRoom(board, 3 * BoardColumns + 4, room, &start));
    std::string dead;
    for (int32_t y = 1; y <= 3; ++y) {
        for (int32_t x = 1; x <= 4; ++x)
            dead += room->dead[room->open.indexOf[y * BoardColumns + x]] ? 'd' : '.';
        dead += '/';
    }
    EXPECT_EQ(dead, "d..d/d..d/dddd/");
    delete room;
}

// Boxes frozen on their goals are found through the group of boxes beside
// the one tested, and the room with them walled in counts longer ways round.
TEST(Pruning, BoxesFrozenOnGoalsBecomeWalls) {
    // A corner pair on goals, a third box beside them that can still move,
    // and a goal on the far side of the pair's wall.
    const char* rows[] = {"@@@@@@@", "@##o  @", "@     @", "@ $  x@", "@@@@@@@"};
    Board board;
    memset(board.cells, CellCodeWall, BoardCellCount);
    for (int32_t y = 0; y < 5; ++y)
        memcpy(board.cells + y * BoardColumns, rows[y], 7);
    Room* room = new Room();
    RoomStart start;
    ASSERT_TRUE(buildRoom(board, 3 * BoardColumns + 2, room, &start));
    uint8_t occupied[RoomMaxCells + 1] = {0}, frozen[RoomMaxCells] = {0};
    for (int32_t i = 0; i < start.boxCount; ++i)
        occupied[start.boxes[i]] = 1;
    int32_t third = room->open.indexOf[1 * BoardColumns + 3];
    EXPECT_EQ(markFrozenOnGoals(*room, occupied, third, frozen), 2);
    EXPECT_TRUE(frozen[room->open.indexOf[1 * BoardColumns + 1]]);
    EXPECT_TRUE(frozen[room->open.indexOf[1 * BoardColumns + 2]]);
    EXPECT_FALSE(frozen[third]);
    EXPECT_EQ(markFrozenOnGoals(*room, occupied, third, frozen), 0); // marked once
    Room* walled = new Room();
    wallFrozenBoxes(*room, frozen, walled);
    // The frozen boxes keep their own goals at no cost, and no other box can
    // take those goals any more: the cell below the pair is now dead.
    int32_t below = room->open.indexOf[2 * BoardColumns + 1];
    EXPECT_FALSE(room->dead[below]);
    EXPECT_TRUE(walled->dead[below]);
    EXPECT_EQ(sidedDistance(*walled, 0, room->open.indexOf[1 * BoardColumns + 1],
                            room->open.indexOf[3 * BoardColumns + 2]),
              0);
    delete walled;
    delete room;
}

} // namespace
