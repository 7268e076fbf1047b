// The game played as a player would, without a window: over the null front
// end (null_platform.h), whose counts tell whether the Undo command is offered
// and whether the level-solved message was posted.
#pragma once
#include "game.h"
#include "move_play.h"
#include "null_platform.h"

#include <stdio.h>

// Clears the null front end's counts (not the game state).
void headlessReset();
// What the window's creation handler does for the first level, for level
// index n (0..49): levelIndex = n, startLevel, takeSnapshot.
void headlessStartGame(int32_t n);
// Plays moves as playMoves does (move_play.h), stopping after the first
// character that posts the level-solved message, which is left unhandled.
// Returns the number of characters consumed.
int headlessPlay(const char* moves);
// The position as text: 16 rows of 20 cell codes with the keeper as "P" (on
// floor) or "p" (on a goal), then "level N" (1-based), "boxes B", "steps S"
// and "solved yes" or "solved no" (whether level solved was posted).
void headlessPrintPosition(FILE* out);
