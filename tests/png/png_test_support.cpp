#include "png_test_support.h"

#include <algorithm>
#include <stdio.h>
#include <zlib.h>

static void appendBigEndian(Bytes* out, uint32_t v) {
    out->push_back((uint8_t)(v >> 24));
    out->push_back((uint8_t)(v >> 16));
    out->push_back((uint8_t)(v >> 8));
    out->push_back((uint8_t)v);
}

Bytes pngChunk(const char* type, const Bytes& data) {
    Bytes out;
    appendBigEndian(&out, (uint32_t)data.size());
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, out.data() + 4, (uInt)(data.size() + 4));
    appendBigEndian(&out, (uint32_t)crc);
    return out;
}

Bytes ihdrData(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType,
               uint8_t interlace, uint8_t compression, uint8_t filter) {
    Bytes d;
    appendBigEndian(&d, width);
    appendBigEndian(&d, height);
    d.push_back(bitDepth);
    d.push_back(colourType);
    d.push_back(compression);
    d.push_back(filter);
    d.push_back(interlace);
    return d;
}

Bytes pngFile(const Bytes& ihdr, const std::vector<Bytes>& chunks, bool iend) {
    Bytes out = {137, 80, 78, 71, 13, 10, 26, 10};
    Bytes h = pngChunk("IHDR", ihdr);
    out.insert(out.end(), h.begin(), h.end());
    for (const Bytes& c : chunks)
        out.insert(out.end(), c.begin(), c.end());
    if (iend) {
        Bytes e = pngChunk("IEND", {});
        out.insert(out.end(), e.begin(), e.end());
    }
    return out;
}

std::vector<Bytes> idatChunks(const Bytes& stream, const std::vector<size_t>& cuts) {
    std::vector<Bytes> chunks;
    size_t start = 0;
    for (size_t cut : cuts) {
        chunks.push_back(pngChunk("IDAT", Bytes(stream.begin() + start, stream.begin() + cut)));
        start = cut;
    }
    chunks.push_back(pngChunk("IDAT", Bytes(stream.begin() + start, stream.end())));
    return chunks;
}

Bytes readFileBytes(const std::string& path) {
    Bytes out;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return out;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        out.insert(out.end(), buffer, buffer + n);
    fclose(f);
    return out;
}

int inflateInto(const Bytes& png, size_t firstIdat, uint32_t size, Bytes* output) {
    // A heap block of exactly `size` bytes, so ASan sees any write past it.
    uint8_t* buffer = new uint8_t[size ? size : 1];
    for (uint32_t i = 0; i < size; ++i)
        buffer[i] = 0xA5; // stale bytes
    // And the PNG data in a block of its own size, so ASan sees a read past it.
    uint8_t* source = new uint8_t[png.size()];
    std::copy(png.begin(), png.end(), source);
    PngImage image = {};
    image.source = source;
    image.sourceSize = (uint32_t)png.size();
    image.firstIdat = firstIdat == SIZE_MAX ? nullptr : source + firstIdat;
    image.inflated = buffer;
    image.inflatedSize = size;
    int result = pngInflateIdat(&image);
    output->assign(buffer, buffer + size);
    delete[] buffer;
    delete[] source;
    if (result != 0 && image.error != 0) return -1;               // inconsistent
    if (result == 0 && image.error != PngErrorBadData) return -1; // inconsistent
    return result;
}

Rgba bitmapToRgba(PngBitmap bitmap) {
    Rgba out;
    out.width = pngHostBitmapWidth(bitmap);
    out.height = pngHostBitmapHeight(bitmap);
    out.pixels.resize((size_t)out.width * out.height * 4);
    const PngBitmapInfo* info = pngHostBitmapInfo(bitmap);
    uint32_t bits = pngHostBitmapBitCount(bitmap);
    uint8_t* p = out.pixels.data();
    for (uint32_t y = 0; y < out.height; ++y) {
        const uint8_t* row = pngHostBitmapPixels(bitmap) + (size_t)y * pngHostBitmapStride(bitmap);
        for (uint32_t x = 0; x < out.width; ++x, p += 4) {
            if (bits >= 24) {
                const uint8_t* s = row + (size_t)x * (bits / 8);
                p[0] = s[2];
                p[1] = s[1];
                p[2] = s[0];
                p[3] = bits == 32 ? s[3] : 255;
            } else {
                uint32_t bit = x * bits;
                uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                const PngRgbQuad& q = info->bmiColors[index];
                p[0] = q.rgbRed;
                p[1] = q.rgbGreen;
                p[2] = q.rgbBlue;
                p[3] = 255;
            }
        }
    }
    return out;
}

bool decodeToRgba(const Bytes& png, uint32_t format, int device, Rgba* out, uint32_t* error) {
    PngImage image;
    pngInit(&image);
    PngBitmap bitmap = nullptr;
    if (pngAttachBorrowed(&image, png.data(), (uint32_t)png.size()) && pngDecode(&image)) {
        bitmap = pngMakeBitmap(&image, nullptr, format, device);
    }
    *error = image.error;
    if (bitmap) {
        *out = bitmapToRgba(bitmap);
        pngHostDeleteBitmap(bitmap);
    }
    pngFree(&image);
    return bitmap != nullptr;
}
