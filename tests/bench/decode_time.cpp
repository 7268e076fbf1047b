// decode_time FILE [ROUNDS [COUNT]]: the whole decode of FILE (attach, parse,
// inflate, unfilter, convert to DIB rows) with the game's decoder, timed in
// rounds of about half a second; prints the fastest round's milliseconds per
// decode. With COUNT it decodes exactly COUNT times instead, for timing the
// whole process from outside.
// Plain C and the host platform layer only, so that the same source builds
// as the exe's code (MinGW i686, -Os, run under Wine) and as the page's
// (Emscripten, run by node): tests/bench/measure_decode.sh builds it before
// and after a change for both.
#include "png/png_host.h"

#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static int decodeOnce(const uint8_t* data, uint32_t size) {
    PngImage image;
    pngInit(&image);
    PngBitmap bitmap = 0;
    if (pngAttachBorrowed(&image, data, size) && pngDecode(&image))
        bitmap = pngMakeBitmap(&image, 0, OutputFormatAutomatic, 0);
    int ok = bitmap != 0;
    pngHostDeleteBitmap(bitmap);
    pngFree(&image);
    return ok;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: decode_time FILE [ROUNDS]\n");
        return 2;
    }
    FILE* f = fopen(argv[1], "rb");
    if (!f) return 2;
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    fseek(f, 0, SEEK_SET);
    uint8_t* data = (uint8_t*)malloc(size);
    if (!data || fread(data, 1, size, f) != (size_t)size) return 2;
    fclose(f);
    if (argc > 3) {
        for (int i = atoi(argv[3]); i > 0; --i)
            if (!decodeOnce(data, (uint32_t)size)) return 1;
        return 0;
    }
    int rounds = argc > 2 ? atoi(argv[2]) : 5;
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        int count = 0;
        clock_t start = clock(), now;
        do {
            if (!decodeOnce(data, (uint32_t)size)) return 1;
            ++count;
            now = clock();
        } while (now - start < CLOCKS_PER_SEC / 2);
        double ms = (now - start) * 1000.0 / CLOCKS_PER_SEC / count;
        if (ms < best) best = ms;
    }
    printf("%.4f\n", best);
    return 0;
}
