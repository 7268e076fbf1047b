// What the cases ask of the model's position (the game core's state on the
// host): where the keeper can walk and push, free straight runs, and saved
// games written by hand.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "board_kit.h" // BoardDirections: the four directions in a fixed order

namespace e2e {

int boxesOffGoal(int levelIndex);

// The directions of a shortest walk from the model's keeper to target; empty
// when target is his own cell or out of his reach.
std::vector<int> walkTo(int target);
// A push the keeper can reach: walk path, then push in direction. With
// blocked set, the box's far side is a wall or another box instead.
bool findPush(bool blocked, std::vector<int>* path, int* direction);
// How many free cells lie in a straight line from a cell, or from the keeper.
int freeRunOf(int cell, int direction);
int freeRun(int direction);
// A cell the keeper can walk to with at least `length` free cells in a row
// beyond it.
bool findStraightRun(int length, int* cell, int* direction);

// Level n's start position as a saved game.
std::string levelStartBytes(int levelIndex, int steps);
// The model's position as a saved game.
std::string modelSavedBytes();

} // namespace e2e
