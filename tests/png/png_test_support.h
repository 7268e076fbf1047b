// Helpers for the decoder tests: building PNG files and zlib streams by hand,
// decoding through the project's decoder, and reading a bitmap back as RGBA.
#pragma once
#include "png/png_host.h"
#include "zlib_streams.h"

#include <stdint.h>
#include <string>
#include <vector>

// A complete chunk: length, type, data, CRC (a correct one).
Bytes pngChunk(const char* type, const Bytes& data);
// The 13 IHDR data bytes.
Bytes ihdrData(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType,
               uint8_t interlace = 0, uint8_t compression = 0, uint8_t filter = 0);
// Signature, IHDR, the given chunks, IEND.
Bytes pngFile(const Bytes& ihdr, const std::vector<Bytes>& chunks, bool iend = true);
// The zlib stream wrapped in IDAT chunks that break after each offset in `cuts`.
std::vector<Bytes> idatChunks(const Bytes& stream, const std::vector<size_t>& cuts);
Bytes readFileBytes(const std::string& path);

// Runs pngInflateIdat on `png` with a buffer of `size` bytes, the IDAT chain
// starting at `firstIdat` (an offset into png, or SIZE_MAX for none).
// Returns the result; *output receives the buffer.
int inflateInto(const Bytes& png, size_t firstIdat, uint32_t size, Bytes* output);

// An RGBA picture: width * height * 4 bytes.
struct Rgba {
    uint32_t width = 0, height = 0;
    Bytes pixels;
};
// Reads a host bitmap back as RGBA, mapping indices through the colour table;
// alpha is 255 for bitmaps without an alpha byte.
Rgba bitmapToRgba(PngBitmap bitmap);
// attach + decode + make bitmap (format, device flag) + read back; false with
// *error set on any failure. Checks that nothing leaks.
bool decodeToRgba(const Bytes& png, uint32_t format, int device, Rgba* out, uint32_t* error);
