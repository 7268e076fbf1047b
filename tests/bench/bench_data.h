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
// RGB rows filtered with the filter types of `types` in turn (row y with
// types[y % count]), deflated at level 6 into 8 KiB IDAT chunks: a PNG whose
// filters are chosen rather than found by an encoder's heuristic.
Bytes encodeFilteredPng(const Bytes& rgb, uint32_t width, uint32_t height, const uint8_t* types,
                        size_t count);
// A page of dark words on white with grey edges, as screenshots of text are.
Bytes textPage(uint32_t width, uint32_t height, uint32_t seed);
// The two pictures that the unfiltering is measured on: 2400 by 1600 photo-like
// noise with rows alternately Sub and Paeth, and a 2400 by 1600 text page as
// libpng writes it.
Bytes noisySubPaethPng();
Bytes textPagePng();
Bytes idatStream(const Bytes& file);
