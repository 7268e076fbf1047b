// zlib streams for the inflater's tests and the decoder's: made and checked by
// zlib itself, and run through our inflater as a chain of byte ranges.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <vector>

typedef std::vector<uint8_t> Bytes;

// zlib compress2 at a level and strategy (default window, memLevel 8).
Bytes zlibCompress(const Bytes& data, int level, int strategy = 0);
// Rows of smooth gradients with a filter byte each, as PNG scanlines are:
// data that deflate squeezes as it squeezes pictures.
Bytes imageLike(size_t size, uint32_t seed);
// zlib's own inflate of a zlib stream (checks the Adler-32); empty on failure.
Bytes zlibInflate(const Bytes& stream, size_t capacity);

// Runs inflateZlibStream on `stream` cut into ranges after each offset in
// `cuts` (in increasing order; an offset given twice makes an empty range),
// each range an exactly sized heap copy, into a heap block of `size` bytes
// that starts out stale. Returns the result, or -1 if the inflater asked for
// more input after the input had ended; *output receives the buffer.
int inflateRanges(const Bytes& stream, const std::vector<size_t>& cuts, uint32_t size,
                  Bytes* output);
