// The About box: it opens over a running slide, keeps Esc from closing it,
// and leaves the game as it was.
#include "wine_game.h"

namespace e2e {

TEST_F(WineGame, AboutDialogLeavesTheGameAlone) {
    ASSERT_TRUE(attachToGame());
    int step = -1;
    for (int d : BoardDirections)
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

    // Each text is drawn with a font that has its letters (where the
    // template's bitmap face lacks Cyrillic they would be boxes), wrapped
    // within its control, at the dialog's own size.
    const std::vector<std::string> own = splitOn(request("font 0"), ' ');
    ASSERT_EQ(own.size(), 4u);
    for (int id : {1001, 1002, 1004}) {
        const std::vector<std::string> font = splitOn(request("font " + std::to_string(id)), ' ');
        ASSERT_EQ(font.size(), 4u);
        EXPECT_EQ(font[0], "204") << "control " << id << ": not a Cyrillic font";
        EXPECT_EQ(font[1], "0") << "control " << id << ": letters without a glyph";
        EXPECT_EQ(font[2], "1") << "control " << id << ": the text does not fit";
        EXPECT_EQ(font[3], own[3]) << "control " << id << ": not the dialog's size";
    }

    press(VkEscape);
    sleepMilliseconds(400);
    EXPECT_TRUE(isOk(ask(&session, "itemtext " + about.handle + " 1001"))) << "Esc closed About";

    request("clickitem " + about.handle + " 1001");
    EXPECT_TRUE(noDialogs()) << "\"Пока!\" did not close About";
    expectModelStatus("after About");
    expectModelBoard("after About");
    expectUndoOffered(true, "after About");
    // The timer still runs the slides: back to where the keeper came from.
    move(oppositeDirection(step), "a move after About");
}

} // namespace e2e
