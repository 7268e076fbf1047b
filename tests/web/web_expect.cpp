// bexaran-web-expect: what the browser page must show, from the host model of
// the display (tools/picture) and the shell's own texts.
//   bexaran-web-expect SHELL_DIR picture OUT.ppm [STEP...]
//       starts level 1 as the window does, then runs each STEP: a run of
//       L R U D (a move with its four ticks; a solved level is congratulated
//       and the next one started), z (undo, while offered), r (restart),
//       n (new game), or load=FILE (the load command with that file).
//       Writes the board to OUT.ppm and prints, as UTF-8 lines:
//       "moves " and one letter per move (w walk, p push, - blocked),
//       "undo 0|1", "refusals N", then the three status texts.
//   bexaran-web-expect texts
//       prints "name<TAB>text" lines: the title, the congratulation, the load
//       caption and each refusal message, as UTF-8.
#include <stdio.h>
#include <string.h>

#include <string>

#include "board_picture.h"
#include "game/game.h"
#include "game/platform.h"
#include "game/rules.h"
#include "move_play.h"
#include "shell/texts.h"

namespace {

std::string utf8(const char* windows1251) {
    uint16_t wide[512];
    size_t n = widenWindows1251(windows1251, wide, 512);
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        uint16_t c = wide[i];
        if (c < 0x80) {
            out += (char)c;
        } else if (c < 0x800) {
            out += (char)(0xC0 | c >> 6);
            out += (char)(0x80 | (c & 0x3F));
        } else {
            out += (char)(0xE0 | c >> 12);
            out += (char)(0x80 | (c >> 6 & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// A solved level is congratulated and the next one started before the move
// is written down, as the page reports it.
bool noteMove(void* kinds, char letter, bool moved) {
    answerLevelSolved();
    if (letterDirection(letter) >= 0)
        *(std::string*)kinds += moved ? (game.pushing ? 'p' : 'w') : '-';
    return true;
}

bool runStep(const char* step, std::string* kinds) {
    if (strncmp(step, "load=", 5) == 0) {
        setModelDialogAnswer(step + 5);
        loadGame();
        return true;
    }
    if (step[strspn(step, "LRUDzrn")] != '\0') return false;
    playMoves(step, noteMove, kinds);
    return true;
}

int commandPicture(const char* shellFolder, const char* out, char** steps, int count) {
    std::string error;
    if (!loadSheets(shellFolder, &error)) {
        fprintf(stderr, "bexaran-web-expect: %s\n", error.c_str());
        return 1;
    }
    startLevel(0);
    takeSnapshot();
    std::string kinds;
    for (int i = 0; i < count; ++i) {
        if (!runStep(steps[i], &kinds)) {
            fprintf(stderr, "bexaran-web-expect: bad step \"%s\"\n", steps[i]);
            return 2;
        }
    }
    if (!writePpm(out, boardPicture())) return 1;
    writeStatusNumber(&levelText, game.levelIndex + 1);
    writeStatusNumber(&boxesText, game.boxesLeft);
    writeStatusNumber(&stepsText, game.steps);
    printf("moves %s\nundo %d\nrefusals %d\n", kinds.c_str(), modelSignals.undoEnabled,
           modelSignals.loadRefusals);
    printf("%s\n%s\n%s\n", utf8(levelText.bytes).c_str(), utf8(boxesText.bytes).c_str(),
           utf8(stepsText.bytes).c_str());
    return 0;
}

int commandTexts() {
    printf("title\t%s\n", utf8(windowTitleText).c_str());
    printf("congratulation\t%s\n", utf8(congratulationText).c_str());
    printf("loadCaption\t%s\n", utf8(loadCaption).c_str());
    for (int check = SavedGameUnreadable; check <= SavedGameBoxCountWrong; ++check)
        printf("refused%d\t%s\n", check, utf8(loadRefusedText((SavedGameCheck)check)).c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "texts") == 0) return commandTexts();
    if (argc >= 4 && strcmp(argv[2], "picture") == 0)
        return commandPicture(argv[1], argv[3], argv + 4, argc - 4);
    fprintf(stderr, "usage: bexaran-web-expect SHELL_DIR picture OUT.ppm [STEP...] | texts\n");
    return 2;
}
