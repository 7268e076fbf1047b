// The board as pictures: a portable software version of the game's display
// operations (game/platform.h). The back buffer is a pixel array, the three
// sheets are the shell's own PNG files decoded by our decoder, the keeper is
// drawn with the exact colour key 0xFF00FF, and the save-under blocks work as
// in the shell. Linked with the game core, it is fed the same moves as the
// real game and gives the board that the real game must show: the expected
// pictures of the end-to-end and browser tests, and the level sheet's
// drawings.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

// Pixels as 0x00RRGGBB, rows top-down.
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

enum {
    BoardPixelWidth = 640,
    BoardPixelHeight = 512,
};

// Decodes tiles.png, boxes.png and keeper.png from the shell folder; false
// with the reason in *error when one of them fails.
bool loadSheets(const std::string& shellFolder, std::string* error);

// Any PNG file decoded by our decoder (the level sheet checks its picture
// with it); false with the reason in *error.
bool readPngPicture(const std::string& path, Picture* picture, std::string* error);

// The 640 by 512 board as the core has drawn it so far.
Picture boardPicture();

// Level n (0..49) as it must look right after it starts, drawn straight from
// the level table without the game core: a second, independent opinion.
Picture levelStartPicture(int32_t n);

// Keeper frame f of the walking (row 0) or pushing (row 1) row, 32 by 32.
Picture keeperFrame(int32_t frame, int32_t row);

// The keeper frame standing on a floor (" ") or goal ("x") cell, as drawn.
Picture keeperOnCell(int32_t frame, int32_t row, unsigned char cellCode);

// A 32 by 32 block of a picture.
Picture cutSquare(const Picture& picture, int32_t x, int32_t y);

// What the core told the platform: Undo offered, level-solved messages
// posted and not yet handled, congratulation boxes shown.
struct ModelSignals {
    int undoEnabled = 0;
    int levelSolvedPosted = 0;
    int congratulations = 0;
    int loadRefusals = 0;
};
extern ModelSignals modelSignals;

// Handles the level-solved messages the core has posted, as the window does
// with its message box closed at once.
void answerLevelSolved();

// Runs a move on the model as the real game does: the key press, then the
// timer ticks of the slide (playMove); a posted level-solved message is
// handled afterwards. Returns 1 when the keeper moved.
int modelMove(int32_t direction);

// The model's file dialogs answer with this name (empty: cancelled).
void setModelDialogAnswer(const std::string& windowsName);

// Counts the pixels that differ and writes where the first differs.
int64_t countDifferences(const Picture& a, const Picture& b, int32_t* firstX, int32_t* firstY);

// Binary PPM files, for captured screens and failure evidence.
bool readPpm(const std::string& path, Picture* picture);
bool writePpm(const std::string& path, const Picture& picture);
// Black where a and b agree, a's pixel in red where they differ.
Picture differencePicture(const Picture& a, const Picture& b);
