// Undo, restart and new game by the menu and by their accelerators, and
// during a slide.
#include "wine_game.h"

namespace e2e {

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
    walk(std::vector<int>(1, BoardDirections[0]), "a move in level 3");
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

} // namespace e2e
