// pngInflateIdat (the IDAT chain walked in place and inflated) against zlib's
// uncompress of the joined stream, and the whole decode (parse, inflate,
// unfilter, convert to top-down BGR rows) against libpng into the same layout.
// Each pair runs on the same data in this one process; compare the times of
// the pairs with the same argument.
#include "png_test_support.h"

#include <benchmark/benchmark.h>
#include <libpng16/png.h>
#include <zlib.h>

#include <math.h>
#include <random>
#include <string.h>

namespace {

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

// A photo-like RGB picture: smooth shapes, gradients and a little noise.
Bytes pictureRgb(uint32_t width, uint32_t height) {
    std::mt19937 random(2);
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

void writeToVector(png_structp png, png_bytep data, png_size_t length) {
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
            (file[at] << 24) | (file[at + 1] << 16) | (file[at + 2] << 8) | file[at + 3];
        if (memcmp(&file[at + 4], "IDAT", 4) == 0)
            out.insert(out.end(), file.begin() + at + 8, file.begin() + at + 8 + length);
        at += 12 + length;
    }
    return out;
}

struct Case {
    Bytes original; // what the stream inflates to
    Bytes stream;   // the zlib stream
    Bytes png;      // the stream in 8 KiB IDAT chunks
};

struct Picture {
    uint32_t width, height;
    Bytes file;
};

Case makeCase(int which) {
    Case c;
    switch (which) {
    case 0:
        c.original = textLike(100 << 10);
        break;
    case 1:
        c.original = textLike(4 << 20);
        break;
    case 2: { // filtered scanlines of a real PNG, ~ 600 KiB
        Bytes file = encodePng(pictureRgb(480, 420), 480, 420);
        c.stream = idatStream(file);
        break;
    }
    case 3: { // ~ 3.4 MiB
        Bytes file = encodePng(pictureRgb(1200, 960), 1200, 960);
        c.stream = idatStream(file);
        break;
    }
    }
    if (c.stream.empty()) c.stream = zlibCompress(c.original, 6);
    if (c.original.empty()) {
        c.original.resize(64 << 20);
        uLongf size = (uLongf)c.original.size();
        uncompress(c.original.data(), &size, c.stream.data(), (uLong)c.stream.size());
        c.original.resize(size);
    }
    std::vector<size_t> cuts;
    for (size_t at = 8192; at < c.stream.size(); at += 8192)
        cuts.push_back(at);
    c.png = pngFile(ihdrData(1, 1, 8, 0), idatChunks(c.stream, cuts));
    return c;
}

const Case& benchCase(int which) {
    static Case cases[4];
    static bool made[4];
    if (!made[which]) {
        cases[which] = makeCase(which);
        made[which] = true;
    }
    return cases[which];
}

const char* caseNames[] = {"text 100KiB", "text 4MiB", "image 480x420", "image 1200x960"};

void BM_InflateIdat(benchmark::State& state) {
    const Case& c = benchCase((int)state.range(0));
    Bytes output(c.original.size());
    PngImage image = {};
    image.source = c.png.data();
    image.sourceSize = (uint32_t)c.png.size();
    image.firstIdat = c.png.data() + 33;
    image.inflated = output.data();
    image.inflatedSize = (uint32_t)output.size();
    for (auto _ : state) {
        if (!pngInflateIdat(&image)) state.SkipWithError("pngInflateIdat failed");
        benchmark::DoNotOptimize(output.data());
    }
    if (output != c.original) state.SkipWithError("wrong output");
    state.SetLabel(caseNames[state.range(0)]);
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)c.original.size());
}

void BM_ZlibUncompress(benchmark::State& state) {
    const Case& c = benchCase((int)state.range(0));
    Bytes output(c.original.size());
    for (auto _ : state) {
        uLongf size = (uLongf)output.size();
        if (uncompress(output.data(), &size, c.stream.data(), (uLong)c.stream.size()) != Z_OK)
            state.SkipWithError("uncompress failed");
        benchmark::DoNotOptimize(output.data());
    }
    state.SetLabel(caseNames[state.range(0)]);
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)c.original.size());
}

const Picture& benchPicture() {
    static Picture picture = [] {
        Picture p = {1600, 1200, {}};
        p.file = encodePng(pictureRgb(p.width, p.height), p.width, p.height);
        return p;
    }();
    return picture;
}

void BM_DecodeToDib(benchmark::State& state) {
    const Picture& p = benchPicture();
    for (auto _ : state) {
        PngImage image;
        pngInit(&image);
        PngBitmap bitmap = nullptr;
        if (pngAttachBorrowed(&image, p.file.data(), (uint32_t)p.file.size()) && pngDecode(&image))
            bitmap = pngMakeBitmap(&image, nullptr, OutputFormatAutomatic, 0);
        if (!bitmap) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pngHostBitmapPixels(bitmap));
        pngHostDeleteBitmap(bitmap);
        pngFree(&image);
    }
    state.SetLabel("RGB 1600x1200");
    state.SetBytesProcessed((int64_t)state.iterations() * p.width * p.height * 3);
}

struct MemoryInput {
    const Bytes* data;
    size_t offset;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    MemoryInput* in = (MemoryInput*)png_get_io_ptr(png);
    memcpy(out, in->data->data() + in->offset, count);
    in->offset += count;
}

// libpng into the same memory layout: BGR, top-down rows padded to 4 bytes.
void BM_LibpngToDib(benchmark::State& state) {
    const Picture& p = benchPicture();
    for (auto _ : state) {
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        MemoryInput input = {&p.file, 0};
        png_set_read_fn(png, &input, readFromMemory);
        png_read_info(png, info);
        png_set_bgr(png);
        png_read_update_info(png, info);
        uint32_t stride = (p.width * 3 + 3) & ~3u;
        uint8_t* pixels = (uint8_t*)malloc((size_t)stride * p.height);
        std::vector<png_bytep> rows(p.height);
        for (uint32_t y = 0; y < p.height; ++y)
            rows[y] = pixels + (size_t)y * stride;
        png_read_image(png, rows.data());
        benchmark::DoNotOptimize(pixels);
        free(pixels);
        png_destroy_read_struct(&png, &info, nullptr);
    }
    state.SetLabel("RGB 1600x1200");
    state.SetBytesProcessed((int64_t)state.iterations() * p.width * p.height * 3);
}

BENCHMARK(BM_InflateIdat)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibUncompress)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeToDib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpngToDib)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
