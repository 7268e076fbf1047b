// The drawing surfaces: the back buffer that holds the composed board, the
// three image sheets decoded from the program's resources, the two save-under
// blocks of the sliding sprites and the keeper's transparency mask.
#include "game/platform.h"
#include "png/png.h"
#include "shell/shell.h"
#include "shell/texts.h"

HDC backBufferDc;

namespace {

struct Surface {
    HDC dc;
    HBITMAP bitmap; // null for a sheet whose image did not load
};

enum {
    TileSize = 32,
    ImageKeeper = 2000,
    ImageTiles = 2001,
    ImageBoxes = 2002,
};

const COLORREF keyColour = 0xFF00FF; // magenta: transparent in the keeper frames

// In deletion order.
Surface backBuffer, tileSheet, boxSheet, playerSheet, keeperUnder, boxUnder, spriteMask;

const Surface& sheetSurface(Sheet sheet) {
    return sheet == SheetBox ? boxSheet : tileSheet;
}

const Surface& saveUnderSurface(SaveUnderSurface surface) {
    return surface == SaveUnderBox ? boxUnder : keeperUnder;
}

void deleteSurface(Surface* surface) {
    // Deleting the context first frees the bitmap selected into it.
    if (surface->dc) DeleteDC(surface->dc);
    if (surface->bitmap) DeleteObject(surface->bitmap);
    surface->dc = nullptr;
    surface->bitmap = nullptr;
}

} // namespace

void createSurfaces(HWND window) {
    HDC windowDc = GetDC(window);
    backBuffer.dc = CreateCompatibleDC(windowDc);
    backBuffer.bitmap = CreateCompatibleBitmap(windowDc, InitialWidth, InitialHeight);
    SelectObject(backBuffer.dc, backBuffer.bitmap);
    backBufferDc = backBuffer.dc;

    tileSheet.bitmap = loadImageResource(ImageTiles);
    tileSheet.dc = CreateCompatibleDC(windowDc);
    if (tileSheet.bitmap) SelectObject(tileSheet.dc, tileSheet.bitmap);

    boxSheet.bitmap = loadImageResource(ImageBoxes);
    boxSheet.dc = CreateCompatibleDC(windowDc);
    if (boxSheet.bitmap) SelectObject(boxSheet.dc, boxSheet.bitmap);

    playerSheet.bitmap = loadImageResource(ImageKeeper);
    playerSheet.dc = CreateCompatibleDC(windowDc);

    keeperUnder.dc = CreateCompatibleDC(windowDc);
    keeperUnder.bitmap = CreateCompatibleBitmap(windowDc, TileSize, TileSize);
    SelectObject(keeperUnder.dc, keeperUnder.bitmap);

    boxUnder.dc = CreateCompatibleDC(windowDc);
    boxUnder.bitmap = CreateCompatibleBitmap(windowDc, TileSize, TileSize);
    SelectObject(boxUnder.dc, boxUnder.bitmap);

    if (playerSheet.bitmap) SelectObject(playerSheet.dc, playerSheet.bitmap);
    // Colour-to-monochrome transfers turn pixels of the background colour
    // into 1 bits: this is what makes the mask of a keeper frame.
    SetBkColor(playerSheet.dc, keyColour);

    spriteMask.dc = CreateCompatibleDC(backBuffer.dc);
    spriteMask.bitmap = CreateBitmap(TileSize, TileSize, 1, 1, nullptr);
    SelectObject(spriteMask.dc, spriteMask.bitmap);

    ReleaseDC(window, windowDc);
}

// Safe to call twice: a surface already deleted is skipped, so the Exit
// command and a later WM_DESTROY cannot free anything twice.
void deleteSurfaces() {
    deleteSurface(&backBuffer);
    deleteSurface(&tileSheet);
    deleteSurface(&boxSheet);
    deleteSurface(&playerSheet);
    deleteSurface(&keeperUnder);
    deleteSurface(&boxUnder);
    deleteSurface(&spriteMask);
    backBufferDc = nullptr;
}

HBITMAP loadImageResource(UINT resourceId) {
    PngImage image;
    pngInit(&image);
    HBITMAP bitmap = nullptr;
    if (pngLoadResource(&image, instance, resourceId) && pngDecode(&image))
        bitmap = static_cast<HBITMAP>(pngMakeBitmap(&image, mainWindow, OutputFormatAutomatic, 0));
    pngFree(&image);
    // The main window is still being created, so the box has no owner.
    if (!bitmap)
        showMessage(nullptr, errorLoadingPngText, errorLoadingPngText, MB_ICONERROR | MB_OK);
    return bitmap;
}

// A sheet whose image did not load draws nothing: the memory context would
// only hold its 1 by 1 default bitmap, so the board keeps what it had.
void drawTile(Sheet sheet, int32_t n, int32_t x, int32_t y) {
    const Surface& source = sheetSurface(sheet);
    if (!source.bitmap) return;
    BitBlt(backBuffer.dc, x, y, TileSize, TileSize, source.dc, n * TileSize, 0, SRCCOPY);
}

// Mask and XOR: where the frame is exactly magenta the back buffer keeps its
// pixel (d ^ s ^ s); elsewhere it takes the frame's ((d ^ s) & 0 ^ s).
void drawKeeper(int32_t frame, int32_t x, int32_t y) {
    if (!playerSheet.bitmap) return;
    int sx = frame * TileSize;
    int sy = game.pushing ? TileSize : 0;
    BitBlt(spriteMask.dc, 0, 0, TileSize, TileSize, playerSheet.dc, sx, sy, SRCCOPY);
    BitBlt(backBuffer.dc, x, y, TileSize, TileSize, playerSheet.dc, sx, sy, SRCINVERT);
    BitBlt(backBuffer.dc, x, y, TileSize, TileSize, spriteMask.dc, 0, 0, SRCAND);
    BitBlt(backBuffer.dc, x, y, TileSize, TileSize, playerSheet.dc, sx, sy, SRCINVERT);
}

void saveUnder(SaveUnderSurface surface, int32_t x, int32_t y) {
    BitBlt(saveUnderSurface(surface).dc, 0, 0, TileSize, TileSize, backBuffer.dc, x, y, SRCCOPY);
}

void restoreUnder(SaveUnderSurface surface, int32_t x, int32_t y) {
    BitBlt(backBuffer.dc, x, y, TileSize, TileSize, saveUnderSurface(surface).dc, 0, 0, SRCCOPY);
}

// Before CreateWindowExW returns there is no window to invalidate (a null
// window would mean every window); the creation handler invalidates its own.
void invalidateArea(const Rect* area) {
    if (!mainWindow) return;
    if (!area) {
        InvalidateRect(mainWindow, nullptr, FALSE);
        return;
    }
    RECT r = {area->left, area->top, area->right, area->bottom};
    InvalidateRect(mainWindow, &r, FALSE);
}
