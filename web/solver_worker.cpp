// The solver for the editor's live verdict, built to WebAssembly and run in
// a Web Worker (web/solver_worker.js) so a long search never holds up the
// page. One call solves one room; the worker posts the progress the search
// reports and the result this returns.
#include <emscripten.h>
#include <string.h>

#include "tools/solver/solver.h"

// clang-format off
EM_JS(void, workerProgress, (double expanded), { postProgress(expanded); });
// clang-format on

namespace {

// What solveRoom hands back, read by the worker at fixed offsets: outcome,
// pushes, moves, lower bound as int32, then expanded and seconds as doubles,
// then the address of the moves' letters (NUL-terminated).
struct RoomVerdict {
    int32_t outcome;
    int32_t pushes;
    int32_t moveCount;
    int32_t lowerBound;
    double expanded;
    double seconds;
    const char* moves;
};

unsigned char roomBoard[BoardCellCount];
std::string lastMoves;
RoomVerdict verdict;

// The proof and the greedy search that may follow it each count from zero;
// the worker adds them up.
void reportProgress(void*, int64_t expanded) {
    workerProgress((double)expanded);
}

} // namespace

extern "C" {

// The worker writes the room's 320 cell codes here before solveRoom.
EMSCRIPTEN_KEEPALIVE unsigned char* roomBuffer() {
    return roomBoard;
}

EMSCRIPTEN_KEEPALIVE RoomVerdict* solveRoom(int32_t keeperCell, double maxSeconds,
                                            int32_t maxMegabytes) {
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
    return &verdict;
}

} // extern "C"
