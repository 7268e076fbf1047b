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
        int32_t frame = startFrame(code);
        if (code == CellCodeWall) {
            drawTile(SheetTile, 0, p.x, p.y);
        } else if (code == CellCodeGoal) {
            drawTile(SheetTile, 2, p.x, p.y);
        } else if (code == CellCodeBoxOnGoal) {
            drawTile(SheetBox, 1, p.x, p.y);
        } else if (code == CellCodeBox) {
            game.boxesLeft += 1;
            drawTile(SheetBox, 0, p.x, p.y);
        } else if (frame >= 0) {
            drawTile(SheetTile, 1, p.x, p.y);
            drawKeeper(frame, p.x, p.y);
            game.playerCell = i;
            game.board.cells[i] = CellCodeFloor;
        } else {
            drawTile(SheetTile, 1, p.x, p.y);
        }
    }
    refreshLevelAndBoxes();
    refreshSteps();
}

void redrawBoard() {
    for (int32_t i = 0; i < BoardCellCount; ++i) {
        Point p = cellToPixel(i);
        switch (game.board.cells[i]) {
        case CellCodeWall:
            drawTile(SheetTile, 0, p.x, p.y);
            break;
        case CellCodeGoal:
            drawTile(SheetTile, 2, p.x, p.y);
            break;
        case CellCodeBox:
            drawTile(SheetBox, 0, p.x, p.y);
            break;
        case CellCodeBoxOnGoal:
            drawTile(SheetBox, 1, p.x, p.y);
            break;
        default: // floor, and any other byte
            drawTile(SheetTile, 1, p.x, p.y);
            break;
        }
    }
    Point k = cellToPixel(game.playerCell);
    drawKeeper(DirectionLeft, k.x, k.y);
}
