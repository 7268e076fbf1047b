// The data the inflater's and the decoder's measurements run on, made the
// same way by every measuring program (bexaran_png_bench, inflate_measure).
#include "bench_data.h"

#include <libpng16/png.h>

#include <math.h>
#include <random>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include <algorithm>

// Words and spaces: what text compresses like.
Bytes textLike(size_t size) {
    static const char* words[] = {"the",     "keeper", "pushes",  "a",      "box",
                                  "onto",    "goal",   "wall",    "floor",  "level",
                                  "undo",    "step",   "of",      "and",    "window",
                                  "message", "bitmap", "decoder", "stream", "chunk"};
    std::mt19937 random(1);
    Bytes out;
    while (out.size() < size) {
        const char* w = words[random() % 20];
        out.insert(out.end(), w, w + strlen(w));
        out.push_back(random() % 11 == 0 ? '\n' : ' ');
    }
    out.resize(size);
    return out;
}

// Rows of smooth gradients with a filter byte each: what PNG scanlines look like.
Bytes pngLike(size_t size) {
    return imageLike(size, 2);
}

// Long stretches repeated from up to 32 KiB back, runs of one byte, and a
// little noise between them: what flat pictures and repetitive files give.
Bytes longMatch(size_t size) {
    std::mt19937 random(3);
    Bytes out;
    while (out.size() < size) {
        uint32_t kind = random() % 8;
        if (kind == 0 || out.size() < 4096) {
            for (uint32_t n = 16 + random() % 64; n > 0; --n)
                out.push_back((uint8_t)random());
        } else if (kind == 1) {
            out.insert(out.end(), 64 + random() % 1024, (uint8_t)random());
        } else {
            size_t reach = out.size() < 32768 ? out.size() : 32768;
            size_t distance = 8 + random() % (reach - 8);
            for (size_t n = 100 + random() % 2000; n > 0; --n)
                out.push_back(out[out.size() - distance]);
        }
    }
    out.resize(size);
    return out;
}

// A photo-like RGB picture: smooth shapes, gradients and noise.
Bytes pictureRgb(uint32_t width, uint32_t height, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes out((size_t)width * height * 3);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            double fx = x / (double)width, fy = y / (double)height;
            uint8_t* p = &out[((size_t)y * width + x) * 3];
            p[0] = (uint8_t)(127 + 100 * sin(fx * 9 + fy * 3) + random() % 6);
            p[1] = (uint8_t)(127 + 90 * cos(fy * 7 - fx * 2) + random() % 6);
            p[2] = (uint8_t)(255 * fx * fy + random() % 4);
        }
    }
    return out;
}

static void writeToVector(png_structp png, png_bytep data, png_size_t length) {
    Bytes* out = (Bytes*)png_get_io_ptr(png);
    out->insert(out->end(), data, data + length);
}

// libpng writes it the way common encoders do (adaptive filters, 8 KiB IDATs).
Bytes encodePng(const Bytes& rgb, uint32_t width, uint32_t height) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, writeToVector, nullptr);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t y = 0; y < height; ++y)
        png_write_row(png, (png_bytep)&rgb[(size_t)y * width * 3]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// The concatenated IDAT data of a PNG: its zlib stream.
Bytes idatStream(const Bytes& file) {
    Bytes out;
    for (size_t at = 8; at + 12 <= file.size();) {
        uint32_t length =
            ((uint32_t)file[at] << 24) | (file[at + 1] << 16) | (file[at + 2] << 8) | file[at + 3];
        if (at + 12 + (size_t)length > file.size()) break;
        if (memcmp(&file[at + 4], "IDAT", 4) == 0)
            out.insert(out.end(), file.begin() + at + 8, file.begin() + at + 8 + length);
        at += 12 + length;
    }
    return out;
}

namespace {

void putBigEndian(Bytes* out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back((uint8_t)(v >> shift));
}

void putChunk(Bytes* out, const char* type, const uint8_t* data, size_t size) {
    putBigEndian(out, (uint32_t)size);
    size_t start = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), data, data + size);
    putBigEndian(out, (uint32_t)crc32(0, out->data() + start, (uInt)(size + 4)));
}

uint8_t paethOf(int a, int b, int c) {
    int p = a + b - c, pa = abs(p - a), pb = abs(p - b), pc = abs(p - c);
    return (uint8_t)(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

} // namespace

Bytes encodeFilteredPng(const Bytes& rgb, uint32_t width, uint32_t height, const uint8_t* types,
                        size_t count) {
    const size_t rowBytes = (size_t)width * 3;
    Bytes scanlines;
    scanlines.reserve((rowBytes + 1) * height);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = &rgb[y * rowBytes];
        const uint8_t* up = y ? row - rowBytes : nullptr;
        uint8_t type = types[y % count];
        scanlines.push_back(type);
        for (size_t i = 0; i < rowBytes; ++i) {
            int a = i >= 3 ? row[i - 3] : 0, b = up ? up[i] : 0, c = up && i >= 3 ? up[i - 3] : 0;
            int predictor = type == 1   ? a
                            : type == 2 ? b
                            : type == 3 ? (a + b) / 2
                            : type == 4 ? paethOf(a, b, c)
                                        : 0;
            scanlines.push_back((uint8_t)(row[i] - predictor));
        }
    }
    Bytes stream = zlibCompress(scanlines, 6);
    Bytes out = {137, 80, 78, 71, 13, 10, 26, 10};
    uint8_t ihdr[13] = {0, 0, 0, 0, 0, 0, 0, 0, 8, 2, 0, 0, 0};
    for (int k = 0; k < 4; ++k) {
        ihdr[k] = (uint8_t)(width >> (24 - 8 * k));
        ihdr[4 + k] = (uint8_t)(height >> (24 - 8 * k));
    }
    putChunk(&out, "IHDR", ihdr, 13);
    for (size_t at = 0; at < stream.size(); at += 8192)
        putChunk(&out, "IDAT", stream.data() + at, std::min<size_t>(8192, stream.size() - at));
    putChunk(&out, "IEND", nullptr, 0);
    return out;
}

Bytes textPage(uint32_t width, uint32_t height, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes out((size_t)width * height * 3, 255);
    auto ink = [&](uint32_t x, uint32_t y, uint8_t level) {
        if (x >= width || y >= height) return;
        uint8_t* p = &out[((size_t)y * width + x) * 3];
        for (int k = 0; k < 3; ++k)
            p[k] = std::min(p[k], level);
    };
    // Lines of words 10 pixels high every 18 pixels; letters of 5 to 8 pixels
    // made of vertical and horizontal strokes, their edges half-tone grey.
    for (uint32_t top = 20; top + 14 < height; top += 18) {
        uint32_t x = 30;
        while (x + 60 < width) {
            uint32_t letters = 1 + random() % 9;
            for (uint32_t l = 0; l < letters; ++l, x += 7) {
                uint32_t shape = random();
                for (uint32_t y = top; y < top + 10; ++y) {
                    if (shape & 1) ink(x, y, 20), ink(x + 1, y, 140);
                    if (shape & 2) ink(x + 4, y, 20), ink(x + 5, y, 140);
                }
                for (uint32_t dx = 0; dx < 5; ++dx) {
                    if (shape & 4) ink(x + dx, top, 20), ink(x + dx, top + 1, 160);
                    if (shape & 8) ink(x + dx, top + 5, 20);
                    if (shape & 16) ink(x + dx, top + 9, 20), ink(x + dx, top + 10, 160);
                }
            }
            x += 7;
        }
    }
    return out;
}

Bytes noisySubPaethPng() {
    static const uint8_t subThenPaeth[2] = {1, 4};
    return encodeFilteredPng(pictureRgb(2400, 1600, 4), 2400, 1600, subThenPaeth, 2);
}

Bytes textPagePng() {
    return encodePng(textPage(2400, 1600, 5), 2400, 1600);
}
