// The real game under Wine, driven and read from outside like a player and
// a screen reader would: every case starts a fresh game process, and every
// check polls with a timeout. The board on screen is compared pixel for
// pixel with the expected picture that the host renderer draws from the
// same moves. On failure the case's folder under the build keeps the
// captures, the expected pictures, a screenshot and the logs.
#include <ctype.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "expected_picture.h"
#include "game/game.h"
#include "harness.h"
#include "shell/texts.h"

namespace {

const char* const WindowTitle = "Win32 Bexaran на Ассемблере (50 уровней) v1.30";
const char* const Congratulation = "Поздравляю!";

enum : int {
    VkReturn = 13,
    VkEscape = 27,
    VkLeft = 37,
    VkUp = 38,
    VkRight = 39,
    VkDown = 40,
    MenuGrayed = 1, // MF_GRAYED in a GetMenuState answer
    CommandUndo = 10005,
};

constexpr int CheckTimeoutMs = 5000;

std::vector<std::string> splitOn(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

// A status text as the game shows it: the label, blanks up to the tenth
// character, then the number.
std::string statusText(const char* label, int value) {
    std::string text = label;
    size_t characters = 0;
    for (unsigned char c : text)
        characters += (c & 0xC0) != 0x80;
    text.append(10 - characters, ' ');
    return text + std::to_string(value);
}

std::vector<std::string> expectedStatus(int levelIndex, int boxes, int steps) {
    return {statusText("Уровень:", levelIndex + 1), statusText("Ящиков:", boxes),
            statusText("Шагов:", steps), ""};
}

std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& p : parts)
        out += "[" + p + "]";
    return out;
}

int boxesOffGoal(int levelIndex) {
    int count = 0;
    for (int i = 0; i < BoardCellCount; ++i)
        count += LevelTable[levelIndex][i] == CellCodeBox;
    return count;
}

const int Directions[4] = {DirectionLeft, DirectionRight, DirectionUp, DirectionDown};

int vkOf(int direction) {
    switch (direction) {
    case DirectionLeft:
        return VkLeft;
    case DirectionRight:
        return VkRight;
    case DirectionUp:
        return VkUp;
    default:
        return VkDown;
    }
}

int directionOfLetter(char letter) {
    switch (toupper((unsigned char)letter)) {
    case 'L':
        return DirectionLeft;
    case 'R':
        return DirectionRight;
    case 'U':
        return DirectionUp;
    case 'D':
        return DirectionDown;
    }
    return -1;
}

bool walkable(unsigned char code) {
    return code == CellCodeFloor || code == CellCodeGoal;
}
bool holdsBox(unsigned char code) {
    return code == CellCodeBox || code == CellCodeBoxOnGoal;
}

// The cell next to cell in a direction, or -1 off the board.
int nextCell(int cell, int direction) {
    const int column = cell % BoardColumns, row = cell / BoardColumns;
    switch (direction) {
    case DirectionLeft:
        return column > 0 ? cell - 1 : -1;
    case DirectionRight:
        return column < BoardColumns - 1 ? cell + 1 : -1;
    case DirectionUp:
        return row > 0 ? cell - BoardColumns : -1;
    default:
        return row < BoardRows - 1 ? cell + BoardColumns : -1;
    }
}

unsigned char modelCell(int cell) {
    return cell < 0 ? (unsigned char)CellCodeWall : game.board.cells[cell];
}

// Shortest walk over floor and goals from the model's keeper to every cell:
// the direction that last entered each one (-1 where it cannot be reached).
std::vector<int> walkFromKeeper(std::vector<int>* previous) {
    std::vector<int> entered(BoardCellCount, -1);
    previous->assign(BoardCellCount, -1);
    std::vector<int> queue = {game.playerCell};
    entered[game.playerCell] = 99;
    for (size_t i = 0; i < queue.size(); ++i)
        for (int d : Directions) {
            const int next = nextCell(queue[i], d);
            if (next < 0 || entered[next] != -1 || !walkable(modelCell(next))) continue;
            entered[next] = d;
            (*previous)[next] = queue[i];
            queue.push_back(next);
        }
    return entered;
}

std::vector<int> pathFromKeeper(int target, const std::vector<int>& entered,
                                const std::vector<int>& previous) {
    std::vector<int> path;
    for (int cell = target; cell != game.playerCell; cell = previous[cell])
        path.insert(path.begin(), entered[cell]);
    return path;
}

// A push the keeper can reach: walk path, then push in direction. With
// blocked set, the box's far side is a wall or another box instead.
bool findPush(bool blocked, std::vector<int>* path, int* direction) {
    std::vector<int> previous;
    const std::vector<int> entered = walkFromKeeper(&previous);
    for (int cell = 0; cell < BoardCellCount; ++cell) {
        if (entered[cell] == -1) continue;
        for (int d : Directions) {
            const int box = nextCell(cell, d);
            if (box < 0 || !holdsBox(modelCell(box))) continue;
            const unsigned char beyond = modelCell(nextCell(box, d));
            if (walkable(beyond) == blocked) continue;
            *path = pathFromKeeper(cell, entered, previous);
            *direction = d;
            return true;
        }
    }
    return false;
}

// How many free cells lie in a straight line from the keeper.
int freeRunOf(int cell, int direction) {
    int run = 0;
    for (int c = nextCell(cell, direction); c >= 0 && walkable(modelCell(c));
         c = nextCell(c, direction))
        ++run;
    return run;
}

int freeRun(int direction) {
    return freeRunOf(game.playerCell, direction);
}

int opposite(int direction) {
    switch (direction) {
    case DirectionLeft:
        return DirectionRight;
    case DirectionRight:
        return DirectionLeft;
    case DirectionUp:
        return DirectionDown;
    default:
        return DirectionUp;
    }
}

// A cell the keeper can walk to with at least `length` free cells in a row
// beyond it.
bool findStraightRun(int length, int* cell, int* direction) {
    std::vector<int> previous;
    const std::vector<int> entered = walkFromKeeper(&previous);
    for (int c = 0; c < BoardCellCount; ++c) {
        if (entered[c] == -1) continue;
        for (int d : Directions)
            if (freeRunOf(c, d) >= length) {
                *cell = c;
                *direction = d;
                return true;
            }
    }
    return false;
}

int levelStartCell(int levelIndex) {
    for (int i = 0; i < BoardCellCount; ++i)
        if (strchr("$^<>v", LevelTable[levelIndex][i])) return i;
    return -1;
}

void putInt(std::string* bytes, int32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes->push_back((char)(((uint32_t)value >> (8 * i)) & 0xFF));
}

// A saved game written by hand: the board, then level, keeper cell, boxes
// off goal and steps, 32-bit little-endian.
std::string savedGameBytes(const unsigned char* board, int levelIndex, int keeperCell, int boxes,
                           int steps) {
    std::string bytes((const char*)board, BoardCellCount);
    putInt(&bytes, levelIndex);
    putInt(&bytes, keeperCell);
    putInt(&bytes, boxes);
    putInt(&bytes, steps);
    return bytes;
}

// Level n's start position as a saved game.
std::string levelStartBytes(int levelIndex, int steps) {
    unsigned char board[BoardCellCount];
    memcpy(board, LevelTable[levelIndex], BoardCellCount);
    const int start = levelStartCell(levelIndex);
    board[start] = CellCodeFloor;
    return savedGameBytes(board, levelIndex, start, boxesOffGoal(levelIndex), steps);
}

std::string modelSavedBytes() {
    return savedGameBytes(game.board.cells, game.levelIndex, game.playerCell, game.boxesLeft,
                          game.steps);
}

bool writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), (std::streamsize)bytes.size());
    return (bool)out;
}

bool readBytes(const std::string& path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    *bytes = all.str();
    return true;
}

// A Windows-1251 text of the shell as UTF-8.
std::string utf8Of1251(const char* text) {
    uint16_t wide[512];
    const size_t n = widenWindows1251(text, wide, 512);
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        const uint16_t c = wide[i];
        if (c < 0x80) {
            out += (char)c;
        } else if (c < 0x800) {
            out += (char)(0xC0 | (c >> 6));
            out += (char)(0x80 | (c & 0x3F));
        } else {
            out += (char)(0xE0 | (c >> 12));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::vector<std::string> storedSolutions() {
    std::vector<std::string> lines;
    std::ifstream in(std::string(BEXARAN_E2E_SOLUTIONS));
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void makeFolder(const std::string& path) {
    mkdir(path.c_str(), 0755);
}

void removeFolder(const std::string& path) {
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            const std::string full = path + "/" + name;
            struct stat s;
            if (lstat(full.c_str(), &s) == 0 && S_ISDIR(s.st_mode))
                removeFolder(full);
            else {
                chmod(full.c_str(), 0644);
                unlink(full.c_str());
            }
        }
        closedir(dir);
    }
    rmdir(path.c_str());
}

class SheetsEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(loadSheets(shellSourceFolder(), &error)) << error;
    }
};
::testing::Environment* const sheets = ::testing::AddGlobalTestEnvironment(new SheetsEnvironment);

struct CaseStopped : std::exception {
    const char* what() const noexcept override {
        return "the case stopped after its first failure";
    }
};

struct Window {
    std::string handle;
    std::string className;
    bool enabled = false;
};

// One fresh game per case, on its own X server.
class WineGame : public ::testing::Test {
  protected:
    WineSession session;
    int captureCount = 0;

    // The screen size the case runs on; the screen check changes it.
    virtual int screenWidth() const { return 800; }
    virtual int screenHeight() const { return 600; }

    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        makeFolder(workFolder() + "/artifacts");
        session.artifacts =
            workFolder() + "/artifacts/" + info->test_suite_name() + "." + info->name();
        removeFolder(session.artifacts);
        makeFolder(session.artifacts);
        std::string error;
        ASSERT_TRUE(ensurePrefix(&error)) << error;
        ASSERT_TRUE(startXvfb(&session, screenWidth(), screenHeight(), &error)) << error;
        ASSERT_TRUE(startGame(&session, &error)) << error;
        ASSERT_TRUE(startDriver(&session, &error)) << error;
        // The model starts where the game starts.
        game = GameState();
        modelSignals = ModelSignals();
        startLevel(0);
        takeSnapshot();
    }

    void TearDown() override {
        if (HasFailure() && session.driver.input >= 0) {
            ask(&session,
                "screenshot " + windowsPath(session.artifacts + "/screen-at-failure.ppm"));
            ask(&session, "windows"); // for the transcript
        }
        stopSession(&session);
        if (!HasFailure()) removeFolder(session.artifacts);
    }

    // Waits for the main window; false if it never appeared.
    bool attachToGame(int timeoutMs = 30000) {
        const bool found = pollUntil([&] { return isOk(ask(&session, "attach")); }, timeoutMs, 100);
        if (found) ask(&session, "activate");
        return found;
    }

    static bool isOk(const std::string& answer) { return answer.rfind("ok", 0) == 0; }

    static std::string payload(const std::string& answer) {
        return answer.size() > 3 ? answer.substr(3) : std::string();
    }

    // A request that must succeed; its answer without the "ok ".
    std::string request(const std::string& line) {
        const std::string answer = ask(&session, line);
        EXPECT_TRUE(isOk(answer)) << line << " -> " << answer;
        return payload(answer);
    }

    // After the first failure a case stops at its next check, so one wrong
    // picture is reported once and does not cost a timeout at every later
    // step; GoogleTest reports the exception and still runs TearDown.
    bool pollUntil(const std::function<bool()>& done, int timeoutMs = CheckTimeoutMs,
                   int intervalMs = 40) {
        if (HasFailure()) throw CaseStopped();
        const int64_t until = monotonicMilliseconds() + timeoutMs;
        for (;;) {
            if (done()) return true;
            if (monotonicMilliseconds() > until) return false;
            sleepMilliseconds(intervalMs);
        }
    }

    std::vector<std::string> status() { return splitOn(request("status"), '\t'); }

    void expectStatus(int levelIndex, int boxes, int steps, const char* when) {
        const std::vector<std::string> wanted = expectedStatus(levelIndex, boxes, steps);
        std::vector<std::string> seen;
        const bool same = pollUntil([&] {
            seen = status();
            return seen == wanted;
        });
        EXPECT_TRUE(same) << when << ": status bar shows " << joined(seen) << ", expected "
                          << joined(wanted);
    }

    // The model's status bar must be on screen.
    void expectModelStatus(const char* when) {
        expectStatus(game.levelIndex, game.boxesLeft, game.steps, when);
    }

    int menuState(int command) { return atoi(request("menu " + std::to_string(command)).c_str()); }

    void expectUndoOffered(bool offered, const char* when) {
        int state = -1;
        const bool same = pollUntil([&] {
            state = menuState(CommandUndo);
            return ((state & MenuGrayed) == 0) == offered;
        });
        EXPECT_TRUE(same) << when << ": Undo menu state " << state << ", expected "
                          << (offered ? "enabled" : "grayed");
    }

    bool captureBoard(Picture* board) {
        const std::string file = session.artifacts + "/capture.ppm";
        return isOk(ask(&session, "capture 0 0 640 512 " + windowsPath(file))) &&
               readPpm(file, board);
    }

    // Polls until the board on screen equals expected; on failure keeps the
    // capture, the expected picture and their difference.
    void expectBoard(const Picture& expected, const std::string& when) {
        Picture seen;
        int64_t differences = -1;
        int32_t x = 0, y = 0;
        pollUntil([&] {
            if (!captureBoard(&seen)) return false;
            differences = countDifferences(seen, expected, &x, &y);
            return differences == 0;
        });
        if (differences == 0 || seen.pixels.empty()) {
            if (differences != 0 && !HasFailure())
                ADD_FAILURE() << when << ": no capture of the board";
            return;
        }
        const std::string stem = session.artifacts + "/board-" + std::to_string(++captureCount);
        writePpm(stem + "-seen.ppm", seen);
        writePpm(stem + "-expected.ppm", expected);
        writePpm(stem + "-difference.ppm", differencePicture(seen, expected));
        ADD_FAILURE() << when << ": the board differs from the expected picture in " << differences
                      << " pixels, first at (" << x << ", " << y << "), cell "
                      << (y / CellPixels * BoardColumns + x / CellPixels) << "; see " << stem
                      << "-*.ppm";
    }

    void expectModelBoard(const std::string& when) { expectBoard(boardPicture(), when); }

    void press(int vk, const std::string& modifiers = "") {
        if (HasFailure()) return;
        request("key " + std::to_string(vk) + (modifiers.empty() ? "" : " " + modifiers));
    }

    std::vector<Window> windows() {
        std::vector<Window> list;
        const std::string text = request("windows");
        if (text.empty()) return list;
        for (const std::string& entry : splitOn(text, '\t')) {
            const std::vector<std::string> f = splitOn(entry, ',');
            if (f.size() == 3) list.push_back({f[0], f[1], f[2] == "1"});
        }
        return list;
    }

    // The game's dialog box (class #32770) that holds a control with this id.
    bool findDialog(int controlId, Window* found, int timeoutMs = CheckTimeoutMs) {
        return pollUntil(
            [&] {
                for (const Window& w : windows())
                    if (w.className == "#32770" &&
                        isOk(ask(&session,
                                 "itemtext " + w.handle + " " + std::to_string(controlId)))) {
                        *found = w;
                        return true;
                    }
                return false;
            },
            timeoutMs);
    }

    bool noDialogs(int timeoutMs = CheckTimeoutMs) {
        return pollUntil([&] { return windows().empty(); }, timeoutMs);
    }

    // A move on both the game and the model; the board must come to rest
    // exactly as the model drew it before the next key is sent.
    void move(int direction, const std::string& when) {
        press(vkOf(direction));
        modelMove(direction);
        expectModelStatus(when.c_str());
        expectModelBoard(when);
    }

    // Holds an arrow key down for `repeats` key-downs `gapMs` apart, like the
    // keyboard's auto-repeat, then lets it go; waits for the board to rest and
    // returns how many moves the game made, which the model then makes too.
    int holdKey(int direction, int repeats, int gapMs) {
        const int stepsBefore = game.steps;
        for (int i = 0; i < repeats; ++i) {
            request("down " + std::to_string(vkOf(direction)));
            sleepMilliseconds(gapMs);
        }
        request("up " + std::to_string(vkOf(direction)));
        Picture previous, current;
        EXPECT_TRUE(pollUntil(
            [&] {
                const bool same = captureBoard(&current) && previous.pixels == current.pixels;
                previous = current;
                return same;
            },
            CheckTimeoutMs, 250));
        const std::vector<std::string> bar = status();
        if (bar.size() != 4) return -1;
        const int moves = atoi(bar[2].c_str() + bar[2].find_last_of(' ') + 1) - stepsBefore;
        for (int i = 0; i < moves; ++i)
            modelMove(direction);
        expectModelStatus("after holding an arrow key");
        expectModelBoard("after holding an arrow key");
        return moves;
    }

    void walk(const std::vector<int>& path, const std::string& when) {
        for (size_t i = 0; i < path.size(); ++i)
            move(path[i], when + ", step " + std::to_string(i + 1));
    }

    // Chooses a menu item with the mouse on the menu bar, then the keyboard
    // in the popup: bar entry `bar`, then `downs` presses of the down arrow.
    void chooseMenu(int bar, int downs) {
        const std::vector<std::string> at = splitOn(request("menupos " + std::to_string(bar)), ' ');
        ASSERT_EQ(at.size(), 2u);
        if (downs == 0) {
            request("click " + at[0] + " " + at[1]); // a command right on the menu bar
            return;
        }
        // Under Wine a click on the menu bar now and then opens no popup (seen
        // right after an item was chosen with the keyboard); a popup that has
        // not opened within a second and a half gets another click.
        bool opened = false;
        for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
            request("click " + at[0] + " " + at[1]);
            opened = pollUntil(
                [&] {
                    for (const Window& w : windows())
                        if (w.className == "#32768") return true;
                    return false;
                },
                1500);
        }
        ASSERT_TRUE(opened) << "the popup of menu-bar entry " << bar << " did not open";
        for (int i = 0; i < downs; ++i)
            press(VkDown);
        press(VkReturn);
    }

    // Opens the save (Ctrl+S) or open (Ctrl+L) dialog by its accelerator.
    Window openFileDialog(char letter) {
        press(letter, "ctrl");
        Window dialog;
        EXPECT_TRUE(findDialog(1148, &dialog)) << "no file dialog after Ctrl+" << letter;
        return dialog;
    }

    // Types a name into the file dialog and presses its OK button; waits
    // until the dialog has gone.
    void answerFileDialog(const Window& dialog, const std::string& unixPath) {
        request("settext " + dialog.handle + " 1148 " + windowsPath(unixPath));
        request("command " + dialog.handle + " 1");
        EXPECT_TRUE(pollUntil([&] {
            return !isOk(ask(&session, "itemtext " + dialog.handle + " 1148"));
        })) << "the file dialog did not close";
    }

    // Loads a file through the open dialog in the game and in the model.
    void load(const std::string& unixPath, const std::string& when) {
        const Window dialog = openFileDialog('L');
        answerFileDialog(dialog, unixPath);
        setModelDialogAnswer(unixPath);
        loadGame();
        setModelDialogAnswer("");
        if (modelSignals.loadRefusals == 0) {
            expectModelStatus(when.c_str());
            expectModelBoard(when);
        }
    }

    // A message box of the game: its caption and text.
    bool readMessageBox(Window* box, std::string* caption, std::string* text) {
        if (!findDialog(65535, box)) return false;
        const std::vector<std::string> parts = splitOn(request("texts " + box->handle), '\t');
        *caption = parts.empty() ? "" : parts[0];
        text->clear();
        for (size_t i = 1; i < parts.size(); ++i)
            if (parts[i].rfind("65535=", 0) == 0) *text = parts[i].substr(6);
        return true;
    }

    // Loading a refused file: the message is shown, and after it is closed
    // the game is exactly as before.
    void expectLoadRefused(const std::string& unixPath, SavedGameCheck check,
                           const std::string& when) {
        const Picture before = boardPicture();
        const int refusalsBefore = modelSignals.loadRefusals;
        const Window dialog = openFileDialog('L');
        answerFileDialog(dialog, unixPath);
        setModelDialogAnswer(unixPath);
        loadGame();
        setModelDialogAnswer("");
        EXPECT_EQ(modelSignals.loadRefusals, refusalsBefore + 1)
            << when << ": the model took the file";
        Window box;
        std::string caption, text;
        ASSERT_TRUE(readMessageBox(&box, &caption, &text)) << when << ": no message box";
        EXPECT_EQ(caption, utf8Of1251(loadCaption)) << when;
        EXPECT_EQ(text, utf8Of1251(loadRefusedText(check))) << when;
        press(VkReturn);
        EXPECT_TRUE(noDialogs()) << when << ": the message box did not close";
        expectModelStatus(when.c_str());
        expectBoard(before, when);
    }
};

// ---- start ---------------------------------------------------------------------

TEST_F(WineGame, StartShowsTheFirstLevel) {
    ASSERT_TRUE(attachToGame()) << "no window of class Win32Bexa appeared";
    EXPECT_EQ(request("title"), WindowTitle);

    // Window rect, client size, status bar rect in client coordinates, its class.
    const std::vector<std::string> g = splitOn(request("geometry"), ' ');
    ASSERT_EQ(g.size(), 11u);
    const int clientWidth = atoi(g[4].c_str()), clientHeight = atoi(g[5].c_str());
    const int barLeft = atoi(g[6].c_str()), barTop = atoi(g[7].c_str());
    const int barRight = atoi(g[8].c_str()), barBottom = atoi(g[9].c_str());
    EXPECT_EQ(g[10], "msctls_statusbar32");
    EXPECT_GT(barBottom - barTop, 0);
    EXPECT_EQ(clientWidth, 640);
    EXPECT_EQ(clientHeight, 512 + (barBottom - barTop))
        << "client height is not board + status bar";
    EXPECT_EQ(barLeft, 0);
    EXPECT_EQ(barRight, 640) << "status bar does not span the client width";
    EXPECT_EQ(barTop, 512);
    EXPECT_EQ(barBottom, clientHeight) << "status bar is not along the bottom";

    expectStatus(0, boxesOffGoal(0), 0, "after start");
    expectUndoOffered(false, "after start");
    const Picture start = levelStartPicture(0);
    EXPECT_EQ(countDifferences(start, boardPicture(), nullptr, nullptr), 0)
        << "the game core draws level 1 differently from the level table";
    expectBoard(start, "level 1 at start");

    // Ctrl+Z on a grayed Undo is no command: an undo would redraw the
    // keeper facing left (frame 0) instead of up.
    press('Z', "ctrl");
    sleepMilliseconds(300);
    expectStatus(0, boxesOffGoal(0), 0, "after Ctrl+Z at start");
    expectBoard(start, "after Ctrl+Z at start");
    expectUndoOffered(false, "after Ctrl+Z at start");
}

// ---- moves ---------------------------------------------------------------------

TEST_F(WineGame, MovesWalkPushAndHeldKeys) {
    ASSERT_TRUE(attachToGame());
    expectBoard(levelStartPicture(0), "level 1 at start");

    // A walk: the steps count rises at the key press, before the slide ends.
    int walkDirection = -1;
    for (int d : Directions)
        if (walkDirection < 0 && freeRun(d) > 0) walkDirection = d;
    ASSERT_GE(walkDirection, 0) << "the keeper cannot walk anywhere in level 1";
    int seenMidSlide = 0;
    for (int attempt = 0; attempt < 3 && seenMidSlide == 0 && freeRun(walkDirection) > 0;
         ++attempt) {
        press(vkOf(walkDirection));
        modelMove(walkDirection);
        const std::vector<std::string> wanted =
            expectedStatus(game.levelIndex, game.boxesLeft, game.steps);
        ASSERT_TRUE(pollUntil([&] { return status() == wanted; }, CheckTimeoutMs, 5));
        Picture early;
        if (captureBoard(&early) && countDifferences(early, boardPicture(), nullptr, nullptr) != 0)
            ++seenMidSlide;
        expectModelBoard("after walk " + std::to_string(attempt + 1));
    }
    EXPECT_GT(seenMidSlide, 0) << "the steps count never rose before the slide had ended";
    expectUndoOffered(true, "after the first move");

    // A push; the keeper then shows the pushing frame of that direction.
    std::vector<int> path;
    int pushDirection = -1;
    ASSERT_TRUE(findPush(false, &path, &pushDirection)) << "no push possible in level 1";
    walk(path, "walking to a box");
    move(pushDirection, "the push");
    EXPECT_EQ(game.pushing, 1);
    const Point keeper = cellToPixel(game.playerCell);
    Picture seen;
    ASSERT_TRUE(captureBoard(&seen));
    EXPECT_EQ(countDifferences(cutSquare(seen, keeper.x, keeper.y),
                               keeperOnCell(pushDirection, 1, game.board.cells[game.playerCell]),
                               nullptr, nullptr),
              0)
        << "the keeper is not in the pushing row after a push";

    // Ctrl with an arrow is no accelerator: it moves like the arrow alone.
    press(vkOf(opposite(pushDirection)), "ctrl");
    modelMove(opposite(pushDirection));
    expectModelStatus("after Ctrl+arrow");
    expectModelBoard("after Ctrl+arrow");

    // A blocked push: nothing changes, not even the steps count.
    if (findPush(true, &path, &pushDirection)) {
        walk(path, "walking to a blocked box");
        const int stepsBefore = game.steps;
        press(vkOf(pushDirection));
        modelMove(pushDirection);
        EXPECT_EQ(game.steps, stepsBefore);
        sleepMilliseconds(300);
        expectModelStatus("after a blocked push");
        expectModelBoard("after a blocked push");
    }

    // A held arrow key: the first key-down moves, the repeats that arrive
    // during the slide are dropped, and the first one after it moves again.
    // It needs two free cells in a row; a level that has them at its start is
    // loaded if the present position has none.
    int cell = -1, heldDirection = -1;
    if (!findStraightRun(2, &cell, &heldDirection)) {
        for (int n = 0; n < LevelCount && heldDirection < 0; ++n) {
            game.levelIndex = n;
            startLevel(n);
            if (!findStraightRun(2, &cell, &heldDirection)) continue;
            const std::string file = session.artifacts + "/corridor.bxr";
            ASSERT_TRUE(writeBytes(file, levelStartBytes(n, 0)));
            load(file, "loading a level with a corridor");
        }
    }
    ASSERT_GE(heldDirection, 0) << "no two free cells in a row in any level";
    std::vector<int> previousCell;
    const std::vector<int> entered = walkFromKeeper(&previousCell);
    walk(pathFromKeeper(cell, entered, previousCell), "walking to a corridor");
    EXPECT_EQ(holdKey(heldDirection, 6, 15), 1) << "repeats during a slide were not dropped";
    const int back = opposite(heldDirection);
    move(back, "stepping back");
    const int moves = holdKey(heldDirection, 20, 25);
    EXPECT_GE(moves, 2) << "a repeat after the slide did not start the next move";
    EXPECT_LE(moves, freeRunOf(cell, heldDirection));
}

// ---- commands by menu and by accelerator -----------------------------------------

TEST_F(WineGame, UndoRestartAndNewGameByMenuAndAccelerator) {
    ASSERT_TRUE(attachToGame());
    expectUndoOffered(false, "at start");
    std::vector<int> path;
    int pushDirection = -1;
    ASSERT_TRUE(findPush(false, &path, &pushDirection));
    walk(path, "walking to a box");
    expectUndoOffered(true, "after the first move");
    move(pushDirection, "the push");

    press('Z', "ctrl");
    undoMove();
    expectModelStatus("undo by Ctrl+Z");
    expectModelBoard("undo by Ctrl+Z");
    chooseMenu(1, 1);
    undoMove();
    expectModelStatus("undo again by the menu");
    expectModelBoard("undo again by the menu");
    expectUndoOffered(true, "after two undos");

    // Restart by the menu, then by Ctrl+R.
    move(pushDirection, "the push again");
    chooseMenu(1, 2);
    restartLevel();
    expectModelStatus("restart by the menu");
    expectBoard(levelStartPicture(0), "restart by the menu");
    expectUndoOffered(false, "after restart by the menu");
    walk(path, "walking again");
    press('R', "ctrl");
    restartLevel();
    expectModelStatus("restart by Ctrl+R");
    expectBoard(levelStartPicture(0), "restart by Ctrl+R");
    expectUndoOffered(false, "after restart by Ctrl+R");

    // New game from another level, by the menu and by Ctrl+N.
    const std::string third = session.artifacts + "/level3.bxr";
    ASSERT_TRUE(writeBytes(third, levelStartBytes(2, 0)));
    load(third, "loading level 3");
    expectStatus(2, boxesOffGoal(2), 0, "after loading level 3");
    press('R', "ctrl");
    restartLevel();
    expectStatus(2, boxesOffGoal(2), 0, "restart in the loaded level 3");
    expectBoard(levelStartPicture(2), "restart in the loaded level 3");
    chooseMenu(0, 1);
    newGame();
    expectStatus(0, boxesOffGoal(0), 0, "new game by the menu");
    expectBoard(levelStartPicture(0), "new game by the menu");
    expectUndoOffered(false, "after new game by the menu");
    load(third, "loading level 3 again");
    walk(std::vector<int>(1, Directions[0]), "a move in level 3");
    press('N', "ctrl");
    newGame();
    expectStatus(0, boxesOffGoal(0), 0, "new game by Ctrl+N");
    expectBoard(levelStartPicture(0), "new game by Ctrl+N");
    expectUndoOffered(false, "after new game by Ctrl+N");
}

// A command that replaces the position while a move is still sliding: the
// slide must neither go on over the new position nor leave pixels behind.
TEST_F(WineGame, CommandsDuringASlideLeaveNoTrace) {
    ASSERT_TRUE(attachToGame());
    std::vector<int> path;
    int pushDirection = -1;
    ASSERT_TRUE(findPush(false, &path, &pushDirection));
    walk(path, "walking to a box");

    struct Case {
        char letter;
        void (*command)();
        const char* name;
    };
    const Case cases[] = {
        {'Z', undoMove, "undo"}, {'R', restartLevel, "restart"}, {'N', newGame, "new game"}};
    for (const Case& c : cases) {
        const std::string when = std::string(c.name) + " during a push";
        // Both keys go out back to back, well within the 160 ms of the slide.
        press(vkOf(pushDirection));
        press(c.letter, "ctrl");
        requestMove(pushDirection);
        c.command();
        for (int tick = 0; tick < 4; ++tick)
            advanceSlide();
        expectModelStatus(when.c_str());
        expectModelBoard(when);
        sleepMilliseconds(300); // ticks after the command must change nothing
        expectModelBoard(when + ", 300 ms later");
        if (c.letter != 'Z') walk(path, "walking to the box again");
    }
}

// ---- solving ---------------------------------------------------------------------

TEST_F(WineGame, SolvingLevelsCongratulatesAndAdvances) {
    const std::vector<std::string> solutions = storedSolutions();
    ASSERT_EQ(solutions.size(), (size_t)LevelCount) << "the stored solutions are missing";
    ASSERT_TRUE(attachToGame());

    // Level 1 by its stored solution, every move checked on the board.
    const std::string& first = solutions[0];
    for (char letter : first)
        ASSERT_GE(directionOfLetter(letter), 0) << "not a move: " << letter;
    for (size_t i = 0; i + 1 < first.size(); ++i) {
        const int d = directionOfLetter(first[i]);
        press(vkOf(d));
        modelMove(d);
        expectModelBoard("level 1, move " + std::to_string(i + 1));
    }
    press(vkOf(directionOfLetter(first.back())));
    Window box;
    std::string caption, text;
    ASSERT_TRUE(readMessageBox(&box, &caption, &text)) << "no congratulation after solving level 1";
    EXPECT_EQ(caption, Congratulation);
    EXPECT_EQ(text, Congratulation);
    sleepMilliseconds(300);
    EXPECT_EQ(windows().size(), 1u) << "more than one box after solving";
    press(VkReturn);
    ASSERT_TRUE(noDialogs()) << "the congratulation box did not close";
    modelMove(directionOfLetter(first.back()));
    EXPECT_EQ(modelSignals.congratulations, 1);
    EXPECT_EQ(game.levelIndex, 1);
    expectStatus(1, boxesOffGoal(1), 0, "level 2 after solving level 1");
    expectBoard(levelStartPicture(1), "level 2 after solving level 1");
    expectUndoOffered(false, "at the start of level 2");
    sleepMilliseconds(300);
    EXPECT_TRUE(windows().empty()) << "a second congratulation appeared";

    // Level 50, one move before the end, from a saved game made by replaying
    // its stored solution on the model; solving it goes on to level 1.
    const std::string& last = solutions[LevelCount - 1];
    for (char letter : last)
        ASSERT_GE(directionOfLetter(letter), 0) << "not a move: " << letter;
    game = GameState();
    game.levelIndex = LevelCount - 1;
    startLevel(LevelCount - 1);
    for (size_t i = 0; i + 1 < last.size(); ++i)
        modelMove(directionOfLetter(last[i]));
    ASSERT_EQ(game.levelIndex, LevelCount - 1);
    const std::string nearlySolved = session.artifacts + "/level50.bxr";
    ASSERT_TRUE(writeBytes(nearlySolved, modelSavedBytes()));
    game = GameState();
    modelSignals = ModelSignals();
    game.levelIndex = 1;
    startLevel(1);
    load(nearlySolved, "loading level 50 one move before the end");
    expectStatus(LevelCount - 1, game.boxesLeft, (int)last.size() - 1, "level 50 loaded");
    press(vkOf(directionOfLetter(last.back())));
    ASSERT_TRUE(readMessageBox(&box, &caption, &text))
        << "no congratulation after solving level 50";
    EXPECT_EQ(text, Congratulation);
    press(VkReturn);
    ASSERT_TRUE(noDialogs());
    modelMove(directionOfLetter(last.back()));
    EXPECT_EQ(game.levelIndex, 0);
    expectStatus(0, boxesOffGoal(0), 0, "level 1 after solving level 50");
    expectBoard(levelStartPicture(0), "level 1 after solving level 50");
}

// ---- saving and loading -----------------------------------------------------------

TEST_F(WineGame, SaveAndLoadThroughTheDialogs) {
    ASSERT_TRUE(attachToGame());
    std::vector<int> path;
    int pushDirection = -1;
    ASSERT_TRUE(findPush(false, &path, &pushDirection));
    walk(path, "walking to a box");
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
    std::vector<int> previous;
    const std::vector<int> entered = walkFromKeeper(&previous);
    int step = -1;
    for (int d : Directions)
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

// ---- about ---------------------------------------------------------------------

TEST_F(WineGame, AboutDialogLeavesTheGameAlone) {
    ASSERT_TRUE(attachToGame());
    int step = -1;
    for (int d : Directions)
        if (step < 0 && freeRun(d) > 0) step = d;
    ASSERT_GE(step, 0);
    // About opens while the move is still sliding: the dialog's modal loop
    // keeps the timer ticks coming, so the slide ends under it.
    const int from = game.playerCell;
    press(vkOf(step));
    chooseMenu(2, 0);
    modelMove(step);
    Window about;
    ASSERT_TRUE(findDialog(1001, &about)) << "About did not open from the menu bar";
    const Picture expected = boardPicture();
    const Point a = cellToPixel(from), b = cellToPixel(game.playerCell);
    Picture seen;
    EXPECT_TRUE(pollUntil([&] {
        return captureBoard(&seen) &&
               countDifferences(cutSquare(seen, a.x, a.y), cutSquare(expected, a.x, a.y), 0, 0) ==
                   0 &&
               countDifferences(cutSquare(seen, b.x, b.y), cutSquare(expected, b.x, b.y), 0, 0) ==
                   0;
    })) << "the slide did not end while About was open";
    const std::vector<std::string> texts = splitOn(request("texts " + about.handle), '\t');
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], "О программе");
    EXPECT_EQ(request("itemtext " + about.handle + " 1001"), "Пока!");

    press(VkEscape);
    sleepMilliseconds(400);
    EXPECT_TRUE(isOk(ask(&session, "itemtext " + about.handle + " 1001"))) << "Esc closed About";

    request("clickitem " + about.handle + " 1001");
    EXPECT_TRUE(noDialogs()) << "\"Пока!\" did not close About";
    expectModelStatus("after About");
    expectModelBoard("after About");
    expectUndoOffered(true, "after About");
    // The timer still runs the slides: back to where the keeper came from.
    move(opposite(step), "a move after About");
}

// ---- ending --------------------------------------------------------------------

TEST_F(WineGame, ExitByTheMenuEndsWithCodeZero) {
    ASSERT_TRUE(attachToGame());
    chooseMenu(0, 4);
    ASSERT_TRUE(waitForGameExit(&session, 15000)) << "the game did not end after Exit";
    EXPECT_EQ(session.game.exitCode, 0);
}

TEST_F(WineGame, CloseBoxEndsWithCodeZero) {
    ASSERT_TRUE(attachToGame());
    request("closebox");
    ASSERT_TRUE(waitForGameExit(&session, 15000)) << "the game did not end after the close box";
    EXPECT_EQ(session.game.exitCode, 0);
}

// ---- soak ------------------------------------------------------------------------

int environmentNumber(const char* name, int fallback) {
    const char* value = getenv(name);
    return value && *value ? atoi(value) : fallback;
}

TEST_F(WineGame, SoakOfRandomKeysAndCommands) {
    const int seconds = environmentNumber("BEXARAN_SOAK_SECONDS", 60);
    const unsigned seed = (unsigned)environmentNumber("BEXARAN_SOAK_SEED", 20261208);
    RecordProperty("seed", (int)seed);
    ASSERT_TRUE(attachToGame());

    // Warm-up: the common dialogs keep objects cached after their first use,
    // and the first keys, commands and probe queries make a few of Wine's own.
    Window dialog = openFileDialog('S');
    press(VkEscape);
    ASSERT_TRUE(noDialogs()) << "the save dialog did not close on Esc";
    dialog = openFileDialog('L');
    press(VkEscape);
    ASSERT_TRUE(noDialogs()) << "the open dialog did not close on Esc";

    std::mt19937 random(seed);
    const int64_t start = monotonicMilliseconds();
    const int64_t warmUntil = start + std::max(5000LL, seconds * 100LL);
    const int64_t until = start + seconds * 1000LL;
    int actions = 0, baseline = -1, highest = -1;
    std::string samples;
    while (monotonicMilliseconds() < until && !HasFailure()) {
        const int pick = (int)(random() % 100);
        if (pick < 84)
            press(vkOf(Directions[random() % 4]));
        else if (pick < 92)
            press('Z', "ctrl");
        else if (pick < 97)
            press('R', "ctrl");
        else
            press('N', "ctrl");
        sleepMilliseconds((int)(random() % 90));
        if (++actions % 25 == 0) {
            ASSERT_TRUE(gameRunning(&session)) << "the game ended after " << actions << " actions";
            ASSERT_TRUE(isOk(ask(&session, "alive")))
                << "no answer after " << actions << " actions";
            // A level solved by chance: close the congratulation.
            if (!windows().empty()) {
                press(VkReturn);
                ASSERT_TRUE(noDialogs());
            }
            const int objects = atoi(request("gdi").c_str());
            samples += " " + std::to_string(objects);
            if (monotonicMilliseconds() < warmUntil) continue;
            if (baseline < 0) baseline = highest = objects;
            highest = std::max(highest, objects);
        }
    }
    ASSERT_GT(baseline, 0) << "no GDI count after the warm-up";

    // Input has stopped: wait for the board to come to rest.
    Picture previous, final;
    ASSERT_TRUE(pollUntil(
        [&] {
            const bool same = captureBoard(&final) && previous.pixels == final.pixels;
            previous = final;
            return same;
        },
        CheckTimeoutMs, 300));
    const std::vector<std::string> shown = status();

    // The game's own saved game says what position it is in.
    const std::string saved = session.artifacts + "/soak.bxr";
    dialog = openFileDialog('S');
    answerFileDialog(dialog, saved);
    std::string bytes;
    ASSERT_TRUE(
        pollUntil([&] { return readBytes(saved, &bytes) && bytes.size() == SavedGameSize; }));
    game = GameState();
    setModelDialogAnswer(saved);
    loadGame();
    setModelDialogAnswer("");
    ASSERT_EQ(modelSignals.loadRefusals, 0) << "the game saved a position it would refuse";
    EXPECT_EQ(shown, expectedStatus(game.levelIndex, game.boxesLeft, game.steps))
        << "the status bar does not show the saved position";

    // The board equals the host rendering of that position; the keeper's
    // square shows one of his frames, whichever the last move left.
    Picture expected = boardPicture();
    const Point keeper = cellToPixel(game.playerCell);
    const Picture keeperSeen = cutSquare(final, keeper.x, keeper.y);
    bool keeperFound = false;
    for (int row = 0; row < 2 && !keeperFound; ++row)
        for (int frame = 0; frame < 12 && !keeperFound; ++frame)
            keeperFound =
                countDifferences(keeperSeen,
                                 keeperOnCell(frame, row, game.board.cells[game.playerCell]),
                                 nullptr, nullptr) == 0;
    EXPECT_TRUE(keeperFound) << "the keeper's square shows no keeper frame";
    for (int y = 0; y < CellPixels; ++y)
        for (int x = 0; x < CellPixels; ++x)
            expected.pixels[(size_t)(keeper.y + y) * BoardPixelWidth + keeper.x + x] =
                final.pixels[(size_t)(keeper.y + y) * BoardPixelWidth + keeper.x + x];
    int32_t x = 0, y = 0;
    const int64_t differences = countDifferences(final, expected, &x, &y);
    if (differences != 0) {
        writePpm(session.artifacts + "/soak-seen.ppm", final);
        writePpm(session.artifacts + "/soak-expected.ppm", expected);
        writePpm(session.artifacts + "/soak-difference.ppm", differencePicture(final, expected));
    }
    EXPECT_EQ(differences, 0) << "after " << actions << " actions (seed " << seed
                              << ") the board differs from the host rendering, first at (" << x
                              << ", " << y << ")";

    // Taken after the save dialog, which caches objects of its own: reported only.
    const int objects = atoi(request("gdi").c_str());
    EXPECT_LE(highest - baseline, 2) << "GDI objects grew from " << baseline << " to " << highest
                                     << " over " << actions << " actions; every 25:" << samples;
    printf("soak: %d actions in %d s, seed %u, GDI objects %d after warm-up, at most %d, %d at the "
           "end\n",
           actions, seconds, seed, baseline, highest, objects);
    printf("soak: GDI objects every 25 actions:%s\n", samples.c_str());
}

// ---- screen check ------------------------------------------------------------------

class ScreenCheck : public WineGame {
  protected:
    // A small screen: a message instead of the main window, exit code IDOK.
    void expectRefused() {
        std::string box;
        ASSERT_TRUE(pollUntil(
            [&] {
                box = payload(ask(&session, "boxes"));
                return !box.empty();
            },
            30000))
            << "no message on a small screen";
        const std::string handle = box.substr(0, box.find(','));
        const std::vector<std::string> texts = splitOn(request("texts " + handle), '\t');
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts[0], "Can't continue!");
        bool found = false;
        for (const std::string& t : texts)
            found |= t == "65535=Require at least 800x600 screen resolution";
        EXPECT_TRUE(found) << "the message text is wrong";
        EXPECT_FALSE(isOk(ask(&session, "attach"))) << "a main window exists on a small screen";
        request("clickitem " + handle + " 1"); // its OK button
        ASSERT_TRUE(waitForGameExit(&session, 15000)) << "the game did not end after the message";
        EXPECT_EQ(session.game.exitCode, 1) << "exit code is not the box's result (IDOK)";
    }
};

class NarrowScreen : public ScreenCheck {
    int screenWidth() const override { return 799; }
};
class LowScreen : public ScreenCheck {
    int screenHeight() const override { return 599; }
};
class SmallestScreen : public ScreenCheck {}; // exactly 800 by 600

TEST_F(NarrowScreen, IsRefused) {
    expectRefused();
}
TEST_F(LowScreen, IsRefused) {
    expectRefused();
}
TEST_F(SmallestScreen, IsAccepted) {
    ASSERT_TRUE(attachToGame()) << "800 by 600 was refused";
    EXPECT_EQ(payload(ask(&session, "boxes")), "");
}

} // namespace
