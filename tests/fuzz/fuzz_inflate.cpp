// The inflater alone. Input: one byte choosing the IDAT chunk size, two bytes
// choosing the output size, then the zlib stream. The stream is wrapped in
// IDAT chunks of that size (the last one's length may claim more than is
// there) and inflated into a heap block of exactly the chosen size.
#include "inflate/inflate.h"

#include <stdlib.h>
#include <string.h>
#include <vector>

namespace {

volatile uint8_t outputSink; // keeps the reads of every output byte

void putBigEndian(std::vector<uint8_t>* out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back((uint8_t)(v >> shift));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    uint32_t chunkSize = data[0] ? data[0] * 64u : 1u;   // 1 or 64 .. 16320 bytes
    uint32_t outputSize = ((uint32_t)data[1] | ((uint32_t)data[2] << 8)) * 16u; // 0 .. ~1 MiB
    const uint8_t* stream = data + 3;
    size_t streamSize = size - 3;

    std::vector<uint8_t> png = {137, 80, 78, 71, 13, 10, 26, 10};
    size_t firstIdat = png.size();
    for (size_t at = 0; at < streamSize || at == 0; at += chunkSize) {
        size_t n = streamSize - at < chunkSize ? streamSize - at : chunkSize;
        bool last = at + n >= streamSize;
        // An odd chunk size makes the last chunk claim bytes past the end of the data.
        putBigEndian(&png, last && (data[0] & 1) ? (uint32_t)n + 100 : (uint32_t)n);
        png.insert(png.end(), {'I', 'D', 'A', 'T'});
        png.insert(png.end(), stream + at, stream + at + n);
        if (!(last && (data[0] & 1))) putBigEndian(&png, 0); // CRC, never checked
        if (last) break;
    }
    if (!(data[0] & 1)) png.insert(png.end(), {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0, 0, 0, 0});

    // Exactly sized heap copies, so ASan catches a read or write one byte out.
    uint8_t* source = (uint8_t*)malloc(png.size());
    memcpy(source, png.data(), png.size());
    uint8_t* output = (uint8_t*)malloc(outputSize ? outputSize : 1);
    PngImage image = {};
    image.source = source;
    image.sourceSize = (uint32_t)png.size();
    image.firstIdat = source + firstIdat;
    image.inflated = output;
    image.inflatedSize = outputSize;
    int ok = inflateIdat(&image);
    if (ok != 0 && ok != 1) abort();
    if (image.error != (ok ? 0u : (uint32_t)PngErrorBadData)) abort();
    if (ok) {
        uint8_t sum = 0; // every byte is defined: written or cleared
        for (uint32_t i = 0; i < outputSize; ++i) sum += output[i];
        outputSink = sum;
    }
    free(output);
    free(source);
    return 0;
}
