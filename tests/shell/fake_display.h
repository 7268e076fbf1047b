// A quiet stand-in for the shell's display, status bar and menu, counting the
// calls the saved-game tests look at.
#pragma once

struct FakeDisplay {
    int tilesDrawn;
    int keepersDrawn;
    int lastKeeperFrame;
    int wholeInvalidations;
    int levelRefreshes;
    int stepsRefreshes;
    int undoEnabled;
};

extern FakeDisplay display;
void resetDisplay();
