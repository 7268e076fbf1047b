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

bool exists(const char* name) {
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

void writeJunk(const char* name, DWORD size) {
    static char junk[1000];
    memset(junk, 'j', sizeof junk);
    writeWholeFile(name, junk, size);
}

} // namespace

int main(int argc, char** argv) {
    // The folder to work in, with a trailing backslash.
    char folder[200] = "";
    if (argc > 1) snprintf(folder, sizeof folder, "%s\\", argv[1]);
    char target[260], locked[260], temporary[270];
    snprintf(target, sizeof target, "%sprobe.bxr", folder);
    snprintf(locked, sizeof locked, "%slocked.bxr", folder);
    snprintf(temporary, sizeof temporary, "%s.saving", target);

    game.levelIndex = 2;
    startLevel(2);
    game.steps = 5;

    writeJunk(target, 1000);
    expect(writeSavedGame(target) == 1, "save over an existing file");
    expect(sizeOf(target) == SavedGameSize, "it is 336 bytes now");
    expect(!exists(temporary), "no temporary file left");

    writeJunk(locked, 100);
    SetFileAttributesA(locked, FILE_ATTRIBUTE_READONLY);
    expect(writeSavedGame(locked) == 0, "save over a read-only file reports failure");
    expect(sizeOf(locked) == 100, "the read-only file is unchanged");
    char lockedTemporary[270];
    snprintf(lockedTemporary, sizeof lockedTemporary, "%s.saving", locked);
    expect(!exists(lockedTemporary), "no temporary file left");

    SetFileAttributesA(target, FILE_ATTRIBUTE_READONLY);
    startLevel(0);
    game.levelIndex = 0;
    expect(readSavedGame(target) == SavedGameValid, "a read-only saved game loads");
    expect(game.levelIndex == 2 && game.steps == 5, "with its level and steps");
    SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(locked, FILE_ATTRIBUTE_NORMAL);

    char nowhere[300];
    snprintf(nowhere, sizeof nowhere, "%sno\\such\\folder.bxr", folder);
    expect(writeSavedGame(nowhere) == 0, "save into a missing folder reports failure");
    expect(readSavedGame(nowhere) == SavedGameUnreadable,
           "a missing file is refused as unreadable");

    DeleteFileA(target);
    DeleteFileA(locked);
    printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
