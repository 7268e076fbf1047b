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

#include <algorithm>
#include <dirent.h>
#include <math.h>
#include <random>
#include <string.h>
#include <string>
#include <vector>

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

// The PngSuite images that are no deliberately broken files (x*), sorted.
std::vector<std::string> pngSuiteNames() {
    std::vector<std::string> names;
    if (DIR* dir = opendir(PNGSUITE_DIR)) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 4 && name[0] != 'x' && name.compare(name.size() - 4, 4, ".png") == 0)
                names.push_back(std::string(PNGSUITE_DIR) + "/" + name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The whole-decode pictures: photo-like RGB as libpng filters it, photo-like
// noise with rows alternately Sub and Paeth, a text page, the game's three
// pictures, and every PngSuite image that the decoder accepts (one iteration
// decodes them all).
enum { PictureSuite = 6, PictureCount = 7 };
const char* pictureNames[PictureCount] = {"RGB 1600x1200",
                                          "noisy Sub/Paeth 2400x1600",
                                          "text page 2400x1600",
                                          "keeper.png",
                                          "tiles.png",
                                          "boxes.png",
                                          "PngSuite"};

std::vector<Bytes> makePictures(int which) {
    switch (which) {
    case 0:
        return {encodePng(pictureRgb(1600, 1200, 2), 1600, 1200)};
    case 1:
        return {noisySubPaethPng()};
    case 2:
        return {textPagePng()};
    case 3:
        return {readFileBytes(SHELL_DIR "/keeper.png")};
    case 4:
        return {readFileBytes(SHELL_DIR "/tiles.png")};
    case 5:
        return {readFileBytes(SHELL_DIR "/boxes.png")};
    }
    std::vector<Bytes> suite;
    for (const std::string& name : pngSuiteNames())
        suite.push_back(readFileBytes(name));
    return suite;
}

const std::vector<Bytes>& benchPictures(int which) {
    static std::vector<Bytes> pictures[PictureCount];
    static bool made[PictureCount];
    if (!made[which]) {
        pictures[which] = makePictures(which);
        made[which] = true;
    }
    return pictures[which];
}

void BM_DecodeToDib(benchmark::State& state) {
    const std::vector<Bytes>& files = benchPictures((int)state.range(0));
    for (auto _ : state) {
        for (const Bytes& file : files) {
            PngImage image;
            pngInit(&image);
            PngBitmap bitmap = nullptr;
            if (pngAttachBorrowed(&image, file.data(), (uint32_t)file.size()) && pngDecode(&image))
                bitmap = pngMakeBitmap(&image, nullptr, OutputFormatAutomatic, 0);
            if (!bitmap) state.SkipWithError("decode failed");
            benchmark::DoNotOptimize(pngHostBitmapPixels(bitmap));
            pngHostDeleteBitmap(bitmap);
            pngFree(&image);
        }
    }
    state.SetLabel(pictureNames[state.range(0)]);
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
// PngSuite's other formats get libpng's nearest work: 16-bit samples cut to 8,
// sub-byte pixels left packed, palettes not expanded.
void BM_LibpngToDib(benchmark::State& state) {
    const std::vector<Bytes>& files = benchPictures((int)state.range(0));
    for (auto _ : state) {
        for (const Bytes& file : files) {
            png_structp png =
                png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
            png_infop info = png_create_info_struct(png);
            MemoryInput input = {&file, 0};
            png_set_read_fn(png, &input, readFromMemory);
            png_read_info(png, info);
            png_set_bgr(png);
            png_set_strip_16(png);
            png_set_interlace_handling(png);
            png_read_update_info(png, info);
            uint32_t height = png_get_image_height(png, info);
            size_t stride = (png_get_rowbytes(png, info) + 3) & ~(size_t)3;
            uint8_t* pixels = (uint8_t*)malloc(stride * height);
            std::vector<png_bytep> rows(height);
            for (uint32_t y = 0; y < height; ++y)
                rows[y] = pixels + (size_t)y * stride;
            png_read_image(png, rows.data());
            benchmark::DoNotOptimize(pixels);
            free(pixels);
            png_destroy_read_struct(&png, &info, nullptr);
        }
    }
    state.SetLabel(pictureNames[state.range(0)]);
}

BENCHMARK(BM_InflateIdat)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibUncompress)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeToDib)->DenseRange(0, PictureCount - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpngToDib)->DenseRange(0, PictureCount - 1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
