// Levels from the start, the middle and the end of the set played through
// in the real game by their stored solutions, as a player would: every move
// drawn as the model draws it, the congratulation at the end. A picture of
// the screen at each level's start, halfway and one move before the end is
// kept in played/ in the test's build folder, to be looked at. Long (some
// fifteen hundred moves), so it runs with the slow tests.
#include "wine_game.h"

#include <sys/stat.h>

#include "harness.h"

namespace e2e {

std::vector<std::string> storedSolutions();

TEST_F(WineGame, PlaysLevelsThroughAsThePlayerSeesThem) {
    const std::vector<std::string> solutions = storedSolutions();
    ASSERT_EQ(solutions.size(), (size_t)LevelCount) << "the stored solutions are missing";
    ASSERT_TRUE(attachToGame());
    const std::string played = std::string(BEXARAN_E2E_WORK_FOLDER) + "/played";
    mkdir(played.c_str(), 0755);
    auto picture = [&](int level, const char* when) {
        request("screenshot " +
                windowsPath(played + "/level-" + std::to_string(level + 1) + "-" + when + ".ppm"));
    };
    for (int level : {0, 9, 24, 40, 49}) {
        SCOPED_TRACE("level " + std::to_string(level + 1));
        const std::string start = session.artifacts + "/start.bxr";
        ASSERT_TRUE(writeBytes(start, levelStartBytes(level, 0)));
        load(start, "loading the level's start");
        expectModelBoard("the level's start");
        picture(level, "start");
        const std::string& moves = solutions[level];
        for (size_t i = 0; i + 1 < moves.size(); ++i) {
            move(directionOfLetter(moves[i]), "move " + std::to_string(i + 1));
            if (i == moves.size() / 2) picture(level, "halfway");
        }
        picture(level, "last-move");
        press(vkOf(directionOfLetter(moves.back())));
        Window box;
        std::string caption, text;
        ASSERT_TRUE(readMessageBox(&box, &caption, &text)) << "no congratulation";
        press(VkReturn);
        ASSERT_TRUE(noDialogs()) << "the congratulation box did not close";
        modelMove(directionOfLetter(moves.back()));
        expectModelBoard("the next level after the congratulation");
    }
}

} // namespace e2e
