// Saving and loading through the game's file dialogs: the bytes written,
// the name proposed, refused files, and what the player is told.
#include "wine_game.h"
#include <dirent.h>
#include <sys/stat.h>

#include "shell/texts.h"

namespace e2e {

TEST_F(WineGame, SaveAndLoadThroughTheDialogs) {
    ASSERT_TRUE(attachToGame());
    int pushDirection = -1;
    ASSERT_TRUE(walkToABox(&pushDirection));
    move(pushDirection, "the push");

    // Save by the menu, typing the name without its extension.
    const std::string saved = session.artifacts + "/first.bxr";
    chooseMenu(0, 2);
    Window dialog;
    ASSERT_TRUE(findDialog(1148, &dialog)) << "no save dialog from the menu";
    answerFileDialog(dialog, session.artifacts + "/first");
    std::string bytes;
    ASSERT_TRUE(pollUntil([&] {
        return readBytes(saved, &bytes) && bytes.size() == SavedGameSize;
    })) << "first.bxr was not written (extension added?)";
    EXPECT_TRUE(bytes == modelSavedBytes()) << "the saved bytes differ from the position";
    expectModelBoard("after saving");

    // The open dialog proposes the name just saved.
    dialog = openFileDialog('L');
    const std::string proposed = request("itemtext " + dialog.handle + " 1148");
    EXPECT_NE(proposed.find("first.bxr"), std::string::npos) << "proposed: " << proposed;
    // Another level first, then the saved game back.
    const std::string third = session.artifacts + "/level3.bxr";
    ASSERT_TRUE(writeBytes(third, levelStartBytes(2, 0)));
    answerFileDialog(dialog, third);
    setModelDialogAnswer(third);
    loadGame();
    expectStatus(2, boxesOffGoal(2), 0, "after loading level 3");
    expectModelBoard("after loading level 3");
    load(saved, "loading the saved game back");
    expectModelStatus("after loading the saved game back");
    // Undo stays offered across a load and brings back the position before it.
    expectUndoOffered(true, "after loading");
    press('Z', "ctrl");
    undoMove();
    expectModelStatus("undo after a load");
    expectModelBoard("undo after a load");
    load(saved, "loading the saved game once more");

    // Saving twice under one name replaces the file without a question.
    int step = -1;
    for (int d : BoardDirections)
        if (step < 0 && freeRun(d) > 0) step = d;
    ASSERT_GE(step, 0);
    move(step, "a move after loading");
    dialog = openFileDialog('S');
    answerFileDialog(dialog, saved);
    EXPECT_TRUE(pollUntil([&] { return readBytes(saved, &bytes) && bytes == modelSavedBytes(); }))
        << "the second save did not replace the file";
    EXPECT_TRUE(noDialogs()) << "saving over a file asked a question";

    // Refused files: the message, and the game as it was.
    const std::string badLevel = session.artifacts + "/badlevel.bxr";
    std::string corrupt = levelStartBytes(4, 0);
    corrupt[320] = 77;
    ASSERT_TRUE(writeBytes(badLevel, corrupt));
    expectLoadRefused(badLevel, SavedGameBadLevel, "a file with level 78");
    const std::string shortFile = session.artifacts + "/short.bxr";
    ASSERT_TRUE(writeBytes(shortFile, levelStartBytes(4, 0).substr(0, 100)));
    expectLoadRefused(shortFile, SavedGameWrongSize, "a file of 100 bytes");
    expectUndoOffered(true, "after refused loads");

    // Step counts from a file are shown as they are, however long, and the
    // other parts keep their texts.
    const std::string negative = session.artifacts + "/negative.bxr";
    ASSERT_TRUE(writeBytes(negative, levelStartBytes(3, -1)));
    load(negative, "loading -1 steps");
    expectStatus(3, boxesOffGoal(3), -1, "after loading -1 steps");
    const std::string huge = session.artifacts + "/huge.bxr";
    ASSERT_TRUE(writeBytes(huge, levelStartBytes(3, 2147483647)));
    load(huge, "loading 2147483647 steps");
    expectStatus(3, boxesOffGoal(3), 2147483647, "after loading 2147483647 steps");

    // A read-only file loads.
    const std::string readOnly = session.artifacts + "/readonly.bxr";
    ASSERT_TRUE(writeBytes(readOnly, levelStartBytes(4, 7)));
    chmod(readOnly.c_str(), 0444);
    load(readOnly, "loading a read-only file");
    expectStatus(4, boxesOffGoal(4), 7, "after loading a read-only file");
}

// A Unix path whose Windows name (drive Z:) has exactly `length` characters:
// folders of 50 characters under the case's folder, then a name that makes
// up the rest. The folders are made; the file is not. Empty if the case's
// folder is too long already.
std::string pathOfWindowsLength(const std::string& under, size_t length) {
    std::string folder = under;
    mkdir(folder.c_str(), 0755);
    while (windowsPath(folder).size() + 51 + 20 <= length) {
        folder += "/" + std::string(50, 'f');
        mkdir(folder.c_str(), 0755);
    }
    const size_t used = windowsPath(folder).size() + 1;
    if (used + 5 > length) return ""; // the build folder alone is too long
    const size_t nameLength = length - used;
    return folder + "/" + std::string(nameLength - 4, 'n') + ".bxr";
}

// Names of 255 and 259 characters, the longest the dialogs take, save like
// any other; a failed save tells of an earlier file only where there was one.
TEST_F(WineGame, LongNamesSaveAndFailedSavesSayWhatWasKept) {
    ASSERT_TRUE(attachToGame());
    int pushDirection = -1;
    ASSERT_TRUE(walkToABox(&pushDirection));
    move(pushDirection, "the push");

    for (size_t length : {255u, 259u}) {
        const std::string target =
            pathOfWindowsLength(session.artifacts + "/long" + std::to_string(length), length);
        ASSERT_EQ(windowsPath(target).size(), length);
        Window dialog = openFileDialog('S');
        answerFileDialog(dialog, target);
        std::string bytes;
        EXPECT_TRUE(pollUntil([&] {
            return readBytes(target, &bytes) && bytes == modelSavedBytes();
        })) << "no save under a name of "
            << length << " characters";
        EXPECT_TRUE(noDialogs()) << "a box after saving under a name of " << length
                                 << " characters";
        // The file saved is the only one in its folder: no temporary file left.
        const std::string folder = target.substr(0, target.rfind('/'));
        int entries = 0;
        if (DIR* dir = opendir(folder.c_str())) {
            while (dirent* entry = readdir(dir))
                entries += entry->d_name[0] != '.';
            closedir(dir);
        }
        EXPECT_EQ(entries, 1) << "files left beside the save of " << length << " characters";
    }

    struct Case {
        const char* what;
        bool earlierFile;
        const char* text;
    } cases[] = {
        {"a read-only file", true, saveFailedText},
        {"a missing folder", false, saveFailedNoEarlierFileText},
    };
    for (const Case& c : cases) {
        const std::string target = c.earlierFile ? session.artifacts + "/kept.bxr"
                                                 : session.artifacts + "/missing/new.bxr";
        const std::string old = levelStartBytes(4, 7);
        if (c.earlierFile) {
            ASSERT_TRUE(writeBytes(target, old));
            chmod(target.c_str(), 0444);
        }
        Window dialog = openFileDialog('S');
        answerFileDialog(dialog, target);
        Window box;
        std::string caption, text;
        ASSERT_TRUE(readMessageBox(&box, &caption, &text)) << c.what << ": no message box";
        EXPECT_EQ(caption, utf8Of1251(saveCaption)) << c.what;
        EXPECT_EQ(text, utf8Of1251(c.text)) << c.what;
        press(VkReturn);
        EXPECT_TRUE(noDialogs()) << c.what << ": the message box did not close";
        std::string bytes;
        EXPECT_EQ(readBytes(target, &bytes), c.earlierFile) << c.what;
        EXPECT_TRUE(bytes == (c.earlierFile ? old : std::string())) << c.what << ": file changed";
        expectModelStatus(c.what);
        expectModelBoard(c.what);
    }
}

} // namespace e2e
