// The zlib stream decoder: inflates one zlib stream into a caller's buffer,
// reading the compressed bytes in place from a chain of byte ranges that the
// caller hands out one at a time (for a PNG image, the data of its IDAT chunks).
#pragma once
#include <stdint.h>

// Where the compressed bytes come from. `next` sets *data and *size to the
// next range of the stream and returns 1, or returns 0 once the chain has run
// out; a range may be empty. After a 0 it is not called again, and every bit
// from there on reads as 0. The ranges are read where they lie, never copied,
// and must stay readable until the decode returns.
struct InflateInput {
    int (*next)(void* context, const uint8_t** data, uint32_t* size);
    void* context;
};

// Decodes into output .. + outputSize (need not be zeroed; nothing is written
// past it). Returns 1 with any part of the buffer the stream did not reach
// cleared, or 0 for a stream it refuses, the buffer then holding what was
// written before, and in the up to 7 bytes after that whatever a back-reference
// copied a word at a time ran ahead with. Allocates nothing.
int inflateZlibStream(const InflateInput* input, uint8_t* output, uint32_t outputSize);
