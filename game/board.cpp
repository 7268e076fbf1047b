// The live board: starting a level from the table and repainting the board
// after it was replaced wholesale.
#include "game.h"
#include "platform.h"

#include <string.h>

GameState game;

Point cellToPixel(int32_t cell) {
    Point p;
    p.x = (cell % BoardColumns) * CellPixels;
    p.y = (cell / BoardColumns) * CellPixels;
    return p;
}

// The frame the keeper is first drawn with on a start cell, or -1 if the code
// is no start cell. "$" and "^" face up; the arrows face their way.
static int32_t startFrame(unsigned char code) {
    switch (code) {
    case CellCodeStart:
    case CellCodeStartUp:
        return DirectionUp;
    case CellCodeStartRight:
        return DirectionRight;
    case CellCodeStartLeft:
        return DirectionLeft;
    case CellCodeStartDown:
        return DirectionDown;
    default:
        return -1;
    }
}

TileChoice tileForCell(unsigned char code) {
    switch (code) {
    case CellCodeWall:
        return {SheetTile, TileWall};
    case CellCodeGoal:
        return {SheetTile, TileGoal};
    case CellCodeBox:
        return {SheetBox, BoxFramePlain};
    case CellCodeBoxOnGoal:
        return {SheetBox, BoxFrameOnGoal};
    default:
        return {SheetTile, TileFloor};
    }
}

void drawCellTile(unsigned char code, int32_t x, int32_t y) {
    TileChoice t = tileForCell(code);
    drawTile(t.sheet, t.n, x, y);
}

void startLevel(int32_t n) {
    game.undoAvailable = 0;
    setUndoEnabled(0);
    memcpy(game.board.cells, LevelTable[n], BoardCellCount);
    game.boxesLeft = 0;
    game.slideStep = 0;
    game.direction = 0; // whatever the start cell's facing: it is only drawn
    game.pushing = 0;
    game.steps = 0;
    for (int32_t i = 0; i < BoardCellCount; ++i) {
        Point p = cellToPixel(i);
        unsigned char code = game.board.cells[i];
        drawCellTile(code, p.x, p.y);
        if (code == CellCodeBox) game.boxesLeft += 1;
        int32_t frame = startFrame(code);
        if (frame >= 0) {
            drawKeeper(frame, p.x, p.y);
            game.playerCell = i;
            game.board.cells[i] = CellCodeFloor;
        }
    }
    refreshLevelAndBoxes();
    refreshSteps();
}

void redrawBoard() {
    for (int32_t i = 0; i < BoardCellCount; ++i) {
        Point p = cellToPixel(i);
        drawCellTile(game.board.cells[i], p.x, p.y);
    }
    Point k = cellToPixel(game.playerCell);
    drawKeeper(DirectionLeft, k.x, k.y);
}
