// The game's first frame, its two ways out, and the screen check before it.
#include "wine_game.h"

namespace e2e {

const char* const WindowTitle = "Win32 Bexaran на Ассемблере (50 уровней) v1.30";

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

} // namespace e2e
