// Streams made by zlib at every level and strategy, cut into ranges at every
// byte (small streams) or at random places (large ones), inflate to exactly
// the original bytes.
#include "deflate_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <string.h>

namespace {

// Words and spaces: what text compresses like.
Bytes textLike(size_t size, uint32_t seed) {
    static const char* words[] = {"the",  "keeper", "pushes", "a",    "box",  "onto", "goal",
                                  "wall", "floor",  "level",  "undo", "step", "of",   "and"};
    std::mt19937 random(seed);
    Bytes out;
    while (out.size() < size) {
        const char* w = words[random() % 14];
        out.insert(out.end(), w, w + strlen(w));
        out.push_back(random() % 9 == 0 ? '\n' : ' ');
    }
    out.resize(size);
    return out;
}

Bytes noise(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes out(size);
    for (uint8_t& b : out)
        b = (uint8_t)random();
    return out;
}

struct Strategy {
    int value;
    const char* name;
};
const Strategy strategies[] = {{Z_DEFAULT_STRATEGY, "default"},
                               {Z_FILTERED, "filtered"},
                               {Z_HUFFMAN_ONLY, "huffman"},
                               {Z_RLE, "rle"},
                               {Z_FIXED, "fixed"}};

void expectInflates(const Bytes& stream, const std::vector<size_t>& cuts, const Bytes& original) {
    Bytes output;
    ASSERT_EQ(inflateRanges(stream, cuts, (uint32_t)original.size(), &output), 1);
    ASSERT_TRUE(output == original);
}

TEST(InflateZlib, SmallStreamsSplitAtEveryByteOfEveryLevelAndStrategy) {
    std::vector<Bytes> inputs = {textLike(700, 1), imageLike(500, 2), noise(120, 3), Bytes(400, 7),
                                 Bytes()};
    for (const Bytes& input : inputs) {
        for (int level = 0; level <= 9; ++level) {
            for (const Strategy& strategy : strategies) {
                SCOPED_TRACE(testing::Message() << "size " << input.size() << " level " << level
                                                << " " << strategy.name);
                Bytes stream = zlibCompress(input, level, strategy.value);
                expectInflates(stream, {}, input);
                for (size_t cut = 0; cut <= stream.size(); ++cut) {
                    expectInflates(stream, {cut}, input);
                    if (testing::Test::HasFailure()) return;
                }
                // One byte per range, with empty ranges in between.
                std::vector<size_t> everyByte;
                for (size_t cut = 0; cut <= stream.size(); ++cut) {
                    everyByte.push_back(cut);
                    if (cut % 5 == 0) everyByte.push_back(cut);
                }
                expectInflates(stream, everyByte, input);
            }
        }
    }
}

TEST(InflateZlib, LargeStreamsSplitAtRandomPlaces) {
    std::mt19937 random(42);
    std::vector<Bytes> inputs = {textLike(300000, 4), imageLike(1 << 20, 5), noise(100000, 6)};
    for (const Bytes& input : inputs) {
        for (int level : {1, 6, 9}) {
            for (const Strategy& strategy : strategies) {
                SCOPED_TRACE(testing::Message() << "size " << input.size() << " level " << level
                                                << " " << strategy.name);
                Bytes stream = zlibCompress(input, level, strategy.value);
                std::vector<size_t> cuts;
                for (int i = 0; i < 40; ++i)
                    cuts.push_back(random() % (stream.size() + 1));
                std::sort(cuts.begin(), cuts.end());
                expectInflates(stream, cuts, input);
            }
        }
    }
}

TEST(InflateZlib, StoredFixedAndDynamicBlocksInOneStream) {
    // deflateParams between pieces makes zlib change block types mid-stream.
    Bytes input = textLike(60000, 8);
    z_stream z = {};
    deflateInit(&z, 0);
    Bytes stream(deflateBound(&z, input.size()) * 2 + 1000);
    z.next_out = stream.data();
    z.avail_out = (uInt)stream.size();
    const int levels[] = {0, 6, 0, 9, 1};
    const int kinds[] = {Z_DEFAULT_STRATEGY, Z_FIXED, Z_DEFAULT_STRATEGY, Z_HUFFMAN_ONLY,
                         Z_DEFAULT_STRATEGY};
    for (int piece = 0; piece < 5; ++piece) {
        deflateParams(&z, levels[piece], kinds[piece]);
        z.next_in = input.data() + piece * 12000;
        z.avail_in = 12000;
        deflate(&z, piece == 4 ? Z_FINISH : Z_FULL_FLUSH);
    }
    stream.resize(z.total_out);
    deflateEnd(&z);
    ASSERT_EQ(zlibInflate(stream, input.size()), input);
    expectInflates(stream, {stream.size() / 3, stream.size() / 2}, input);
}

// A larger buffer has its rest cleared; a smaller one fails.
TEST(InflateZlib, OutputMustFitTheBufferAndTheRestIsCleared) {
    Bytes input = textLike(1000, 9);
    for (int level : {0, 1, 9}) {
        Bytes stream = zlibCompress(input, level), output;
        ASSERT_EQ(inflateRanges(stream, {}, 1500, &output), 1);
        EXPECT_TRUE(std::equal(input.begin(), input.end(), output.begin()));
        EXPECT_EQ(std::count(output.begin() + 1000, output.end(), 0), 500);
        EXPECT_EQ(inflateRanges(stream, {}, 999, &output), 0);
    }
}

} // namespace
