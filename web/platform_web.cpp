// The game core's platform operations for the browser. The back buffer is an
// RGBA pixel array that the page copies to its canvas; the three sheets are
// the shell's own PNG files, carried in the module and decoded by our decoder;
// the status bar, the Undo item, the message boxes and the downloads belong to
// the page (web/page.js), which this file reaches through a few imported
// JavaScript functions that take numbers and UTF-16 texts only.
#include <emscripten.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "game/game.h"
#include "game/platform.h"
#include "game/rules.h"
#include "png/png.h"
#include "png/png_host.h"
#include "shell/texts.h"
#include "web/pointing.h"
#include "web/sheets.h"

// ---- the page's side ---------------------------------------------------------

// clang-format off
EM_JS(void, pageStatus, (int part, const uint16_t* text, int length), {
    Bexaran.status(part, String.fromCharCode.apply(null, HEAPU16.subarray(text >> 1, (text >> 1) + length)));
});
EM_JS(void, pageUndoEnabled, (int enabled), { Bexaran.undoEnabled(enabled); });
EM_JS(void, pagePostLevelSolved, (), { Bexaran.postLevelSolved(); });
EM_JS(void, pageMessage, (const uint16_t* text, int textLength, const uint16_t* caption, int captionLength), {
    var read = function(at, n) { return String.fromCharCode.apply(null, HEAPU16.subarray(at >> 1, (at >> 1) + n)); };
    Bexaran.message(read(text, textLength), read(caption, captionLength));
});
EM_JS(void, pageDownload, (const unsigned char* bytes, int size), {
    Bexaran.download(HEAPU8.slice(bytes, bytes + size));
});
// clang-format on

namespace {

enum {
    BackBufferWidth = BoardColumns * CellPixels, // 640
    BackBufferHeight = BoardRows * CellPixels,   // 512
    KeyColour = 0xFF00FF, // magenta, the same in RGB and BGR order: transparent in keeper frames
    ImageKeeper = 2000,
    ImageTiles = 2001,
    ImageBoxes = 2002,
    TextCapacity = 256, // longer than any text of the game
    StatusPartLevel = 0,
    StatusPartBoxes = 1,
    StatusPartSteps = 2,
};

constexpr uint32_t OpaqueBlack = 0xFF000000u;

// Pixels as the canvas wants them: bytes R, G, B, A, i.e. 0xAABBGGRR.
struct Sheet32 {
    int32_t width, height;
    uint32_t* pixels; // null when the image did not load: it then draws nothing
};

uint32_t backBuffer[BackBufferWidth * BackBufferHeight];
Sheet32 tileSheet, boxSheet, playerSheet;
uint32_t saveUnders[2][CellPixels * CellPixels];
Rect dirty; // what changed since the page last copied; empty when right <= left

// A file the page has read for the core: a chosen saved game, or the position
// kept in local storage. One byte more than a saved game, so a longer file
// shows as too long.
unsigned char pendingFile[SavedGameSize + 1];
uint32_t pendingFileSize;
bool pendingFileReadable;
// What the last save wrote, handed to the page as a download.
unsigned char savedBytes[SavedGameSize];
uint32_t savedBytesSize;
unsigned char position[SavedGameSize];
// The editor's room as drawn, and the saved game the core made of it.
unsigned char roomCells[BoardCellCount];
unsigned char judgedGame[SavedGameSize];
// The game while the editor has the board, and the keeper's cell as it was
// drawn (his frame is the last one of his last move, which the state does
// not record).
GameState keptGame;
UndoSnapshot keptSnapshot;
uint32_t keptKeeperCell[CellPixels * CellPixels];

uint32_t fromBgr(uint8_t blue, uint8_t green, uint8_t red) {
    return OpaqueBlack | (uint32_t)blue << 16 | (uint32_t)green << 8 | red;
}

uint32_t pixelFromBitmap(PngBitmap bitmap, const uint8_t* row, int32_t x) {
    const uint32_t bits = pngHostBitmapBitCount(bitmap);
    if (bits == 24 || bits == 32) {
        const uint8_t* p = row + (size_t)x * (bits / 8);
        return fromBgr(p[0], p[1], p[2]);
    }
    const uint32_t bit = (uint32_t)x * bits; // 1, 2, 4 or 8 bits: a palette index
    const uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
    const PngRgbQuad& q = pngHostBitmapInfo(bitmap)->bmiColors[index];
    return fromBgr(q.rgbBlue, q.rgbGreen, q.rgbRed);
}

// The same steps as the Windows shell's resource load: find, decode, make the
// bitmap, free the record; then the bitmap's rows become canvas pixels.
bool loadSheet(uint32_t resourceId, Sheet32* sheet) {
    PngImage image;
    pngInit(&image);
    PngBitmap bitmap = 0;
    if (pngLoadResource(&image, nullptr, resourceId) && pngDecode(&image))
        bitmap = pngMakeBitmap(&image, nullptr, OutputFormatAutomatic, 0);
    pngFree(&image);
    if (!bitmap) return false;
    const uint32_t bits = pngHostBitmapBitCount(bitmap);
    sheet->width = (int32_t)pngHostBitmapWidth(bitmap);
    sheet->height = (int32_t)pngHostBitmapHeight(bitmap);
    sheet->pixels = (uint32_t*)malloc((size_t)sheet->width * sheet->height * sizeof(uint32_t));
    if (!sheet->pixels ||
        (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 24 && bits != 32)) {
        free(sheet->pixels);
        sheet->pixels = nullptr;
        pngHostDeleteBitmap(bitmap);
        return false;
    }
    for (int32_t y = 0; y < sheet->height; ++y) {
        const uint8_t* row = pngHostBitmapPixels(bitmap) + (size_t)y * pngHostBitmapStride(bitmap);
        for (int32_t x = 0; x < sheet->width; ++x)
            sheet->pixels[(size_t)y * sheet->width + x] = pixelFromBitmap(bitmap, row, x);
    }
    pngHostDeleteBitmap(bitmap);
    return true;
}

// A missing sheet, or a tile beyond its edge, draws black, as a blit from an
// empty bitmap would.
uint32_t sheetPixel(const Sheet32& sheet, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= sheet.width || y >= sheet.height) return OpaqueBlack;
    return sheet.pixels[(size_t)y * sheet.width + x];
}

void putPixel(int32_t x, int32_t y, uint32_t colour) {
    if (x < 0 || y < 0 || x >= BackBufferWidth || y >= BackBufferHeight) return; // clipped
    backBuffer[(size_t)y * BackBufferWidth + x] = colour;
}

void copyFromSheet(const Sheet32& sheet, int32_t fromX, int32_t fromY, int32_t x, int32_t y,
                   bool keyed) {
    if (!sheet.pixels) return;
    for (int32_t dy = 0; dy < CellPixels; ++dy)
        for (int32_t dx = 0; dx < CellPixels; ++dx) {
            const uint32_t colour = sheetPixel(sheet, fromX + dx, fromY + dy);
            if (keyed && (colour & 0xFFFFFF) == KeyColour) continue; // symmetric in R and B
            putPixel(x + dx, y + dy, colour);
        }
}

void sendStatus(int part, const StatusText& text) {
    uint16_t wide[StatusTextCapacity];
    size_t length = widenWindows1251(text.bytes, wide, StatusTextCapacity);
    pageStatus(part, wide, (int)length);
}

void sendMessage(const char* text, const char* caption) {
    uint16_t wideText[TextCapacity], wideCaption[TextCapacity];
    size_t textLength = widenWindows1251(text, wideText, TextCapacity);
    size_t captionLength = widenWindows1251(caption, wideCaption, TextCapacity);
    pageMessage(wideText, (int)textLength, wideCaption, (int)captionLength);
}

void addDirty(const Rect& r) {
    if (dirty.right <= dirty.left) {
        dirty = r;
        return;
    }
    if (r.left < dirty.left) dirty.left = r.left;
    if (r.top < dirty.top) dirty.top = r.top;
    if (r.right > dirty.right) dirty.right = r.right;
    if (r.bottom > dirty.bottom) dirty.bottom = r.bottom;
}

} // namespace

// ---- the display operations of the game core --------------------------------

void drawTile(Sheet sheet, int32_t n, int32_t x, int32_t y) {
    copyFromSheet(sheet == SheetBox ? boxSheet : tileSheet, n * CellPixels, 0, x, y, false);
}

void drawKeeper(int32_t frame, int32_t x, int32_t y) {
    copyFromSheet(playerSheet, frame * CellPixels, game.pushing ? CellPixels : 0, x, y, true);
}

void saveUnder(SaveUnderSurface surface, int32_t x, int32_t y) {
    uint32_t* block = saveUnders[surface == SaveUnderBox];
    for (int32_t dy = 0; dy < CellPixels; ++dy)
        for (int32_t dx = 0; dx < CellPixels; ++dx) {
            const int32_t px = x + dx, py = y + dy;
            const bool inside = px >= 0 && py >= 0 && px < BackBufferWidth && py < BackBufferHeight;
            block[dy * CellPixels + dx] =
                inside ? backBuffer[(size_t)py * BackBufferWidth + px] : OpaqueBlack;
        }
}

void restoreUnder(SaveUnderSurface surface, int32_t x, int32_t y) {
    const uint32_t* block = saveUnders[surface == SaveUnderBox];
    for (int32_t dy = 0; dy < CellPixels; ++dy)
        for (int32_t dx = 0; dx < CellPixels; ++dx)
            putPixel(x + dx, y + dy, block[dy * CellPixels + dx]);
}

void invalidateArea(const Rect* area) {
    static const Rect whole = {0, 0, BackBufferWidth, BackBufferHeight};
    addDirty(area ? *area : whole);
}

void refreshLevelAndBoxes() {
    writeStatusNumber(&levelText, game.levelIndex + 1); // levels count from 1 on screen
    writeStatusNumber(&boxesText, game.boxesLeft);
    sendStatus(StatusPartLevel, levelText);
    sendStatus(StatusPartBoxes, boxesText);
}

void refreshSteps() {
    writeStatusNumber(&stepsText, game.steps);
    sendStatus(StatusPartSteps, stepsText);
}

void setUndoEnabled(int enabled) {
    pageUndoEnabled(enabled);
}

void postLevelSolved() {
    pagePostLevelSolved();
}

// The page shows the box before it calls webLevelSolved, and calls it only
// when the player has closed it: the box is already behind us here.
void showCongratulation() {}

// ---- saved games: the page's file picker and downloads ----------------------

// The page has already let the player pick the file (or asked for nothing, to
// save), so the dialogs only report that a name was chosen.
int showSaveDialog(uint32_t) {
    if (fileDialogName[0] == '\0') strcpy(fileDialogName, "bexaran.bxr");
    return 1;
}

int showOpenDialog(uint32_t) {
    strcpy(fileDialogName, "bexaran.bxr");
    return 1;
}

// The temporary file is the download's bytes; "replacing" the target hands
// them to the page, which offers them under the player's file name.
NewFileResult writeNewFile(const char*, const void* bytes, uint32_t size) {
    if (size > sizeof savedBytes) return NewFileFailed;
    memcpy(savedBytes, bytes, size);
    savedBytesSize = size;
    return NewFileWritten;
}

int replaceFile(const char*, const char*) {
    pageDownload(savedBytes, (int)savedBytesSize);
    return 1;
}

void removeFile(const char*) {}

int readFilePrefix(const char*, void* bytes, uint32_t capacity, uint32_t* size) {
    if (!pendingFileReadable) return 0;
    uint32_t n = pendingFileSize < capacity ? pendingFileSize : capacity;
    memcpy(bytes, pendingFile, n);
    *size = n;
    return 1;
}

void showLoadRefused(SavedGameCheck check) {
    sendMessage(loadRefusedText(check), loadCaption);
}

void showSaveFailed(int earlierFileKept) {
    sendMessage(earlierFileKept ? saveFailedText : saveFailedNoEarlierFileText, saveCaption);
}

// ---- what the page calls ------------------------------------------------------

extern "C" {

// The window's creation sequence: the sheets, the first level, the first
// snapshot, the whole board to be copied.
EMSCRIPTEN_KEEPALIVE int webStart() {
    pngHostRegisterResource(ImageKeeper, keeperPng, keeperPngSize);
    pngHostRegisterResource(ImageTiles, tilesPng, tilesPngSize);
    pngHostRegisterResource(ImageBoxes, boxesPng, boxesPngSize);
    for (uint32_t& pixel : backBuffer)
        pixel = OpaqueBlack;
    int loaded = 0;
    Sheet32* sheets[3] = {&tileSheet, &boxSheet, &playerSheet};
    const uint32_t ids[3] = {ImageTiles, ImageBoxes, ImageKeeper};
    for (int i = 0; i < 3; ++i) {
        if (loadSheet(ids[i], sheets[i]))
            ++loaded;
        else
            sendMessage(errorLoadingPngText, errorLoadingPngText);
    }
    startLevel(0);
    takeSnapshot();
    invalidateArea(nullptr);
    return loaded;
}

EMSCRIPTEN_KEEPALIVE void webMove(int32_t direction) {
    requestMove(direction);
}

EMSCRIPTEN_KEEPALIVE void webTick() {
    advanceSlide();
}

EMSCRIPTEN_KEEPALIVE void webNewGame() {
    newGame();
}

// Like the grayed menu item, whose accelerator delivers no command.
EMSCRIPTEN_KEEPALIVE void webUndo() {
    if (game.undoAvailable) undoMove();
}

EMSCRIPTEN_KEEPALIVE void webRestart() {
    restartLevel();
}

EMSCRIPTEN_KEEPALIVE void webSave() {
    saveGame();
}

EMSCRIPTEN_KEEPALIVE void webLevelSolved() {
    levelSolved();
}

// The page writes a file's first bytes here, then calls webLoad or webRestore.
EMSCRIPTEN_KEEPALIVE unsigned char* webFileBuffer() {
    return pendingFile;
}

// A negative size: the browser could not read the file.
EMSCRIPTEN_KEEPALIVE void webLoad(int32_t size) {
    pendingFileReadable = size >= 0;
    pendingFileSize = size < 0 ? 0 : size < (int32_t)sizeof pendingFile ? size : sizeof pendingFile;
    loadGame();
}

// The position kept across a reload: installed like a loaded file, silently;
// 1 when it was taken.
EMSCRIPTEN_KEEPALIVE int webRestore(uint32_t size) {
    pendingFileReadable = true;
    pendingFileSize = size < sizeof pendingFile ? size : sizeof pendingFile;
    int taken = readSavedGame("") == SavedGameValid;
    refreshLevelAndBoxes();
    refreshSteps();
    return taken;
}

// The position as a saved game, for local storage; valid between moves only.
EMSCRIPTEN_KEEPALIVE unsigned char* webPosition() {
    encodeSavedGame(&game, position);
    return position;
}

// The room the page shows on a small screen, and where the keeper stands for
// taps: the first and last column and row holding a cell other than wall,
// then the keeper's cell. Boxes and the keeper move only inside the room, so
// it changes with the level, not with the moves.
EMSCRIPTEN_KEEPALIVE int32_t* webRoom() {
    static int32_t room[5];
    room[0] = BoardColumns;
    room[1] = BoardRows;
    room[2] = -1;
    room[3] = -1;
    for (int32_t cell = 0; cell < BoardCellCount; ++cell) {
        if (game.board.cells[cell] == CellCodeWall) continue;
        const int32_t column = cell % BoardColumns, row = cell / BoardColumns;
        if (column < room[0]) room[0] = column;
        if (column > room[2]) room[2] = column;
        if (row < room[1]) room[1] = row;
        if (row > room[3]) room[3] = row;
    }
    room[4] = game.playerCell;
    return room;
}

// The editor's room: the 320 cell codes the page wrote to the file buffer,
// drawn with the game's pictures and the keeper facing down at keeperCell
// (none when outside the board). A slide still running is ended first, so
// it cannot draw over the room.
EMSCRIPTEN_KEEPALIVE void webShowBoard(int32_t keeperCell) {
    cancelSlide();
    for (int32_t cell = 0; cell < BoardCellCount; ++cell) {
        const Point p = cellToPixel(cell);
        drawCellTile(pendingFile[cell], p.x, p.y);
    }
    if (keeperCell >= 0 && keeperCell < BoardCellCount) {
        const Point k = cellToPixel(keeperCell);
        copyFromSheet(playerSheet, DirectionDown * CellPixels, 0, k.x, k.y, true);
    }
    invalidateArea(nullptr);
}

// The game as the editor found it, undo included: kept while the editor
// draws and plays its rooms, given back whole when the player returns.
EMSCRIPTEN_KEEPALIVE void webKeepGame() {
    cancelSlide();
    keptGame = game;
    keptSnapshot = undoSnapshot;
    const Point k = cellToPixel(game.playerCell);
    for (int32_t dy = 0; dy < CellPixels; ++dy) // a cell of the board: inside the back buffer
        memcpy(&keptKeeperCell[dy * CellPixels],
               &backBuffer[(size_t)(k.y + dy) * BackBufferWidth + k.x],
               CellPixels * sizeof(uint32_t));
}

EMSCRIPTEN_KEEPALIVE void webReturnToGame() {
    cancelSlide();
    game = keptGame;
    undoSnapshot = keptSnapshot;
    redrawBoard();
    const Point k = cellToPixel(game.playerCell);
    for (int32_t dy = 0; dy < CellPixels; ++dy)
        memcpy(&backBuffer[(size_t)(k.y + dy) * BackBufferWidth + k.x],
               &keptKeeperCell[dy * CellPixels], CellPixels * sizeof(uint32_t));
    invalidateArea(nullptr);
    refreshLevelAndBoxes();
    refreshSteps();
    setUndoEnabled(game.undoAvailable);
}

// A room of the editor to play: a saved game in the file buffer, installed
// like a restored one, with nothing to undo yet. 1 when it was taken.
EMSCRIPTEN_KEEPALIVE int webPlay(uint32_t size) {
    game.pushing = 0; // the keeper is drawn walking, whatever he did last
    const int taken = webRestore(size);
    game.undoAvailable = 0;
    setUndoEnabled(0);
    takeSnapshot();
    return taken;
}

// Plays the rest of a running slide at once, so a command that puts the game
// aside (the editor) keeps it exactly as the finished move leaves it, the
// level-solved message of a last push posted as usual.
EMSCRIPTEN_KEEPALIVE void webFinishSlide() {
    while (game.playerSliding)
        advanceSlide();
}

// The editor's room: it writes the 320 cell codes here, then calls webJudgeRoom.
EMSCRIPTEN_KEEPALIVE unsigned char* webRoomCells() {
    return roomCells;
}

// The core's verdict on the room (a RoomCheck); when it is playable, the
// saved game at its start is at webJudgedGame, for playing, saving and the
// solver.
EMSCRIPTEN_KEEPALIVE int32_t webJudgeRoom(int32_t keeperCell) {
    Board drawn;
    memcpy(drawn.cells, roomCells, BoardCellCount);
    return judgeRoom(&drawn, keeperCell, judgedGame);
}

EMSCRIPTEN_KEEPALIVE unsigned char* webJudgedGame() {
    return judgedGame;
}

// The codes the page and the editor work with, as JSON, so they are written
// once, here in the core, and never again in JavaScript.
EMSCRIPTEN_KEEPALIVE const char* webCodes() {
    static char text[1024];
    if (text[0]) return text;
    static const struct {
        const char* name;
        int32_t value;
    } numbers[] = {
        {"Columns", BoardColumns},
        {"Rows", BoardRows},
        {"CellPixels", CellPixels},
        {"LevelCount", LevelCount},
        {"SavedGameSize", SavedGameSize},
        {"DirectionLeft", DirectionLeft},
        {"DirectionRight", DirectionRight},
        {"DirectionUp", DirectionUp},
        {"DirectionDown", DirectionDown},
        {"RoomPlayable", RoomPlayable},
        {"RoomNoKeeper", RoomNoKeeper},
        {"RoomBadCell", RoomBadCell},
        {"RoomOpen", RoomOpen},
        {"RoomStrayCell", RoomStrayCell},
        {"RoomNoBoxes", RoomNoBoxes},
        {"RoomBoxesGoalsDiffer", RoomBoxesGoalsDiffer},
        {"RoomAllBoxesHome", RoomAllBoxesHome},
        {"RoomRefusedAsGame", RoomRefusedAsGame},
    };
    static const struct {
        const char* name;
        unsigned char code;
    } cells[] = {
        {"CellWall", CellCodeWall},           {"CellFloor", CellCodeFloor},
        {"CellGoal", CellCodeGoal},           {"CellBox", CellCodeBox},
        {"CellBoxOnGoal", CellCodeBoxOnGoal},
    };
    int at = snprintf(text, sizeof text, "{");
    for (const auto& n : numbers)
        at += snprintf(text + at, sizeof text - at, "\"%s\":%d,", n.name, (int)n.value);
    for (const auto& c : cells)
        at += snprintf(text + at, sizeof text - at, "\"%s\":\"%c\",", c.name, c.code);
    text[at - 1] = '}';
    return text;
}

// ---- the page's own player: history, pointing, levels -----------------------

// Letters in and out: the moves of the history, a walk or a push path, a
// solution; NUL-terminated.
static char moveLetters[8192];

EMSCRIPTEN_KEEPALIVE char* webMoveLetters() {
    return moveLetters;
}

// What the page's history needs after a request: the step count, whether the
// move pushes, the level and the keeper's cell.
EMSCRIPTEN_KEEPALIVE int32_t* webMoveState() {
    static int32_t state[4];
    state[0] = game.steps;
    state[1] = game.pushing;
    state[2] = game.levelIndex;
    state[3] = game.playerCell;
    return state;
}

// Undo and redo of the page's history: the position in the file buffer (a
// saved game), then the first count letters of webMoveLetters played at once
// by the rules, without a slide, and the board drawn whole. 1 when the
// position was taken and every move could be played.
EMSCRIPTEN_KEEPALIVE int webReplayFrom(uint32_t size, int32_t count) {
    const GameState before = game;
    pendingFileReadable = true;
    pendingFileSize = size < sizeof pendingFile ? size : sizeof pendingFile;
    SavedGame start;
    if (decodeSavedGame(pendingFile, pendingFileSize, &start) != SavedGameValid) return 0;
    installSavedGame(&start);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t direction = letterDirection((char)(moveLetters[i] & ~0x20));
        const MoveOutcome step =
            direction < 0 ? MoveOutcome{MoveBlocked, -1, -1}
                          : applyStep(&game.board, &game.playerCell, direction, &game.boxesLeft);
        if (step.kind == MoveBlocked) {
            game = before;
            return 0;
        }
        ++game.steps;
    }
    // Drawn as the exe's undo draws (the keeper's row as the last move left
    // it), or all the way back as a loaded game is.
    if (count == 0) game.pushing = 0;
    redrawBoard();
    invalidateArea(nullptr);
    refreshLevelAndBoxes();
    refreshSteps();
    takeSnapshot();
    return 1;
}

// The hint's reading of a solution (webMoveLetters) from the position on the
// board: [the moves up to and including the first push, the pushed box's
// cell, the push's direction]; the first is 0 when no move pushes.
EMSCRIPTEN_KEEPALIVE int32_t* webFirstPush() {
    static int32_t result[3];
    result[0] = 0;
    result[1] = result[2] = -1;
    Board board = game.board;
    int32_t keeper = game.playerCell, boxesLeft = game.boxesLeft;
    for (int32_t i = 0; moveLetters[i]; ++i) {
        const int32_t direction = letterDirection((char)(moveLetters[i] & ~0x20));
        if (direction < 0) break;
        const MoveOutcome step = applyStep(&board, &keeper, direction, &boxesLeft);
        if (step.kind == MoveBlocked) break;
        if (step.kind == MovePush) {
            result[0] = i + 1;
            result[1] = step.target;
            result[2] = direction;
            break;
        }
    }
    return result;
}

// The position count moves of webMoveLetters after the saved game in the
// file buffer, computed aside (the game is not touched): its cells go to
// webRoomCells; the keeper's cell, or -1 when the start is refused or a move
// is blocked.
EMSCRIPTEN_KEEPALIVE int32_t webPositionAfter(uint32_t size, int32_t count) {
    SavedGame start;
    if (decodeSavedGame(pendingFile, size < sizeof pendingFile ? size : sizeof pendingFile,
                        &start) != SavedGameValid)
        return -1;
    int32_t keeper = start.playerCell, boxesLeft = start.boxesLeft;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t direction = letterDirection((char)(moveLetters[i] & ~0x20));
        if (direction < 0) return -1;
        if (applyStep(&start.board, &keeper, direction, &boxesLeft).kind == MoveBlocked) return -1;
    }
    memcpy(roomCells, start.board.cells, BoardCellCount);
    return keeper;
}

// A level chosen from the page's list: started as solving the one before
// would start it.
EMSCRIPTEN_KEEPALIVE void webStartLevel(int32_t n) {
    if (n < 0 || n >= LevelCount) return;
    cancelSlide();
    game.levelIndex = n;
    startLevel(n);
    invalidateArea(nullptr);
}

// The code of a cell of the board in play (0 outside it).
EMSCRIPTEN_KEEPALIVE int32_t webCellCode(int32_t cell) {
    return isOnBoard(cell) ? game.board.cells[cell] : 0;
}

// The keeper's shortest walk to a cell, into webMoveLetters; its length.
EMSCRIPTEN_KEEPALIVE int32_t webWalkPath(int32_t target) {
    const std::string path = walkPath(game.board, game.playerCell, target);
    snprintf(moveLetters, sizeof moveLetters, "%s", path.c_str());
    return (int32_t)path.size();
}

// The fewest pushes that bring the box at boxCell to target, into
// webMoveLetters (lower case walks, upper case pushes); its length, 0 when
// the box cannot get there.
EMSCRIPTEN_KEEPALIVE int32_t webPushPath(int32_t boxCell, int32_t target) {
    const std::string path = pushPath(game.board, game.playerCell, boxCell, target);
    snprintf(moveLetters, sizeof moveLetters, "%s", path.c_str());
    return (int32_t)path.size();
}

// The moves of webMoveLetters played by the rules on level n's start, for the
// level list's figures: [moves played, pushes, solved]; moves stop at the
// first that is blocked.
EMSCRIPTEN_KEEPALIVE int32_t* webPlayOnLevel(int32_t n) {
    static int32_t result[3];
    result[0] = result[1] = result[2] = 0;
    if (n < 0 || n >= LevelCount) return result;
    Board board;
    memcpy(board.cells, LevelTable[n], BoardCellCount);
    int32_t keeper = 0, boxesLeft = 0;
    for (int32_t cell = 0; cell < BoardCellCount; ++cell) {
        const unsigned char code = board.cells[cell];
        if (code == CellCodeStart || code == CellCodeStartLeft || code == CellCodeStartRight ||
            code == CellCodeStartUp || code == CellCodeStartDown) {
            keeper = cell;
            board.cells[cell] = CellCodeFloor;
        }
        boxesLeft += code == CellCodeBox;
    }
    for (const char* at = moveLetters; *at; ++at) {
        const int32_t direction = letterDirection((char)(*at & ~0x20));
        if (direction < 0) break;
        const MoveOutcome step = applyStep(&board, &keeper, direction, &boxesLeft);
        if (step.kind == MoveBlocked) break;
        ++result[0];
        result[1] += step.kind == MovePush;
    }
    result[2] = boxesLeft == 0;
    return result;
}

// Level n's start as a picture of CellPixels / 4 pixels a cell (160 by 128),
// RGBA, each pixel the average of a 4 by 4 block of the game's own tiles and
// the keeper facing up on his start, for the level list.
// The level's room in that picture: its cells other than wall with one cell
// of wall all round, as first column, first row, columns and rows.
static int32_t levelRoom[4];

EMSCRIPTEN_KEEPALIVE int32_t* webLevelPictureRoom() {
    return levelRoom;
}

EMSCRIPTEN_KEEPALIVE uint32_t* webLevelPicture(int32_t n) {
    enum { Scale = 4, Small = CellPixels / Scale };
    static uint32_t picture[BoardColumns * Small * BoardRows * Small];
    if (n < 0 || n >= LevelCount) return picture;
    int32_t left = BoardColumns, top = BoardRows, right = -1, bottom = -1;
    for (int32_t c = 0; c < BoardCellCount; ++c) {
        if (LevelTable[n][c] == CellCodeWall) continue;
        const int32_t x = c % BoardColumns, y = c / BoardColumns;
        left = x < left ? x : left;
        right = x > right ? x : right;
        top = y < top ? y : top;
        bottom = y > bottom ? y : bottom;
    }
    levelRoom[0] = left - 1;
    levelRoom[1] = top - 1;
    levelRoom[2] = right - left + 3;
    levelRoom[3] = bottom - top + 3;
    static uint32_t cell[CellPixels * CellPixels];
    for (int32_t c = 0; c < BoardCellCount; ++c) {
        const unsigned char code = LevelTable[n][c];
        const TileChoice tile = tileForCell(code);
        const Sheet32& sheet = tile.sheet == SheetBox ? boxSheet : tileSheet;
        for (int32_t y = 0; y < CellPixels; ++y)
            for (int32_t x = 0; x < CellPixels; ++x)
                cell[y * CellPixels + x] =
                    sheet.pixels ? sheetPixel(sheet, tile.n * CellPixels + x, y) : OpaqueBlack;
        const bool start = code == CellCodeStart || code == CellCodeStartLeft ||
                           code == CellCodeStartRight || code == CellCodeStartUp ||
                           code == CellCodeStartDown;
        if (start && playerSheet.pixels)
            for (int32_t y = 0; y < CellPixels; ++y)
                for (int32_t x = 0; x < CellPixels; ++x) {
                    const uint32_t colour =
                        sheetPixel(playerSheet, DirectionUp * CellPixels + x, y);
                    if ((colour & 0xFFFFFF) != KeyColour) cell[y * CellPixels + x] = colour;
                }
        const int32_t left = (c % BoardColumns) * Small, top = (c / BoardColumns) * Small;
        for (int32_t y = 0; y < Small; ++y)
            for (int32_t x = 0; x < Small; ++x) {
                uint32_t sum[3] = {0, 0, 0};
                for (int32_t dy = 0; dy < Scale; ++dy)
                    for (int32_t dx = 0; dx < Scale; ++dx) {
                        const uint32_t p = cell[(y * Scale + dy) * CellPixels + x * Scale + dx];
                        for (int32_t k = 0; k < 3; ++k)
                            sum[k] += (p >> (8 * k)) & 0xFF;
                    }
                const int32_t blocks = Scale * Scale;
                picture[(top + y) * BoardColumns * Small + left + x] =
                    OpaqueBlack | (sum[2] / blocks) << 16 | (sum[1] / blocks) << 8 |
                    sum[0] / blocks;
            }
    }
    return picture;
}

EMSCRIPTEN_KEEPALIVE int webSliding() {
    return game.playerSliding;
}

EMSCRIPTEN_KEEPALIVE uint32_t* webPixels() {
    return backBuffer;
}

// The area to copy to the canvas since the last call, as left, top, right,
// bottom; empty when right <= left. Taking it clears it.
EMSCRIPTEN_KEEPALIVE int32_t* webTakeDirty() {
    static int32_t taken[4];
    taken[0] = dirty.left;
    taken[1] = dirty.top;
    taken[2] = dirty.right;
    taken[3] = dirty.bottom;
    dirty = Rect{0, 0, 0, 0};
    return taken;
}

} // extern "C"
