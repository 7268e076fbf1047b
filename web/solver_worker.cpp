// The solver for the editor's live verdict, built to WebAssembly and run in
// a Web Worker (web/solver_worker.js) so a long search never holds up the
// page. One call solves one room; the worker posts the progress the search
// reports and the result this returns.
#include <emscripten.h>
#include <new>
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "tools/solver/solver.h"

// clang-format off
EM_JS(void, workerProgress, (double expanded), { postProgress(expanded); });
EM_JS(void, workerOutOfMemory, (), { outOfMemory = true; });
// clang-format on

namespace {

// What solveRoom hands back. The worker reads it by the layout that
// verdictLayout describes, so this is its only definition.
struct RoomVerdict {
    int32_t outcome;
    int32_t pushes;
    int32_t moveCount;
    int32_t lowerBound;
    double expanded;
    double seconds;
    const char* moves;       // the keeper's steps as L, R, U, D, NUL-terminated
    const char* outcomeName; // the outcome as the page names it
};
// The worker's views of memory are 32-bit words and 64-bit doubles.
static_assert(sizeof(void*) == 4, "wasm32: an address is one 32-bit word");
static_assert(offsetof(RoomVerdict, outcome) % 4 == 0 && offsetof(RoomVerdict, pushes) % 4 == 0 &&
                  offsetof(RoomVerdict, moveCount) % 4 == 0 &&
                  offsetof(RoomVerdict, lowerBound) % 4 == 0,
              "words at word offsets");
static_assert(offsetof(RoomVerdict, expanded) % 8 == 0 && offsetof(RoomVerdict, seconds) % 8 == 0,
              "doubles at double offsets");
static_assert(offsetof(RoomVerdict, moves) % 4 == 0 && offsetof(RoomVerdict, outcomeName) % 4 == 0,
              "addresses at word offsets");

unsigned char roomBoard[BoardCellCount];
std::string lastMoves;
RoomVerdict verdict;

const char* outcomeName(SolverOutcome outcome) {
    switch (outcome) {
    case SolverOptimal:
        return "optimal";
    case SolverSolvedOnly:
        return "solvedOnly";
    case SolverNoSolution:
        return "noSolution";
    case SolverGaveUp:
        return "gaveUp";
    }
    return "gaveUp";
}

// The proof and the greedy search that may follow it each count from zero;
// the worker adds them up.
void reportProgress(void*, int64_t expanded) {
    workerProgress((double)expanded);
}

// Only a failed allocation comes here: the worker then says that memory ran
// out, not that the search failed for some other reason.
void outOfMemoryHandler() {
    workerOutOfMemory();
    std::set_new_handler(nullptr); // the allocation now aborts
}

} // namespace

extern "C" {

// The worker writes the room's 320 cell codes here before solveRoom.
EMSCRIPTEN_KEEPALIVE unsigned char* roomBuffer() {
    return roomBoard;
}

// Each field of RoomVerdict as "name":[offset,"kind"], kind one of i32, f64
// and text (the address of a NUL-terminated string), as JSON.
EMSCRIPTEN_KEEPALIVE const char* verdictLayout() {
    static char text[400];
    snprintf(text, sizeof text,
             "{\"outcome\":[%d,\"i32\"],\"pushes\":[%d,\"i32\"],\"moveCount\":[%d,\"i32\"],"
             "\"lowerBound\":[%d,\"i32\"],\"expanded\":[%d,\"f64\"],\"seconds\":[%d,\"f64\"],"
             "\"moves\":[%d,\"text\"],\"outcomeName\":[%d,\"text\"]}",
             (int)offsetof(RoomVerdict, outcome), (int)offsetof(RoomVerdict, pushes),
             (int)offsetof(RoomVerdict, moveCount), (int)offsetof(RoomVerdict, lowerBound),
             (int)offsetof(RoomVerdict, expanded), (int)offsetof(RoomVerdict, seconds),
             (int)offsetof(RoomVerdict, moves), (int)offsetof(RoomVerdict, outcomeName));
    return text;
}

EMSCRIPTEN_KEEPALIVE RoomVerdict* solveRoom(int32_t keeperCell, double maxSeconds,
                                            int32_t maxMegabytes) {
    std::set_new_handler(outOfMemoryHandler);
    Board board;
    memcpy(board.cells, roomBoard, BoardCellCount);
    SolverLimits limits = {0, maxSeconds, 0, maxMegabytes, 0};
    limits.progress = reportProgress;
    SolverResult r = solvePosition(board, keeperCell, limits);
    lastMoves = r.moves;
    verdict.outcome = r.outcome;
    verdict.pushes = r.pushes;
    verdict.moveCount = r.moveCount;
    verdict.lowerBound = r.lowerBound;
    verdict.expanded = (double)r.expanded;
    verdict.seconds = r.seconds;
    verdict.moves = lastMoves.c_str();
    verdict.outcomeName = outcomeName(r.outcome);
    return &verdict;
}

} // extern "C"
