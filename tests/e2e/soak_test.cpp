// Random keys and commands for a minute: the game keeps answering, its GDI
// objects stay level, and its final position is the one it saves.
#include "wine_game.h"
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <random>

namespace e2e {

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
            press(vkOf(BoardDirections[random() % 4]));
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

} // namespace e2e
