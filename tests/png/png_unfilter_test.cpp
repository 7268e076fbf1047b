// The unfiltering and the colour conversions, written for speed, against the
// plain per-byte definitions: the Paeth predictor on every input, and every
// filter type and converter at every pixel size on random rows of 1 to 17
// pixels, with and without a row above.
#include "png_internal.h"

#include <gtest/gtest.h>
#include <random>
#include <stdlib.h>
#include <vector>

namespace {

typedef std::vector<uint8_t> Row;

int plainPaeth(int a, int b, int c) {
    int p = a + b - c, pa = abs(p - a), pb = abs(p - b), pc = abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// The PNG standard's reconstruction, one byte at a time.
Row plainUnfilter(uint32_t type, const Row& f, const Row* prior, uint32_t step) {
    Row r(f.size());
    for (size_t i = 0; i < f.size(); ++i) {
        int a = i >= step ? r[i - step] : 0, b = prior ? (*prior)[i] : 0;
        int c = prior && i >= step ? (*prior)[i - step] : 0;
        int predictor = type == 1   ? a
                        : type == 2 ? b
                        : type == 3 ? (a + b) / 2
                        : type == 4 ? plainPaeth(a, b, c)
                                    : 0;
        r[i] = (uint8_t)(f[i] + predictor);
    }
    return r;
}

Row randomRow(std::mt19937* random, size_t n) {
    Row r(n);
    for (uint8_t& byte : r)
        byte = (uint8_t)(*random)();
    return r;
}

TEST(PngUnfilter, PaethMatchesTheFormulaOnAllInputs) {
    for (uint32_t v = 0; v < (1u << 24); ++v) {
        int a = v & 0xff, b = (v >> 8) & 0xff, c = v >> 16;
        if (pngPaeth((uint8_t)a, (uint8_t)b, (uint8_t)c) != plainPaeth(a, b, c)) {
            FAIL() << "a " << a << " b " << b << " c " << c;
        }
    }
}

TEST(PngUnfilter, EveryFilterAndPixelSizeMatchesThePlainDefinition) {
    std::mt19937 random(7);
    for (uint32_t step : {1u, 2u, 3u, 4u, 6u, 8u}) {
        for (uint32_t pixels = 1; pixels <= 17; ++pixels) {
            uint32_t n = pixels * step;
            for (uint32_t type = 0; type <= 4; ++type) {
                for (int withPrior = 0; withPrior < 2; ++withPrior) {
                    for (int trial = 0; trial < 4; ++trial) {
                        Row f = randomRow(&random, n), prior = randomRow(&random, n);
                        // Guard bytes after the row: nothing is written past n.
                        Row out(n + 16, 0xA5);
                        ASSERT_TRUE(pngUnfilterRow(type, f.data(), out.data(),
                                                   withPrior ? prior.data() : nullptr, n, step));
                        Row expected = plainUnfilter(type, f, withPrior ? &prior : nullptr, step);
                        expected.resize(n + 16, 0xA5);
                        ASSERT_EQ(out, expected) << "step " << step << " pixels " << pixels
                                                 << " type " << type << " prior " << withPrior;
                    }
                }
            }
        }
    }
}

TEST(PngUnfilter, SubByteRowsOfAnyLengthAndUnknownTypes) {
    // Pixels under a byte use a step of 1 on rows of any length.
    std::mt19937 random(8);
    for (uint32_t n = 1; n <= 40; ++n) {
        for (uint32_t type = 1; type <= 4; ++type) {
            Row f = randomRow(&random, n), prior = randomRow(&random, n), out(n);
            ASSERT_TRUE(pngUnfilterRow(type, f.data(), out.data(), prior.data(), n, 1));
            ASSERT_EQ(out, plainUnfilter(type, f, &prior, 1));
        }
    }
    Row f(6), out(6);
    for (uint32_t type : {5u, 132u, 255u})
        EXPECT_FALSE(pngUnfilterRow(type, f.data(), out.data(), nullptr, 6, 3));
}

// The converters by their definitions: which source byte each output byte of a
// unit takes.
struct Converter {
    uint32_t index, unit;
    std::vector<int> picks; // source byte offsets within the unit
};

TEST(PngUnfilter, ConvertersMatchTheirDefinitionsAtEveryWidth) {
    const Converter converters[] = {
        {CopyRow, 1, {0}},
        {TakeEvenBytes, 2, {0}},
        {Rgb16ToBgr8, 6, {4, 2, 0}},
        {Rgba16ToBgr8, 8, {4, 2, 0}},
        {Rgba16ToBgra8, 8, {4, 2, 0, 6}},
        {TakeEveryFourthByte, 4, {0}},
        {Rgb8ToBgr8, 3, {2, 1, 0}},
        {Rgba8ToBgr8, 4, {2, 1, 0}},
        {Rgba8ToBgra8, 4, {2, 1, 0, 3}},
    };
    std::mt19937 random(9);
    for (const Converter& c : converters) {
        for (uint32_t units = 1; units <= 17; ++units) {
            Row source = randomRow(&random, units * c.unit), out(units * c.picks.size() + 16, 0xA5);
            Row expected = out;
            for (uint32_t u = 0; u < units; ++u)
                for (size_t k = 0; k < c.picks.size(); ++k)
                    expected[u * c.picks.size() + k] = source[u * c.unit + c.picks[k]];
            uint32_t written =
                pngRowConverter(c.index)(source.data(), (uint32_t)source.size(), out.data());
            EXPECT_EQ(written, units * c.picks.size()) << "converter " << c.index;
            ASSERT_EQ(out, expected) << "converter " << c.index << " units " << units;
        }
    }
}

} // namespace
