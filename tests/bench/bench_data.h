// Synthetic data for the inflate and decode measurements: text-like,
// PNG-like and long-match data, photo-like pictures as PNG files (written by
// libpng, as common encoders do), and a PNG's IDAT data joined.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "zlib_streams.h" // Bytes, and zlibCompress that makes the streams

Bytes textLike(size_t size);
Bytes pngLike(size_t size);
Bytes longMatch(size_t size);
Bytes pictureRgb(uint32_t width, uint32_t height, uint32_t seed);
Bytes encodePng(const Bytes& rgb, uint32_t width, uint32_t height);
Bytes idatStream(const Bytes& file);
