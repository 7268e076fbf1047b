// bexaran_files_probe.exe: the saved-game file operations on the real Windows
// file system (under Wine in the tests): atomic replacement, read-only files
// and failures. Prints one line per check; exits 0 when all pass. The display,
// dialogs and boxes are the null front end's: they are not looked at here.
#include "game/game.h"
#include "game/platform.h"
#include "shell/shell.h"

#include <stdio.h>
#include <string.h>

namespace {

int failures = 0;

void expect(bool ok, const char* what) {
    printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) ++failures;
}

DWORD sizeOf(const char* name) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name, GetFileExInfoStandard, &data)) return 0xFFFFFFFF;
    return data.nFileSizeLow;
}

void writeJunk(const char* name, DWORD size) {
    static char junk[1000];
    memset(junk, 'j', sizeof junk);
    writeWholeFile(name, junk, size);
}

// Files and folders in a folder (given with its trailing backslash), so a
// temporary file left behind shows whatever its name.
int entriesIn(const char* folder) {
    char pattern[MAX_PATH + 2];
    snprintf(pattern, sizeof pattern, "%s*", folder);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do
        count += strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

void checkReplacement(const char* folder) {
    char target[MAX_PATH];
    snprintf(target, sizeof target, "%sprobe.bxr", folder);
    writeJunk(target, 1000);
    expect(writeSavedGame(target) == 1, "save over an existing file");
    expect(sizeOf(target) == SavedGameSize, "it is 336 bytes now");
    expect(entriesIn(folder) == 1, "no temporary file left");

    SetFileAttributesA(target, FILE_ATTRIBUTE_READONLY);
    startLevel(0);
    game.levelIndex = 0;
    expect(readSavedGame(target) == SavedGameValid, "a read-only saved game loads");
    expect(game.levelIndex == 2 && game.steps == 5, "with its level and steps");
    SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(target);
}

void checkFailures(const char* folder) {
    char locked[MAX_PATH];
    snprintf(locked, sizeof locked, "%slocked.bxr", folder);
    writeJunk(locked, 100);
    SetFileAttributesA(locked, FILE_ATTRIBUTE_READONLY);
    expect(writeSavedGame(locked) == 0, "save over a read-only file reports failure");
    expect(sizeOf(locked) == 100, "the read-only file is unchanged");
    expect(entriesIn(folder) == 1, "no temporary file left");
    expect(earlierFileKept(locked) == 1, "the player is told that the earlier file is kept");
    SetFileAttributesA(locked, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(locked);

    char nowhere[MAX_PATH];
    snprintf(nowhere, sizeof nowhere, "%sno\\such\\folder.bxr", folder);
    expect(writeSavedGame(nowhere) == 0, "save into a missing folder reports failure");
    expect(earlierFileKept(nowhere) == 0, "the player is told of no earlier file");
    expect(readSavedGame(nowhere) == SavedGameUnreadable,
           "a missing file is refused as unreadable");
}

// Full paths of 255 and 259 characters, the longest the dialogs give: folders
// of 50 characters, then a name that makes up the rest.
void checkLongPaths(const char* folder) {
    const size_t lengths[] = {255, MAX_PATH - 1};
    for (size_t length : lengths) {
        char path[MAX_PATH + 1];
        snprintf(path, sizeof path, "%s", folder);
        while (strlen(path) + 51 + 20 <= length) {
            strcat(path, "ffffffffffffffffffffffffffffffffffffffffffffffffff\\");
            CreateDirectoryA(path, nullptr);
        }
        char target[MAX_PATH + 1];
        size_t used = strlen(path);
        memcpy(target, path, used);
        memset(target + used, 'n', length - used - 4);
        memcpy(target + length - 4, ".bxr", 5);

        char what[80];
        snprintf(what, sizeof what, "a save under a path of %u characters",
                 (unsigned)strlen(target));
        expect(writeSavedGame(target) == 1 && sizeOf(target) == SavedGameSize, what);
        writeJunk(target, 10);
        expect(writeSavedGame(target) == 1 && sizeOf(target) == SavedGameSize,
               "and a second save replaces it");
        expect(entriesIn(path) == 1, "no temporary file left");
        expect(readSavedGame(target) == SavedGameValid, "it loads");
        DeleteFileA(target);
    }
}

} // namespace

int main(int argc, char** argv) {
    // The folder to work in, with a trailing backslash.
    char folder[200] = "";
    if (argc > 1) snprintf(folder, sizeof folder, "%s\\", argv[1]);

    game.levelIndex = 2;
    startLevel(2);
    game.steps = 5;
    checkReplacement(folder);
    startLevel(2);
    game.levelIndex = 2;
    game.steps = 5;
    checkFailures(folder);
    checkLongPaths(folder);

    printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
