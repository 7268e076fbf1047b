// bexaran-cli save and load, run as a program: the file it writes is the one
// the game reads, and refusals go to stderr with exit code 1.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <string>

namespace {

struct CliRun {
    std::string out;
    int code;
};

CliRun run(const std::string& arguments) {
    std::string command = std::string(BEXARAN_CLI) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    CliRun result{"", -1};
    if (!pipe) return result;
    char buffer[512];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.out.append(buffer, got);
    int status = pclose(pipe);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string withoutLastLine(const std::string& text) {
    size_t end = text.find_last_of('\n', text.size() - 2);
    return text.substr(0, end + 1);
}

TEST(CliSavedGame, LoadPrintsThePositionThatSaveLeft) {
    std::string file = testing::TempDir() + "cli-save.bxr";
    CliRun saved = run("save 3 UULRDD " + file);
    ASSERT_EQ(saved.code, 0) << saved.out;
    CliRun loaded = run("load " + file);
    ASSERT_EQ(loaded.code, 0) << loaded.out;
    // play's output ends with "moves K"; the rest is the position.
    EXPECT_EQ(loaded.out, withoutLastLine(saved.out));
    EXPECT_NE(loaded.out.find("level 3\n"), std::string::npos);
}

TEST(CliSavedGame, RefusalsAndFailuresExitWithOne) {
    std::string file = testing::TempDir() + "cli-short.bxr";
    FILE* out = fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    fputs("not a saved game", out);
    fclose(out);
    CliRun refused = run("load " + file);
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.out.find("refused: the file is not 336 bytes long"), std::string::npos)
        << refused.out;
    CliRun missing = run("load " + testing::TempDir() + "no-such.bxr");
    EXPECT_EQ(missing.code, 1);
    CliRun unwritable = run("save 1 U " + testing::TempDir() + "no/such/folder.bxr");
    EXPECT_EQ(unwritable.code, 1);
}

} // namespace
