// The decoder record's lifecycle: init, attaching a resource, the decode step,
// free; and the memory routines every part of the decoder uses.
#include "inflate/inflate.h"
#include "png_internal.h"
#include "png_platform.h"

void pngInit(PngImage* image) {
    pngZero(image, sizeof *image);
}

int pngLoadResource(PngImage* image, PngModule module, uint32_t resourceId) {
    if (image->state != PngStateEmpty || image->sourceKind != PngSourceNone) {
        image->error = PngErrorInUse; // a source is attached; leave it as it is
        return 0;
    }
    image->error = 0;
    PngResource resource = pngPlatformFindResource(module, resourceId);
    if (!resource) {
        image->error = PngErrorResourceNotFound;
        return 0;
    }
    const uint8_t* bytes = pngPlatformLoadResource(module, resource);
    if (!bytes) {
        image->error = PngErrorResourceUnreadable;
        return 0;
    }
    image->source = bytes;
    image->chunkCursor = bytes;
    uint32_t size = pngPlatformSizeofResource(module, resource);
    if (size == 0) {
        image->error = PngErrorResourceUnreadable;
        return 0;
    }
    image->sourceSize = size;
    image->sourceKind = PngSourceBorrowed;
    if (!pngParse(image)) {
        image->sourceKind = PngSourceNone; // so the record can be loaded again
        return 0;
    }
    image->state = PngStateParsed;
    return 1;
}

int pngInflateIdat(PngImage* image) {
    image->error = PngErrorBadData;
    IdatChain chain;
    pngStartIdatChain(image, &chain);
    InflateInput input = {pngNextIdatData, &chain};
    if (!inflateZlibStream(&input, image->inflated, image->inflatedSize)) return 0;
    image->error = 0;
    return 1;
}

int pngDecode(PngImage* image) {
    if (image->state != PngStateParsed) {
        image->error = PngErrorWrongState;
        return 0;
    }
    image->inflatedSize = pngInflatedSize(image);
    image->inflated = (uint8_t*)pngAlloc(image->inflatedSize);
    if (!image->inflated) {
        image->error = PngErrorOutOfMemory;
        return 0;
    }
    if (!pngInflateIdat(image)) {
        // error is PngErrorBadData; a failed decode leaves nothing allocated
        pngRelease(image->inflated);
        image->inflated = nullptr;
        return 0;
    }
    image->state = PngStateDecoded;
    return 1;
}

int pngFree(PngImage* image) {
    if (image->sourceKind == PngSourceOwned && image->source) {
        pngRelease((void*)image->source);
    }
    if (image->state == PngStateDecoded && image->inflated) pngRelease(image->inflated);
    pngZero(image, sizeof *image);
    return 1;
}

void* pngAlloc(uint32_t size) {
    return pngPlatformAlloc(size);
}

void pngRelease(void* block) {
    pngPlatformRelease(block);
}

void pngZero(void* address, uint32_t count) {
    uint8_t* p = (uint8_t*)address;
    for (uint32_t i = 0; i < count; ++i)
        p[i] = 0;
}

const char* pngErrorName(uint32_t error) {
    switch (error) {
    case PngErrorNone:
        return "PngErrorNone";
    case PngErrorOutOfMemory:
        return "PngErrorOutOfMemory";
    case PngErrorInUse:
        return "PngErrorInUse";
    case PngErrorBadData:
        return "PngErrorBadData";
    case PngErrorUnsupported:
        return "PngErrorUnsupported";
    case PngErrorBadOutputFormat:
        return "PngErrorBadOutputFormat";
    case PngErrorWrongState:
        return "PngErrorWrongState";
    case PngErrorBitmapFailed:
        return "PngErrorBitmapFailed";
    case PngErrorResourceNotFound:
        return "PngErrorResourceNotFound";
    case PngErrorResourceUnreadable:
        return "PngErrorResourceUnreadable";
    }
    return "PngErrorUnknown";
}
