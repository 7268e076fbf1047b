// Saved-game files on the host (POSIX), for bexaran-cli and the tests: the
// same operations the Windows shell provides; the null front end around them
// has no dialogs or boxes.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include "game.h"
#include "platform.h"

// O_EXCL: a file that already has the name is left alone.
NewFileResult writeNewFile(const char* name, const void* bytes, uint32_t size) {
    int file = open(name, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (file < 0) return errno == EEXIST ? NewFileNameTaken : NewFileFailed;
    const char* at = static_cast<const char*>(bytes);
    uint32_t left = size;
    bool ok = true;
    while (left > 0 && ok) {
        ssize_t written = write(file, at, left);
        ok = written > 0;
        if (ok) {
            at += written;
            left -= static_cast<uint32_t>(written);
        }
    }
    ok = fsync(file) == 0 && ok; // on disk before the rename makes it the saved game
    ok = close(file) == 0 && ok;
    return ok ? NewFileWritten : NewFileFailed;
}

int replaceFile(const char* from, const char* to) {
    return rename(from, to) == 0 ? 1 : 0;
}

void removeFile(const char* name) {
    unlink(name);
}

int readFilePrefix(const char* name, void* bytes, uint32_t capacity, uint32_t* size) {
    int file = open(name, O_RDONLY);
    if (file < 0) return 0;
    uint32_t total = 0;
    bool ok = true;
    while (total < capacity) {
        ssize_t got = read(file, static_cast<char*>(bytes) + total, capacity - total);
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        total += static_cast<uint32_t>(got);
    }
    close(file);
    *size = total;
    return ok ? 1 : 0;
}
