// bexaran-levelsheet: the level set shown. Writes docs/levels.md (a row of
// figures per level) and docs/levels.png (every level as it starts, drawn by
// the board picture library from the game's own sheets, at half size), from
// the compiled level table, the stored solutions and the figures in the
// table's comments.
//
//   bexaran-levelsheet SOURCE_DIR           rewrites the two files
//   bexaran-levelsheet SOURCE_DIR --check   exits 1 unless they are current
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "art_image.h"
#include "board_kit.h"
#include "board_picture.h"
#include "game.h"
#include "level_figures.h"
#include "solution_shape.h"
#include "solver.h"

namespace {

enum {
    SheetColumns = 5,
    Shrink = 2,
    Gap = 8,
};

// The part of the board each level's picture shows: the 12 by 12 cells
// around the middle while every room fits in them (small rooms stay big on
// the sheet), else the whole board.
struct Crop {
    int32_t left, top, columns, rows;
};

Crop sheetCrop() {
    Crop middle = {4, 2, 12, 12};
    for (int32_t n = 0; n < LevelCount; ++n)
        for (int32_t i = 0; i < BoardCellCount; ++i) {
            int32_t r = i / BoardColumns, k = i % BoardColumns;
            // The room's open cells and the wall ring around them.
            if (LevelTable[n][i] != CellCodeWall &&
                (k <= middle.left || k >= middle.left + middle.columns - 1 || r <= middle.top ||
                 r >= middle.top + middle.rows - 1))
                return {0, 0, BoardColumns, BoardRows};
        }
    return middle;
}

const uint32_t SheetBackground = 0x202020;

struct Row {
    int32_t boxes; // off goal at the start
    int32_t onGoal, parkedMoved, pushes, moves, lone, inManyRuns;
    double effort;
    bool unfinished; // the effort is a lower bound
};

// The figures of level n from the table, its solution and its comment; false
// with a message when the three disagree.
bool measureLevel(int32_t n, const std::string& solution, const LevelFigures& noted, Row* row) {
    Board board;
    int32_t start = splitStart(LevelTable[n], &board);
    SolutionShape shape = measureSolution(board, start, solution);
    row->boxes = (int32_t)shape.boxRuns.size() - shape.parkedBoxes;
    row->onGoal = shape.parkedBoxes;
    row->parkedMoved = shape.parkedBoxes - shape.restingBoxes;
    row->pushes = shape.pushes;
    row->moves = shape.moves;
    row->lone = loneBoxEstimate(board, start);
    row->inManyRuns = 0;
    for (int32_t r : shape.boxRuns)
        row->inManyRuns += r >= 2;
    row->effort = noted.effort;
    row->unfinished = noted.unfinished;
    if (shape.solves && noted.boxes == row->boxes && noted.onGoal == row->onGoal &&
        noted.parkedMoved == row->parkedMoved && noted.pushes == row->pushes &&
        noted.moves == row->moves && noted.loneEstimate == row->lone)
        return true;
    fprintf(stderr, "level %d: the table's comment, the solution and the board disagree\n", n + 1);
    return false;
}

std::string markdown(const std::vector<Row>& rows) {
    std::string md =
        "# The levels\n\n"
        "Every level of the game with what the solver measures of it. Written by\n"
        "`bexaran-levelsheet` (`cmake --build build/host --target levels-doc`) from the\n"
        "level table and `tools/levelgen/solutions.txt`; a unit test checks that this\n"
        "page and `levels.png` match them.\n\n"
        "- **Pushes**: the fewest that solve the level, proven by `bexaran-solve`.\n"
        "  **Moves**: the stored solution's steps, the fewest the solver found among\n"
        "  solutions with that many pushes.\n"
        "- **Lone-box estimate**: the pushes needed if every box were alone on the board\n"
        "  (best matching of boxes to goals). **Over** is how far the optimum exceeds it:\n"
        "  the price of boxes standing in each other's way.\n"
        "- **Shared boxes**: boxes pushed in two separate runs or more (another box is\n"
        "  pushed in between).\n"
        "- **Effort**: positions a plain search (matching estimate and dead squares\n"
        "  only) expands per push of the optimum; it measures how hard the ideas are.\n"
        "  A figure with \"≥\" is a lower bound: the plain search stopped unfinished\n"
        "  (the solver's proof of the level does not need it).\n";
    // Boxes standing on goals at the start get their column when a level has any.
    bool parked = false;
    for (const Row& r : rows)
        parked |= r.onGoal > 0;
    if (parked)
        md += "- **Boxes** are those off goal at the start; **On goal** those standing on\n"
              "  goals, with how many of them the solution moves.\n";
    md += parked
              ? "\n| Level | Boxes | On goal (moved) | Pushes | Moves | Lone-box estimate | Over "
                "| Shared boxes | Effort |\n|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n"
              : "\n| Level | Boxes | Pushes | Moves | Lone-box estimate | Over | Shared boxes "
                "| Effort |\n|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    char line[256];
    for (size_t n = 0; n < rows.size(); ++n) {
        const Row& r = rows[n];
        char onGoal[32] = "";
        if (parked) snprintf(onGoal, sizeof onGoal, " %d (%d) |", r.onGoal, r.parkedMoved);
        snprintf(line, sizeof line, "| %zu | %d |%s %d | %d | %d | %d%% | %d | %s%.1f |\n", n + 1,
                 r.boxes, onGoal, r.pushes, r.moves, r.lone,
                 r.lone > 0 ? (int)((r.pushes - r.lone) * 100 / r.lone) : 0, r.inManyRuns,
                 r.unfinished ? "≥ " : "", r.effort);
        md += line;
    }
    md += "\nMean effort per ten levels:";
    for (size_t d = 0; d + 10 <= rows.size(); d += 10) {
        double sum = 0;
        bool bound = false;
        for (size_t n = d; n < d + 10; ++n)
            sum += rows[n].effort, bound |= rows[n].unfinished;
        snprintf(line, sizeof line, "%s levels %zu-%zu: %s%.1f", d ? ";" : "", d + 1, d + 10,
                 bound ? "≥ " : "", sum / 10);
        md += line;
    }
    md +=
        ".\n\n![The 50 levels as they start, five to a row, level 1 at the top left](levels.png)\n";
    return md;
}

// Every level at half size, five to a row, in playing order: the middle of
// the board while the rooms are small, the whole board when one is not.
ArtImage sheetPicture() {
    const Crop crop = sheetCrop();
    const int32_t tileWidth = crop.columns * CellPixels / Shrink;
    const int32_t tileHeight = crop.rows * CellPixels / Shrink;
    int32_t sheetRows = (LevelCount + SheetColumns - 1) / SheetColumns;
    ArtImage sheet = makeImage(Gap + SheetColumns * (tileWidth + Gap),
                               Gap + sheetRows * (tileHeight + Gap), SheetBackground);
    for (int32_t n = 0; n < LevelCount; ++n) {
        Picture board = levelStartPicture(n);
        int32_t x0 = Gap + n % SheetColumns * (tileWidth + Gap);
        int32_t y0 = Gap + n / SheetColumns * (tileHeight + Gap);
        for (int32_t y = 0; y < tileHeight; ++y)
            for (int32_t x = 0; x < tileWidth; ++x) {
                uint32_t r = 0, g = 0, b = 0;
                for (int32_t dy = 0; dy < Shrink; ++dy)
                    for (int32_t dx = 0; dx < Shrink; ++dx) {
                        int32_t bx = crop.left * CellPixels + x * Shrink + dx;
                        int32_t by = crop.top * CellPixels + y * Shrink + dy;
                        uint32_t c = board.pixels[(size_t)by * board.width + bx];
                        r += c >> 16 & 0xFF, g += c >> 8 & 0xFF, b += c & 0xFF;
                    }
                const uint32_t area = Shrink * Shrink;
                setPixel(sheet, x0 + x, y0 + y, (r / area) << 16 | (g / area) << 8 | b / area);
            }
    }
    return sheet;
}

bool sameAsFile(const std::string& path, const std::string& text) {
    std::vector<std::string> lines = readLines(path);
    std::string joined;
    for (const std::string& l : lines)
        joined += l + "\n";
    return joined == text;
}

bool samePicture(const std::string& path, const ArtImage& image) {
    Picture stored;
    std::string error;
    if (!readPngPicture(path, &stored, &error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    if (stored.width != image.width || stored.height != image.height) return false;
    for (size_t i = 0; i < image.pixels.size(); ++i)
        if ((stored.pixels[i] & 0xFFFFFF) != (image.pixels[i] & 0xFFFFFF)) return false;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || (argc == 3 && strcmp(argv[2], "--check")) || argc > 3) {
        fprintf(stderr, "usage: bexaran-levelsheet SOURCE_DIR [--check]\n");
        return 2;
    }
    const std::string root = argv[1];
    const bool check = argc == 3;
    std::string error;
    std::vector<LevelFigures> noted;
    std::vector<std::string> solutions = readLines(root + "/tools/levelgen/solutions.txt");
    if (!loadSheets(root + "/shell", &error) ||
        !readLevelFigures(root + "/game/level_table.cpp", &noted) ||
        noted.size() != (size_t)LevelCount || solutions.size() != (size_t)LevelCount) {
        fprintf(stderr, "bexaran-levelsheet: cannot read the sheets, figures or solutions %s\n",
                error.c_str());
        return 1;
    }
    std::vector<Row> rows(LevelCount);
    for (int32_t n = 0; n < LevelCount; ++n)
        if (!measureLevel(n, solutions[n], noted[n], &rows[n])) return 1;
    const std::string md = markdown(rows), mdPath = root + "/docs/levels.md";
    const ArtImage picture = sheetPicture();
    const std::string pngPath = root + "/docs/levels.png";
    if (check) {
        bool mdOk = sameAsFile(mdPath, md), pngOk = samePicture(pngPath, picture);
        if (!mdOk) fprintf(stderr, "%s is out of date\n", mdPath.c_str());
        if (!pngOk) fprintf(stderr, "%s is out of date\n", pngPath.c_str());
        return mdOk && pngOk ? 0 : 1;
    }
    FILE* out = fopen(mdPath.c_str(), "w");
    bool written = out && fputs(md.c_str(), out) >= 0;
    if (out) written = fclose(out) == 0 && written;
    if (!written || !writeFile(pngPath, encodePng(picture))) {
        fprintf(stderr, "bexaran-levelsheet: cannot write %s or %s\n", mdPath.c_str(),
                pngPath.c_str());
        return 1;
    }
    return 0;
}
