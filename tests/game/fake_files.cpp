#include "tests/game/fake_files.h"

#include <algorithm>
#include <string.h>

#include "game/platform.h"

FakeFiles fakeFiles;

void resetFakeFiles() {
    fakeFiles = FakeFiles();
    fileDialogName[0] = '\0';
}

namespace {

// Windows refuses a path of MAX_PATH characters or more.
bool tooLong(const char* name) {
    return strlen(name) >= FileNameCapacity;
}

bool isReadOnly(const std::string& name) {
    const std::vector<std::string>& names = fakeFiles.readOnlyNames;
    return std::find(names.begin(), names.end(), name) != names.end();
}

int showDialog(uint32_t flags) {
    fakeFiles.lastDialogFlags = flags;
    if (fakeFiles.dialogAnswer == 1) {
        strncpy(fileDialogName, fakeFiles.dialogChoice.c_str(), FileNameCapacity - 1);
        fileDialogName[FileNameCapacity - 1] = '\0';
    }
    return fakeFiles.dialogAnswer;
}

} // namespace

int showSaveDialog(uint32_t flags) {
    return showDialog(flags);
}
int showOpenDialog(uint32_t flags) {
    return showDialog(flags);
}

NewFileResult writeNewFile(const char* name, const void* bytes, uint32_t size) {
    if (fakeFiles.files.count(name)) return NewFileNameTaken;
    if (tooLong(name)) return NewFileFailed;
    const unsigned char* begin = static_cast<const unsigned char*>(bytes);
    if (fakeFiles.failWrite) {
        // A full disk: part of the file is there, and the call reports it.
        fakeFiles.files[name].assign(begin, begin + size / 2);
        return NewFileFailed;
    }
    fakeFiles.files[name].assign(begin, begin + size);
    return NewFileWritten;
}

int replaceFile(const char* from, const char* to) {
    if (tooLong(from) || tooLong(to)) return 0;
    if (fakeFiles.failReplace || isReadOnly(to) || !fakeFiles.files.count(from)) return 0;
    fakeFiles.files[to] = fakeFiles.files[from];
    fakeFiles.files.erase(from);
    return 1;
}

void removeFile(const char* name) {
    fakeFiles.files.erase(name);
}

int readFilePrefix(const char* name, void* bytes, uint32_t capacity, uint32_t* size) {
    auto found = fakeFiles.files.find(name);
    if (fakeFiles.failRead || found == fakeFiles.files.end()) return 0;
    uint32_t count = static_cast<uint32_t>(std::min<size_t>(capacity, found->second.size()));
    if (count > 0) memcpy(bytes, found->second.data(), count);
    *size = count;
    return 1;
}

void showLoadRefused(SavedGameCheck check) {
    fakeFiles.refusalsShown.push_back(check);
}
void showSaveFailed(int earlierFileKept) {
    ++fakeFiles.saveFailuresShown;
    fakeFiles.earlierFileKeptShown = earlierFileKept;
}
