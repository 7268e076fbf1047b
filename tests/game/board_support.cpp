#include "board_support.h"

#include "recording_platform.h"

#include <stdio.h>
#include <string.h>

void useBoard(const std::vector<std::string>& rows) {
    memset(&game, 0, sizeof game);
    memset(game.board.cells, CellCodeWall, BoardCellCount);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            int32_t cell = cellAt((int32_t)r, (int32_t)c);
            unsigned char code = (unsigned char)rows[r][c];
            if (code == CellCodeStart) {
                game.playerCell = cell;
                code = CellCodeFloor;
            }
            game.board.cells[cell] = code;
        }
    }
    game.boxesLeft = countCells(game.board, CellCodeBox);
    recorderReset();
}

int countCells(const Board& board, unsigned char code) {
    int n = 0;
    for (unsigned char c : board.cells)
        n += c == code;
    return n;
}

std::vector<std::string> boardRows() {
    std::vector<std::string> rows;
    for (int32_t r = 0; r < BoardRows; ++r) {
        std::string row((const char*)game.board.cells + r * BoardColumns, BoardColumns);
        if (game.playerCell / BoardColumns == r) row[game.playerCell % BoardColumns] = 'P';
        rows.push_back(row);
    }
    return rows;
}

void finishSlide() {
    for (int tick = 0; tick < 4; ++tick)
        advanceSlide();
}

std::vector<std::string> spriteLeaves(const char* surface, int x0, int y0, int x1, int y1) {
    char a[64], b[64], c[64];
    snprintf(a, sizeof a, "restoreUnder(%s,%d,%d)", surface, x0, y0);
    snprintf(b, sizeof b, "invalidate(%d,%d,%d,%d)", x0, y0, x0 + 32, y0 + 32);
    snprintf(c, sizeof c, "saveUnder(%s,%d,%d)", surface, x1, y1);
    return {a, b, c};
}
