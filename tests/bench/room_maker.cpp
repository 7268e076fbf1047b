#include "room_maker.h"

#include "board_kit.h"
#include "random_stream.h"
#include "rules.h"

#include <string.h>

namespace {

enum { RoomMakerRectangles = 3, RoomMakerPieces = 4, RoomMakerTries = 64 };

int32_t boxesOffGoals(const Board& b) {
    int32_t n = 0;
    for (unsigned char c : b.cells)
        n += c == CellCodeBox;
    return n;
}

bool isFloor(const Board& b, int32_t x, int32_t y) {
    return b.cells[y * BoardColumns + x] != CellCodeWall;
}

// A rectangle in the board's inside; after the first it overlaps the room
// made so far, so the room stays one piece.
void carveRectangles(Rng& rng, Board* b) {
    for (int32_t r = 0; r < RoomMakerRectangles; ++r) {
        int32_t w = randomBetween(rng, 5, 12), h = randomBetween(rng, 4, 8);
        int32_t x0, y0;
        for (;;) {
            x0 = randomBetween(rng, 1, BoardColumns - 1 - w);
            y0 = randomBetween(rng, 1, BoardRows - 1 - h);
            if (r == 0) break;
            bool joined = false;
            for (int32_t y = y0; y < y0 + h && !joined; ++y)
                for (int32_t x = x0; x < x0 + w && !joined; ++x)
                    joined = isFloor(*b, x, y);
            if (joined) break;
        }
        for (int32_t y = y0; y < y0 + h; ++y)
            for (int32_t x = x0; x < x0 + w; ++x)
                b->cells[y * BoardColumns + x] = CellCodeFloor;
    }
}

int32_t floorCount(const Board& b) {
    int32_t n = 0;
    for (unsigned char c : b.cells)
        n += c != CellCodeWall;
    return n;
}

int32_t anyFloor(const Board& b) {
    for (int32_t c = 0; c < BoardCellCount; ++c)
        if (b.cells[c] != CellCodeWall) return c;
    return -1;
}

bool isJoined(const Board& b) {
    int32_t cells[BoardCellCount];
    return walkRegion(b, anyFloor(b), cells) == floorCount(b);
}

// Short wall pieces (one to three cells in a row) where they keep the room
// in one piece.
void placePieces(Rng& rng, Board* b) {
    for (int32_t p = 0, tries = 0; p < RoomMakerPieces && tries < RoomMakerTries; ++tries) {
        Board next = *b;
        int32_t cell = randomBelow(rng, BoardCellCount);
        int32_t step = randomBelow(rng, 2) ? 1 : BoardColumns, length = randomBetween(rng, 1, 3);
        bool fits = true;
        for (int32_t i = 0; i < length && fits; ++i) {
            int32_t c = cell + i * step;
            fits = c < BoardCellCount && next.cells[c] == CellCodeFloor;
            if (fits) next.cells[c] = CellCodeWall;
        }
        if (!fits || !isJoined(next)) continue;
        *b = next;
        ++p;
    }
}

// boxes goals grown from one cell, each next to one already placed, with a
// box on each.
void placeGoalCluster(Rng& rng, Board* b, int32_t boxes) {
    int32_t first;
    do
        first = randomBelow(rng, BoardCellCount);
    while (b->cells[first] != CellCodeFloor);
    b->cells[first] = CellCodeBoxOnGoal;
    for (int32_t placed = 1; placed < boxes;) {
        int32_t c = randomBelow(rng, BoardCellCount);
        if (b->cells[c] != CellCodeFloor) continue;
        bool beside = false;
        for (int32_t d : BoardDirections)
            beside = beside ||
                     (isOnBoard(neighbour(c, d)) && b->cells[neighbour(c, d)] == CellCodeBoxOnGoal);
        if (!beside) continue;
        b->cells[c] = CellCodeBoxOnGoal;
        ++placed;
    }
}

// Backward play: the keeper walks to a cell beside a box and pulls it, often
// a few cells on in the same direction. Every pull undoes a push, so the
// room can be solved by playing them back.
void scatterBoxes(Rng& rng, MadeRoom* room, int32_t boxes) {
    int32_t region[BoardCellCount];
    // Enough rounds that most boxes have left their goals.
    for (int32_t round = 0; round < boxes * 40; ++round) {
        if (round >= boxes * 8 && boxesOffGoals(room->board) * 4 >= boxes * 3) break;
        int32_t count = walkRegion(room->board, room->player, region);
        int32_t cell = -1, direction = -1, options = 0;
        for (int32_t i = 0; i < count; ++i)
            for (int32_t d : BoardDirections)
                if (testPull(&room->board, region[i], d) && randomBelow(rng, ++options) == 0)
                    cell = region[i], direction = d;
        if (cell < 0) break;
        room->player = cell;
        do
            applyPull(&room->board, &room->player, direction);
        while (testPull(&room->board, room->player, direction) && randomBelow(rng, 3) != 0);
    }
    int32_t count = walkRegion(room->board, room->player, region);
    room->player = region[randomBelow(rng, count)];
}

} // namespace

MadeRoom makeRoom(uint64_t seed, uint64_t job, int32_t boxes) {
    Rng rng = streamFor(seed, job);
    for (;;) {
        MadeRoom room;
        memset(room.board.cells, CellCodeWall, BoardCellCount);
        carveRectangles(rng, &room.board);
        placePieces(rng, &room.board);
        if (floorCount(room.board) < boxes * 3) continue;
        placeGoalCluster(rng, &room.board, boxes);
        room.player = -1;
        for (int32_t tries = 0; tries < RoomMakerTries && room.player < 0; ++tries) {
            int32_t c = randomBelow(rng, BoardCellCount);
            if (room.board.cells[c] == CellCodeFloor) room.player = c;
        }
        if (room.player < 0) continue;
        scatterBoxes(rng, &room, boxes);
        if (boxesOffGoals(room.board) * 4 < boxes * 3) continue; // the keeper was shut out
        return room;
    }
}
