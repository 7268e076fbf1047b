// Moves and pushes, shown as a four-tick slide; the board changes only when
// the slide ends.
#include "game.h"
#include "platform.h"
#include "rules.h"

enum { SlidePixelsPerTick = 8, SlideLastStep = 4 };

int testMove() {
    MoveOutcome out = testStep(&game.board, game.playerCell, game.direction);
    int32_t next = neighbour(game.playerCell, game.direction);
    if (isOnBoard(next) && holdsBox(game.board.cells[next])) game.pushedBoxCell = next;
    game.pushing = out.kind == MovePush;
    return out.kind != MoveBlocked;
}

void requestMove(int32_t direction) {
    if (game.playerSliding == 1) return; // keys during a slide are dropped, not queued
    takeSnapshot();                      // before the test: a blocked attempt replaces it too
    game.direction = direction;
    if (!testMove()) return;
    game.playerSliding = 0;
    game.boxSliding = 0;
    stepBoxSlide();
    stepPlayerSlide();
    if (game.undoAvailable == 0) {
        game.undoAvailable = 1;
        setUndoEnabled(1);
    }
}

static void offsetRect(Rect* r, int32_t direction) {
    int32_t dx = 0, dy = 0;
    switch (direction) {
    case DirectionLeft:
        dx = -SlidePixelsPerTick;
        break;
    case DirectionRight:
        dx = SlidePixelsPerTick;
        break;
    case DirectionUp:
        dy = -SlidePixelsPerTick;
        break;
    default:
        dy = SlidePixelsPerTick;
        break;
    }
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
}

static Rect cellRect(int32_t cell) {
    Point p = cellToPixel(cell);
    Rect r = {p.x, p.y, p.x + CellPixels, p.y + CellPixels};
    return r;
}

void stepPlayerSlide() {
    Rect& r = game.playerRect;
    if (game.playerSliding == 0) {
        r = cellRect(game.playerCell);
        // Take the standing keeper off the picture before saving what is under it.
        unsigned char code = game.board.cells[game.playerCell];
        if (isWalkable(code)) drawCellTile(code, r.left, r.top);
        saveUnder(SaveUnderKeeper, r.left, r.top);
        drawKeeper(game.direction, r.left, r.top);
        game.slideStep += 1;
        game.playerSliding = 1;
        invalidateArea(&r);
        // A saved game may carry any count; stop at the largest one rather
        // than wrap into a negative number.
        if (game.steps < INT32_MAX)
            game.steps += 1;
        refreshSteps();
        return;
    }
    restoreUnder(SaveUnderKeeper, r.left, r.top);
    invalidateArea(&r); // the square being left
    offsetRect(&r, game.direction);
    saveUnder(SaveUnderKeeper, r.left, r.top);
    // Walking frames go d+1, d+2, d+1, d over the four ticks.
    int32_t frame = game.slideStep <= 2 ? game.direction + (int32_t)game.slideStep
                                        : game.direction + 4 - (int32_t)game.slideStep;
    drawKeeper(frame, r.left, r.top);
    game.slideStep += 1;
    if (game.slideStep > SlideLastStep) {
        game.playerSliding = 0;
        game.slideStep = 0;
        game.playerCell = neighbour(game.playerCell, game.direction);
    }
    invalidateArea(&r); // the square now covered
}

// The board takes the box's new place; the status bar hears of every box that
// leaves or reaches a goal, and the last one brings the level-solved message.
static void commitPushedBox(int32_t from, int32_t to) {
    unsigned char& source = game.board.cells[from];
    unsigned char& target = game.board.cells[to];
    if (source == CellCodeBoxOnGoal) {
        game.boxesLeft += 1;
        refreshLevelAndBoxes();
    }
    source = cellAfterBoxLeaves(source);
    if (target == CellCodeGoal) {
        game.boxesLeft -= 1;
        refreshLevelAndBoxes();
        if (game.boxesLeft == 0) postLevelSolved();
    }
    target = cellAfterBoxArrives(target);
}

void stepBoxSlide() {
    if (game.pushing == 0) return;
    Rect& r = game.boxRect;
    if (game.boxSliding == 0) {
        r = cellRect(game.pushedBoxCell);
        unsigned char code = game.board.cells[game.pushedBoxCell];
        drawCellTile(cellAfterBoxLeaves(code), r.left, r.top);
        saveUnder(SaveUnderBox, r.left, r.top);
        drawCellTile(code, r.left, r.top);
        game.boxSliding = 1;
        invalidateArea(&r);
        return;
    }
    restoreUnder(SaveUnderBox, r.left, r.top);
    invalidateArea(&r);
    offsetRect(&r, game.direction);
    saveUnder(SaveUnderBox, r.left, r.top);
    drawTile(SheetBox, BoxFramePlain, r.left, r.top); // a box in motion shows the plain tile
    if (game.slideStep == SlideLastStep) {
        // The keeper's step of this same tick follows and commits the keeper.
        game.boxSliding = 0;
        int32_t from = game.pushedBoxCell;
        int32_t to = neighbour(from, game.direction);
        commitPushedBox(from, to);
        drawCellTile(game.board.cells[to], r.left, r.top);
    }
    invalidateArea(&r);
}

void advanceSlide() {
    if (game.playerSliding == 0) return;
    if (game.boxSliding == 1 && game.pushing == 1)
        stepBoxSlide(); // the box first: the keeper's save-under then holds background only
    stepPlayerSlide();
}

void cancelSlide() {
    // Nothing is committed and nothing restored: every caller redraws the
    // whole board right after replacing the state.
    game.playerSliding = 0;
    game.boxSliding = 0;
    game.slideStep = 0;
}
