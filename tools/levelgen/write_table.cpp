// Writes game/level_table.cpp (one block of 16 ROW lines per level, its
// figures in the comment above it) and the solutions file (one line per
// level).
#include <stdio.h>

#include <algorithm>

#include "assemble.h"
#include "rules.h"

namespace {

const char* TableHead =
    "// The 50 built-in levels in playing order, 16 rows of 20 cells each.\n"
    "// Cells: '@' wall, ' ' floor, 'x' goal, 'o' box, '#' box on a goal;\n"
    "// the keeper's start is '$' in levels 1 to 8 and '<' '>' '^' 'v' (his\n"
    "// facing) from level 9 on.\n"
    "//\n"
    "// %s\n"
    "// Each level's comment gives its boxes, the fewest pushes (proven by\n"
    "// tools/solver) and the moves of the stored solution in\n"
    "// tools/levelgen/solutions.txt, the lone-box estimate (the pushes the\n"
    "// boxes would need if each were alone) and the effort: positions the\n"
    "// plain search expands per push of the optimum (\"at least\" where it\n"
    "// stopped unfinished after the positions given).\n"
    "#include \"game.h\"\n"
    "\n"
    "namespace {\n"
    "\n"
    "// The parameter type takes only a string of exactly one row, so a row of\n"
    "// the wrong length does not compile.\n"
    "constexpr unsigned char cellOf(const char (&row)[BoardColumns + 1], int column) {\n"
    "    return static_cast<unsigned char>(row[column]);\n"
    "}\n"
    "\n"
    "} // namespace\n"
    "\n"
    "#define ROW(r)                                                                    \\\n"
    "    cellOf(r, 0), cellOf(r, 1), cellOf(r, 2), cellOf(r, 3), cellOf(r, 4), cellOf(r, 5), \\\n"
    "        cellOf(r, 6), cellOf(r, 7), cellOf(r, 8), cellOf(r, 9), cellOf(r, 10),           \\\n"
    "        cellOf(r, 11), cellOf(r, 12), cellOf(r, 13), cellOf(r, 14), cellOf(r, 15),       \\\n"
    "        cellOf(r, 16), cellOf(r, 17), cellOf(r, 18), cellOf(r, 19)\n"
    "\n"
    "// clang-format off\n"
    "const unsigned char LevelTable[LevelCount][BoardCellCount] = {\n";

// The room moved to the middle of the board (off by one cell at most where
// the free space is odd): rooms joined on the whole board lie where they
// fitted.
int32_t centringShift(const Board& board) {
    int32_t top = BoardRows, bottom = -1, left = BoardColumns, right = -1;
    for (int32_t i = 0; i < BoardCellCount; ++i) {
        if (board.cells[i] == CellCodeWall) continue;
        top = std::min(top, i / BoardColumns), bottom = std::max(bottom, i / BoardColumns);
        left = std::min(left, i % BoardColumns), right = std::max(right, i % BoardColumns);
    }
    int32_t rows = bottom - top + 1, columns = right - left + 1;
    return ((BoardRows - rows) / 2 - top) * BoardColumns + (BoardColumns - columns) / 2 - left;
}

void writeLevelBlock(FILE* out, int32_t n, const Candidate& c) {
    char parked[64] = "";
    if (c.onGoal > 0)
        snprintf(parked, sizeof parked, ", %d on goals (%d moved)", c.onGoal, c.parkedMoved);
    fprintf(out,
            "    // Level %d: %d boxes%s; %d pushes (fewest), %d moves; lone-box estimate %d;"
            " effort %s%.1f (%lld positions%s)\n    {\n",
            n + 1, boxesOffGoal(c), parked, c.pushes, c.moves, c.loneEstimate,
            c.plainStopped ? "at least " : "", effortOf(c), (long long)c.plainExpanded,
            c.plainStopped ? ", unfinished" : "");
    int32_t shift = centringShift(c.board);
    for (int32_t r = 0; r < BoardRows; ++r) {
        char row[BoardColumns + 1];
        for (int32_t k = 0; k < BoardColumns; ++k) {
            int32_t cell = r * BoardColumns + k - shift;
            bool on = cell >= 0 && cell < BoardCellCount;
            row[k] = !on                    ? (char)CellCodeWall
                     : cell == c.keeperCell ? (char)startCodeFor(n, c)
                                            : (char)c.board.cells[cell];
        }
        row[BoardColumns] = 0;
        fprintf(out, "        ROW(\"%s\"),\n", row);
    }
    fprintf(out, "    },\n");
}

} // namespace

unsigned char startCodeFor(int32_t n, const Candidate& level) {
    if (n < LevelsWithPlainStart || level.solution.empty()) return CellCodeStart;
    switch (letterDirection(level.solution[0])) {
    case DirectionLeft:
        return CellCodeStartLeft;
    case DirectionRight:
        return CellCodeStartRight;
    case DirectionDown:
        return CellCodeStartDown;
    default:
        return CellCodeStartUp;
    }
}

bool writeLevelTable(const std::string& path, const std::vector<Candidate>& levels,
                     const std::string& madeBy) {
    FILE* out = fopen(path.c_str(), "w");
    if (!out) return false;
    fprintf(out, TableHead, madeBy.c_str());
    for (size_t n = 0; n < levels.size(); ++n)
        writeLevelBlock(out, (int32_t)n, levels[n]);
    fprintf(out, "};\n// clang-format on\n");
    return fclose(out) == 0;
}

bool writeSolutions(const std::string& path, const std::vector<Candidate>& levels) {
    FILE* out = fopen(path.c_str(), "w");
    if (!out) return false;
    for (const Candidate& c : levels)
        fprintf(out, "%s\n", c.solution.c_str());
    return fclose(out) == 0;
}
