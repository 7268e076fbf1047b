// The recording fake of the game core's platform, for every test that looks
// at what the core asks of the window: every display call, in order, with its
// arguments, as short strings that tests compare against whole sequences, and
// counts of them. Its files, dialogs and message boxes are the in-memory ones
// of fake_files.h, set up by each test as it needs.
#pragma once
#include "game.h"

#include <string>
#include <vector>

struct Recorder {
    std::vector<std::string> calls;
    bool recording;        // off for long random runs: only the fields below
    int undoEnabled;       // last value given to setUndoEnabled
    int levelSolvedPosted; // posts since the last reset
    int drawsOutsideBoard; // sprite or tile positions off the 640 by 512 board
    int tilesDrawn;
    int keepersDrawn;
    int lastKeeperFrame; // -1 until a keeper is drawn
    int wholeInvalidations;
    int levelRefreshes;
    int stepsRefreshes;
    void (*onCongratulation)(); // runs while the "box" is open, if set
};

extern Recorder recorder;

void recorderReset();                 // also starts recording
std::vector<std::string> takeCalls(); // the calls so far; clears them
