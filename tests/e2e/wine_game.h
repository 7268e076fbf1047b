// The end-to-end cases' common ground: the real game under Wine, driven and
// read from outside like a player and a screen reader would. Every case
// starts a fresh game process, and every check polls with a timeout. The
// board on screen is compared pixel for pixel with the expected picture that
// the host renderer draws from the same moves. On failure the case's folder
// under the build keeps the captures, the expected pictures, a screenshot and
// the logs.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "board_model.h"
#include "board_picture.h"
#include "game/game.h"
#include "game/rules.h"
#include "harness.h"

namespace e2e {

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

// Keys for the model's directions and the letters of the stored solutions.
int vkOf(int direction);
int directionOfLetter(char letter); // -1 for anything but L, R, U, D

std::vector<std::string> splitOn(const std::string& text, char separator);
// The four status-bar parts the game shows for this position.
std::vector<std::string> expectedStatus(int levelIndex, int boxes, int steps);
// A Windows-1251 text of the shell as UTF-8.
std::string utf8Of1251(const char* text);

bool writeBytes(const std::string& path, const std::string& bytes);
bool readBytes(const std::string& path, std::string* bytes);

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

    void SetUp() override;

    void TearDown() override;

    // Waits for the main window; false if it never appeared.
    bool attachToGame(int timeoutMs = 30000);

    static bool isOk(const std::string& answer) { return answer.rfind("ok", 0) == 0; }

    static std::string payload(const std::string& answer);

    // A request that must succeed; its answer without the "ok ".
    std::string request(const std::string& line);

    // After the first failure a case stops at its next check, so one wrong
    // picture is reported once and does not cost a timeout at every later
    // step; GoogleTest reports the exception and still runs TearDown.
    bool pollUntil(const std::function<bool()>& done, int timeoutMs = CheckTimeoutMs,
                   int intervalMs = 40);

    std::vector<std::string> status() { return splitOn(request("status"), '\t'); }

    void expectStatus(int levelIndex, int boxes, int steps, const char* when);

    // The model's status bar must be on screen.
    void expectModelStatus(const char* when);

    int menuState(int command) { return atoi(request("menu " + std::to_string(command)).c_str()); }

    void expectUndoOffered(bool offered, const char* when);

    bool captureBoard(Picture* board);

    // Polls until the board on screen equals expected; on failure keeps the
    // capture, the expected picture and their difference.
    void expectBoard(const Picture& expected, const std::string& when);

    void expectModelBoard(const std::string& when) { expectBoard(boardPicture(), when); }

    void press(int vk, const std::string& modifiers = "");

    std::vector<Window> windows();

    // The game's dialog box (class #32770) that holds a control with this id.
    bool findDialog(int controlId, Window* found, int timeoutMs = CheckTimeoutMs);

    bool noDialogs(int timeoutMs = CheckTimeoutMs);

    // A move on both the game and the model; the board must come to rest
    // exactly as the model drew it before the next key is sent.
    void move(int direction, const std::string& when);

    // Holds an arrow key down for `repeats` key-downs `gapMs` apart, like the
    // keyboard's auto-repeat, then lets it go; waits for the board to rest and
    // returns how many moves the game made, which the model then makes too.
    int holdKey(int direction, int repeats, int gapMs);

    void walk(const std::vector<int>& path, const std::string& when);
    // Walks the keeper to the first box he can push; the push's direction goes
    // to *direction. False when the position offers no push.
    bool walkToABox(int* direction);

    // Chooses a menu item with the mouse on the menu bar, then the keyboard
    // in the popup: bar entry `bar`, then `downs` presses of the down arrow.
    void chooseMenu(int bar, int downs);

    // Opens the save (Ctrl+S) or open (Ctrl+L) dialog by its accelerator.
    Window openFileDialog(char letter);

    // Types a name into the file dialog and presses its OK button; waits
    // until the dialog has gone.
    void answerFileDialog(const Window& dialog, const std::string& unixPath);

    // Loads a file through the open dialog in the game and in the model.
    void load(const std::string& unixPath, const std::string& when);

    // A message box of the game: its caption and text.
    bool readMessageBox(Window* box, std::string* caption, std::string* text);

    // Loading a refused file: the message is shown, and after it is closed
    // the game is exactly as before.
    void expectLoadRefused(const std::string& unixPath, SavedGameCheck check,
                           const std::string& when);
};

} // namespace e2e
