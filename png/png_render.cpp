// Scanline reconstruction: walking the stored rows, having each unfiltered
// (png_unfilter.cpp) and converted to the bitmap's layout, and scattering
// Adam7 pass rows into place.
#include "png_internal.h"

#include <string.h>

namespace {

// Walks the stored rows of `inflated` in order, reconstructing each into one of
// two working rows (or using a None row where it lies).
struct RowReader {
    const uint8_t* next;  // filter-type byte of the next stored row
    uint8_t* work[2];     // the two working rows
    const uint8_t* prior; // previous reconstructed row of this image or pass; null at a start
};

const uint8_t* reconstructRow(RowReader* reader, uint32_t n, uint32_t step) {
    uint32_t filterType = reader->next[0];
    const uint8_t* filtered = reader->next + 1;
    reader->next += n + 1; // the caller sized the rows from inflatedSize: stays inside
    const uint8_t* row;
    if (filterType == 0) {
        row = filtered; // used in place, not copied
    } else {
        uint8_t* target = reader->prior == reader->work[0] ? reader->work[1] : reader->work[0];
        if (!pngUnfilterRow(filterType, filtered, target, reader->prior, n, step)) return nullptr;
        row = target;
    }
    reader->prior = row;
    return row;
}

// Places the pixels of a converted pass row at columns xOrigin + j << xShift.
void placeWholeBytes(const uint8_t* source, uint32_t pixels, uint32_t bytesPerPixel,
                     const Adam7Pass& pass, uint8_t* destination) {
    uint32_t column = pass.xOrigin;
    uint32_t spacing = 1u << pass.xShift;
    for (uint32_t j = 0; j < pixels; ++j, column += spacing) {
        uint8_t* to = destination + column * bytesPerPixel; // column < width: inside the row
        for (uint32_t k = 0; k < bytesPerPixel; ++k) to[k] = source[j * bytesPerPixel + k];
    }
}

// For 1, 2 and 4 bits per pixel; the leftmost pixel of a byte takes its top bits.
void placeBits(const uint8_t* source, uint32_t pixels, uint32_t bits, const Adam7Pass& pass,
               uint8_t* destination) {
    uint32_t mask = (1u << bits) - 1;
    uint32_t column = pass.xOrigin;
    uint32_t spacing = 1u << pass.xShift;
    for (uint32_t j = 0; j < pixels; ++j, column += spacing) {
        uint32_t from = j * bits;
        uint32_t value = (source[from >> 3] >> (8 - bits - (from & 7))) & mask;
        uint32_t to = column * bits;
        destination[to >> 3] |= (uint8_t)(value << (8 - bits - (to & 7)));
    }
}

int renderPlain(PngImage* image, uint8_t* destination, RowConvert convert, RowReader* reader,
                uint32_t rowBytes, uint32_t step) {
    for (uint32_t y = 0; y < image->height; ++y) {
        const uint8_t* row = reconstructRow(reader, rowBytes, step);
        if (!row) return 0;
        uint32_t written = convert(row, rowBytes, destination);
        destination += (written + 3) & ~3u; // rows of a DIB start on 4-byte boundaries
    }
    return 1;
}

int renderInterlaced(PngImage* image, uint8_t* destination, RowConvert convert,
                     RowReader* reader, uint32_t step, uint32_t outputBits, uint32_t stride,
                     uint8_t* scratch) {
    uint32_t bits = pngBitsPerPixel(image);
    if (outputBits < 8) pngZero(destination, stride * image->height); // pixels are ORed in
    uint32_t mask = pngPassMask(image->width, image->height);
    for (int p = 0; p < 7; ++p) {
        if (!(mask & (1u << p))) continue;
        const Adam7Pass& pass = adam7Passes[p];
        uint32_t passWidth = pngPassExtent(image->width, pass.xOrigin, pass.xShift);
        uint32_t passHeight = pngPassExtent(image->height, pass.yOrigin, pass.yShift);
        uint32_t passRowBytes = (uint32_t)pngRowBytes(passWidth, bits);
        reader->prior = nullptr; // every pass starts without a row above
        uint8_t* target = destination + pass.yOrigin * stride;
        for (uint32_t y = 0; y < passHeight; ++y, target += stride << pass.yShift) {
            const uint8_t* row = reconstructRow(reader, passRowBytes, step);
            if (!row) return 0;
            uint32_t m = convert(row, passRowBytes, scratch);
            if (outputBits >= 8) {
                uint32_t k = outputBits / 8;
                uint32_t pixels = m / k < passWidth ? m / k : passWidth;
                placeWholeBytes(scratch, pixels, k, pass, target);
            } else {
                placeBits(scratch, passWidth, outputBits, pass, target);
            }
        }
    }
    return 1;
}

} // namespace

int pngRender(PngImage* image, uint8_t* destination, uint32_t outputFormat) {
    // Only a format meant for this image keeps the converter inside the bitmap.
    const OutputFormatRow* format = pngFindOutputFormat(outputFormat);
    if (!format || (outputFormat >> 24) != image->colourType ||
        ((outputFormat >> 16) & 0xff) != image->bitDepth || !image->inflated) {
        image->error = PngErrorBadOutputFormat;
        return 0;
    }
    RowConvert convert = pngRowConverter(outputFormat & 0xff);
    uint32_t bits = pngBitsPerPixel(image);
    uint32_t step = bits / 8 ? bits / 8 : 1;
    uint32_t rowBytes = (uint32_t)pngRowBytes(image->width, bits); // < inflatedSize
    uint32_t stride = (uint32_t)(((uint64_t)image->width * format->outputBits + 31) / 32 * 4);
    uint64_t blockSize = (uint64_t)rowBytes * 2 + (image->interlaceMethod ? stride : 0);
    uint8_t* block = blockSize <= 0xffffffffu ? (uint8_t*)pngAlloc((uint32_t)blockSize) : nullptr;
    if (!block) {
        image->error = PngErrorOutOfMemory;
        return 0;
    }
    RowReader reader = {image->inflated, {block, block + rowBytes}, nullptr};
    int ok;
    if (image->interlaceMethod == 0) {
        ok = renderPlain(image, destination, convert, &reader, rowBytes, step);
    } else {
        ok = renderInterlaced(image, destination, convert, &reader, step, format->outputBits,
                              stride, block + 2 * (uint64_t)rowBytes);
    }
    pngRelease(block);
    return ok;
}
