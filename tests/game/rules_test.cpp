// The move rules on their own: boards built here, no game state, no drawing.
#include "rules.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

const int32_t Directions[] = {DirectionLeft, DirectionRight, DirectionUp, DirectionDown};

// The rows at the top-left of an all-wall board.
Board boardOf(const std::vector<std::string>& rows) {
    Board board;
    memset(board.cells, CellCodeWall, sizeof board.cells);
    for (size_t row = 0; row < rows.size(); ++row)
        memcpy(board.cells + row * BoardColumns, rows[row].data(), rows[row].size());
    return board;
}

int32_t at(int32_t row, int32_t column) {
    return row * BoardColumns + column;
}

// A blocked step leaves the board, the keeper and the count alone.
void expectBlocked(Board board, int32_t cell, int32_t direction) {
    SCOPED_TRACE("cell " + std::to_string(cell) + ", direction " + std::to_string(direction));
    EXPECT_EQ(MoveBlocked, testStep(&board, cell, direction).kind);
    Board before = board;
    int32_t player = cell, boxesLeft = 5;
    EXPECT_EQ(MoveBlocked, applyStep(&board, &player, direction, &boxesLeft).kind);
    EXPECT_EQ(0, memcmp(before.cells, board.cells, sizeof board.cells));
    EXPECT_EQ(cell, player);
    EXPECT_EQ(5, boxesLeft);
}

} // namespace

TEST(Rules, WalksOntoFloorAndGoalOnly) {
    Board board = boardOf({"@@@@@", //
                           "@x  @", //
                           "@@@@@"});
    MoveOutcome walk = testStep(&board, at(1, 2), DirectionLeft);
    EXPECT_EQ(MoveWalk, walk.kind);
    EXPECT_EQ(at(1, 1), walk.target);
    EXPECT_EQ(-1, walk.boxTarget);

    int32_t player = at(1, 2), boxesLeft = 3;
    EXPECT_EQ(MoveWalk, applyStep(&board, &player, DirectionRight, &boxesLeft).kind);
    EXPECT_EQ(at(1, 3), player);
    EXPECT_EQ(3, boxesLeft);
    EXPECT_EQ(' ', board.cells[at(1, 2)]); // the keeper is not written into the board
    expectBlocked(board, at(1, 3), DirectionRight);
    expectBlocked(board, at(1, 3), DirectionUp);
}

// Every way a step is refused: wall, a box against a wall, two boxes in a
// row, a byte that is no cell code (itself or behind a box), and the edges
// of the 320 cells, where a broken board must not be read out of bounds.
TEST(Rules, BlockedByWallTwoBoxesUnknownBytesAndTheBoardsEnd) {
    Board board = boardOf({"@@@@@@@", //
                           "@ oo  @", //
                           "@ o@? @", //
                           "@ o?  @", //
                           "@@@@@@@"});
    expectBlocked(board, at(1, 1), DirectionRight); // two boxes in a row
    expectBlocked(board, at(2, 1), DirectionRight); // a box against a wall
    expectBlocked(board, at(3, 1), DirectionRight); // a box against an unknown byte
    expectBlocked(board, at(2, 5), DirectionLeft);  // an unknown byte
    expectBlocked(board, at(1, 5), DirectionUp);    // a wall

    Board open;
    memset(open.cells, CellCodeFloor, sizeof open.cells);
    expectBlocked(open, 0, DirectionLeft);
    expectBlocked(open, at(0, 7), DirectionUp);
    expectBlocked(open, BoardCellCount - 1, DirectionRight);
    expectBlocked(open, at(BoardRows - 1, 7), DirectionDown);
    open.cells[at(0, 7)] = CellCodeBox; // a box with no cell beyond it
    expectBlocked(open, at(1, 7), DirectionUp);
    open.cells[at(BoardRows - 1, 7)] = CellCodeBoxOnGoal;
    expectBlocked(open, at(BoardRows - 2, 7), DirectionDown);
}

// boxesLeft counts the boxes off goals: onto a goal one fewer, off a goal one
// more, goal to goal and floor to floor no change.
TEST(Rules, PushMovesTheBoxAndKeepsTheCountOfBoxesOffGoals) {
    struct Case {
        const char* row; // the keeper at column 1 pushes right
        const char* after;
        int32_t change;
    } cases[] = {
        {"@ o @", "@  o@", 0},
        {"@ ox@", "@  #@", -1},
        {"@ # @", "@ xo@", +1},
        {"@ #x@", "@ x#@", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        Board board = boardOf({"@@@@@", c.row, "@@@@@"});
        MoveOutcome push = testStep(&board, at(1, 1), DirectionRight);
        EXPECT_EQ(MovePush, push.kind);
        EXPECT_EQ(at(1, 2), push.target);
        EXPECT_EQ(at(1, 3), push.boxTarget);

        int32_t player = at(1, 1), boxesLeft = 4;
        EXPECT_EQ(MovePush, applyStep(&board, &player, DirectionRight, &boxesLeft).kind);
        EXPECT_EQ(at(1, 2), player);
        EXPECT_EQ(4 + c.change, boxesLeft);
        EXPECT_EQ(std::string(c.after), std::string((const char*)board.cells + BoardColumns, 5));
    }
}

// The level designer walks pushes backwards: a pull in the opposite direction
// gives back the board and the keeper's cell exactly, in every direction and
// whether the box stood on a goal or went onto one.
TEST(Rules, APullUndoesAPush) {
    Board start = boardOf({"@@@@@@@", //
                           "@     @", //
                           "@ x x @", //
                           "@  #o @", //
                           "@ x   @", //
                           "@     @", //
                           "@@@@@@@"});
    const int32_t boxes[] = {at(3, 3), at(3, 4)};
    int pushes = 0;
    for (int32_t box : boxes) {
        for (int32_t direction : Directions) {
            SCOPED_TRACE("box " + std::to_string(box) + ", direction " + std::to_string(direction));
            Board board = start;
            int32_t keeper = neighbour(box, oppositeDirection(direction)), player = keeper;
            int32_t boxesLeft = 0;
            if (!isWalkable(board.cells[keeper]) ||
                testStep(&board, player, direction).kind != MovePush)
                continue;
            applyStep(&board, &player, direction, &boxesLeft);
            ++pushes;
            int32_t back = oppositeDirection(direction);
            ASSERT_EQ(1, testPull(&board, player, back));
            applyPull(&board, &player, back);
            EXPECT_EQ(keeper, player);
            EXPECT_EQ(0, memcmp(start.cells, board.cells, sizeof board.cells));
        }
    }
    EXPECT_EQ(4, pushes); // along row 3 the two boxes block each other

    // No box behind the keeper, or no room ahead of him: no pull.
    EXPECT_EQ(0, testPull(&start, at(1, 1), DirectionRight));
    EXPECT_EQ(0, testPull(&start, at(3, 5), DirectionRight));
    EXPECT_EQ(1, testPull(&start, at(2, 3), DirectionUp));
}

TEST(Rules, DirectionsLettersAndOpposites) {
    for (int32_t direction : Directions) {
        EXPECT_EQ(direction, letterDirection(directionLetter(direction)));
        EXPECT_EQ(direction, oppositeDirection(oppositeDirection(direction)));
        EXPECT_NE(direction, oppositeDirection(direction));
        EXPECT_EQ(neighbour(neighbour(at(5, 5), direction), oppositeDirection(direction)),
                  at(5, 5));
    }
    EXPECT_EQ('L', directionLetter(DirectionLeft));
    EXPECT_EQ(DirectionDown, letterDirection('D'));
    EXPECT_EQ(-1, letterDirection('l'));
    EXPECT_EQ(-1, letterDirection('z'));
}
