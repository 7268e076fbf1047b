// The fixture's requests, checks and dialogs, and the texts and files the
// cases share.
#include "wine_game.h"

#include <ctype.h>
#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <exception>
#include <fstream>
#include <sstream>

#include "shell/texts.h"

namespace e2e {

namespace {

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

std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& p : parts)
        out += "[" + p + "]";
    return out;
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

} // namespace

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
    return letterDirection((char)toupper((unsigned char)letter));
}

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

std::vector<std::string> expectedStatus(int levelIndex, int boxes, int steps) {
    return {statusText("Уровень:", levelIndex + 1), statusText("Ящиков:", boxes),
            statusText("Шагов:", steps), ""};
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

void WineGame::SetUp() {
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

void WineGame::TearDown() {
    if (HasFailure() && session.driver.input >= 0) {
        ask(&session, "screenshot " + windowsPath(session.artifacts + "/screen-at-failure.ppm"));
        ask(&session, "windows"); // for the transcript
    }
    stopSession(&session);
    if (!HasFailure()) removeFolder(session.artifacts);
}

bool WineGame::attachToGame(int timeoutMs) {
    const bool found = pollUntil([&] { return isOk(ask(&session, "attach")); }, timeoutMs, 100);
    if (found) ask(&session, "activate");
    return found;
}

std::string WineGame::payload(const std::string& answer) {
    return answer.size() > 3 ? answer.substr(3) : std::string();
}

std::string WineGame::request(const std::string& line) {
    const std::string answer = ask(&session, line);
    EXPECT_TRUE(isOk(answer)) << line << " -> " << answer;
    return payload(answer);
}

bool WineGame::pollUntil(const std::function<bool()>& done, int timeoutMs, int intervalMs) {
    if (HasFailure()) throw CaseStopped();
    const int64_t until = monotonicMilliseconds() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (monotonicMilliseconds() > until) return false;
        sleepMilliseconds(intervalMs);
    }
}

void WineGame::expectStatus(int levelIndex, int boxes, int steps, const char* when) {
    const std::vector<std::string> wanted = expectedStatus(levelIndex, boxes, steps);
    std::vector<std::string> seen;
    const bool same = pollUntil([&] {
        seen = status();
        return seen == wanted;
    });
    EXPECT_TRUE(same) << when << ": status bar shows " << joined(seen) << ", expected "
                      << joined(wanted);
}

void WineGame::expectModelStatus(const char* when) {
    expectStatus(game.levelIndex, game.boxesLeft, game.steps, when);
}

void WineGame::expectUndoOffered(bool offered, const char* when) {
    int state = -1;
    const bool same = pollUntil([&] {
        state = menuState(CommandUndo);
        return ((state & MenuGrayed) == 0) == offered;
    });
    EXPECT_TRUE(same) << when << ": Undo menu state " << state << ", expected "
                      << (offered ? "enabled" : "grayed");
}

bool WineGame::captureBoard(Picture* board) {
    const std::string file = session.artifacts + "/capture.ppm";
    return isOk(ask(&session, "capture 0 0 640 512 " + windowsPath(file))) && readPpm(file, board);
}

void WineGame::expectBoard(const Picture& expected, const std::string& when) {
    Picture seen;
    int64_t differences = -1;
    int32_t x = 0, y = 0;
    pollUntil([&] {
        if (!captureBoard(&seen)) return false;
        differences = countDifferences(seen, expected, &x, &y);
        return differences == 0;
    });
    if (differences == 0 || seen.pixels.empty()) {
        if (differences != 0 && !HasFailure()) ADD_FAILURE() << when << ": no capture of the board";
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

void WineGame::press(int vk, const std::string& modifiers) {
    if (HasFailure()) return;
    request("key " + std::to_string(vk) + (modifiers.empty() ? "" : " " + modifiers));
}

std::vector<Window> WineGame::windows() {
    std::vector<Window> list;
    const std::string text = request("windows");
    if (text.empty()) return list;
    for (const std::string& entry : splitOn(text, '\t')) {
        const std::vector<std::string> f = splitOn(entry, ',');
        if (f.size() == 3) list.push_back({f[0], f[1], f[2] == "1"});
    }
    return list;
}

bool WineGame::findDialog(int controlId, Window* found, int timeoutMs) {
    return pollUntil(
        [&] {
            for (const Window& w : windows())
                if (w.className == "#32770" &&
                    isOk(ask(&session, "itemtext " + w.handle + " " + std::to_string(controlId)))) {
                    *found = w;
                    return true;
                }
            return false;
        },
        timeoutMs);
}

bool WineGame::noDialogs(int timeoutMs) {
    return pollUntil([&] { return windows().empty(); }, timeoutMs);
}

void WineGame::move(int direction, const std::string& when) {
    press(vkOf(direction));
    modelMove(direction);
    expectModelStatus(when.c_str());
    expectModelBoard(when);
}

int WineGame::holdKey(int direction, int repeats, int gapMs) {
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

void WineGame::walk(const std::vector<int>& path, const std::string& when) {
    for (size_t i = 0; i < path.size(); ++i)
        move(path[i], when + ", step " + std::to_string(i + 1));
}

bool WineGame::walkToABox(int* direction) {
    std::vector<int> path;
    if (!findPush(false, &path, direction)) return false;
    walk(path, "walking to a box");
    return true;
}

void WineGame::chooseMenu(int bar, int downs) {
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

Window WineGame::openFileDialog(char letter) {
    press(letter, "ctrl");
    Window dialog;
    EXPECT_TRUE(findDialog(1148, &dialog)) << "no file dialog after Ctrl+" << letter;
    return dialog;
}

void WineGame::answerFileDialog(const Window& dialog, const std::string& unixPath) {
    request("settext " + dialog.handle + " 1148 " + windowsPath(unixPath));
    request("command " + dialog.handle + " 1");
    EXPECT_TRUE(pollUntil([&] {
        return !isOk(ask(&session, "itemtext " + dialog.handle + " 1148"));
    })) << "the file dialog did not close";
}

void WineGame::load(const std::string& unixPath, const std::string& when) {
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

bool WineGame::readMessageBox(Window* box, std::string* caption, std::string* text) {
    if (!findDialog(65535, box)) return false;
    const std::vector<std::string> parts = splitOn(request("texts " + box->handle), '\t');
    *caption = parts.empty() ? "" : parts[0];
    text->clear();
    for (size_t i = 1; i < parts.size(); ++i)
        if (parts[i].rfind("65535=", 0) == 0) *text = parts[i].substr(6);
    return true;
}

void WineGame::expectLoadRefused(const std::string& unixPath, SavedGameCheck check,
                                 const std::string& when) {
    const Picture before = boardPicture();
    const int refusalsBefore = modelSignals.loadRefusals;
    const Window dialog = openFileDialog('L');
    answerFileDialog(dialog, unixPath);
    setModelDialogAnswer(unixPath);
    loadGame();
    setModelDialogAnswer("");
    EXPECT_EQ(modelSignals.loadRefusals, refusalsBefore + 1) << when << ": the model took the file";
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
} // namespace e2e
