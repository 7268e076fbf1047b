// Tables and helpers shared by the decoder's own files (and its tests).
#pragma once
#include "png.h"

// For the small helpers of the per-pixel loops: the exe and the page are built
// for size, where the compilers would rather call them, once per pixel, than
// inline them.
#define PNG_ALWAYS_INLINE inline __attribute__((always_inline))

// Samples per pixel by colour type 0..6 (1 and 5 are not PNG colour types).
extern const uint8_t samplesPerPixel[7];

// Adam7 pass geometry, passes 1 to 7 at index 0 to 6; spacing as log2.
struct Adam7Pass {
    uint8_t xOrigin, yOrigin, xShift, yShift;
};
extern const Adam7Pass adam7Passes[7];

// Bits per pixel of the image's PNG format (0 for an unknown colour type).
uint32_t pngBitsPerPixel(const PngImage* image);
// The 7-bit set of Adam7 passes that hold at least one pixel.
uint32_t pngPassMask(uint32_t width, uint32_t height);
// Width (or height) of a pass along one dimension, for a pass in the mask.
inline uint32_t pngPassExtent(uint32_t size, uint32_t origin, uint32_t shift) {
    return ((size - origin - 1) >> shift) + 1;
}
// ceil(pixels * bits / 8) in 64 bits, so callers can refuse what overflows.
inline uint64_t pngRowBytes(uint64_t pixels, uint32_t bits) {
    return (pixels * bits + 7) / 8;
}

// One row of the outputFormats table.
struct OutputFormatRow {
    uint32_t word;      // the OutputFormat word
    uint8_t outputBits; // bits per pixel that its converter produces
    uint8_t automatic;  // the format used when none is requested
};
enum { OutputFormatCount = 17 };
extern const OutputFormatRow outputFormats[OutputFormatCount];
// The outputFormats row for a whole word, or null.
const OutputFormatRow* pngFindOutputFormat(uint32_t word);

// A row converter: converts n source bytes, returns the bytes written.
typedef uint32_t (*RowConvert)(const uint8_t* source, uint32_t n, uint8_t* destination);
// The converter with that index, or null for an index that names none.
RowConvert pngRowConverter(uint32_t index);

// Unfilters one row into `row` (n bytes) against `prior` (null = zeros) with
// `step` bytes per pixel (1, 2, 3, 4, 6 or 8; n a multiple of it). Returns 0
// for a filter type above 4.
int pngUnfilterRow(uint32_t filterType, const uint8_t* filtered, uint8_t* row, const uint8_t* prior,
                   uint32_t n, uint32_t step);
uint8_t pngPaeth(uint8_t a, uint8_t b, uint8_t c);

// The walk along the IDAT chain that carries the zlib stream: the data of the
// chunk at firstIdat and of every chunk after it that continues the stream.
struct IdatChain {
    const uint8_t* source; // the PNG data: nothing outside it is read
    uint64_t sourceSize;
    uint64_t nextChunk; // offset in source of the next chunk header to look at
};
void pngStartIdatChain(const PngImage* image, IdatChain* chain);
// The next chunk's data (*data, *size; possibly empty) and 1, or 0 where the
// chain ends. Shaped as the inflater's InflateInput::next, chain as context.
int pngNextIdatData(void* chain, const uint8_t** data, uint32_t* size);

inline uint32_t pngReadBigEndian(const uint8_t* p) {
    return ((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | p[3];
}
