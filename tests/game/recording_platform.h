// A recording fake of the game core's platform: every call, in order, with its
// arguments, as short strings that tests compare against whole sequences.
#pragma once
#include "game.h"

#include <string>
#include <vector>

struct Recorder {
    std::vector<std::string> calls;
    bool recording;             // off for long random runs: only the fields below
    int undoEnabled;            // last value given to setUndoEnabled
    int levelSolvedPosted;      // posts since the last reset
    int drawsOutsideBoard;      // sprite or tile positions off the 640 by 512 board
    void (*onCongratulation)(); // runs while the "box" is open, if set
};

extern Recorder recorder;

void recorderReset();
std::vector<std::string> takeCalls(); // the calls so far; clears them
