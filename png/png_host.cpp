// Host implementation of the decoder's platform layer. Single-threaded, like
// the decoder itself.
#include "png_host.h"
#include "png_platform.h"

#include <stdlib.h>
#include <string.h>

namespace {

struct HostResource {
    uint32_t resourceId;
    const uint8_t* data;
    uint32_t size;
    int used;
};

enum { HostResourceCapacity = 64 };
HostResource hostResources[HostResourceCapacity];

// A bitmap: its description, and its pixels as one block of stride * rows.
struct HostBitmap {
    PngBitmapInfo info;
    uint8_t* pixels;
    uint32_t stride;
    uint32_t rows;
    int device;
};

int liveBlocks = 0;
int liveBitmaps = 0;
int openContexts = 0;
int screenContext; // the address serves as the one device context

uint32_t strideOf(const PngBitmapInfoHeader& h) {
    uint64_t bits = (uint64_t)(uint32_t)h.biWidth * h.biBitCount;
    return (uint32_t)(((bits + 31) / 32) * 4);
}

uint32_t rowsOf(const PngBitmapInfoHeader& h) {
    return h.biHeight < 0 ? (uint32_t)(-(int64_t)h.biHeight) : (uint32_t)h.biHeight;
}

HostBitmap* makeBitmap(const PngBitmapInfo* info, int device) {
    if (pngHostBitmapCreationFails && pngHostBitmapCreationFails()) return nullptr;
    HostBitmap* bitmap = (HostBitmap*)calloc(1, sizeof(HostBitmap));
    if (!bitmap) return nullptr;
    bitmap->info = *info;
    bitmap->stride = strideOf(info->bmiHeader);
    bitmap->rows = rowsOf(info->bmiHeader);
    uint64_t size = (uint64_t)bitmap->stride * bitmap->rows;
    // Like a fresh DIB section, the pixel memory starts out zeroed.
    bitmap->pixels = size <= 0xFFFFFFFFu ? (uint8_t*)calloc(size ? size : 1, 1) : nullptr;
    if (!bitmap->pixels) {
        free(bitmap);
        return nullptr;
    }
    bitmap->device = device;
    ++liveBitmaps;
    return bitmap;
}

} // namespace

int (*pngHostAllocationFails)() = nullptr;
int (*pngHostBitmapCreationFails)() = nullptr;

// ---- resources ----

void pngHostRegisterResource(uint32_t resourceId, const void* data, uint32_t size) {
    HostResource* slot = nullptr;
    for (HostResource& r : hostResources) {
        if (r.used && r.resourceId == resourceId) slot = &r;
    }
    for (int i = 0; !slot && i < HostResourceCapacity; ++i) {
        if (!hostResources[i].used) slot = &hostResources[i];
    }
    if (!slot) abort(); // a test registered far more images than any caller needs
    slot->resourceId = resourceId;
    slot->data = (const uint8_t*)data;
    slot->size = size;
    slot->used = 1;
}

void pngHostUnregisterResource(uint32_t resourceId) {
    for (HostResource& r : hostResources) {
        if (r.used && r.resourceId == resourceId) r.used = 0;
    }
}

void pngHostClearResources() { memset(hostResources, 0, sizeof hostResources); }

PngResource pngPlatformFindResource(PngModule, uint32_t resourceId) {
    for (HostResource& r : hostResources) {
        if (r.used && r.resourceId == resourceId) return &r;
    }
    return nullptr;
}

const uint8_t* pngPlatformLoadResource(PngModule, PngResource resource) {
    return ((HostResource*)resource)->data;
}

uint32_t pngPlatformSizeofResource(PngModule, PngResource resource) {
    return ((HostResource*)resource)->size;
}

int pngAttachBorrowed(PngImage* image, const uint8_t* data, uint32_t size) {
    if (image->state != PngStateEmpty || image->sourceKind != PngSourceNone) {
        image->error = PngErrorInUse;
        return 0;
    }
    image->error = 0;
    image->source = data;
    image->chunkCursor = data;
    image->sourceSize = size;
    image->sourceKind = PngSourceBorrowed;
    if (!pngParse(image)) {
        image->sourceKind = PngSourceNone;
        return 0;
    }
    image->state = PngStateParsed;
    return 1;
}

// ---- bitmaps ----

PngDeviceContext pngPlatformGetDC(PngWindow) {
    ++openContexts;
    return &screenContext;
}

void pngPlatformReleaseDC(PngWindow, PngDeviceContext context) {
    if (context) --openContexts;
}

PngBitmap pngPlatformCreateDIBSection(PngDeviceContext, const PngBitmapInfo* info,
                                      uint8_t** pixels) {
    HostBitmap* bitmap = makeBitmap(info, 0);
    *pixels = bitmap ? bitmap->pixels : nullptr;
    return bitmap;
}

PngBitmap pngPlatformCreateDIBitmap(PngDeviceContext, const PngBitmapInfo* info,
                                    const uint8_t* pixels) {
    HostBitmap* bitmap = makeBitmap(info, 1);
    if (bitmap) memcpy(bitmap->pixels, pixels, (size_t)bitmap->stride * bitmap->rows);
    return bitmap;
}

void pngPlatformDeleteBitmap(PngBitmap bitmap) { pngHostDeleteBitmap(bitmap); }

void pngHostDeleteBitmap(PngBitmap bitmap) {
    if (!bitmap) return;
    HostBitmap* b = (HostBitmap*)bitmap;
    free(b->pixels);
    free(b);
    --liveBitmaps;
}

const PngBitmapInfo* pngHostBitmapInfo(PngBitmap bitmap) { return &((HostBitmap*)bitmap)->info; }
uint8_t* pngHostBitmapPixels(PngBitmap bitmap) { return ((HostBitmap*)bitmap)->pixels; }
uint32_t pngHostBitmapStride(PngBitmap bitmap) { return ((HostBitmap*)bitmap)->stride; }
uint32_t pngHostBitmapWidth(PngBitmap bitmap) {
    return (uint32_t)((HostBitmap*)bitmap)->info.bmiHeader.biWidth;
}
uint32_t pngHostBitmapHeight(PngBitmap bitmap) { return ((HostBitmap*)bitmap)->rows; }
uint32_t pngHostBitmapBitCount(PngBitmap bitmap) {
    return ((HostBitmap*)bitmap)->info.bmiHeader.biBitCount;
}
int pngHostBitmapIsDevice(PngBitmap bitmap) { return ((HostBitmap*)bitmap)->device; }

// ---- memory ----

void* pngPlatformAlloc(uint32_t size) {
    if (pngHostAllocationFails && pngHostAllocationFails()) return nullptr;
    void* block = malloc(size ? size : 1);
    if (block) ++liveBlocks;
    return block;
}

void pngPlatformRelease(void* block) {
    if (!block) return;
    free(block);
    --liveBlocks;
}

int pngHostLiveBlocks() { return liveBlocks; }
int pngHostLiveBitmaps() { return liveBitmaps; }
int pngHostOpenDeviceContexts() { return openContexts; }
