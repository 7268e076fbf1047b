// The recorder's files: an in-memory file system behind the platform's file
// operations, with failures on demand, and scripted file dialogs and message
// boxes.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "game/game.h"

struct FakeFiles {
    std::map<std::string, std::vector<unsigned char>> files;
    std::vector<std::string> readOnlyNames; // writes and replacements over them fail
    bool failWrite;                         // writeNewFile fails after writing half
    bool failReplace;
    bool failRead;
    int dialogAnswer;         // what the save and open dialogs return
    std::string dialogChoice; // the name the player "types"
    uint32_t lastDialogFlags;
    std::vector<SavedGameCheck> refusalsShown;
    int saveFailuresShown;
    int earlierFileKeptShown; // what the last save failure told
};

extern FakeFiles fakeFiles;
void resetFakeFiles();
