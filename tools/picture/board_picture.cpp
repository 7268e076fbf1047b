// The software display behind the board pictures; see board_picture.h.
#include "board_picture.h"

#include <stdio.h>
#include <string.h>

#include "game/game.h"
#include "game/platform.h"
#include "move_play.h"
#include "png/png.h"
#include "png/png_host.h"

ModelSignals modelSignals;

namespace {

// The shell's back buffer is 645 by 550; only the board part is ever drawn.
constexpr int32_t BackBufferWidth = 645;
constexpr int32_t BackBufferHeight = 550;
constexpr uint32_t KeyColour = 0xFF00FF;

Picture backBuffer = [] {
    Picture p;
    p.width = BackBufferWidth;
    p.height = BackBufferHeight;
    p.pixels.assign((size_t)BackBufferWidth * BackBufferHeight, 0);
    return p;
}();
Picture tileSheet, boxSheet, playerSheet;
Picture saveUnders[2];
std::string dialogAnswer;

bool readFile(const std::string& path, std::vector<uint8_t>* bytes) {
    FILE* in = fopen(path.c_str(), "rb");
    if (!in) return false;
    uint8_t buffer[65536];
    size_t n;
    bytes->clear();
    while ((n = fread(buffer, 1, sizeof buffer, in)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + n);
    fclose(in);
    return true;
}

// Decodes a PNG file through our own decoder into 0xRRGGBB pixels.
bool decodeSheet(const std::string& path, Picture* sheet, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!readFile(path, &bytes)) {
        *error = "cannot read " + path;
        return false;
    }
    PngImage image;
    pngInit(&image);
    PngBitmap bitmap = 0;
    if (pngAttachBorrowed(&image, bytes.data(), (uint32_t)bytes.size()) && pngDecode(&image))
        bitmap = pngMakeBitmap(&image, 0, OutputFormatAutomatic, 0);
    const uint32_t failure = image.error;
    pngFree(&image);
    if (!bitmap) {
        *error = path + ": " + pngErrorName(failure);
        return false;
    }
    const PngBitmapInfo* info = pngHostBitmapInfo(bitmap);
    const uint8_t* pixels = pngHostBitmapPixels(bitmap);
    const uint32_t stride = pngHostBitmapStride(bitmap);
    const uint32_t bits = pngHostBitmapBitCount(bitmap);
    sheet->width = (int32_t)pngHostBitmapWidth(bitmap);
    sheet->height = (int32_t)pngHostBitmapHeight(bitmap);
    sheet->pixels.assign((size_t)sheet->width * sheet->height, 0);
    for (int32_t y = 0; y < sheet->height; ++y) {
        const uint8_t* row = pixels + (size_t)y * stride;
        for (int32_t x = 0; x < sheet->width; ++x) {
            uint32_t colour = 0;
            if (bits == 24 || bits == 32) {
                const uint8_t* p = row + (size_t)x * (bits / 8); // B, G, R
                colour = (uint32_t)p[2] << 16 | (uint32_t)p[1] << 8 | p[0];
            } else if (bits == 8 || bits == 4 || bits == 2 || bits == 1) {
                const uint32_t bit = (uint32_t)x * bits;
                const uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                const PngRgbQuad& q = info->bmiColors[index];
                colour = (uint32_t)q.rgbRed << 16 | (uint32_t)q.rgbGreen << 8 | q.rgbBlue;
            } else {
                *error = path + ": unexpected bit count " + std::to_string(bits);
                pngHostDeleteBitmap(bitmap);
                return false;
            }
            sheet->pixels[(size_t)y * sheet->width + x] = colour;
        }
    }
    pngHostDeleteBitmap(bitmap);
    return true;
}

uint32_t pixelAt(const Picture& p, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= p.width || y >= p.height) return 0; // a missing sheet draws black
    return p.pixels[(size_t)y * p.width + x];
}

void putPixel(Picture* p, int32_t x, int32_t y, uint32_t colour) {
    if (x < 0 || y < 0 || x >= p->width || y >= p->height) return; // GDI clips to the surface
    p->pixels[(size_t)y * p->width + x] = colour;
}

void copyBlock(Picture* to, int32_t toX, int32_t toY, const Picture& from, int32_t fromX,
               int32_t fromY, bool keyed) {
    for (int32_t dy = 0; dy < CellPixels; ++dy)
        for (int32_t dx = 0; dx < CellPixels; ++dx) {
            const uint32_t colour = pixelAt(from, fromX + dx, fromY + dy);
            if (keyed && colour == KeyColour) continue;
            putPixel(to, toX + dx, toY + dy, colour);
        }
}

Picture blank(int32_t width, int32_t height) {
    Picture p;
    p.width = width;
    p.height = height;
    p.pixels.assign((size_t)width * height, 0);
    return p;
}

} // namespace

// ---- the display operations of the game core ------------------------------

void drawTile(Sheet sheet, int32_t n, int32_t x, int32_t y) {
    copyBlock(&backBuffer, x, y, sheet == SheetBox ? boxSheet : tileSheet, n * CellPixels, 0,
              false);
}

void drawKeeper(int32_t frame, int32_t x, int32_t y) {
    copyBlock(&backBuffer, x, y, playerSheet, frame * CellPixels, game.pushing ? CellPixels : 0,
              true);
}

void saveUnder(SaveUnderSurface surface, int32_t x, int32_t y) {
    Picture& block = saveUnders[surface == SaveUnderBox];
    block = blank(CellPixels, CellPixels);
    copyBlock(&block, 0, 0, backBuffer, x, y, false);
}

void restoreUnder(SaveUnderSurface surface, int32_t x, int32_t y) {
    const Picture& block = saveUnders[surface == SaveUnderBox];
    copyBlock(&backBuffer, x, y, block, 0, 0, false);
}

void invalidateArea(const Rect*) {}
void refreshLevelAndBoxes() {}
void refreshSteps() {}
void setUndoEnabled(int enabled) {
    modelSignals.undoEnabled = enabled;
}
void postLevelSolved() {
    ++modelSignals.levelSolvedPosted;
}
void showCongratulation() {
    ++modelSignals.congratulations;
}

// Saved games: the model loads the very file the real game loads.

static int answerDialog() {
    if (dialogAnswer.empty() || dialogAnswer.size() >= FileNameCapacity) return 0;
    memcpy(fileDialogName, dialogAnswer.c_str(), dialogAnswer.size() + 1);
    return 1;
}
int showSaveDialog(uint32_t) {
    return answerDialog();
}
int showOpenDialog(uint32_t) {
    return answerDialog();
}
NewFileResult writeNewFile(const char*, const void*, uint32_t) {
    return NewFileFailed;
}
int replaceFile(const char*, const char*) {
    return 0;
}
void removeFile(const char*) {}
int readFilePrefix(const char* name, void* bytes, uint32_t capacity, uint32_t* size) {
    FILE* in = fopen(name, "rb");
    if (!in) return 0;
    *size = (uint32_t)fread(bytes, 1, capacity, in);
    fclose(in);
    return 1;
}
void showLoadRefused(SavedGameCheck) {
    ++modelSignals.loadRefusals;
}
void showSaveFailed(int) {}

// ---- the rest of the interface ------------------------------------------------

bool loadSheets(const std::string& shellFolder, std::string* error) {
    return decodeSheet(shellFolder + "/tiles.png", &tileSheet, error) &&
           decodeSheet(shellFolder + "/boxes.png", &boxSheet, error) &&
           decodeSheet(shellFolder + "/keeper.png", &playerSheet, error);
}

bool readPngPicture(const std::string& path, Picture* picture, std::string* error) {
    return decodeSheet(path, picture, error);
}

Picture boardPicture() {
    Picture board = blank(BoardPixelWidth, BoardPixelHeight);
    for (int32_t y = 0; y < BoardPixelHeight; ++y)
        memcpy(&board.pixels[(size_t)y * BoardPixelWidth],
               &backBuffer.pixels[(size_t)y * backBuffer.width],
               BoardPixelWidth * sizeof(uint32_t));
    return board;
}

Picture levelStartPicture(int32_t n) {
    Picture board = blank(BoardPixelWidth, BoardPixelHeight);
    for (int32_t cell = 0; cell < BoardCellCount; ++cell) {
        const int32_t x = cell % BoardColumns * CellPixels, y = cell / BoardColumns * CellPixels;
        const unsigned char code = LevelTable[n][cell];
        const Picture* sheet = &tileSheet;
        int32_t tile = 1; // floor, also for every unknown code
        int32_t keeper = -1;
        switch (code) {
        case '@':
            tile = 0;
            break;
        case 'x':
            tile = 2;
            break;
        case 'o':
            sheet = &boxSheet;
            tile = 0;
            break;
        case '#':
            sheet = &boxSheet;
            tile = 1;
            break;
        case '$':
        case '^':
            keeper = DirectionUp;
            break;
        case '>':
            keeper = DirectionRight;
            break;
        case '<':
            keeper = DirectionLeft;
            break;
        case 'v':
            keeper = DirectionDown;
            break;
        }
        copyBlock(&board, x, y, *sheet, tile * CellPixels, 0, false);
        if (keeper >= 0) copyBlock(&board, x, y, playerSheet, keeper * CellPixels, 0, true);
    }
    return board;
}

Picture keeperFrame(int32_t frame, int32_t row) {
    Picture block = blank(CellPixels, CellPixels);
    copyBlock(&block, 0, 0, playerSheet, frame * CellPixels, row * CellPixels, false);
    return block;
}

Picture keeperOnCell(int32_t frame, int32_t row, unsigned char cellCode) {
    Picture block = blank(CellPixels, CellPixels);
    copyBlock(&block, 0, 0, tileSheet, (cellCode == CellCodeGoal ? 2 : 1) * CellPixels, 0, false);
    copyBlock(&block, 0, 0, playerSheet, frame * CellPixels, row * CellPixels, true);
    return block;
}

Picture cutSquare(const Picture& picture, int32_t x, int32_t y) {
    Picture block = blank(CellPixels, CellPixels);
    copyBlock(&block, 0, 0, picture, x, y, false);
    return block;
}

void answerLevelSolved() {
    while (modelSignals.levelSolvedPosted > 0) {
        --modelSignals.levelSolvedPosted;
        levelSolved();
    }
}

int modelMove(int32_t direction) {
    const int32_t before = game.steps;
    playMove(direction);
    answerLevelSolved();
    return game.steps != before;
}

void setModelDialogAnswer(const std::string& windowsName) {
    dialogAnswer = windowsName;
}

int64_t countDifferences(const Picture& a, const Picture& b, int32_t* firstX, int32_t* firstY) {
    if (a.width != b.width || a.height != b.height) return -1;
    int64_t count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        if ((a.pixels[i] & 0xFFFFFF) == (b.pixels[i] & 0xFFFFFF)) continue;
        if (count++ == 0) {
            if (firstX) *firstX = (int32_t)(i % a.width);
            if (firstY) *firstY = (int32_t)(i / a.width);
        }
    }
    return count;
}

bool readPpm(const std::string& path, Picture* picture) {
    std::vector<uint8_t> bytes;
    if (!readFile(path, &bytes)) return false;
    int width = 0, height = 0, maximum = 0, used = 0;
    bytes.push_back(0);
    if (sscanf((const char*)bytes.data(), "P6 %d %d %d%n", &width, &height, &maximum, &used) != 3)
        return false;
    bytes.pop_back();
    const size_t start = (size_t)used + 1, need = (size_t)width * height * 3;
    if (maximum != 255 || width <= 0 || height <= 0 || bytes.size() < start + need) return false;
    *picture = blank(width, height);
    for (size_t i = 0; i < (size_t)width * height; ++i) {
        const uint8_t* p = &bytes[start + i * 3];
        picture->pixels[i] = (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
    }
    return true;
}

bool writePpm(const std::string& path, const Picture& picture) {
    FILE* out = fopen(path.c_str(), "wb");
    if (!out) return false;
    fprintf(out, "P6\n%d %d\n255\n", picture.width, picture.height);
    for (uint32_t colour : picture.pixels) {
        const uint8_t rgb[3] = {(uint8_t)(colour >> 16), (uint8_t)(colour >> 8), (uint8_t)colour};
        fwrite(rgb, 1, 3, out);
    }
    return fclose(out) == 0;
}

Picture differencePicture(const Picture& a, const Picture& b) {
    Picture d = blank(a.width, a.height);
    if (a.width != b.width || a.height != b.height) return d;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        if ((a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF)) d.pixels[i] = 0xFF0000;
    return d;
}
