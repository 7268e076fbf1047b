// The solver on the rooms players draw: 8 rooms each of 8, 10, 12, 14 and 16
// boxes from the seeded room maker, and the 50 built-in levels, each solved
// as the editor does (proof first, then a greedier search for some solution)
// within a time and memory budget. One line per room, then per box count how
// many were proven optimal, their time and positions expanded.
//
//   bexaran_solver_rooms [--seconds S] [--megabytes M] [--rooms-only]
//                        [--levels-only] [--show] [--check FILE] [--write FILE]
//                        [--skip-rules BITS]
//
// --check compares every proven optimum with the push counts in FILE (one
// "name pushes" per line, from an earlier --write), so a change to the
// search that proves a different optimum is caught; solver_rooms_optima.txt
// beside this file holds every optimum proven so far.
#include "board_kit.h"
#include "room_maker.h"
#include "solver.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

namespace {

enum { RoomsSeed = 2026, RoomsPerCount = 8 };
const int32_t BoxCounts[] = {8, 10, 12, 14, 16};

struct Options {
    double seconds = 2.5;
    int32_t megabytes = 256;
    bool rooms = true, levels = true, show = false;
    const char* check = nullptr;
    const char* write = nullptr;
    uint32_t skipRules = 0;
};

struct Tally {
    int32_t proven = 0, total = 0, solved = 0;
    double seconds = 0;
    int64_t expanded = 0;
};

const char* outcomeWord(SolverOutcome o) {
    return o == SolverOptimal      ? "optimal"
           : o == SolverSolvedOnly ? "solved"
           : o == SolverNoSolution ? "none"
                                   : "gave-up";
}

void showBoard(const Board& board, int32_t player) {
    for (int32_t y = 0; y < BoardRows; ++y) {
        for (int32_t x = 0; x < BoardColumns; ++x) {
            int32_t c = y * BoardColumns + x;
            putchar(c == player ? (board.cells[c] == CellCodeGoal ? 'p' : 'P') : board.cells[c]);
        }
        putchar('\n');
    }
}

std::map<std::string, int32_t> readOptima(const char* name) {
    std::map<std::string, int32_t> optima;
    FILE* f = fopen(name, "r");
    if (!f) return optima;
    char key[64];
    int pushes;
    while (fscanf(f, "%63s %d", key, &pushes) == 2)
        optima[key] = pushes;
    fclose(f);
    return optima;
}

struct Run {
    Options options;
    std::map<std::string, int32_t> earlier;
    std::vector<std::pair<std::string, int32_t>> proven;
    int32_t disagreements = 0;
};

void solveOne(Run* run, const std::string& name, const Board& board, int32_t player, Tally* t) {
    if (run->options.show) showBoard(board, player);
    SolverLimits limits = {0, run->options.seconds, 0, run->options.megabytes, 0};
    limits.skipRules = run->options.skipRules;
    SolverResult r = solvePosition(board, player, limits);
    printf("%-10s %-8s pushes %4d bound %4d expanded %9lld seconds %6.3f\n", name.c_str(),
           outcomeWord(r.outcome), r.pushes, r.lowerBound, (long long)r.expanded, r.seconds);
    ++t->total;
    t->solved += r.pushes >= 0;
    t->seconds += r.seconds;
    t->expanded += r.expanded;
    if (r.outcome != SolverOptimal) return;
    ++t->proven;
    run->proven.push_back({name, r.pushes});
    auto known = run->earlier.find(name);
    if (known != run->earlier.end() && known->second != r.pushes) {
        printf("%s: proven %d pushes, earlier proof %d\n", name.c_str(), r.pushes, known->second);
        ++run->disagreements;
    }
}

void printTally(const char* what, const Tally& t) {
    printf("%-10s proven %2d/%-2d solved %2d/%-2d seconds %8.2f expanded %11lld\n", what, t.proven,
           t.total, t.solved, t.total, t.seconds, (long long)t.expanded);
}

bool readOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        bool more = i + 1 < argc;
        if (!strcmp(a, "--seconds") && more)
            o->seconds = atof(argv[++i]);
        else if (!strcmp(a, "--megabytes") && more)
            o->megabytes = atoi(argv[++i]);
        else if (!strcmp(a, "--rooms-only"))
            o->levels = false;
        else if (!strcmp(a, "--levels-only"))
            o->rooms = false;
        else if (!strcmp(a, "--skip-rules") && more)
            o->skipRules = (uint32_t)atoi(argv[++i]);
        else if (!strcmp(a, "--show"))
            o->show = true;
        else if (!strcmp(a, "--check") && more)
            o->check = argv[++i];
        else if (!strcmp(a, "--write") && more)
            o->write = argv[++i];
        else
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Run run;
    if (!readOptions(argc, argv, &run.options)) {
        fprintf(stderr, "usage: bexaran_solver_rooms [--seconds S] [--megabytes M] "
                        "[--rooms-only | --levels-only] [--show] [--check FILE] [--write FILE]\n");
        return 3;
    }
    if (run.options.check) run.earlier = readOptima(run.options.check);
    printf("budget %.2f s, %d MB per room\n", run.options.seconds, run.options.megabytes);
    std::vector<std::pair<std::string, Tally>> tallies;
    if (run.options.rooms)
        for (int32_t boxes : BoxCounts) {
            Tally t;
            for (int32_t i = 0; i < RoomsPerCount; ++i) {
                MadeRoom room = makeRoom(RoomsSeed, (uint64_t)(boxes * 100 + i), boxes);
                std::string name = "room" + std::to_string(boxes) + "." + std::to_string(i);
                solveOne(&run, name, room.board, room.player, &t);
            }
            tallies.push_back({std::to_string(boxes) + " boxes", t});
        }
    if (run.options.levels) {
        Tally t;
        for (int32_t n = 0; n < LevelCount; ++n) {
            Board board;
            int32_t start = splitStart(LevelTable[n], &board);
            solveOne(&run, "level" + std::to_string(n + 1), board, start, &t);
        }
        tallies.push_back({"levels", t});
    }
    for (const auto& [what, t] : tallies)
        printTally(what.c_str(), t);
    if (run.options.write) {
        FILE* f = fopen(run.options.write, "w");
        for (const auto& [name, pushes] : run.proven)
            if (f) fprintf(f, "%s %d\n", name.c_str(), pushes);
        if (f) fclose(f);
    }
    if (run.disagreements)
        printf("%d proven optima disagree with the earlier proof\n", run.disagreements);
    return run.disagreements ? 1 : 0;
}
