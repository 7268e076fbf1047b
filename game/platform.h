// What the game core needs from the platform: drawing into the back buffer,
// the status bar, the Undo menu item, the level-solved message and the
// congratulation box. The Windows shell implements these with GDI and user32;
// tests implement them with recording fakes or a software renderer.
#pragma once
#include "game.h"

enum Sheet : int32_t {
    SheetTile = 0, // wall, floor, goal
    SheetBox = 1,  // box, box on a goal
};

enum SaveUnderSurface : int32_t {
    SaveUnderKeeper = 0,
    SaveUnderBox = 1,
};

// Copies 32 by 32 tile n of a sheet opaquely to (x, y) of the back buffer.
void drawTile(Sheet sheet, int32_t n, int32_t x, int32_t y);
// Draws keeper frame 0..11 at (x, y), magenta transparent; the pushing row
// while game.pushing is set, else the walking row.
void drawKeeper(int32_t frame, int32_t x, int32_t y);
void saveUnder(SaveUnderSurface surface, int32_t x, int32_t y);
void restoreUnder(SaveUnderSurface surface, int32_t x, int32_t y);
// Marks an area for repainting from the back buffer; null means the whole window.
void invalidateArea(const Rect* area);
// Status bar: level index + 1 and boxesLeft; steps.
void refreshLevelAndBoxes();
void refreshSteps();
// Grays or enables the Undo menu item (and so its accelerator).
void setUndoEnabled(int enabled);
// Posts the level-solved message; it is handled after the current message.
void postLevelSolved();
// The modal "Поздравляю!" box; returns when the player closes it.
void showCongratulation();
