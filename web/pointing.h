// Where the keeper goes when the player points: a shortest walk to a cell,
// and the fewest pushes that bring one box to a cell, the keeper walking
// between them. Both decide every step by the game's rules (testStep), on
// the board as it stands; the page then plays the steps one by one as moves.
#pragma once
#include <string>

#include "game/game.h"

// The keeper's steps as 'L' 'R' 'U' 'D' from cell from to cell to, walking
// only (no push), fewest steps; empty when to cannot be reached (or is from).
std::string walkPath(const Board& board, int32_t from, int32_t to);
// The steps that push the box at boxCell to target in the fewest pushes, and
// among those the fewest steps, the other boxes standing still: lower-case
// letters walk, upper-case letters push. Empty when the box cannot get there.
std::string pushPath(const Board& board, int32_t keeper, int32_t boxCell, int32_t target);
