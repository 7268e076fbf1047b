// The proof's plan: a solution known before the search (the incumbent), on
// drawn rooms against the plain search; and the greedier search beside the
// proof within limits.
#include "room_maker.h"
#include "solver_search.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int32_t PlanRooms = 12;
#else
constexpr int32_t PlanRooms = 40;
#endif

struct Searched {
    MadeRoom made;
    std::unique_ptr<Room> room;
    RoomStart start;
};

SearchRun searchWith(const Searched& s, const SearchPlan& plan) {
    SolverLimits limits = {1000000, 0, 0, 0, 1};
    return runSearch(s.made.board, s.made.player, *s.room, s.start, limits, 1,
                     SearchOrderFewestMoves, plan);
}

TEST(SearchPlan, FindsAShorterSolutionOrStopsAtAKnownOptimalOne) {
    int32_t compared = 0;
    for (int32_t i = 0; i < PlanRooms; ++i) {
        Searched s;
        s.made = makeRoom(91, (uint64_t)i, 4 + i % 4);
        s.room.reset(new Room());
        ASSERT_TRUE(buildRoom(s.made.board, s.made.player, s.room.get(), &s.start));
        SCOPED_TRACE("drawn room " + std::to_string(i));
        SolverLimits plainLimits = {1000000, 0, 1, 0, 1};
        SolverResult plain = solvePosition(s.made.board, s.made.player, plainLimits);
        if (plain.outcome != SolverOptimal || plain.pushes == 0) continue;
        ++compared;
        // Told of a longer solution, the search still finds the optimum.
        SearchPlan longer;
        longer.incumbent = plain.pushes + 1;
        SearchRun shorter = searchWith(s, longer);
        ASSERT_TRUE(shorter.found);
        EXPECT_EQ(shorter.pushes, plain.pushes);
        // Told of an optimal one, it stops once nothing below it is open:
        // with no expansions left for the plateau it proves the bound only.
        SearchPlan optimal;
        optimal.incumbent = plain.pushes;
        SearchRun settled = searchWith(s, optimal);
        EXPECT_FALSE(settled.found);
        EXPECT_FALSE(settled.exhausted);
        EXPECT_EQ(settled.lowerBound, plain.pushes);
        // Given the plateau, it finds a solution of its own, as short.
        optimal.plateauExpansions = 1000000;
        SearchRun own = searchWith(s, optimal);
        ASSERT_TRUE(own.found);
        EXPECT_EQ(own.pushes, plain.pushes);
    }
    EXPECT_GT(compared, PlanRooms / 2);
}

// Within limits the greedier search runs too: its solution is proven when the
// proof's bound reaches it, and the answer is the proof's either way.
TEST(SearchPlan, AGreedierSolutionIsProvenOrReportedAsFound) {
    int32_t compared = 0, proven = 0;
    for (int32_t i = 0; i < PlanRooms; ++i) {
        MadeRoom made = makeRoom(92, (uint64_t)i, 5 + i % 5);
        SCOPED_TRACE("drawn room " + std::to_string(i));
        SolverLimits full = {0, 0, 0, 0, 1};
        SolverResult proof = solvePosition(made.board, made.player, full);
        if (proof.outcome != SolverOptimal) continue;
        for (int64_t budget : {proof.expanded / 2 + 1, proof.expanded * 4 + 100}) {
            SolverLimits limits = {budget, 0, 0, 0, 0};
            SolverResult r = solvePosition(made.board, made.player, limits);
            EXPECT_LE(r.lowerBound, proof.pushes);
            if (r.outcome == SolverOptimal) {
                EXPECT_EQ(r.pushes, proof.pushes);
            }
            if (r.outcome == SolverSolvedOnly) {
                EXPECT_GT(r.pushes, r.lowerBound);
            }
            if (budget > proof.expanded * 2) proven += r.outcome == SolverOptimal;
        }
        ++compared;
    }
    // Other orders may need more positions than the unlimited proof's, but
    // four times as many mostly suffice.
    EXPECT_GT(proven, compared * 3 / 4);
}

} // namespace
