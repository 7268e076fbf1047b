// Solving levels by their stored solutions: the congratulation, the next
// level, and level 50 going on to level 1.
#include "wine_game.h"
#include <fstream>

namespace e2e {

const char* const Congratulation = "Поздравляю!";

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

} // namespace e2e
