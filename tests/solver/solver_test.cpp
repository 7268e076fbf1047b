// The solver against a plain breadth-first search over pushes on many small
// random rooms (fewest pushes and "no solution" must agree, with and without
// the pruning rules), on hand-made rooms whose optimum is known, and every
// solution it gives played back through applyStep.
#include "room_maker.h"
#include "rules.h"
#include "solver.h"

#include <gtest/gtest.h>

#include <string.h>

#include <random>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

// Sanitized builds run a quarter of the random rooms, to stay quick.
#if defined(__SANITIZE_ADDRESS__)
constexpr int32_t SampleDivisor = 4;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int32_t SampleDivisor = 4;
#else
constexpr int32_t SampleDivisor = 1;
#endif
#else
constexpr int32_t SampleDivisor = 1;
#endif

struct Room {
    Board board;
    int32_t player;
};

// Rows at the top-left of an all-wall board; '$' is the keeper on floor,
// '+' the keeper on a goal.
Room roomOf(const std::vector<std::string>& rows) {
    Room r;
    memset(r.board.cells, CellCodeWall, BoardCellCount);
    r.player = -1;
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x) {
            int32_t cell = (int32_t)(y * BoardColumns + x);
            char c = rows[y][x];
            if (c == '$' || c == '+') r.player = cell;
            r.board.cells[cell] = c == '$'   ? (unsigned char)CellCodeFloor
                                  : c == '+' ? (unsigned char)CellCodeGoal
                                             : (unsigned char)c;
        }
    return r;
}

// The keeper's area in a position, by walks the rules allow.
std::vector<int32_t> keeperArea(const Board& board, int32_t player) {
    std::vector<int32_t> area(1, player);
    std::vector<bool> seen(BoardCellCount, false);
    seen[player] = true;
    for (size_t i = 0; i < area.size(); ++i)
        for (int32_t d : {DirectionLeft, DirectionRight, DirectionUp, DirectionDown}) {
            MoveOutcome m = testStep(&board, area[i], d);
            if (m.kind == MoveWalk && !seen[m.target])
                seen[m.target] = true, area.push_back(m.target);
        }
    return area;
}

// The box cells and the lowest cell of the keeper's area.
std::string positionKey(const Board& board, int32_t player) {
    std::vector<int32_t> area = keeperArea(board, player);
    std::string key(1, (char)*std::min_element(area.begin(), area.end()));
    for (int32_t c = 0; c < BoardCellCount; ++c)
        if (holdsBox(board.cells[c])) key.push_back((char)c);
    return key;
}

// Fewest pushes by breadth-first search over positions, one layer per push;
// -1 when no position with every box on a goal can be reached.
int32_t pushesByBreadthFirst(const Room& room) {
    struct Position {
        Board board;
        int32_t player;
    };
    std::vector<Position> layer(1, Position{room.board, room.player});
    std::unordered_set<std::string> seen = {positionKey(room.board, room.player)};
    for (int32_t pushes = 0; !layer.empty(); ++pushes) {
        std::vector<Position> next;
        for (const Position& p : layer) {
            if (std::count(p.board.cells, p.board.cells + BoardCellCount, CellCodeBox) == 0)
                return pushes;
            for (int32_t cell : keeperArea(p.board, p.player))
                for (int32_t d : {DirectionLeft, DirectionRight, DirectionUp, DirectionDown}) {
                    if (testStep(&p.board, cell, d).kind != MovePush) continue;
                    Position q = {p.board, cell};
                    int32_t left = 0;
                    applyStep(&q.board, &q.player, d, &left);
                    if (seen.insert(positionKey(q.board, q.player)).second) next.push_back(q);
                }
        }
        layer.swap(next);
    }
    return -1;
}

// Plays the letters from the start; the pushes they make, or -1 if a step is
// blocked or a box is left off its goal at the end.
int32_t replayPushes(const Room& room, const std::string& moves) {
    Board board = room.board;
    int32_t player = room.player, left = 0, pushes = 0;
    for (char c : moves) {
        MoveOutcome m = applyStep(&board, &player, letterDirection(c), &left);
        if (m.kind == MoveBlocked) return -1;
        pushes += m.kind == MovePush;
    }
    return std::count(board.cells, board.cells + BoardCellCount, CellCodeBox) ? -1 : pushes;
}

// A 6 by 6 interior with some inner walls, goals and as many boxes (some may
// start on their goals), the keeper on a free cell.
Room randomRoom(std::mt19937* random, int32_t boxes) {
    std::vector<std::string> rows(8, std::string(8, '@'));
    std::vector<std::pair<int, int>> open;
    for (int y = 1; y <= 6; ++y)
        for (int x = 1; x <= 6; ++x)
            if ((*random)() % 100 >= 18) rows[y][x] = ' ', open.push_back({y, x});
    std::shuffle(open.begin(), open.end(), *random);
    for (int32_t i = 0; i < boxes; ++i)
        rows[open[i].first][open[i].second] = 'x';
    for (int32_t i = 0; i < boxes; ++i) {
        auto [y, x] = open[(*random)() % open.size()];
        while (rows[y][x] == 'o' || rows[y][x] == '#')
            std::tie(y, x) = open[(*random)() % open.size()];
        rows[y][x] = rows[y][x] == 'x' ? '#' : 'o';
    }
    for (auto [y, x] : open)
        if (rows[y][x] == ' ') {
            rows[y][x] = '$';
            break;
        }
    return roomOf(rows);
}

// The room's 9 by 9 corner with the keeper as P, for failure messages.
std::string roomText(const Room& room) {
    std::string text = "\n";
    for (int32_t y = 0; y < 9; ++y) {
        for (int32_t x = 0; x < 9; ++x) {
            int32_t c = y * BoardColumns + x;
            text += c == room.player ? 'P' : (char)room.board.cells[c];
        }
        text += '\n';
    }
    return text;
}

// The plain search, the full one, and the full one with each of its newer
// rules left out in turn, so each rule is checked on its own as well.
constexpr int32_t RuleSets = 6;
const uint32_t SkippedRules[RuleSets] = {0,
                                         0,
                                         SolverRuleSidedMatching,
                                         SolverRulePiCorrals,
                                         SolverRuleCorralDeadlocks,
                                         SolverRuleFrozenWalls};

SolverLimits noLimits(int plain) {
    SolverLimits limits = {0, 0, plain, 0, 0};
    return limits;
}

// A solvable room by construction: boxes start on their goals in a 7 by 7
// interior and the keeper walks at random, pulling boxes now and then.
Room pulledRoom(std::mt19937* random, int32_t boxes) {
    std::vector<std::string> rows(9, std::string(9, '@'));
    std::vector<std::pair<int, int>> open;
    for (int y = 1; y <= 7; ++y)
        for (int x = 1; x <= 7; ++x)
            if ((*random)() % 100 >= 12) rows[y][x] = ' ', open.push_back({y, x});
    std::shuffle(open.begin(), open.end(), *random);
    for (int32_t i = 0; i < boxes; ++i)
        rows[open[i].first][open[i].second] = '#';
    rows[open[boxes].first][open[boxes].second] = '$';
    Room room = roomOf(rows);
    const int32_t directions[] = {DirectionLeft, DirectionRight, DirectionUp, DirectionDown};
    for (int32_t step = 0; step < 2000; ++step) {
        int32_t d = directions[(*random)() % 4];
        if ((*random)() % 3 != 0 && testPull(&room.board, room.player, d)) {
            applyPull(&room.board, &room.player, d);
        } else {
            int32_t left = 0;
            if (testStep(&room.board, room.player, d).kind == MoveWalk)
                applyStep(&room.board, &room.player, d, &left);
        }
    }
    return room;
}

TEST(Solver, AgreesWithBreadthFirstSearchOnRandomRooms) {
    std::mt19937 random(11);
    int solvable = 0, unsolvable = 0;
    for (int32_t i = 0; i < 240 / SampleDivisor; ++i) {
        Room room = randomRoom(&random, 1 + i % 3);
        if (room.player < 0) continue;
        int32_t expected = pushesByBreadthFirst(room);
        for (int rules = 0; rules < RuleSets; ++rules) {
            int plain = rules == 0;
            SCOPED_TRACE("room " + std::to_string(i) + " rules " + std::to_string(rules));
            SolverLimits limits = noLimits(plain);
            limits.skipRules = SkippedRules[rules];
            SolverResult r = solvePosition(room.board, room.player, limits);
            if (expected < 0) {
                EXPECT_EQ(r.outcome, SolverNoSolution);
                continue;
            }
            ASSERT_EQ(r.outcome, SolverOptimal);
            EXPECT_EQ(r.pushes, expected);
            EXPECT_EQ(r.lowerBound, expected);
            EXPECT_EQ(replayPushes(room, r.moves), expected);
            EXPECT_EQ(r.moveCount, (int32_t)r.moves.size());
            int32_t estimate = loneBoxEstimate(room.board, room.player);
            EXPECT_GE(estimate, 0);
            EXPECT_LE(estimate, expected);
        }
        (expected < 0 ? unsolvable : solvable) += 1;
    }
    // Rooms pulled back from solved, 7 by 7, where every box has been moved.
    for (int32_t i = 0; i < 64 / SampleDivisor; ++i) {
        Room room = pulledRoom(&random, i % 4 == 0 ? 3 : 2);
        SCOPED_TRACE(roomText(room));
        int32_t expected = pushesByBreadthFirst(room);
        for (int rules = 1; rules < RuleSets; ++rules) {
            SolverLimits limits = noLimits(0);
            limits.skipRules = SkippedRules[rules];
            SolverResult r = solvePosition(room.board, room.player, limits);
            ASSERT_EQ(r.outcome, SolverOptimal);
            EXPECT_EQ(r.pushes, expected);
        }
    }
    // The sample must hold both kinds in number, or the comparison says little.
    EXPECT_GT(solvable, 40 / SampleDivisor);
    EXPECT_GT(unsolvable, 20 / SampleDivisor);
}

// Bigger rooms with four to eight boxes, out of reach of the breadth-first
// search: the pruning rules (frozen boxes, corrals; the sample holds some
// hundreds of corral deadlocks) must not change the plain search's answer.
TEST(Solver, PruningKeepsTheAnswerOfThePlainSearchInBiggerRooms) {
    std::mt19937 random(23);
    SolverLimits limits = noLimits(1);
    limits.maxExpanded = 400000;
    int64_t withCorrals = 0, withoutCorrals = 0;
    for (int32_t i = 0; i < 120 / SampleDivisor; ++i) {
        Room room = pulledRoom(&random, 4 + i % 5);
        SCOPED_TRACE(roomText(room));
        limits.plain = 1;
        SolverResult plain = solvePosition(room.board, room.player, limits);
        limits.plain = 0;
        SolverResult full = solvePosition(room.board, room.player, limits);
        ASSERT_EQ(plain.outcome, SolverOptimal);
        ASSERT_EQ(full.outcome, SolverOptimal);
        EXPECT_EQ(full.pushes, plain.pushes);
        EXPECT_EQ(replayPushes(room, full.moves), full.pushes);
        for (int rules = 2; rules < RuleSets; ++rules) {
            limits.skipRules = SkippedRules[rules];
            SolverResult part = solvePosition(room.board, room.player, limits);
            ASSERT_EQ(part.outcome, SolverOptimal);
            EXPECT_EQ(part.pushes, plain.pushes);
            if (SkippedRules[rules] == SolverRulePiCorrals) withoutCorrals += part.expanded;
        }
        withCorrals += full.expanded;
        limits.skipRules = 0;
    }
    // PI-corrals must act in these rooms: fewer positions with them.
    EXPECT_LT(withCorrals, withoutCorrals);
}

// Rooms from the benchmark's maker (joined rectangles, a goal cluster, boxes
// pulled out of it) with four to seven boxes: the full search proves what
// the plain one proves, with and without PI-corrals.
TEST(Solver, PruningKeepsTheAnswerInDrawnRooms) {
    for (int32_t i = 0; i < 24 / SampleDivisor; ++i) {
        MadeRoom made = makeRoom(77, (uint64_t)i, 4 + i % 4);
        Room room = {made.board, made.player};
        SCOPED_TRACE("drawn room " + std::to_string(i));
        SolverLimits limits = noLimits(1);
        limits.maxExpanded = 1000000;
        SolverResult plain = solvePosition(room.board, room.player, limits);
        if (plain.outcome != SolverOptimal) continue;
        limits.plain = 0;
        SolverResult full = solvePosition(room.board, room.player, limits);
        limits.skipRules = SolverRulePiCorrals;
        SolverResult open = solvePosition(room.board, room.player, limits);
        ASSERT_EQ(full.outcome, SolverOptimal);
        ASSERT_EQ(open.outcome, SolverOptimal);
        EXPECT_EQ(full.pushes, plain.pushes);
        EXPECT_EQ(open.pushes, plain.pushes);
        EXPECT_EQ(replayPushes(room, full.moves), full.pushes);
    }
}

// The keeper's side of a box in a corridor decides where it can go: the
// full search sees at once what the plain one has to search for.
// Two pulled rooms side by side, joined under them by a corridor that turns
// twice (down out of the left room, along, up into the right one): the
// keeper walks between them, no box ever can. Empty rows when the rooms
// give no plain floor cell to join at.
Room twoChambers(std::mt19937* random, int32_t boxesLeft, int32_t boxesRight) {
    Room left = pulledRoom(random, boxesLeft), right = pulledRoom(random, boxesRight);
    Room room;
    memset(room.board.cells, CellCodeWall, BoardCellCount);
    for (int32_t y = 0; y < 9; ++y)
        for (int32_t x = 0; x < 9; ++x) {
            room.board.cells[y * BoardColumns + x] = left.board.cells[y * BoardColumns + x];
            room.board.cells[y * BoardColumns + x + 11] = right.board.cells[y * BoardColumns + x];
        }
    room.player = left.player;
    int32_t from = -1, to = -1;
    for (int32_t x = 1; x < 8; ++x) {
        if (from < 0 && room.board.cells[7 * BoardColumns + x] == CellCodeFloor &&
            7 * BoardColumns + x != left.player)
            from = x;
        if (room.board.cells[7 * BoardColumns + x + 11] == CellCodeFloor) to = x + 11;
    }
    if (from < 0 || to < 0) {
        room.player = -1;
        return room;
    }
    room.board.cells[8 * BoardColumns + from] = CellCodeFloor;
    room.board.cells[8 * BoardColumns + to] = CellCodeFloor;
    for (int32_t x = from; x <= to; ++x)
        room.board.cells[9 * BoardColumns + x] = CellCodeFloor;
    return room;
}

// Boxes in chambers they never leave: each chamber's boxes solved alone and
// summed is a lower bound, and the answer stays the plain search's.
TEST(Solver, ChambersKeepTheAnswer) {
    std::mt19937 random(31);
    int32_t compared = 0, changed = 0;
    for (int32_t i = 0; i < 32 / SampleDivisor; ++i) {
        Room room = twoChambers(&random, 2 + i % 2, 2 + i / 2 % 2);
        if (room.player < 0) continue;
        SCOPED_TRACE(roomText(room));
        SolverResult plain = solvePosition(room.board, room.player, noLimits(1));
        SolverLimits limits = noLimits(0);
        SolverResult full = solvePosition(room.board, room.player, limits);
        limits.skipRules = SolverRuleChambers;
        SolverResult open = solvePosition(room.board, room.player, limits);
        ASSERT_EQ(plain.outcome, full.outcome);
        ASSERT_EQ(plain.outcome, open.outcome);
        if (plain.outcome != SolverOptimal) continue;
        EXPECT_EQ(full.pushes, plain.pushes);
        EXPECT_EQ(open.pushes, plain.pushes);
        EXPECT_EQ(replayPushes(room, full.moves), full.pushes);
        changed += full.expanded != open.expanded;
        ++compared;
    }
    EXPECT_GT(compared, 10 / SampleDivisor);
    // The rule must have acted: the groups' own searches show in the counts.
    EXPECT_GT(changed, 0);
}

TEST(Solver, CountsEachBoxFromTheKeepersSide) {
    Room wrongSide = roomOf({"@@@@@@@", "@$x o @", "@@@@@@@"});
    SolverResult plain = solvePosition(wrongSide.board, wrongSide.player, noLimits(1));
    SolverResult full = solvePosition(wrongSide.board, wrongSide.player, noLimits(0));
    EXPECT_EQ(plain.outcome, SolverNoSolution);
    EXPECT_GT(plain.expanded, 0);
    EXPECT_EQ(full.outcome, SolverNoSolution);
    EXPECT_EQ(full.expanded, 0);
    Room rightSide = roomOf({"@@@@@@@", "@x o $@", "@@@@@@@"});
    SolverResult r = solvePosition(rightSide.board, rightSide.player, noLimits(0));
    EXPECT_EQ(r.outcome, SolverOptimal);
    EXPECT_EQ(r.pushes, 2);
}

// Stopped by its limits, the search reports a lower bound between the
// estimate and the optimum, and any solution the greedier search finds plays.
TEST(Solver, ReportsABoundAndMaybeASolutionWhenStoppedEarly) {
    std::mt19937 random(5);
    int checked = 0;
    for (int32_t i = 0; i < 1000 && checked < 10; ++i) {
        Room room = randomRoom(&random, 3);
        if (room.player < 0) continue;
        SolverResult full = solvePosition(room.board, room.player, noLimits(0));
        if (full.outcome != SolverOptimal || full.expanded < 6) continue;
        ++checked;
        SolverLimits limits = noLimits(0);
        limits.maxExpanded = full.expanded / 2;
        limits.proofOnly = 1;
        SolverResult proof = solvePosition(room.board, room.player, limits);
        EXPECT_EQ(proof.outcome, SolverGaveUp);
        EXPECT_EQ(proof.pushes, -1);
        EXPECT_GE(proof.lowerBound, loneBoxEstimate(room.board, room.player));
        EXPECT_LE(proof.lowerBound, full.pushes);
        limits.proofOnly = 0;
        SolverResult quick = solvePosition(room.board, room.player, limits);
        ASSERT_TRUE(quick.outcome == SolverSolvedOnly || quick.outcome == SolverGaveUp);
        EXPECT_LE(quick.lowerBound, full.pushes);
        if (quick.outcome == SolverSolvedOnly) {
            EXPECT_GE(quick.pushes, full.pushes);
            EXPECT_EQ(replayPushes(room, quick.moves), quick.pushes);
        }
    }
    EXPECT_EQ(checked, 10);
}

// The progress hook hears rising counts of positions, none beyond the
// search's own count, and listening changes nothing in the answer.
struct ProgressHeard {
    int64_t last;
    int32_t calls;
    bool rising;
};

void hearProgress(void* context, int64_t expanded) {
    ProgressHeard* heard = (ProgressHeard*)context;
    heard->rising = heard->rising && expanded > heard->last;
    heard->last = expanded;
    ++heard->calls;
}

TEST(Solver, ReportsProgressWithoutChangingTheAnswer) {
    MadeRoom made = makeRoom(77, 0, 9); // some 5000 positions
    Board board = made.board;
    int32_t player = made.player;
    SolverResult quiet = solvePosition(board, player, noLimits(0));
    ProgressHeard heard = {0, 0, true};
    SolverLimits limits = noLimits(0);
    limits.progress = hearProgress;
    limits.progressContext = &heard;
    SolverResult told = solvePosition(board, player, limits);
    EXPECT_EQ(told.pushes, quiet.pushes);
    EXPECT_EQ(told.moves, quiet.moves);
    EXPECT_EQ(told.expanded, quiet.expanded);
    EXPECT_GE(heard.calls, 1);
    EXPECT_TRUE(heard.rising);
    EXPECT_LE(heard.last, told.expanded);
}

struct KnownRoom {
    const char* name;
    std::vector<std::string> rows;
    SolverOutcome outcome;
    int32_t pushes, moves;
};

TEST(Solver, FindsTheKnownOptimumOfHandMadeRooms) {
    const KnownRoom rooms[] = {
        {"straight run", {"@@@@@@", "@$o x@", "@@@@@@"}, SolverOptimal, 2, 2},
        {"already solved", {"@@@@@", "@$# @", "@@@@@"}, SolverOptimal, 0, 0},
        // The keeper walks around the box to push it down into the goal.
        {"turn", {"@@@@@@", "@$   @", "@ o  @", "@   x@", "@    @", "@@@@@@"}, SolverOptimal, 3, 6},
        {"corner", {"@@@@@", "@o $@", "@  x@", "@@@@@"}, SolverNoSolution, -1, -1},
        // Two boxes in a row cannot be pushed; nothing moves at all.
        {"two in a row", {"@@@@@@@@", "@$oo xx@", "@@@@@@@@"}, SolverNoSolution, -1, -1},
        // The box on its goal in the corner is frozen there, which is fine; the
        // other box must be pushed up beside it.
        {"frozen on a goal", {"@@@@@", "@#x @", "@ o @", "@ $ @", "@@@@@"}, SolverOptimal, 1, 1},
        // Both orders take four pushes; the upper box first saves four moves.
        {"two runs", {"@@@@@@@", "@$o x @", "@  o x@", "@@@@@@@"}, SolverOptimal, 4, 6},
    };
    for (const KnownRoom& known : rooms) {
        SCOPED_TRACE(known.name);
        Room room = roomOf(known.rows);
        for (int plain = 0; plain <= 1; ++plain) {
            SolverResult r = solvePosition(room.board, room.player, noLimits(plain));
            EXPECT_EQ(r.outcome, known.outcome);
            EXPECT_EQ(r.pushes, known.pushes);
            EXPECT_EQ(r.moveCount, known.moves);
            if (r.pushes >= 0) {
                EXPECT_EQ(replayPushes(room, r.moves), known.pushes);
            }
        }
    }
}

} // namespace
