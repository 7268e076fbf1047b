// Move strings played on the game core as a player gives them, one
// character at a time. Only the core is touched: what a posted level-solved
// message does is the front end's business, so each caller says after every
// character whether to go on.
#pragma once
#include <stdint.h>

// One arrow-key press followed by timer ticks until no slide runs.
void playMove(int32_t direction);

// Called after each character of a move string: the character and, for an
// arrow letter, whether the keeper moved. Returns false to stop the string.
typedef bool (*AfterMoveLetter)(void* context, char letter, bool moved);

// Plays moves: L R U D arrow keys (playMove), z Undo (nothing while it is
// not offered), r restart, n new game; other characters are skipped. Stops
// after the character for which after (when given) returns false. Returns
// the number of characters consumed.
int playMoves(const char* moves, AfterMoveLetter after, void* context);
