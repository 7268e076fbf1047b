// The host platform layer of the PNG decoder (library bexaran_png_host), for
// tools, tests and the host renderer: resources are a table of embedded raw
// data registered by numeric id, a bitmap is a heap record holding its
// description and a pixel block, and memory comes from malloc; tests can make
// allocations and bitmaps fail.
#pragma once
#include "png.h"

// Resources. The module argument of pngLoadResource is ignored on the host.
// Registering an id again replaces it; the bytes must outlive their use.
// data null or size 0 makes the resource exist but be unreadable.
void pngHostRegisterResource(uint32_t resourceId, const void* data, uint32_t size);
void pngHostUnregisterResource(uint32_t resourceId);
void pngHostClearResources();

// Attaches a caller's bytes as a borrowed source and parses them, exactly as
// pngLoadResource does with resource bytes (same checks, states and errors).
int pngAttachBorrowed(PngImage* image, const uint8_t* data, uint32_t size);

// Bitmaps made by pngMakeBitmap on the host.
const PngBitmapInfo* pngHostBitmapInfo(PngBitmap bitmap);
uint8_t* pngHostBitmapPixels(PngBitmap bitmap); // top-down rows, stride bytes apart
uint32_t pngHostBitmapStride(PngBitmap bitmap);  // bytes per row, a multiple of 4
uint32_t pngHostBitmapWidth(PngBitmap bitmap);
uint32_t pngHostBitmapHeight(PngBitmap bitmap);  // rows (|biHeight|)
uint32_t pngHostBitmapBitCount(PngBitmap bitmap);
int pngHostBitmapIsDevice(PngBitmap bitmap);     // made by CreateDIBitmap
void pngHostDeleteBitmap(PngBitmap bitmap);      // DeleteObject; null is ignored

// Bookkeeping for tests.
int pngHostLiveBlocks();         // pngAlloc blocks not yet released
int pngHostLiveBitmaps();        // bitmaps not yet deleted
int pngHostOpenDeviceContexts(); // GetDC without ReleaseDC

// Where tests make the platform fail (tests/png/png_faults.h sets these):
// asked before every allocation, and before every CreateDIBSection and
// CreateDIBitmap; nonzero makes that one fail. Null, the default: none fails.
extern int (*pngHostAllocationFails)();
extern int (*pngHostBitmapCreationFails)();
