// Saved-game files on Windows. Names are in the ANSI code page, as the
// ANSI file dialogs give them.
#include "game/platform.h"
#include "shell/shell.h"

// CREATE_NEW: a file that already has the name (another of the player's
// files) is never opened, let alone overwritten.
NewFileResult writeNewFile(const char* name, const void* bytes, uint32_t size) {
    HANDLE file =
        CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? NewFileNameTaken
                                                                           : NewFileFailed;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes, size, &written, nullptr) && written == size;
    // On disk before the rename makes it the saved game.
    ok = FlushFileBuffers(file) && ok;
    ok = CloseHandle(file) && ok;
    return ok ? NewFileWritten : NewFileFailed;
}

// A file the player marked read-only is not replaced. Windows refuses that
// by itself; Wine would replace it, so it is checked here for both.
int replaceFile(const char* from, const char* to) {
    DWORD attributes = GetFileAttributesA(to);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return 0;
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 1 : 0;
}

void removeFile(const char* name) {
    DeleteFileA(name);
}

// Read access only, so a saved game marked read-only loads.
int readFilePrefix(const char* name, void* bytes, uint32_t capacity, uint32_t* size) {
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    uint32_t total = 0;
    BOOL ok = TRUE;
    while (total < capacity) {
        DWORD got = 0;
        ok = ReadFile(file, static_cast<char*>(bytes) + total, capacity - total, &got, nullptr);
        if (!ok || got == 0) break;
        total += got;
    }
    CloseHandle(file);
    *size = total;
    return ok ? 1 : 0;
}
