// bexaran-solve run as a program: a built-in level, and saved games, live
// and dead, written byte for byte as the game writes them.
#include "rules.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

struct ProgramRun {
    std::string out;
    int exitCode;
};

ProgramRun runSolver(const std::string& args) {
    std::string command = std::string("'") + BEXARAN_SOLVE + "' " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ProgramRun run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The value after "name " on its own line of the output.
std::string field(const std::string& out, const std::string& name) {
    std::string text = "\n" + out;
    size_t at = text.find("\n" + name + " ");
    if (at == std::string::npos) return "";
    size_t from = at + name.size() + 2;
    return text.substr(from, text.find('\n', from) - from);
}

void putInt(unsigned char* at, int32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = (unsigned char)((uint32_t)value >> (8 * i));
}

// A saved game of rows at the top-left of an all-wall board, the keeper at '$'.
std::string writeSaved(const std::vector<std::string>& rows) {
    unsigned char bytes[SavedGameSize];
    memset(bytes, CellCodeWall, BoardCellCount);
    int32_t player = 0, boxes = 0;
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x) {
            int32_t cell = (int32_t)(y * BoardColumns + x);
            char c = rows[y][x];
            if (c == '$') player = cell, c = ' ';
            boxes += c == 'o';
            bytes[cell] = (unsigned char)c;
        }
    putInt(bytes + 320, 3);
    putInt(bytes + 324, player);
    putInt(bytes + 328, boxes);
    putInt(bytes + 332, 17);
    char name[] = "/tmp/bexaran-solve-test-XXXXXX.bxr";
    int fd = mkstemps(name, 4);
    EXPECT_EQ(write(fd, bytes, sizeof bytes), (ssize_t)sizeof bytes);
    close(fd);
    return name;
}

TEST(SolveProgram, SolvesTheFirstLevelWithLettersTheCoreAccepts) {
    ProgramRun run = runSolver("1");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(field(run.out, "result"), "optimal");
    Board board;
    memcpy(board.cells, LevelTable[0], BoardCellCount);
    int32_t player = -1, left = 0, pushes = 0;
    for (int32_t c = 0; c < BoardCellCount; ++c)
        if (strchr("$<>^v", board.cells[c])) player = c, board.cells[c] = CellCodeFloor;
    std::string moves = field(run.out, "solution");
    for (char c : moves)
        pushes += applyStep(&board, &player, letterDirection(c), &left).kind == MovePush;
    EXPECT_EQ(std::count(board.cells, board.cells + BoardCellCount, CellCodeBox), 0);
    EXPECT_EQ(field(run.out, "pushes"), std::to_string(pushes));
    EXPECT_EQ(field(run.out, "moves"), std::to_string(moves.size()));
}

TEST(SolveProgram, SavedGamesAndTextBoardsGetTheRestOfTheSolution) {
    std::string live = writeSaved({"@@@@@@", "@$o x@", "@@@@@@"});
    ProgramRun run = runSolver("'" + live + "'");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(field(run.out, "solution"), "RR");
    unlink(live.c_str());

    std::string dead = writeSaved({"@@@@@@", "@o $x@", "@ o x@", "@@@@@@"});
    run = runSolver("'" + dead + "'");
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "no solution: a box is stuck");
    unlink(dead.c_str());

    char text[] = "/tmp/bexaran-solve-board-XXXXXX";
    int fd = mkstemp(text);
    std::string rows;
    for (int32_t y = 0; y < BoardRows; ++y)
        rows += y == 1 ? "@@@p o x@@@@@@@@@@@@\n" : "@@@@@@@@@@@@@@@@@@@@\n";
    EXPECT_EQ(write(fd, rows.data(), rows.size()), (ssize_t)rows.size());
    close(fd);
    run = runSolver(std::string("--board ") + text);
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(field(run.out, "solution"), "RRR");
    unlink(text);

    run = runSolver("/nonexistent/game.bxr");
    EXPECT_EQ(run.exitCode, 3) << run.out;
    EXPECT_EQ(runSolver("51").exitCode, 3);
}

} // namespace
