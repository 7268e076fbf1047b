// The inflater and the whole PNG decode measured against zlib and libpng, one
// operation at a time, for before-and-after comparisons: instructions under
// callgrind (stable on a shared machine) and wall-time ratios. Plain C++ with
// no benchmark library, so that it builds with -m32 as well as natively;
// tests/bench/measure_inflate.sh builds it both ways, before and after a change.
//
//   inflate_measure make DIR PICTURES      writes the cases into DIR
//   inflate_measure inflate FILE ours|zlib inflates the IDAT stream of FILE once
//   inflate_measure decode FILE ours|libpng decodes FILE to DIB rows once
//   inflate_measure time DIR [ROUNDS [CASE...]]  wall-time ratios of every case, or some
//
// Under callgrind, --toggle-collect=measuredRun counts the one operation only.
// The inflate cases are PNG files: the synthetic streams wrapped in 8 KiB IDAT
// chunks as common encoders write them, and the game's own pictures; ours
// inflates them in place with pngInflateIdat, zlib's uncompress gets the IDAT
// data joined into one stream. Every run checks its output against zlib's.
#include "bench_data.h"
#include "png/png_host.h"

#include <libpng16/png.h>
#include <zlib.h>

#include <math.h>
#include <random>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <time.h>
#include <vector>

namespace {


// ---- the data ----

void putBigEndian(Bytes* out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back((uint8_t)(v >> shift));
}

void putChunk(Bytes* out, const char* type, const uint8_t* data, uint32_t size) {
    putBigEndian(out, size);
    size_t start = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), data, data + size);
    putBigEndian(out, (uint32_t)crc32(0, out->data() + start, size + 4));
}

// A 1 by 1 grey PNG header with the stream in 8 KiB IDAT chunks: only the
// inflate cases read it, with their own output size.
Bytes wrapStream(const Bytes& stream) {
    Bytes out = {137, 80, 78, 71, 13, 10, 26, 10};
    const uint8_t ihdr[13] = {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0, 0};
    putChunk(&out, "IHDR", ihdr, 13);
    for (size_t at = 0; at < stream.size(); at += 8192) {
        size_t n = stream.size() - at < 8192 ? stream.size() - at : 8192;
        putChunk(&out, "IDAT", stream.data() + at, (uint32_t)n);
    }
    putChunk(&out, "IEND", nullptr, 0);
    return out;
}

bool readFile(const std::string& path, Bytes* out) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    out->clear();
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        out->insert(out->end(), buffer, buffer + n);
    fclose(f);
    return true;
}

bool writeFile(const std::string& path, const Bytes& data) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
    return fclose(f) == 0 && ok;
}

// ---- one measured operation ----

enum Operation { InflateOurs, InflateZlib, DecodeOurs, DecodeLibpng };

struct Job {
    const Bytes* file;   // the PNG
    const Bytes* stream; // its IDAT data joined (for zlib)
    Bytes* output;       // the inflated bytes (inflate operations)
    PngImage image;      // the PNG attached and parsed beforehand, inflating into output
};

struct MemoryInput {
    const Bytes* data;
    size_t offset;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    MemoryInput* in = (MemoryInput*)png_get_io_ptr(png);
    if (count > in->data->size() - in->offset) png_error(png, "read past the end");
    memcpy(out, in->data->data() + in->offset, count);
    in->offset += count;
}

int decodeOurs(const Bytes& file) {
    PngImage image;
    pngInit(&image);
    PngBitmap bitmap = nullptr;
    if (pngAttachBorrowed(&image, file.data(), (uint32_t)file.size()) && pngDecode(&image))
        bitmap = pngMakeBitmap(&image, nullptr, OutputFormatAutomatic, 0);
    int ok = bitmap != nullptr;
    pngHostDeleteBitmap(bitmap);
    pngFree(&image);
    return ok;
}

// libpng into the same memory layout as ours: BGR, top-down rows padded to 4 bytes.
int decodeLibpng(const Bytes& file) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    MemoryInput input = {&file, 0};
    png_set_read_fn(png, &input, readFromMemory);
    png_read_info(png, info);
    png_set_bgr(png);
    png_read_update_info(png, info);
    uint32_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    uint32_t stride = (uint32_t)((png_get_rowbytes(png, info) + 3) & ~(size_t)3);
    uint8_t* pixels = (uint8_t*)malloc((size_t)stride * height);
    std::vector<png_bytep> rows(height);
    for (uint32_t y = 0; y < height; ++y)
        rows[y] = pixels + (size_t)y * stride;
    png_read_image(png, rows.data());
    int ok = width > 0 && pixels[0] + 1 > 0;
    free(pixels);
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

} // namespace

// Exactly one operation; the only function callgrind counts. Returns 1 on success.
extern "C" __attribute__((noinline)) int measuredRun(Operation operation, const Job* job) {
    switch (operation) {
    case InflateOurs: {
        PngImage image = job->image;
        return pngInflateIdat(&image);
    }
    case InflateZlib: {
        uLongf size = (uLongf)job->output->size();
        return uncompress(job->output->data(), &size, job->stream->data(),
                          (uLong)job->stream->size()) == Z_OK &&
               size == job->output->size();
    }
    case DecodeOurs:
        return decodeOurs(*job->file);
    case DecodeLibpng:
        return decodeLibpng(*job->file);
    }
    return 0;
}

namespace {

struct Case {
    std::string name;
    Bytes file, stream, expected; // expected: zlib's inflate of the stream (inflate cases)
    bool decode;                  // a whole-decode case
};

bool loadCase(const std::string& path, bool decode, Case* c) {
    if (!readFile(path, &c->file)) return false;
    c->stream = idatStream(c->file);
    c->decode = decode;
    if (!decode) {
        c->expected.resize(64u << 20);
        uLongf size = (uLongf)c->expected.size();
        if (uncompress(c->expected.data(), &size, c->stream.data(), (uLong)c->stream.size()) !=
            Z_OK)
            return false;
        c->expected.resize(size);
    }
    return true;
}

// The job for one case, inflating into `output`; false if the PNG is refused.
bool prepare(const Case& c, Bytes* output, Job* job) {
    output->assign(c.expected.size(), 0xA5); // stale bytes
    job->file = &c.file;
    job->stream = &c.stream;
    job->output = output;
    pngInit(&job->image);
    if (c.decode) return true;
    if (!pngAttachBorrowed(&job->image, c.file.data(), (uint32_t)c.file.size())) return false;
    job->image.inflated = output->data();
    job->image.inflatedSize = (uint32_t)output->size();
    return true;
}

// Runs the operation once, checking the inflated bytes; false on any failure.
bool runChecked(const Case& c, Operation operation) {
    Bytes output;
    Job job;
    if (!prepare(c, &output, &job) || !measuredRun(operation, &job)) return false;
    return c.decode || output == c.expected;
}

double seconds(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// Seconds per operation over `repetitions` runs, on the wall clock and in this
// thread's processor time (which leaves out the time other programs had the
// processor, on a shared machine); false on a failure.
bool timeRuns(const Case& c, Operation operation, int repetitions, double* wall, double* cpu) {
    Bytes output;
    Job job;
    if (!prepare(c, &output, &job)) return false;
    double wallStart = seconds(CLOCK_MONOTONIC), cpuStart = seconds(CLOCK_THREAD_CPUTIME_ID);
    for (int i = 0; i < repetitions; ++i)
        if (!measuredRun(operation, &job)) return false;
    *cpu = (seconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart) / repetitions;
    *wall = (seconds(CLOCK_MONOTONIC) - wallStart) / repetitions;
    return true;
}

int make(const std::string& dir, const std::string& pictures) {
    const size_t size = 4u << 20;
    struct Kind {
        const char* name;
        Bytes data;
    } kinds[] = {
        {"text", textLike(size)}, {"pnglike", pngLike(size)}, {"longmatch", longMatch(size)}};
    for (const Kind& kind : kinds) {
        for (int level : {1, 6, 9}) {
            std::string path = dir + "/" + kind.name + "-" + std::to_string(level) + ".png";
            if (!writeFile(path, wrapStream(zlibCompress(kind.data, level)))) return 1;
        }
    }
    for (const char* name : {"keeper", "tiles", "boxes"}) {
        Bytes file;
        if (!readFile(pictures + "/" + name + ".png", &file)) return 1;
        if (!writeFile(dir + "/" + name + ".png", file)) return 1;
    }
    if (!writeFile(dir + "/noisy.png", encodePng(pictureRgb(2400, 1600, 4), 2400, 1600))) return 1;
    if (!writeFile(dir + "/noisy-subpaeth.png", noisySubPaethPng())) return 1;
    if (!writeFile(dir + "/text-page.png", textPagePng())) return 1;
    return 0;
}

const char* caseNames[] = {"text-1",    "text-6",      "text-9",      "pnglike-1",   "pnglike-6",
                           "pnglike-9", "longmatch-1", "longmatch-6", "longmatch-9", "keeper",
                           "tiles",     "boxes",       "noisy",       "noisy-subpaeth", "text-page"};

// Every case, or those named in `only`.
int timeAll(const std::string& dir, int rounds, const std::vector<std::string>& only) {
    printf("case\tours_ms\treference_ms\tratio\tours_cpu_ms\treference_cpu_ms\tcpu_ratio\n");
    for (const char* name : caseNames) {
        bool wanted = only.empty();
        for (const std::string& o : only)
            wanted = wanted || o == name;
        if (!wanted) continue;
        Case c;
        bool decode = strncmp(name, "noisy", 5) == 0 || strcmp(name, "text-page") == 0;
        if (!loadCase(dir + "/" + name + ".png", decode, &c)) return 1;
        Operation ours = decode ? DecodeOurs : InflateOurs;
        Operation reference = decode ? DecodeLibpng : InflateZlib;
        if (!runChecked(c, ours) || !runChecked(c, reference)) return 1;
        // Repetitions for about 20 ms, then rounds that alternate the two;
        // the fastest round of each counts.
        double wall, cpu;
        if (!timeRuns(c, ours, 1, &wall, &cpu)) return 1;
        int repetitions = wall > 0.02 ? 1 : (int)(0.02 / (wall > 1e-7 ? wall : 1e-7)) + 1;
        double best[2][2] = {{1e9, 1e9}, {1e9, 1e9}}; // [ours, reference][wall, cpu]
        for (int r = 0; r < rounds; ++r) {
            for (int who = 0; who < 2; ++who) {
                if (!timeRuns(c, who ? reference : ours, repetitions, &wall, &cpu)) return 1;
                if (wall < best[who][0]) best[who][0] = wall;
                if (cpu < best[who][1]) best[who][1] = cpu;
            }
        }
        printf("%s\t%.4f\t%.4f\t%.3f\t%.4f\t%.4f\t%.3f\n", name, best[0][0] * 1e3, best[1][0] * 1e3,
               best[0][0] / best[1][0], best[0][1] * 1e3, best[1][1] * 1e3,
               best[0][1] / best[1][1]);
        fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "make" && argc == 4) return make(argv[2], argv[3]);
    if (mode == "time" && argc >= 3)
        return timeAll(argv[2], argc >= 4 ? atoi(argv[3]) : 15,
                       std::vector<std::string>(argv + (argc >= 4 ? 4 : 3), argv + argc));
    if ((mode == "inflate" || mode == "decode") && argc == 4) {
        Case c;
        bool decode = mode == "decode";
        if (!loadCase(argv[2], decode, &c)) return 1;
        std::string who = argv[3];
        Operation operation = decode ? (who == "ours" ? DecodeOurs : DecodeLibpng)
                                     : (who == "ours" ? InflateOurs : InflateZlib);
        if (who != "ours" && who != (decode ? "libpng" : "zlib")) return 2;
        if (!runChecked(c, operation)) {
            fprintf(stderr, "%s %s: failed or wrong output\n", argv[2], argv[3]);
            return 1;
        }
        return 0;
    }
    fprintf(stderr, "usage: inflate_measure make DIR PICTURES | time DIR [ROUNDS [CASE...]] |\n"
                    "       inflate FILE ours|zlib | decode FILE ours|libpng\n");
    return 2;
}
