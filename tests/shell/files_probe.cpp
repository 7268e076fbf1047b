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

// Replaces whatever is there, as a file of the player's would be written.
void writeJunk(const char* name, DWORD size, char fill = 'j') {
    static char junk[1000];
    memset(junk, fill, sizeof junk);
    HANDLE file =
        CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, junk, size, &written, nullptr);
    CloseHandle(file);
}

bool holdsJunk(const char* name, DWORD size, char fill) {
    char bytes[1000 + 1];
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD got = 0;
    ReadFile(file, bytes, sizeof bytes, &got, nullptr);
    CloseHandle(file);
    if (got != size) return false;
    for (DWORD i = 0; i < got; ++i)
        if (bytes[i] != fill) return false;
    return true;
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

// Files of the player's that carry the names the save tries for its
// temporary file ("~$me.bxr" for "game.bxr", then "~0me.bxr", ...) are left
// exactly as they were, read-only or not.
void checkTemporaryNamesTaken(const char* folder) {
    char target[MAX_PATH], taken[3][MAX_PATH];
    snprintf(target, sizeof target, "%sgame.bxr", folder);
    for (int attempt = 0; attempt < 3; ++attempt) {
        char name[MAX_PATH];
        savedGameTemporaryName(target, attempt, name);
        snprintf(taken[attempt], sizeof taken[attempt], "%s", name);
        writeJunk(name, 77 + attempt, 'a' + attempt);
    }
    expect(strcmp(taken[0] + strlen(folder), "~$me.bxr") == 0, "the first temporary name");
    SetFileAttributesA(taken[1], FILE_ATTRIBUTE_READONLY);
    expect(writeSavedGame(target) == 1, "save beside files with the temporary names");
    expect(sizeOf(target) == SavedGameSize, "it is 336 bytes");
    for (int attempt = 0; attempt < 3; ++attempt)
        expect(holdsJunk(taken[attempt], 77 + attempt, 'a' + attempt),
               attempt == 1 ? "the read-only file of a temporary name is untouched"
                            : "the file of a temporary name is untouched");
    expect(entriesIn(folder) == 4, "no temporary file left");
    expect(writeSavedGame(target) == 1 && holdsJunk(taken[0], 77, 'a'),
           "a second save over the first leaves it untouched too");
    SetFileAttributesA(taken[1], FILE_ATTRIBUTE_NORMAL);
    for (int attempt = 0; attempt < 3; ++attempt)
        DeleteFileA(taken[attempt]);
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
    checkTemporaryNamesTaken(folder);
    startLevel(2);
    game.levelIndex = 2;
    game.steps = 5;
    checkFailures(folder);
    checkLongPaths(folder);

    printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
