// The real game under Wine, driven and read from outside like a player and
// a screen reader would: every case starts a fresh game process, and every
// check polls with a timeout. The board on screen is compared pixel for
// pixel with the expected picture that the host renderer draws from the
// same moves. On failure the case's folder under the build keeps the
// captures, the expected pictures, a screenshot and the logs.
#include <dirent.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "expected_picture.h"
#include "game/game.h"
#include "harness.h"

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
    for (unsigned char c : text) characters += (c & 0xC0) != 0x80;
    text.append(10 - characters, ' ');
    return text + std::to_string(value);
}

std::vector<std::string> expectedStatus(int levelIndex, int boxes, int steps) {
    return {statusText("Уровень:", levelIndex + 1), statusText("Ящиков:", boxes),
            statusText("Шагов:", steps), ""};
}

std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& p : parts) out += "[" + p + "]";
    return out;
}

int boxesOffGoal(int levelIndex) {
    int count = 0;
    for (int i = 0; i < BoardCellCount; ++i) count += LevelTable[levelIndex][i] == CellCodeBox;
    return count;
}

void makeFolder(const std::string& path) { mkdir(path.c_str(), 0755); }

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
        session.artifacts = workFolder() + "/artifacts/" + info->test_suite_name() + "." + info->name();
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
            ask(&session, "screenshot " + windowsPath(session.artifacts + "/screen-at-failure.ppm"));
            ask(&session, "windows");
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

    bool pollUntil(const std::function<bool()>& done, int timeoutMs = CheckTimeoutMs,
                   int intervalMs = 40) {
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
        if (differences == 0) return;
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
        return pollUntil([&] {
            for (const Window& w : windows())
                if (w.className == "#32770" &&
                    isOk(ask(&session, "itemtext " + w.handle + " " + std::to_string(controlId)))) {
                    *found = w;
                    return true;
                }
            return false;
        }, timeoutMs);
    }

    bool noDialogs(int timeoutMs = CheckTimeoutMs) {
        return pollUntil([&] { return windows().empty(); }, timeoutMs);
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
    EXPECT_EQ(clientHeight, 512 + (barBottom - barTop)) << "client height is not board + status bar";
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

} // namespace
