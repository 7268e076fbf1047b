// The data the inflater's and the decoder's measurements run on, made the
// same way by every measuring program (bexaran_png_bench, inflate_measure).
#include "bench_data.h"

#include <libpng16/png.h>

#include <math.h>
#include <random>
#include <string.h>

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
