// The shell's texts and their formatting. Portable (no Windows headers), so
// the host tests check the status texts and the code-page conversion.
//
// Like the rest of the game the texts are stored in the Windows-1251 code
// page; every one of them reaches the screen through widenWindows1251 and the
// wide form of the Windows call, so they read correctly whatever the system's
// ANSI code page is.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "game/game.h"

// A status text: label, blanks, and a number written from byte 10, so all
// three numbers start in the same column. The room after byte 10 holds any
// 32-bit value ("-2147483648" and the terminator), so no number, however
// large, runs into anything else.
enum {
    StatusNumberColumn = 10,
    StatusTextCapacity = StatusNumberColumn + 11 + 1,
};

struct StatusText {
    char bytes[StatusTextCapacity];
};

extern StatusText levelText; // "Уровень:" and the level number from 1
extern StatusText boxesText; // "Ящиков:" and the boxes off a goal
extern StatusText stepsText; // "Шагов:" and the steps taken

// Writes value in "%d" form (a minus sign, no padding) with its terminator
// from byte 10 of text; the label before it stays as it is.
void writeStatusNumber(StatusText* text, int32_t value);

// Converts a zero-terminated Windows-1251 text to zero-terminated UTF-16.
// Writes at most capacity units including the terminator (capacity >= 1) and
// returns the number written before it; a longer text is cut short.
size_t widenWindows1251(const char* text, uint16_t* wide, size_t capacity);

extern const char windowTitleText[];     // the main window's title
extern const char congratulationText[];  // "Поздравляю!": text and caption
extern const char errorLoadingPngText[]; // "Error Loading PNG": text and caption
extern const char screenTooSmallText[];  // the screen check's text
extern const char screenTooSmallCaption[];
extern const char cannotStartText[]; // window class or window not created
extern const char errorCaption[];
extern const char loadCaption[];
extern const char saveCaption[];
extern const char saveFailedText[];              // a save failed; the earlier file is unchanged
extern const char saveFailedNoEarlierFileText[]; // a save failed where there was no file

// What the player is told when a file is refused.
const char* loadRefusedText(SavedGameCheck check);
