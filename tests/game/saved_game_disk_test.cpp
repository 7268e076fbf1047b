// Saved games on a real disk through the host file operations: the file the
// game writes, replacement of an existing file, read-only files and failures.
#include <dirent.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "game/game.h"
#include "game/platform.h"
#include "null_platform.h"

namespace {

std::vector<unsigned char> fileBytes(const std::string& name) {
    std::vector<unsigned char> bytes;
    FILE* file = fopen(name.c_str(), "rb");
    if (!file) return bytes;
    int c;
    while ((c = fgetc(file)) != EOF)
        bytes.push_back(static_cast<unsigned char>(c));
    fclose(file);
    return bytes;
}

void writeBytes(const std::string& name, const std::vector<unsigned char>& bytes) {
    FILE* file = fopen(name.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

class SavedGameDiskTest : public ::testing::Test {
  protected:
    std::string folder;

    void SetUp() override {
        char pattern[] = "/tmp/bexaran-saved-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        game = GameState();
        game.levelIndex = 4;
        startLevel(4);
        takeSnapshot();
        game.steps = 17;
        nullPlatformReset();
    }

    void TearDown() override {
        std::string command = "rm -rf '" + folder + "'";
        EXPECT_EQ(system(command.c_str()), 0);
    }

    std::string path(const char* name) const { return folder + "/" + name; }

    int filesInFolder() const {
        DIR* dir = opendir(folder.c_str());
        int count = 0;
        while (dirent* entry = readdir(dir))
            count += strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0;
        closedir(dir);
        return count;
    }
};

TEST_F(SavedGameDiskTest, WritesTheEncodedBytesOverAnOldFileAndReadsThemBackReadOnly) {
    std::string name = path("one.bxr");
    writeBytes(name, std::vector<unsigned char>(1000, 'q')); // a longer old file
    ASSERT_EQ(writeSavedGame(name.c_str()), 1);
    std::vector<unsigned char> expected(SavedGameSize);
    encodeSavedGame(&game, expected.data());
    EXPECT_EQ(fileBytes(name), expected);
    EXPECT_EQ(filesInFolder(), 1); // no temporary file left

    // Loading needs read access only.
    ASSERT_EQ(chmod(name.c_str(), 0444), 0);
    GameState saved = game;
    game = GameState();
    startLevel(0);
    ASSERT_EQ(readSavedGame(name.c_str()), SavedGameValid);
    EXPECT_EQ(memcmp(game.board.cells, saved.board.cells, BoardCellCount), 0);
    EXPECT_EQ(game.levelIndex, 4);
    EXPECT_EQ(game.steps, 17);
}

TEST_F(SavedGameDiskTest, MissingOrUnreadableFileIsRefused) {
    GameState before = game;
    EXPECT_EQ(readSavedGame(path("none.bxr").c_str()), SavedGameUnreadable);
    EXPECT_EQ(readSavedGame(folder.c_str()), SavedGameUnreadable); // a folder reads as an error
    EXPECT_EQ(memcmp(&before, &game, sizeof game), 0);
}

TEST_F(SavedGameDiskTest, SaveThatCannotBeMadeLeavesTheFolderAsItWas) {
    EXPECT_EQ(writeSavedGame(path("no/such/folder.bxr").c_str()), 0);
    // A folder in the target's place cannot be replaced by a file.
    std::string blocked = path("blocked.bxr");
    ASSERT_EQ(mkdir(blocked.c_str(), 0755), 0);
    EXPECT_EQ(writeSavedGame(blocked.c_str()), 0);
    struct stat info;
    ASSERT_EQ(stat(blocked.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(filesInFolder(), 1);
}

} // namespace
