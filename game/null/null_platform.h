// The null front end: the game core's platform operations without a window,
// for the tools (bexaran-cli, the level designer, the solver) and the tests
// that play real games. Nothing is drawn, the file dialogs answer "cancelled"
// and the message boxes stay shut; what a caller follows is counted below.
// On the host the saved-game files are real files (host_files.cpp); a Windows
// program links shell/files_windows.cpp instead.
#pragma once
#include "game.h"

struct NullPlatform {
    int undoEnabled;         // the Undo command is offered (menu item not grayed)
    int levelSolvedPosted;   // times postLevelSolved was called since the last reset
    int congratulationShown; // times showCongratulation was called
    int loadRefusalsShown;   // times showLoadRefused was called
    int saveFailuresShown;   // times showSaveFailed was called
};

extern NullPlatform nullPlatform;

// Clears the counts above (not the game state).
void nullPlatformReset();
