// The saved-game file: writing the position, and reading, checking and
// installing it. The dialogs, the files and the messages go through the
// platform, so this stays portable and the host tests cover every refusal.
#include <string.h>

#include "game.h"
#include "platform.h"

char fileDialogName[FileNameCapacity];

namespace {

void putLittleEndian(unsigned char* at, int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    at[0] = static_cast<unsigned char>(bits);
    at[1] = static_cast<unsigned char>(bits >> 8);
    at[2] = static_cast<unsigned char>(bits >> 16);
    at[3] = static_cast<unsigned char>(bits >> 24);
}

int32_t getLittleEndian(const unsigned char* at) {
    uint32_t bits = static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                    static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
    return static_cast<int32_t>(bits);
}

bool isBorderCell(int32_t cell) {
    int32_t row = cell / BoardColumns;
    int32_t column = cell % BoardColumns;
    return row == 0 || row == BoardRows - 1 || column == 0 || column == BoardColumns - 1;
}

} // namespace

void encodeSavedGame(const GameState* state, unsigned char bytes[SavedGameSize]) {
    memcpy(bytes, state->board.cells, BoardCellCount);
    putLittleEndian(bytes + 320, state->levelIndex);
    putLittleEndian(bytes + 324, state->playerCell);
    putLittleEndian(bytes + 328, state->boxesLeft);
    putLittleEndian(bytes + 332, state->steps);
}

// The move test reads neighbouring cells without bounds checks and restart
// indexes the level table, so a file is taken only when the position it holds
// is one the game could have reached.
SavedGameCheck decodeSavedGame(const unsigned char* bytes, uint32_t size, SavedGame* saved) {
    if (size != SavedGameSize) return SavedGameWrongSize;
    SavedGame read;
    memcpy(read.board.cells, bytes, BoardCellCount);
    read.levelIndex = getLittleEndian(bytes + 320);
    read.playerCell = getLittleEndian(bytes + 324);
    read.boxesLeft = getLittleEndian(bytes + 328);
    read.steps = getLittleEndian(bytes + 332);

    if (read.levelIndex < 0 || read.levelIndex >= LevelCount) return SavedGameBadLevel;
    if (read.playerCell < 0 || read.playerCell >= BoardCellCount) return SavedGameBadKeeperCell;
    int32_t boxes = 0;
    for (int32_t cell = 0; cell < BoardCellCount; ++cell) {
        unsigned char code = read.board.cells[cell];
        if (isBorderCell(cell) && code != CellCodeWall) return SavedGameOpenBorder;
        if (code == CellCodeBox) ++boxes;
    }
    unsigned char under = read.board.cells[read.playerCell];
    if (under != CellCodeFloor && under != CellCodeGoal) return SavedGameKeeperBlocked;
    if (boxes != read.boxesLeft) return SavedGameBoxCountWrong;
    *saved = read;
    return SavedGameValid;
}

const char* savedGameCheckName(SavedGameCheck check) {
    switch (check) {
    case SavedGameValid:
        return "valid";
    case SavedGameUnreadable:
        return "the file cannot be opened or read";
    case SavedGameWrongSize:
        return "the file is not 336 bytes long";
    case SavedGameBadLevel:
        return "the level is outside 0..49";
    case SavedGameBadKeeperCell:
        return "the keeper cell is outside 0..319";
    case SavedGameOpenBorder:
        return "an outer row or column is not all wall";
    case SavedGameKeeperBlocked:
        return "the keeper's cell is neither floor nor goal";
    case SavedGameBoxCountWrong:
        return "boxes left does not match the boxes off goals";
    }
    return "unknown";
}

namespace {

// The cells the keeper could ever stand on or push a box into: every cell
// other than wall joined to his, boxes and all.
void markKeeperPart(const Board* drawn, int32_t keeperCell, bool part[BoardCellCount]) {
    int32_t stack[BoardCellCount];
    int32_t count = 0;
    part[keeperCell] = true;
    stack[count++] = keeperCell;
    while (count > 0) {
        const int32_t cell = stack[--count];
        const int32_t column = cell % BoardColumns;
        const int32_t next[4] = {column > 0 ? cell - 1 : -1,
                                 column < BoardColumns - 1 ? cell + 1 : -1, cell - BoardColumns,
                                 cell + BoardColumns};
        for (int32_t to : next) {
            if (to < 0 || to >= BoardCellCount || part[to]) continue;
            if (drawn->cells[to] == CellCodeWall) continue;
            part[to] = true;
            stack[count++] = to;
        }
    }
}

bool isRoomCode(unsigned char code) {
    return code == CellCodeWall || code == CellCodeFloor || code == CellCodeGoal ||
           code == CellCodeBox || code == CellCodeBoxOnGoal;
}

} // namespace

RoomCheck judgeRoom(const Board* drawn, int32_t keeperCell, unsigned char bytes[SavedGameSize]) {
    if (keeperCell < 0 || keeperCell >= BoardCellCount) return RoomNoKeeper;
    const unsigned char under = drawn->cells[keeperCell];
    if (under != CellCodeFloor && under != CellCodeGoal) return RoomNoKeeper;
    for (unsigned char code : drawn->cells)
        if (!isRoomCode(code)) return RoomBadCell;
    bool part[BoardCellCount] = {};
    markKeeperPart(drawn, keeperCell, part);
    GameState start = {};
    int32_t boxes = 0, goals = 0, boxesOff = 0;
    for (int32_t cell = 0; cell < BoardCellCount; ++cell) {
        unsigned char code = drawn->cells[cell];
        if (part[cell] && isBorderCell(cell)) return RoomOpen;
        if (!part[cell] && code != CellCodeWall) {
            if (code != CellCodeFloor) return RoomStrayCell;
            code = CellCodeWall;
        }
        boxes += code == CellCodeBox || code == CellCodeBoxOnGoal;
        goals += code == CellCodeGoal || code == CellCodeBoxOnGoal;
        boxesOff += code == CellCodeBox;
        start.board.cells[cell] = code;
    }
    if (boxes == 0) return RoomNoBoxes;
    if (boxes != goals) return RoomBoxesGoalsDiffer;
    if (boxesOff == 0) return RoomAllBoxesHome;
    start.playerCell = keeperCell;
    start.boxesLeft = boxesOff;
    encodeSavedGame(&start, bytes);
    SavedGame read;
    return decodeSavedGame(bytes, SavedGameSize, &read) == SavedGameValid ? RoomPlayable
                                                                          : RoomRefusedAsGame;
}

// The temporary file is the target's name with the first two characters of
// its last part replaced by "~$" ("$~" when it starts with "~"), and on later
// attempts by "~0" to "~z" ("$0" to "$z"): in the target's folder, so the
// rename stays on one volume; never the target itself, as the first
// character differs; and never longer, so whatever name fits in MAX_PATH,
// its temporary name does too. A one-character name varies that character.
int savedGameTemporaryName(const char* fileName, int32_t attempt, char* temporary) {
    static const char Digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    size_t length = strlen(fileName);
    if (length == 0 || length >= FileNameCapacity) return 0;
    if (attempt < 0 || attempt >= SavedGameTemporaryAttempts) return 0;
    size_t last = length;
    while (last > 0 && !strchr("\\/:", fileName[last - 1]))
        --last;
    if (last == length) return 0; // a folder, no file name
    memcpy(temporary, fileName, length + 1);
    const char* mark = fileName[last] == '~' ? "$~" : "~$";
    if (last + 1 < length) {
        temporary[last] = mark[0];
        temporary[last + 1] = attempt == 0 ? mark[1] : Digits[attempt - 1];
        return 1;
    }
    // One character: "~", "$", then the digits and letters, skipping the
    // name's own character in either case (Windows does not tell them apart).
    char own = fileName[last];
    if (own >= 'A' && own <= 'Z') own = (char)(own - 'A' + 'a');
    int32_t skipped = 0;
    for (int32_t i = 0; i < SavedGameTemporaryAttempts + 1; ++i) {
        const char candidate = i == 0 ? '~' : i == 1 ? '$' : Digits[i - 2];
        if (candidate == own) {
            skipped = 1;
            continue;
        }
        if (i - skipped == attempt) {
            temporary[last] = candidate;
            return 1;
        }
    }
    return 0;
}

// A save must never lose a file of the player's: the bytes go to a new
// temporary file beside the target, under a name no file has yet, which then
// takes the target's place in one step. Whatever fails, the temporary file
// goes and the target, and any file that had a name we tried, stay.
int writeSavedGame(const char* fileName) {
    unsigned char bytes[SavedGameSize];
    encodeSavedGame(&game, bytes);
    char temporary[FileNameCapacity];
    for (int32_t attempt = 0; savedGameTemporaryName(fileName, attempt, temporary); ++attempt) {
        const NewFileResult written = writeNewFile(temporary, bytes, SavedGameSize);
        if (written == NewFileNameTaken) continue;
        if (written == NewFileWritten && replaceFile(temporary, fileName)) return 1;
        removeFile(temporary);
        return 0;
    }
    return 0;
}

// A failed save never creates the target, so a file that is there now was
// there before, and is as it was.
int earlierFileKept(const char* fileName) {
    unsigned char none;
    uint32_t size = 0;
    return readFilePrefix(fileName, &none, 0, &size);
}

// The loaded position replaces the state wholesale; a slide still running
// over the old one must not go on and commit into it.
void installSavedGame(const SavedGame* saved) {
    cancelSlide();
    game.board = saved->board;
    game.levelIndex = saved->levelIndex;
    game.playerCell = saved->playerCell;
    game.boxesLeft = saved->boxesLeft;
    game.steps = saved->steps;
}

// Reads one byte more than a saved game holds, so a longer file is told apart.
SavedGameCheck readSavedGame(const char* fileName) {
    unsigned char bytes[SavedGameSize + 1];
    uint32_t size = 0;
    if (!readFilePrefix(fileName, bytes, sizeof bytes, &size)) return SavedGameUnreadable;
    SavedGame saved;
    SavedGameCheck check = decodeSavedGame(bytes, size, &saved);
    if (check != SavedGameValid) return check;
    installSavedGame(&saved);
    redrawBoard();
    invalidateArea(nullptr);
    return SavedGameValid;
}

void saveGame() {
    if (showSaveDialog(FileDialogSaveFlags) != 1) return;
    if (!writeSavedGame(fileDialogName)) showSaveFailed(earlierFileKept(fileDialogName));
}

void loadGame() {
    if (showOpenDialog(FileDialogOpenFlags) == 1) {
        SavedGameCheck check = readSavedGame(fileDialogName);
        if (check != SavedGameValid) showLoadRefused(check);
    }
    refreshLevelAndBoxes();
    refreshSteps();
}
