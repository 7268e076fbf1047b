// bexaran-cli: the headless play loop in process on boards built here, and
// the program itself for its exact output and exit codes. Expected text is
// computed from the level table, so any table will do.
#include "headless.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

struct CliRun {
    std::string out, err;
    int exitCode;
};

std::string readAll(FILE* f) {
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    return text;
}

CliRun runCli(const std::vector<std::string>& args) {
    char errPath[] = "/tmp/bexaran-cli-test-XXXXXX";
    int fd = mkstemp(errPath);
    close(fd);
    std::string command = std::string("'") + BEXARAN_CLI + "'";
    for (const std::string& a : args)
        command += " '" + a + "'";
    command += " 2>" + std::string(errPath);
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    run.out = readAll(pipe);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    FILE* err = fopen(errPath, "r");
    run.err = readAll(err);
    fclose(err);
    unlink(errPath);
    return run;
}

// The start position of level index n as the program prints it.
std::string startText(int32_t n, int32_t* startCell) {
    std::string text;
    int boxes = 0;
    for (int32_t i = 0; i < BoardCellCount; ++i) {
        char c = (char)LevelTable[n][i];
        if (strchr("$<>^v", c)) {
            *startCell = i;
            c = 'P';
        }
        boxes += c == 'o';
        text += c;
        if (i % BoardColumns == BoardColumns - 1) text += '\n';
    }
    return text + "level " + std::to_string(n + 1) + "\nboxes " + std::to_string(boxes) +
           "\nsteps 0\nsolved no\n";
}

std::string printed() {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    headlessPrintPosition(out);
    fclose(out);
    std::string text(buffer, size);
    free(buffer);
    return text;
}

void useRoom(const std::vector<std::string>& rows) {
    memset(&game, 0, sizeof game);
    memset(game.board.cells, '@', BoardCellCount);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) {
            int32_t cell = (int32_t)(r * BoardColumns + c);
            game.board.cells[cell] = (unsigned char)(rows[r][c] == '$' ? ' ' : rows[r][c]);
            if (rows[r][c] == '$') game.playerCell = cell;
            game.boxesLeft += rows[r][c] == 'o';
        }
    headlessReset();
    takeSnapshot();
}

} // namespace

TEST(HeadlessPlay, StopsAtTheMoveThatSolvesAndPrintsItSolved) {
    useRoom({"@@@@@@", "@ $ox@", "@@@@@@"});
    EXPECT_EQ(4, headlessPlay("zLRRRR")); // z: Undo not offered yet
    EXPECT_EQ(1, nullPlatform.levelSolvedPosted);
    EXPECT_EQ(0, nullPlatform.congratulationShown); // the message is left unhandled
    EXPECT_EQ(0, game.playerSliding);
    EXPECT_EQ(3, game.steps);
    std::string text = printed();
    EXPECT_EQ(0u, text.find("@@@@@@@@@@@@@@@@@@@@\n@  P#@@@@@@@@@@@@@@@\n@@@@@@"));
    EXPECT_NE(std::string::npos, text.find("\nlevel 1\nboxes 0\nsteps 3\nsolved yes\n"));
}

TEST(HeadlessPlay, UndoOnlyWhenOfferedAndKeeperOnAGoalShowsLowerCase) {
    useRoom({"@@@@@@", "@ $x @", "@@@@@@"});
    EXPECT_EQ(4, headlessPlay("zRzz"));
    EXPECT_EQ(0, game.steps);
    EXPECT_EQ(2, game.playerCell % BoardColumns);
    EXPECT_EQ(1, headlessPlay("R"));
    std::string text = printed();
    EXPECT_EQ("@  p @@@@@@@@@@@@@@@", text.substr(21, 20));
    EXPECT_NE(std::string::npos, text.find("\nsteps 1\nsolved no\n"));
}

TEST(Cli, LevelPrintsTheStartPosition) {
    for (int32_t n : {0, 8, LevelCount - 1}) {
        int32_t start;
        CliRun run = runCli({"level", std::to_string(n + 1)});
        EXPECT_EQ(startText(n, &start), run.out);
        EXPECT_EQ("", run.err);
        EXPECT_EQ(0, run.exitCode);
    }
}

// One walk found at run time on level 1, then undo, restart and new game.
TEST(Cli, PlayFeedsKeysAndCommands) {
    int32_t start = -1;
    std::string atStart = startText(0, &start);
    const int32_t offsets[4] = {-1, 1, -BoardColumns, BoardColumns}; // L R U D
    int k = 0;
    while (k < 4 && LevelTable[0][start + offsets[k]] != ' ' &&
           LevelTable[0][start + offsets[k]] != 'x')
        ++k;
    ASSERT_LT(k, 4) << "level 1 has no free cell next to the start";
    char key = "LRUD"[k];
    int32_t to = start + offsets[k];
    std::string moved = atStart;
    moved[start + start / BoardColumns] = ' ';
    moved[to + to / BoardColumns] = LevelTable[0][to] == 'x' ? 'p' : 'P';
    size_t steps = moved.find("steps 0");
    moved.replace(steps, 7, "steps 1");

    CliRun run = runCli({"play", "1", std::string(1, key)});
    EXPECT_EQ(moved + "moves 1\n", run.out);
    EXPECT_EQ(0, run.exitCode);
    run = runCli({"play", "1", std::string("zz") + key + "zz"});
    EXPECT_EQ(atStart + "moves 5\n", run.out);
    run = runCli({"play", "1", std::string(1, key) + "r"});
    EXPECT_EQ(atStart + "moves 2\n", run.out);
    run = runCli({"play", "1", ""});
    EXPECT_EQ(atStart + "moves 0\n", run.out);

    run = runCli({"play", "5", "zn"}); // new game from level 5: level 1
    EXPECT_EQ(atStart + "moves 2\n", run.out);
    EXPECT_EQ("", run.err);
}

// Bad arguments: nothing on stdout, one line on stderr, exit code 2.
TEST(Cli, BadArgumentsExitWithCodeTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"level", "0"},      {"level", "51"},    {"level", "x"},       {"level", ""},
        {"level", "1x"},     {"level", "-3"},    {"level", "100"},     {"play", "0", "R"},
        {"play", "1", "RX"}, {"play", "1", "l"}, {"play", "1", "R U"}, {},
        {"levels", "1"},     {"level"},          {"play", "1"},        {"level", "1", "2"},
    };
    for (const std::vector<std::string>& args : cases) {
        std::string joined;
        for (const std::string& a : args)
            joined += "[" + a + "]";
        SCOPED_TRACE(joined);
        CliRun run = runCli(args);
        EXPECT_EQ(2, run.exitCode);
        EXPECT_EQ("", run.out);
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.size() - 1, run.err.find('\n')); // exactly one line
    }
}
