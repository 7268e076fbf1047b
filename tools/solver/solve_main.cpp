// bexaran-solve: the fewest pushes for a built-in level, a saved game or a
// board written as text.
//
//   bexaran-solve [options] LEVEL_NUMBER   (1-50, from the compiled table)
//   bexaran-solve [options] FILE.bxr       (a saved game: the rest of it)
//   bexaran-solve [options] --board FILE   (16 rows of 20 cells; the keeper
//                                           as P on floor, p on a goal, or a
//                                           start code)
// Options: --max-seconds S, --max-expanded N, --max-megabytes M, --plain
// (matching and dead squares only), --proof-only (no greedy fallback).
// Prints the solution letters and the figures, one "name value" per line:
// result, solution, pushes, moves, lower bound, lone-box estimate, expanded,
// seconds.
// Exit code: 0 solved, 1 no solution, 2 nothing found in the limits, 3 bad
// arguments or an unreadable file.
#include "board_kit.h"
#include "solver.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

enum { ExitSolved = 0, ExitNoSolution = 1, ExitGaveUp = 2, ExitUsage = 3 };

struct Position {
    Board board;
    int32_t player;
    int savedGame; // from a .bxr file: dead positions get the player's message
};

int usage() {
    fprintf(stderr, "usage: bexaran-solve [--max-seconds S] [--max-expanded N] "
                    "[--max-megabytes M] [--plain] [--proof-only] "
                    "LEVEL_NUMBER | FILE.bxr | --board FILE.txt\n");
    return ExitUsage;
}

bool readLevel(const char* text, Position* p) {
    char* end = nullptr;
    long n = strtol(text, &end, 10);
    if (*end != '\0' || n < 1 || n > LevelCount) return false;
    // The start code stays on the board: the solver reads it as floor.
    memcpy(p->board.cells, LevelTable[n - 1], BoardCellCount);
    p->player = findStartCell(p->board);
    return p->player >= 0;
}

bool readSaved(const char* name, Position* p) {
    unsigned char bytes[SavedGameSize + 1];
    FILE* f = fopen(name, "rb");
    if (!f) return false;
    size_t size = fread(bytes, 1, sizeof bytes, f);
    fclose(f);
    SavedGame saved;
    SavedGameCheck check = decodeSavedGame(bytes, (uint32_t)size, &saved);
    if (check != SavedGameValid) {
        fprintf(stderr, "bexaran-solve: %s: %s\n", name, savedGameCheckName(check));
        return false;
    }
    p->board = saved.board;
    p->player = saved.playerCell;
    p->savedGame = 1;
    return true;
}

// Rows of 20 cell codes; P and p mark the keeper (floor, goal).
bool readText(const char* name, Position* p) {
    FILE* f = fopen(name, "r");
    if (!f) return false;
    char line[256];
    int32_t row = 0;
    p->player = -1;
    while (row < BoardRows && fgets(line, sizeof line, f)) {
        size_t length = strcspn(line, "\r\n");
        if (length != BoardColumns) break;
        for (int32_t col = 0; col < BoardColumns; ++col) {
            unsigned char code = (unsigned char)line[col];
            int32_t cell = row * BoardColumns + col;
            if (code == 'P' || code == 'p' || isStartCode(code)) p->player = cell;
            if (code == 'P') code = CellCodeFloor;
            if (code == 'p') code = CellCodeGoal;
            p->board.cells[cell] = code;
        }
        ++row;
    }
    fclose(f);
    if (row != BoardRows || p->player < 0) {
        fprintf(stderr, "bexaran-solve: %s: expected %d rows of %d cells with a keeper\n", name,
                BoardRows, BoardColumns);
        return false;
    }
    return true;
}

const char* outcomeName(SolverOutcome outcome) {
    switch (outcome) {
    case SolverOptimal:
        return "optimal";
    case SolverSolvedOnly:
        return "solved, not proven optimal";
    case SolverNoSolution:
        return "no solution";
    default:
        return "gave up";
    }
}

int report(const Position& p, const SolverResult& r) {
    if (r.outcome == SolverNoSolution && p.savedGame) {
        printf("no solution: a box is stuck\n");
    } else {
        printf("result %s\n", outcomeName(r.outcome));
        if (r.pushes >= 0) printf("solution %s\n", r.moves.c_str());
    }
    printf("pushes %d\nmoves %d\nlower bound %d\n", r.pushes, r.moveCount, r.lowerBound);
    printf("lone-box estimate %d\n", loneBoxEstimate(p.board, p.player));
    printf("expanded %lld\nseconds %.3f\n", (long long)r.expanded, r.seconds);
    if (r.outcome == SolverNoSolution) return ExitNoSolution;
    return r.pushes >= 0 ? ExitSolved : ExitGaveUp;
}

} // namespace

int main(int argc, char** argv) {
    SolverLimits limits = {0, 0, 0, 0, 0};
    Position p = {};
    bool read = false, board = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        bool more = i + 1 < argc;
        if (!strcmp(a, "--max-seconds") && more)
            limits.maxSeconds = atof(argv[++i]);
        else if (!strcmp(a, "--max-expanded") && more)
            limits.maxExpanded = atoll(argv[++i]);
        else if (!strcmp(a, "--max-megabytes") && more)
            limits.maxMegabytes = atoi(argv[++i]);
        else if (!strcmp(a, "--plain"))
            limits.plain = 1;
        else if (!strcmp(a, "--proof-only"))
            limits.proofOnly = 1;
        else if (!strcmp(a, "--board"))
            board = true;
        else if (read || a[0] == '-')
            return usage();
        else {
            size_t n = strlen(a);
            bool saved = n > 4 && !strcmp(a + n - 4, ".bxr");
            read = true;
            if (!(board ? readText(a, &p) : saved ? readSaved(a, &p) : readLevel(a, &p))) {
                if (!board && !saved) return usage();
                fprintf(stderr, "bexaran-solve: cannot read %s\n", a);
                return ExitUsage;
            }
        }
    }
    if (!read) return usage();
    return report(p, solvePosition(p.board, p.player, limits));
}
