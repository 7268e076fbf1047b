// The inflater, fed two ways and checked against its oracle. Input: one byte
// choosing the chunk size, two bytes choosing the output size, then the zlib
// stream. The stream goes to inflateZlibStream as ranges of that size, each an
// exactly sized heap copy, and to pngInflateIdat wrapped in IDAT chunks of
// that size (the last one's length may claim more than is there). Both
// inflate into heap blocks of exactly the chosen size and must agree; and
// inflateZlibStream must agree with the plain decoder it replaced
// (tests/inflate/inflate_oracle.h) on the result and on every byte.
#include "inflate/inflate.h"
#include "png/png.h"
#include "tests/inflate/inflate_oracle.h"

#include <stdlib.h>
#include <string.h>
#include <vector>

namespace {

volatile uint8_t outputSink; // keeps the reads of every output byte

void putBigEndian(std::vector<uint8_t>* out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back((uint8_t)(v >> shift));
}

struct Ranges {
    std::vector<uint8_t*> blocks;
    std::vector<uint32_t> sizes;
    size_t next;
};

int nextRange(void* context, const uint8_t** data, uint32_t* size) {
    Ranges* r = (Ranges*)context;
    if (r->next > r->blocks.size()) abort(); // asked again after the end
    if (r->next == r->blocks.size()) {
        ++r->next;
        return 0;
    }
    *data = r->blocks[r->next];
    *size = r->sizes[r->next];
    ++r->next;
    return 1;
}

// The stream as the inflater's ranges; returns the result, output in `output`.
// With `written` the oracle decodes instead, and counts the bytes it wrote.
int inflateAsRanges(const uint8_t* stream, size_t streamSize, uint32_t chunkSize, uint8_t* output,
                    uint32_t outputSize, uint32_t* written = nullptr) {
    Ranges r = {{}, {}, 0};
    for (size_t at = 0; at < streamSize; at += chunkSize) {
        uint32_t n = (uint32_t)(streamSize - at < chunkSize ? streamSize - at : chunkSize);
        uint8_t* block = (uint8_t*)malloc(n);
        memcpy(block, stream + at, n);
        r.blocks.push_back(block);
        r.sizes.push_back(n);
    }
    InflateInput input = {nextRange, &r};
    int ok = written ? inflateZlibStreamOracle(&input, output, outputSize, written)
                     : inflateZlibStream(&input, output, outputSize);
    for (uint8_t* block : r.blocks)
        free(block);
    return ok;
}

// The stream in IDAT chunks of a PNG; returns the result, output in `output`.
int inflateAsIdat(const uint8_t* control, const uint8_t* stream, size_t streamSize,
                  uint32_t chunkSize, uint8_t* output, uint32_t outputSize) {
    std::vector<uint8_t> png = {137, 80, 78, 71, 13, 10, 26, 10};
    size_t firstIdat = png.size();
    for (size_t at = 0; at < streamSize || at == 0; at += chunkSize) {
        size_t n = streamSize - at < chunkSize ? streamSize - at : chunkSize;
        bool last = at + n >= streamSize;
        // An odd chunk size makes the last chunk claim bytes past the end of the data.
        putBigEndian(&png, last && (control[0] & 1) ? (uint32_t)n + 100 : (uint32_t)n);
        png.insert(png.end(), {'I', 'D', 'A', 'T'});
        png.insert(png.end(), stream + at, stream + at + n);
        if (!(last && (control[0] & 1))) putBigEndian(&png, 0); // CRC, never checked
        if (last) break;
    }
    if (!(control[0] & 1)) png.insert(png.end(), {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0, 0, 0, 0});

    // An exactly sized heap copy, so ASan catches a read one byte out.
    uint8_t* source = (uint8_t*)malloc(png.size());
    memcpy(source, png.data(), png.size());
    PngImage image = {};
    image.source = source;
    image.sourceSize = (uint32_t)png.size();
    image.firstIdat = source + firstIdat;
    image.inflated = output;
    image.inflatedSize = outputSize;
    int ok = pngInflateIdat(&image);
    if (image.error != (ok ? 0u : (uint32_t)PngErrorBadData)) abort();
    free(source);
    return ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    uint32_t chunkSize = data[0] ? data[0] * 64u : 1u; // 1 or 64 .. 16320 bytes
    uint32_t outputSize = ((uint32_t)data[1] | ((uint32_t)data[2] << 8)) * 16u; // 0 .. ~1 MiB
    const uint8_t* stream = data + 3;
    size_t streamSize = size - 3;

    // Exactly sized heap blocks, so ASan catches a write one byte out; the
    // same stale bytes in each, so that what a failed decode leaves compares.
    uint8_t* fromRanges = (uint8_t*)malloc(outputSize ? outputSize : 1);
    uint8_t* fromIdat = (uint8_t*)malloc(outputSize ? outputSize : 1);
    uint8_t* fromOracle = (uint8_t*)malloc(outputSize ? outputSize : 1);
    for (uint32_t i = 0; i < outputSize; ++i)
        fromRanges[i] = fromOracle[i] = (uint8_t)(i * 7 + 0xA5);
    int ok = inflateAsRanges(stream, streamSize, chunkSize, fromRanges, outputSize);
    if (ok != 0 && ok != 1) abort();
    uint32_t written = 0;
    int oracle = inflateAsRanges(stream, streamSize, chunkSize, fromOracle, outputSize, &written);
    if (oracleDisagreement(ok, fromRanges, oracle, fromOracle, outputSize, written)) abort();
    if (inflateAsIdat(data, stream, streamSize, chunkSize, fromIdat, outputSize) != ok) abort();
    if (ok) {
        // The chain delivers exactly the stream; every byte is written or cleared.
        if (memcmp(fromRanges, fromIdat, outputSize) != 0) abort();
        uint8_t sum = 0;
        for (uint32_t i = 0; i < outputSize; ++i)
            sum += fromIdat[i];
        outputSink = sum;
    }
    free(fromOracle);
    free(fromIdat);
    free(fromRanges);
    return 0;
}
