// pngInflateIdat (the IDAT chain walked in place and inflated) against zlib's
// uncompress of the joined stream, and the whole decode (parse, inflate,
// unfilter, convert to top-down BGR rows) against libpng into the same layout.
// Each pair runs on the same data in this one process; compare the times of
// the pairs with the same argument.
#include "bench_data.h"
#include "png_test_support.h"

#include <benchmark/benchmark.h>
#include <libpng16/png.h>
#include <zlib.h>

#include <math.h>
#include <random>
#include <string.h>

namespace {

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
        Bytes file = encodePng(pictureRgb(480, 420, 2), 480, 420);
        c.stream = idatStream(file);
        break;
    }
    case 3: { // ~ 3.4 MiB
        Bytes file = encodePng(pictureRgb(1200, 960, 2), 1200, 960);
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
        p.file = encodePng(pictureRgb(p.width, p.height, 2), p.width, p.height);
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
