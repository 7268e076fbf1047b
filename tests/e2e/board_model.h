// What the cases ask of the model's position (the game core's state on the
// host): where the keeper can walk and push, free straight runs, and saved
// games written by hand.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

namespace e2e {

extern const int Directions[4];

int boxesOffGoal(int levelIndex);

// Shortest walk over floor and goals from the model's keeper to every cell:
// the direction that last entered each one (-1 where it cannot be reached).
std::vector<int> walkFromKeeper(std::vector<int>* previous);
// The directions of the walk to target, from walkFromKeeper's results.
std::vector<int> pathFromKeeper(int target, const std::vector<int>& entered,
                                const std::vector<int>& previous);
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
