// What the game core needs from the platform: drawing into the back buffer,
// the status bar, the Undo menu item, the level-solved message and the
// congratulation box. The Windows shell implements these with GDI and user32;
// tools and tests run the core on the null front end (game/null), the tests of
// its sequences on the recorder (tests/game), the end-to-end tests' expected
// pictures on a software renderer.
#pragma once
#include "game.h"

enum Sheet : int32_t {
    SheetTile = 0, // wall, floor, goal
    SheetBox = 1,  // box, box on a goal
};

// The tiles of the two sheets.
enum TileIndex : int32_t {
    TileWall = 0,
    TileFloor = 1,
    TileGoal = 2,
};
enum BoxFrame : int32_t {
    BoxFramePlain = 0,
    BoxFrameOnGoal = 1,
};

struct TileChoice {
    Sheet sheet;
    int32_t n;
};

// The picture of a cell: any byte that is neither wall, goal nor box (floor,
// a start cell, an unknown byte) shows as floor.
TileChoice tileForCell(unsigned char code);
// drawTile with the cell's own picture.
void drawCellTile(unsigned char code, int32_t x, int32_t y);

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

// Saved games: the file dialogs, the files and the messages about them.
enum : uint32_t {
    // OFN_HIDEREADONLY | OFN_EXPLORER | OFN_LONGNAMES
    FileDialogSaveFlags = 0x00280004,
    // the same with OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST
    FileDialogOpenFlags = 0x00281804,
};
enum {
    FileNameCapacity = 260,
};
// The file-name buffer that the save and the open dialog share, so the name
// chosen in one is proposed by the next; empty at program start.
extern char fileDialogName[FileNameCapacity];
// Shows the save or open dialog with these flags over fileDialogName;
// 1 when the player chose a name.
int showSaveDialog(uint32_t flags);
int showOpenDialog(uint32_t flags);
// What writeNewFile did.
enum NewFileResult : int32_t {
    NewFileFailed = 0,    // created (or not) but not every byte written and closed
    NewFileWritten = 1,   // created, every byte written, flushed and closed
    NewFileNameTaken = 2, // a file of that name exists; it was not touched
};
// Creates the file only if no file of that name exists, writes all the
// bytes and flushes them to disk.
NewFileResult writeNewFile(const char* name, const void* bytes, uint32_t size);
// Puts from in the place of to in one step; on failure to stays as it was.
int replaceFile(const char* from, const char* to);
void removeFile(const char* name);
// Opens the file for reading only and reads up to capacity bytes; the count
// goes to *size. 0 when it cannot be opened or read.
int readFilePrefix(const char* name, void* bytes, uint32_t capacity, uint32_t* size);
// Message boxes owned by the main window. A failed save tells the player that
// the earlier file is unchanged only when there was one.
void showLoadRefused(SavedGameCheck check);
void showSaveFailed(int earlierFileKept);
