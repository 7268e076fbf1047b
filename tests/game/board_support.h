// Test boards built in the test itself, so no test depends on the layouts of
// the level table.
#pragma once
#include "game.h"

#include <string>
#include <vector>

// Puts the rows at the top-left of an all-wall board; "$" marks the keeper
// (written as floor). The rest of the state is as after a level start: counters
// and flags 0, boxesLeft counted, levelIndex 0. The recorder is reset.
void useBoard(const std::vector<std::string>& rows);
// The cell at (row, column).
inline int32_t cellAt(int32_t row, int32_t column) {
    return row * BoardColumns + column;
}
int countCells(const Board& board, unsigned char code);
// The live board as 16 strings, the keeper shown as "P".
std::vector<std::string> boardRows();
// The whole four-tick slide after a successful key press.
void finishSlide();
// Restores, invalidates and saves one sprite moving from (x0, y0) to (x1, y1):
// the first half of every later slide step.
std::vector<std::string> spriteLeaves(const char* surface, int x0, int y0, int x1, int y1);
