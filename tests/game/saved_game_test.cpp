// Saved games through the game's own code, over an in-memory file system:
// the file layout, the round trip, every refusal, the atomic replacement and
// what loading does to a slide, the snapshot and the status bar.
#include <gtest/gtest.h>
#include <limits.h>
#include <set>
#include <string.h>

#include "game/game.h"
#include "game/platform.h"
#include "tests/game/fake_files.h"
#include "tests/game/recording_platform.h"

namespace {

typedef std::vector<unsigned char> Bytes;

void startGame(int32_t level) {
    game = GameState();
    game.levelIndex = level;
    startLevel(level);
    takeSnapshot();
}

// Tries the four directions until one is taken; leaves the slide running.
bool beginSomeMove() {
    const int32_t directions[] = {DirectionUp, DirectionLeft, DirectionRight, DirectionDown};
    for (int32_t direction : directions) {
        requestMove(direction);
        if (game.playerSliding) return true;
    }
    return false;
}

void finishSlide() {
    for (int tick = 0; tick < 8 && game.playerSliding; ++tick)
        advanceSlide();
}

Bytes encoded() {
    Bytes bytes(SavedGameSize);
    encodeSavedGame(&game, bytes.data());
    return bytes;
}

struct Whole {
    GameState state;
    UndoSnapshot snapshot;
};

Whole capture() {
    return Whole{game, undoSnapshot};
}

bool sameAs(const Whole& before) {
    return memcmp(&before.state, &game, sizeof game) == 0 &&
           memcmp(&before.snapshot, &undoSnapshot, sizeof undoSnapshot) == 0;
}

class SavedGameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetFakeFiles();
        startGame(0);
        recorderReset();
    }

    // What the open dialog hands to loadGame.
    void offerFile(const Bytes& bytes) {
        fakeFiles.files["game.bxr"] = bytes;
        fakeFiles.dialogAnswer = 1;
        fakeFiles.dialogChoice = "game.bxr";
    }
};

TEST_F(SavedGameTest, LayoutIsThePositionIn336LittleEndianBytes) {
    game.levelIndex = 49;
    game.boxesLeft = 7;
    game.steps = -2; // an undo count below zero is stored as it is
    Bytes bytes = encoded();
    ASSERT_EQ(bytes.size(), 336u);
    EXPECT_EQ(memcmp(bytes.data(), game.board.cells, 320), 0);
    const unsigned char cell0 = static_cast<unsigned char>(game.playerCell);
    const unsigned char cell1 = static_cast<unsigned char>(game.playerCell >> 8);
    const unsigned char tail[16] = {49, 0, 0, 0, cell0, cell1, 0,    0,
                                    7,  0, 0, 0, 0xFE,  0xFF,  0xFF, 0xFF};
    EXPECT_EQ(memcmp(bytes.data() + 320, tail, 16), 0);
    // The keeper is not a cell code: his cell keeps its floor or goal.
    EXPECT_TRUE(bytes[game.playerCell] == ' ' || bytes[game.playerCell] == 'x');
}

TEST_F(SavedGameTest, SaveAndLoadGiveBackThePositionByteForByte) {
    for (int32_t level : {0, 7, 8, 31, 49}) {
        startGame(level);
        ASSERT_TRUE(beginSomeMove()) << "level " << level + 1;
        finishSlide();
        fakeFiles.dialogAnswer = 1;
        fakeFiles.dialogChoice = "first.bxr";
        saveGame();
        EXPECT_EQ(fakeFiles.lastDialogFlags, 0x00280004u);
        ASSERT_EQ(fakeFiles.files["first.bxr"], encoded());
        GameState saved = game;

        startGame((level + 1) % LevelCount);
        fakeFiles.dialogChoice = "first.bxr";
        recorderReset();
        loadGame();
        EXPECT_EQ(fakeFiles.lastDialogFlags, 0x00281804u);
        EXPECT_EQ(memcmp(game.board.cells, saved.board.cells, BoardCellCount), 0);
        EXPECT_EQ(game.levelIndex, saved.levelIndex);
        EXPECT_EQ(game.playerCell, saved.playerCell);
        EXPECT_EQ(game.boxesLeft, saved.boxesLeft);
        EXPECT_EQ(game.steps, saved.steps);
        EXPECT_EQ(recorder.tilesDrawn, BoardCellCount); // the whole picture again
        EXPECT_EQ(recorder.lastKeeperFrame, 0);
        EXPECT_EQ(recorder.wholeInvalidations, 1);

        fakeFiles.dialogChoice = "second.bxr";
        saveGame();
        EXPECT_EQ(fakeFiles.files["second.bxr"], fakeFiles.files["first.bxr"]);
        EXPECT_TRUE(fakeFiles.refusalsShown.empty());
    }
}

struct Refusal {
    const char* what;
    SavedGameCheck expected;
    void (*spoil)(Bytes* bytes);
};

void putInt(Bytes* bytes, size_t at, int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        (*bytes)[at + i] = static_cast<unsigned char>(bits >> (8 * i));
}

// Changes the stored box count (the start of level 4 has fewer than 255 boxes).
void addBoxes(Bytes* bytes, int32_t delta) {
    putInt(bytes, 328, static_cast<int32_t>((*bytes)[328]) + delta);
}

int32_t keeperCell(const Bytes& bytes) {
    return static_cast<int32_t>(bytes[324] | bytes[325] << 8);
}

const Refusal refusals[] = {
    {"empty file", SavedGameWrongSize, [](Bytes* b) { b->clear(); }},
    {"one byte short", SavedGameWrongSize, [](Bytes* b) { b->pop_back(); }},
    {"one byte long", SavedGameWrongSize, [](Bytes* b) { b->push_back(0); }},
    {"level -1", SavedGameBadLevel, [](Bytes* b) { putInt(b, 320, -1); }},
    {"level 50", SavedGameBadLevel, [](Bytes* b) { putInt(b, 320, 50); }},
    {"level INT_MAX", SavedGameBadLevel, [](Bytes* b) { putInt(b, 320, INT_MAX); }},
    {"keeper -1", SavedGameBadKeeperCell, [](Bytes* b) { putInt(b, 324, -1); }},
    {"keeper 320", SavedGameBadKeeperCell, [](Bytes* b) { putInt(b, 324, 320); }},
    {"keeper in a wall", SavedGameKeeperBlocked, [](Bytes* b) { (*b)[keeperCell(*b)] = '@'; }},
    {"keeper on a box", SavedGameKeeperBlocked,
     [](Bytes* b) {
         (*b)[keeperCell(*b)] = 'o';
         addBoxes(b, 1);
     }},
    {"keeper on a start code", SavedGameKeeperBlocked,
     [](Bytes* b) { (*b)[keeperCell(*b)] = '$'; }},
    {"keeper on the outer wall", SavedGameOpenBorder,
     [](Bytes* b) {
         (*b)[5] = ' ';
         putInt(b, 324, 5);
     }},
    {"gap in the top row", SavedGameOpenBorder, [](Bytes* b) { (*b)[10] = ' '; }},
    {"gap in the bottom row", SavedGameOpenBorder, [](Bytes* b) { (*b)[310] = 'x'; }},
    {"gap in the left column", SavedGameOpenBorder, [](Bytes* b) { (*b)[140] = 'o'; }},
    {"gap in the right column", SavedGameOpenBorder, [](Bytes* b) { (*b)[159] = 0; }},
    {"one box too many counted", SavedGameBoxCountWrong, [](Bytes* b) { addBoxes(b, 1); }},
    {"one box too few counted", SavedGameBoxCountWrong, [](Bytes* b) { addBoxes(b, -1); }},
    {"a box more on the board", SavedGameBoxCountWrong,
     [](Bytes* b) {
         for (int cell = 21; cell < 299; ++cell)
             if ((*b)[cell] == ' ' && cell != keeperCell(*b)) {
                 (*b)[cell] = 'o';
                 return;
             }
     }},
};

// A refused file leaves the game exactly as it was: board, counters, the
// snapshot, Undo and a slide that is under way; the player is told why.
TEST_F(SavedGameTest, EveryBadFileIsRefusedAndChangesNothing) {
    startGame(3);
    ASSERT_TRUE(beginSomeMove());
    finishSlide();
    Bytes good = encoded();
    startGame(5);
    ASSERT_TRUE(beginSomeMove()); // a slide under way while the dialog is open
    advanceSlide();
    for (const Refusal& refusal : refusals) {
        Bytes bytes = good;
        refusal.spoil(&bytes);
        SavedGame unused;
        EXPECT_EQ(decodeSavedGame(bytes.data(), static_cast<uint32_t>(bytes.size()), &unused),
                  refusal.expected)
            << refusal.what;

        offerFile(bytes);
        fakeFiles.refusalsShown.clear();
        Whole before = capture();
        int undoBefore = recorder.undoEnabled;
        recorderReset();
        recorder.undoEnabled = undoBefore;
        loadGame();
        EXPECT_TRUE(sameAs(before)) << refusal.what;
        EXPECT_EQ(recorder.tilesDrawn + recorder.keepersDrawn + recorder.wholeInvalidations, 0)
            << refusal.what;
        EXPECT_EQ(recorder.undoEnabled, undoBefore) << refusal.what;
        ASSERT_EQ(fakeFiles.refusalsShown.size(), 1u) << refusal.what;
        EXPECT_EQ(fakeFiles.refusalsShown[0], refusal.expected) << refusal.what;
    }
    // The unspoilt file still loads.
    offerFile(good);
    fakeFiles.refusalsShown.clear();
    loadGame();
    EXPECT_TRUE(fakeFiles.refusalsShown.empty());
    EXPECT_EQ(game.levelIndex, 3);
}

TEST_F(SavedGameTest, UnreadableFileIsRefused) {
    fakeFiles.dialogAnswer = 1;
    fakeFiles.dialogChoice = "gone.bxr";
    Whole before = capture();
    loadGame();
    EXPECT_TRUE(sameAs(before));
    ASSERT_EQ(fakeFiles.refusalsShown.size(), 1u);
    EXPECT_EQ(fakeFiles.refusalsShown[0], SavedGameUnreadable);

    offerFile(encoded());
    fakeFiles.failRead = true;
    loadGame();
    EXPECT_TRUE(sameAs(before));
    EXPECT_EQ(fakeFiles.refusalsShown.back(), SavedGameUnreadable);
}

TEST_F(SavedGameTest, KeeperOnAGoalAndExtremeStepsAreAccepted) {
    Bytes bytes = encoded();
    bytes[keeperCell(bytes)] = 'x';
    putInt(&bytes, 332, INT_MIN);
    offerFile(bytes);
    loadGame();
    EXPECT_TRUE(fakeFiles.refusalsShown.empty());
    EXPECT_EQ(game.steps, INT_MIN);
    EXPECT_EQ(game.board.cells[game.playerCell], 'x');
}

// A slide running when the file arrives is cancelled, not committed: later
// ticks change nothing and the keeper stays where the file put him. Undo and
// its snapshot are left alone: undo brings back the game played before.
TEST_F(SavedGameTest, LoadingCancelsARunningSlideAndKeepsUndo) {
    startGame(9);
    Bytes otherLevel = encoded();
    int32_t savedCell = game.playerCell;
    startGame(2);
    ASSERT_TRUE(beginSomeMove());
    advanceSlide();
    ASSERT_EQ(game.playerSliding, 1);
    UndoSnapshot snapshot = undoSnapshot;
    offerFile(otherLevel);
    loadGame();
    EXPECT_EQ(game.playerSliding, 0);
    EXPECT_EQ(game.boxSliding, 0);
    EXPECT_EQ(game.slideStep, 0u);
    GameState after = game;
    for (int tick = 0; tick < 6; ++tick)
        advanceSlide();
    EXPECT_EQ(memcmp(&after, &game, sizeof game), 0);
    EXPECT_EQ(game.playerCell, savedCell);
    EXPECT_EQ(game.levelIndex, 9);
    EXPECT_EQ(game.undoAvailable, 1);
    EXPECT_EQ(memcmp(&snapshot, &undoSnapshot, sizeof snapshot), 0);
    undoMove();
    EXPECT_EQ(game.levelIndex, 2);
}

TEST_F(SavedGameTest, CancelledDialogsChangeNothing) {
    Whole before = capture();
    fakeFiles.dialogAnswer = 0;
    saveGame();
    EXPECT_TRUE(fakeFiles.files.empty());
    EXPECT_EQ(recorder.levelRefreshes + recorder.stepsRefreshes,
              0); // a cancelled save touches nothing
    loadGame();
    EXPECT_TRUE(sameAs(before));
    EXPECT_EQ(recorder.levelRefreshes, 1); // a cancelled load only refreshes the status bar
    EXPECT_EQ(recorder.stepsRefreshes, 1);
    EXPECT_EQ(recorder.tilesDrawn, 0);
}

// An existing saved game is replaced whole or not at all; any failure is
// reported, and no temporary file is left behind.
TEST_F(SavedGameTest, FailedSaveLeavesTheOldFileAndTellsThePlayer) {
    const Bytes old(SavedGameSize, 'A');
    struct Case {
        const char* what;
        bool failWrite, failReplace, readOnly;
    } cases[] = {
        {"write fails", true, false, false},
        {"replace fails", false, true, false},
        {"target read-only", false, false, true},
    };
    for (const Case& c : cases) {
        resetFakeFiles();
        fakeFiles.files["keep.bxr"] = old;
        fakeFiles.failWrite = c.failWrite;
        fakeFiles.failReplace = c.failReplace;
        if (c.readOnly) fakeFiles.readOnlyNames.push_back("keep.bxr");
        fakeFiles.dialogAnswer = 1;
        fakeFiles.dialogChoice = "keep.bxr";
        Whole before = capture();
        saveGame();
        EXPECT_EQ(fakeFiles.files["keep.bxr"], old) << c.what;
        EXPECT_EQ(fakeFiles.files.size(), 1u) << c.what << ": a temporary file was left";
        EXPECT_EQ(fakeFiles.saveFailuresShown, 1) << c.what;
        EXPECT_EQ(fakeFiles.earlierFileKeptShown, 1) << c.what << ": the old file not mentioned";
        EXPECT_TRUE(sameAs(before)) << c.what;
    }
}

// Where there was no file, the player is not told that it is unchanged.
TEST_F(SavedGameTest, FailedFirstSaveDoesNotSpeakOfAnEarlierFile) {
    for (bool failReplace : {false, true}) {
        resetFakeFiles();
        fakeFiles.failWrite = !failReplace;
        fakeFiles.failReplace = failReplace;
        fakeFiles.earlierFileKeptShown = -1;
        fakeFiles.dialogAnswer = 1;
        fakeFiles.dialogChoice = "new.bxr";
        saveGame();
        EXPECT_TRUE(fakeFiles.files.empty()) << "replace fails: " << failReplace;
        EXPECT_EQ(fakeFiles.saveFailuresShown, 1);
        EXPECT_EQ(fakeFiles.earlierFileKeptShown, 0) << "replace fails: " << failReplace;
    }
}

TEST_F(SavedGameTest, SavingAgainReplacesWithoutQuestionAndTheNameIsProposedNext) {
    fakeFiles.files["again.bxr"] = Bytes(10, 'z');
    fakeFiles.dialogAnswer = 1;
    fakeFiles.dialogChoice = "again.bxr";
    saveGame();
    EXPECT_EQ(fakeFiles.files["again.bxr"], encoded());
    EXPECT_EQ(fakeFiles.files.size(), 1u);
    EXPECT_EQ(fakeFiles.saveFailuresShown, 0);
    EXPECT_STREQ(fileDialogName, "again.bxr"); // the buffer both dialogs show
}

// The fake file system, like Windows, refuses names of MAX_PATH characters or
// more, so the temporary name must fit wherever the target does.
TEST_F(SavedGameTest, LongestNameFitsAndEmptyNameFails) {
    const std::string folder = "C:\\" + std::string(200, 'f') + "\\" + std::string(40, 'g') + "\\";
    const std::string names[] = {
        std::string(FileNameCapacity - 1, 'n'),
        folder + std::string(FileNameCapacity - 1 - folder.size(), 'n'),
        std::string(FileNameCapacity - 3, 'd') + "/n", // a one-character name
    };
    for (const std::string& longest : names) {
        resetFakeFiles();
        ASSERT_EQ(longest.size(), FileNameCapacity - 1u);
        EXPECT_EQ(writeSavedGame(longest.c_str()), 1) << longest;
        EXPECT_EQ(fakeFiles.files[longest], encoded());
        EXPECT_EQ(fakeFiles.files.size(), 1u) << "a temporary file was left";
    }
    EXPECT_EQ(writeSavedGame(""), 0);
    EXPECT_EQ(writeSavedGame(std::string(FileNameCapacity, 'n').c_str()), 0);
}

// Beside the target, as long as it, never the target itself, and another
// name on every attempt.
TEST_F(SavedGameTest, TemporaryNamesSitBesideTheTargetAndDifferFromItAndEachOther) {
    const char* names[] = {"save.bxr", "~$ve.bxr", "$~ve.bxr", "~save.bxr", "C:\\games\\a.bxr",
                           "C:a",      "dir/~",    "x",        "~",         "..\\~$",
                           "X",        "$"};
    for (const char* name : names) {
        std::set<std::string> made;
        char temporary[FileNameCapacity];
        for (int32_t attempt = 0; attempt < SavedGameTemporaryAttempts; ++attempt) {
            ASSERT_EQ(savedGameTemporaryName(name, attempt, temporary), 1)
                << name << " " << attempt;
            const std::string target = name, one = temporary;
            const size_t folder = target.find_last_of("\\/:") + 1; // 0 when there is none
            EXPECT_EQ(one.size(), target.size()) << name;
            EXPECT_EQ(one.substr(0, folder), target.substr(0, folder)) << name;
            EXPECT_NE(tolower(one[folder]), tolower(target[folder])) << name << " " << attempt;
            made.insert(one);
        }
        EXPECT_EQ(made.size(), (size_t)SavedGameTemporaryAttempts) << name;
        EXPECT_EQ(savedGameTemporaryName(name, SavedGameTemporaryAttempts, temporary), 0);
    }
    char temporary[FileNameCapacity];
    EXPECT_EQ(savedGameTemporaryName("C:\\games\\", 0, temporary), 0); // a folder
}

// Files of the player's that have the temporary names are never touched: the
// save takes the next free name, and fails only when all are taken.
TEST_F(SavedGameTest, SaveLeavesFilesWithTheTemporaryNamesAlone) {
    const Bytes other(50, 'p');
    char temporary[FileNameCapacity];
    for (int32_t taken : {1, 5, (int32_t)SavedGameTemporaryAttempts}) {
        resetFakeFiles();
        for (int32_t attempt = 0; attempt < taken; ++attempt) {
            ASSERT_EQ(savedGameTemporaryName("game.bxr", attempt, temporary), 1);
            fakeFiles.files[temporary] = other;
        }
        ASSERT_EQ(fakeFiles.files.count("~$me.bxr"), 1u);
        fakeFiles.dialogAnswer = 1;
        fakeFiles.dialogChoice = "game.bxr";
        saveGame();
        const bool room = taken < SavedGameTemporaryAttempts;
        EXPECT_EQ(fakeFiles.files.count("game.bxr"), room ? 1u : 0u) << taken;
        if (room) {
            EXPECT_EQ(fakeFiles.files["game.bxr"], encoded());
        }
        EXPECT_EQ(fakeFiles.saveFailuresShown, room ? 0 : 1) << taken;
        for (int32_t attempt = 0; attempt < taken; ++attempt) {
            savedGameTemporaryName("game.bxr", attempt, temporary);
            EXPECT_EQ(fakeFiles.files[temporary], other) << temporary;
        }
        EXPECT_EQ(fakeFiles.files.size(), (size_t)taken + (room ? 1 : 0))
            << "a temporary file was left";
    }
}

} // namespace

namespace {

// A small room drawn in rows, as the editor would hand it over: "@" wall,
// " " floor, "x" goal, "o" box, "#" box on a goal; the keeper apart.
Board drawnRoom(std::initializer_list<const char*> rows) {
    Board board;
    memset(board.cells, CellCodeWall, BoardCellCount);
    int32_t row = 0;
    for (const char* text : rows) {
        memcpy(board.cells + row * BoardColumns, text, strlen(text));
        ++row;
    }
    return board;
}

// Every refusal in order of precedence, and a playable room becomes a saved
// game that loads, with floor the keeper cannot reach walled in.
TEST(JudgeRoomTest, RefusesWhatTheGameCannotPlayAndMakesALoadableGameOfTheRest) {
    const Board good =
        drawnRoom({"@@@@@@@", "@ ox  @", "@ #   @", "@@@@@@@", "@@@ @@@", "@@@@@@@"});
    unsigned char bytes[SavedGameSize];
    EXPECT_EQ(judgeRoom(&good, -1, bytes), RoomNoKeeper);
    EXPECT_EQ(judgeRoom(&good, 22, bytes), RoomNoKeeper); // on a box
    ASSERT_EQ(judgeRoom(&good, 21, bytes), RoomPlayable);
    SavedGame saved;
    ASSERT_EQ(decodeSavedGame(bytes, SavedGameSize, &saved), SavedGameValid);
    EXPECT_EQ(saved.levelIndex, 0);
    EXPECT_EQ(saved.playerCell, 21);
    EXPECT_EQ(saved.boxesLeft, 1);
    EXPECT_EQ(saved.steps, 0);
    EXPECT_EQ(saved.board.cells[83], CellCodeWall); // the floor cut off behind walls
    EXPECT_EQ(memcmp(saved.board.cells, good.cells, 80), 0);

    struct Case {
        Board room;
        RoomCheck check;
    } cases[] = {
        {drawnRoom({"@@@@@@@", "@ o?x @", "@@@@@@@"}), RoomBadCell},
        {drawnRoom({"@@@ @@@", "@ ox  @", "@@@@@@@"}), RoomOpen},
        {drawnRoom({"@@@@@@@", "@ ox  @", "@@@@@@@", "@ o @@@", "@@@@@@@"}), RoomStrayCell},
        {drawnRoom({"@@@@@@@", "@  x  @", "@@@@@@@"}), RoomNoBoxes},
        {drawnRoom({"@@@@@@@", "@ oxx @", "@@@@@@@"}), RoomBoxesGoalsDiffer},
        {drawnRoom({"@@@@@@@", "@ #   @", "@@@@@@@"}), RoomAllBoxesHome},
    };
    for (const Case& c : cases)
        EXPECT_EQ(judgeRoom(&c.room, 21, bytes), c.check) << c.check;
}

} // namespace
