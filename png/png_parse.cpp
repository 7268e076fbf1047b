// The PNG container: chunk reading, the header checks and the chunk walk that
// finds IHDR, the first PLTE and the first IDAT; the IDAT chain that carries
// the zlib stream; and the inflated data size.
#include "png_internal.h"

const uint8_t samplesPerPixel[7] = {1, 0, 3, 1, 2, 0, 4};

const Adam7Pass adam7Passes[7] = {
    {0, 0, 3, 3}, {4, 0, 3, 3}, {0, 4, 2, 3}, {2, 0, 2, 2},
    {0, 2, 1, 2}, {1, 0, 1, 1}, {0, 1, 0, 1},
};

namespace {

const uint8_t pngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

// Accepted (colour type, bit depth) pairs: one bit per depth 1, 2, 4, 8, 16.
bool formatAccepted(uint32_t colourType, uint32_t bitDepth) {
    static const uint8_t depthsByColourType[7] = {
        0x1f, // grey: 1, 2, 4, 8, 16
        0,    //
        0x18, // truecolour: 8, 16
        0x0f, // indexed: 1, 2, 4, 8
        0x18, // grey with alpha: 8, 16
        0,    //
        0x18, // truecolour with alpha: 8, 16
    };
    uint32_t depthBit;
    switch (bitDepth) {
    case 1:
        depthBit = 0x01;
        break;
    case 2:
        depthBit = 0x02;
        break;
    case 4:
        depthBit = 0x04;
        break;
    case 8:
        depthBit = 0x08;
        break;
    case 16:
        depthBit = 0x10;
        break;
    default:
        return false;
    }
    return colourType < 7 && (depthsByColourType[colourType] & depthBit) != 0;
}

// Whether a chunk type is `name`, the letter at `caseFree` compared with its
// lower-case bit (0x20) cleared and the other three exactly.
bool typeIs(const uint8_t* type, const char* name, int caseFree) {
    for (int i = 0; i < 4; ++i) {
        uint8_t letter = i == caseFree ? (uint8_t)(type[i] & ~0x20) : type[i];
        if (letter != (uint8_t)name[i]) return false;
    }
    return true;
}

uint32_t classifyChunk(const uint8_t* type) {
    // The first letter in either case, so iHDR and iDAT count as IHDR and IDAT.
    if (typeIs(type, "IHDR", 0)) return ChunkKindIhdr;
    if (typeIs(type, "IDAT", 0)) return ChunkKindIdat;
    if (typeIs(type, "PLTE", 0)) return ChunkKindPlte;
    if (typeIs(type, "IEND", 0)) return ChunkKindIend;
    return (type[0] & 0x20) ? ChunkKindAncillary : ChunkKindUnknownCritical;
}

// Inflated size in 64 bits, so that sizes beyond 32 bits can be refused.
uint64_t inflatedSize64(const PngImage* image) {
    uint32_t bits = pngBitsPerPixel(image);
    if (image->interlaceMethod == 0) {
        return (pngRowBytes(image->width, bits) + 1) * image->height;
    }
    uint32_t mask = pngPassMask(image->width, image->height);
    uint64_t total = 0;
    for (int p = 0; p < 7; ++p) {
        if (!(mask & (1u << p))) continue;
        const Adam7Pass& pass = adam7Passes[p];
        uint32_t passWidth = pngPassExtent(image->width, pass.xOrigin, pass.xShift);
        uint32_t passHeight = pngPassExtent(image->height, pass.yOrigin, pass.yShift);
        total += (pngRowBytes(passWidth, bits) + 1) * passHeight;
    }
    return total;
}

// Largest bitmap any output format can give: the automatic bit count.
uint64_t bitmapSize64(const PngImage* image) {
    uint32_t bits = pngBitsPerPixel(image);
    uint32_t outputBits;
    switch (image->colourType) {
    case 2:
        outputBits = 24;
        break;
    case 6:
        outputBits = 32;
        break;
    default:
        outputBits = bits < 8 ? (bits == 1 ? 1 : 4) : 8;
        break;
    }
    uint64_t stride = ((uint64_t)image->width * outputBits + 31) / 32 * 4;
    return stride * image->height;
}

} // namespace

uint32_t pngBitsPerPixel(const PngImage* image) {
    return image->colourType < 7 ? samplesPerPixel[image->colourType] * image->bitDepth : 0;
}

uint32_t pngPassMask(uint32_t width, uint32_t height) {
    auto part = [](uint32_t v, uint32_t one, uint32_t two, uint32_t four) -> uint32_t {
        if (v >= 5) return 0x7f;
        if (v >= 3) return four;
        return v == 2 ? two : one;
    };
    return part(width, 0x55, 0x75, 0x7d) & part(height, 0x2b, 0x6b, 0x7b);
}

void pngStartIdatChain(const PngImage* image, IdatChain* chain) {
    chain->source = image->source;
    chain->sourceSize = image->sourceSize;
    // Without an IDAT chunk the first look is at the end of the data: no chain.
    chain->nextChunk =
        image->firstIdat ? (uint64_t)(image->firstIdat - image->source) : image->sourceSize;
}

int pngNextIdatData(void* context, const uint8_t** data, uint32_t* size) {
    IdatChain* chain = (IdatChain*)context;
    uint64_t at = chain->nextChunk;
    // The header (length and type) must lie inside the PNG data.
    if (at + 8 > chain->sourceSize) return 0;
    const uint8_t* header = chain->source + at;
    // Unlike the walk's classification, the first letter must be upper case and
    // the fourth may be either: a first IDAT spelled iDAT ends the chain at
    // once, and data cut off in an IDAt at the end of the file still counts.
    if (!typeIs(header + 4, "IDAT", 3)) return 0; // IEND or any other chunk
    uint64_t length = pngReadBigEndian(header);
    uint64_t start = at + 8;
    // Data reaching past the end of the PNG data is delivered up to that end;
    // the next look then finds no header.
    uint64_t available = chain->sourceSize - start;
    *data = chain->source + start;
    *size = (uint32_t)(length < available ? length : available);
    chain->nextChunk = start + length + 4; // the CRC is skipped, never compared
    return 1;
}

int pngReadChunk(const PngImage* image, ChunkInfo* chunk) {
    const uint8_t* end = image->source + image->sourceSize;
    const uint8_t* at = image->chunkCursor;
    if (!at || at >= end || (uint32_t)(end - at) < 12) return 0;
    uint32_t length = pngReadBigEndian(at);
    // Data and CRC must fit in what remains; compared as a 64-bit sum so a
    // length near 2^32 cannot wrap around.
    if ((uint64_t)length + 12 > (uint64_t)(end - at)) return 0;
    chunk->kind = classifyChunk(at + 4);
    chunk->length = length;
    chunk->crc = pngReadBigEndian(at + 8 + length);
    return 1;
}

int pngParse(PngImage* image) {
    image->chunkCursor = nullptr;
    image->header = nullptr;
    image->firstIdat = nullptr;
    image->palette = nullptr;
    image->error = 0;
    if (image->sourceSize < 16) {
        image->error = PngErrorBadData; // too short to be a PNG
        return 0;
    }
    for (int i = 0; i < 8; ++i) {
        if (image->source[i] != pngSignature[i]) {
            image->error = PngErrorBadData; // not a PNG signature
            return 0;
        }
    }
    image->chunkCursor = image->source + 8;
    ChunkInfo chunk;
    // The header fields are read from the 13 bytes after the chunk type, so a
    // shorter IHDR would let them come from its CRC and beyond: refuse it.
    if (!pngReadChunk(image, &chunk) || chunk.kind != ChunkKindIhdr || chunk.length < 13) {
        image->error = PngErrorBadData; // first chunk is not a complete IHDR
        return 0;
    }
    image->header = image->chunkCursor + 8;
    uint32_t width = pngReadBigEndian(image->header);
    if (width == 0) {
        image->error = PngErrorBadData;
        return 0;
    }
    image->width = width;
    uint32_t height = pngReadBigEndian(image->header + 4);
    if (height == 0) {
        image->error = PngErrorBadData;
        return 0;
    }
    image->height = height;

    // The walk ends only where no complete chunk can be read; IEND does not end it.
    for (;;) {
        image->chunkCursor += (uint64_t)chunk.length + 12; // inside source: the chunk fit
        if (!pngReadChunk(image, &chunk)) break;
        if (chunk.kind == ChunkKindUnknownCritical) {
            image->error = PngErrorUnsupported; // a critical chunk we cannot honour
            return 0;
        }
        if (chunk.kind == ChunkKindPlte && !image->palette) {
            image->palette = image->chunkCursor + 8;
            image->paletteCount = chunk.length / 3;
        } else if (chunk.kind == ChunkKindIdat && !image->firstIdat) {
            image->firstIdat = image->chunkCursor;
        }
    }

    const uint8_t* h = image->header;
    image->interlaceMethod = h[12];
    image->colourType = h[9];
    image->bitDepth = h[8];
    if (!formatAccepted(image->colourType, image->bitDepth)) {
        image->error = PngErrorUnsupported;
        return 0;
    }
    if (h[11] != 0 || h[10] != 0 || h[12] > 1) {
        image->error = PngErrorUnsupported; // filter, compression or interlace method
        return 0;
    }
    // Sizes are kept in 32 bits, and the bitmap header holds signed width and height.
    if (width > 0x7fffffffu || height > 0x7fffffffu || inflatedSize64(image) > 0xffffffffu ||
        bitmapSize64(image) > 0xffffffffu) {
        image->error = PngErrorUnsupported; // too large for this decoder
        return 0;
    }
    return 1;
}

uint32_t pngInflatedSize(const PngImage* image) {
    return (uint32_t)inflatedSize64(image);
}
