// Positions the solver expands per second, on fixed boards kept here (early
// versions of levels 7, 11 and 16), so the figure does not move when the
// level table does. Full pruning and the plain search used for difficulty.
#include "solver.h"

#include <benchmark/benchmark.h>

#include <string.h>

namespace {

const char* const Boards[][8] = {
    {"@@@@@         @@@@@@", "@@@@@ @ oo o o@@@@@@", "@@@@@ o o$ ox @@@@@@", "@@@@@@@@ oxxxx@@@@@@",
     "@@@@@@@@ oxxx@@@@@@@", "@@@@@@@@  x@@@@@@@@@", nullptr},
    {"@@@@@xo        @@@@@", "@@@@@ xoo o xox@@@@@", "@@@@ o vx  x @@@@@@@", "@@@@    o    @@@@@@@",
     "@@@@ oxx  ox   #@@@@", "@@@@ ox   o   x@@@@@", "@@@@@@@      @@@@@@@", nullptr},
    {"@@@@@@@@x       @@@@", "@@@  xxoo@ xxoo @@@@", "@@@   o  @  oxo @@@@", "@@@@    x@    o @@@@",
     "@@@@@@@@@@ o xo @@@@", "@@@@@@@@@@x>  x @@@@", "@@@@@@@@@@  oxox@@@@",
     "@@@@@@@@@@x   o @@@@"},
};

// The rows from the board's second row down, walls all around.
Board boardOf(const char* const* rows, int32_t* player) {
    Board board;
    memset(board.cells, CellCodeWall, BoardCellCount);
    for (int32_t y = 0; y < 8 && rows[y]; ++y)
        for (int32_t x = 1; x < BoardColumns - 1; ++x) {
            int32_t cell = (y + 2) * BoardColumns + x;
            board.cells[cell] = (unsigned char)rows[y][x];
            if (strchr("$<>^v", rows[y][x])) *player = cell;
        }
    return board;
}

void solveBoard(benchmark::State& state) {
    int32_t player = -1;
    Board board = boardOf(Boards[state.range(0)], &player);
    SolverLimits limits = {0, 0, (int)state.range(1), 0, 1};
    int64_t expanded = 0;
    for (auto _ : state) {
        SolverResult r = solvePosition(board, player, limits);
        benchmark::DoNotOptimize(r.pushes);
        expanded += r.expanded;
        state.counters["pushes"] = r.pushes;
    }
    state.counters["expanded"] =
        benchmark::Counter((double)expanded, benchmark::Counter::kAvgIterations);
    state.counters["positions/s"] =
        benchmark::Counter((double)expanded, benchmark::Counter::kIsRate);
}

BENCHMARK(solveBoard)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->ArgNames({"board", "plain"})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
