// The inflater against the plain decoder it replaced (inflate_oracle.h): the
// same result and the same bytes on zlib's streams into buffers of every size
// around the right one, on those streams damaged at random, and on random
// data behind random dynamic headers (incomplete and over-subscribed codes by
// the hundred). fuzz_inflate makes the same comparison on whatever it finds.
#include "deflate_writer.h"
#include "inflate_oracle.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <string.h>

namespace {

struct Ranges {
    const Bytes* stream;
    std::vector<size_t> cuts; // a range ends after each, in increasing order
    size_t next;
};

int nextRange(void* context, const uint8_t** data, uint32_t* size) {
    Ranges* r = (Ranges*)context;
    if (r->next > r->cuts.size()) return 0;
    size_t from = r->next == 0 ? 0 : r->cuts[r->next - 1];
    size_t to = r->next == r->cuts.size() ? r->stream->size() : r->cuts[r->next];
    *data = r->stream->data() + from;
    *size = (uint32_t)(to - from);
    ++r->next;
    return 1;
}

// Both decoders on `stream` cut at `cuts`, into `size` bytes of the same stale
// bytes; fails the test where they disagree. Returns the result.
int expectAgreement(const Bytes& stream, const std::vector<size_t>& cuts, uint32_t size) {
    Bytes ours(size), oracle(size);
    for (uint32_t i = 0; i < size; ++i)
        ours[i] = oracle[i] = (uint8_t)(i * 13 + 0xA5);
    Ranges r1 = {&stream, cuts, 0}, r2 = {&stream, cuts, 0};
    InflateInput in1 = {nextRange, &r1}, in2 = {nextRange, &r2};
    int result = inflateZlibStream(&in1, ours.data(), size);
    uint32_t written = 0;
    int expected = inflateZlibStreamOracle(&in2, oracle.data(), size, &written);
    const char* differs =
        oracleDisagreement(result, ours.data(), expected, oracle.data(), size, written);
    EXPECT_EQ(differs, nullptr) << differs << " (results " << result << ", " << expected << "; "
                                << written << " of " << size << " bytes written)";
    return result;
}

Bytes textLike(size_t size, std::mt19937* random) {
    static const char* words[] = {"the",  "keeper", "pushes", "a",    "box",   "onto",
                                  "goal", "wall",   "floor",  "undo", "level", "step"};
    Bytes out;
    while (out.size() < size) {
        const char* w = words[(*random)() % 12];
        out.insert(out.end(), w, w + strlen(w));
        out.push_back((*random)() % 9 == 0 ? '\n' : ' ');
    }
    out.resize(size);
    return out;
}

// Runs of one byte, short periods (2 to 7 bytes: the distances below a word)
// and stretches repeated from far back.
Bytes repetitive(size_t size, std::mt19937* random) {
    Bytes out;
    while (out.size() < size) {
        uint32_t kind = (*random)() % 4;
        if (kind == 0 || out.size() < 64) {
            for (uint32_t n = 1 + (*random)() % 20; n > 0; --n)
                out.push_back((uint8_t)(*random)());
        } else {
            size_t back = kind == 1 ? 1 + (*random)() % 7 : 8 + (*random)() % (out.size() - 8);
            for (size_t n = 3 + (*random)() % 300; n > 0; --n)
                out.push_back(out[out.size() - back]);
        }
    }
    out.resize(size);
    return out;
}

std::vector<Bytes> zlibStreams() {
    std::mt19937 random(11);
    std::vector<Bytes> inputs = {textLike(20000, &random), repetitive(30000, &random),
                                 repetitive(5000, &random), Bytes(3000, 'q')};
    Bytes noise(4000);
    for (uint8_t& b : noise)
        b = (uint8_t)random();
    inputs.push_back(noise);
    std::vector<Bytes> streams;
    for (const Bytes& input : inputs) {
        for (int level : {0, 1, 6, 9}) {
            for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED, Z_RLE})
                streams.push_back(zlibCompress(input, level, strategy));
        }
    }
    return streams;
}

TEST(InflateOracle, ZlibStreamsIntoBuffersOfEverySizeAroundTheirOwn) {
    std::mt19937 random(12);
    for (const Bytes& stream : zlibStreams()) {
        uint32_t size = (uint32_t)zlibInflate(stream, 1 << 20).size();
        std::vector<size_t> cuts;
        for (int i = 0; i < 5; ++i)
            cuts.push_back(random() % (stream.size() + 1));
        std::sort(cuts.begin(), cuts.end());
        ASSERT_EQ(expectAgreement(stream, cuts, size), 1);
        // The copies that near the buffer's end, where a word would run past it.
        for (uint32_t less = 1; less <= 20 && less <= size; ++less)
            expectAgreement(stream, {}, size - less);
        expectAgreement(stream, cuts, size + 9);
        if (testing::Test::HasFailure()) return;
    }
}

TEST(InflateOracle, DamagedZlibStreams) {
    std::mt19937 random(13);
    for (const Bytes& original : zlibStreams()) {
        uint32_t size = (uint32_t)zlibInflate(original, 1 << 20).size();
        for (int i = 0; i < 60; ++i) {
            Bytes stream = original;
            size_t at = 2 + random() % (stream.size() - 2);
            switch (random() % 4) {
            case 0: // one bit flipped
                stream[at] ^= (uint8_t)(1u << (random() % 8));
                break;
            case 1: // a few bytes replaced
                for (size_t n = 1 + random() % 8; n > 0 && at < stream.size(); --n, ++at)
                    stream[at] = (uint8_t)random();
                break;
            case 2: // cut short
                stream.resize(at);
                break;
            default: // bytes left out
                stream.erase(stream.begin() + at,
                             stream.begin() + std::min(stream.size(), at + 1 + random() % 4));
                break;
            }
            expectAgreement(stream, {}, size);
            expectAgreement(stream, {stream.size() / 2}, size + random() % 50);
            if (testing::Test::HasFailure()) return;
        }
    }
}

// Code lengths of every kind: mostly short and crowded (over-subscribed),
// sometimes sparse (incomplete), sometimes none.
std::vector<uint8_t> randomLengths(size_t count, std::mt19937* random) {
    std::vector<uint8_t> lengths(count);
    uint32_t kind = (*random)() % 4;
    for (uint8_t& l : lengths) {
        switch (kind) {
        case 0:
            l = (uint8_t)((*random)() % 16);
            break;
        case 1:
            l = (*random)() % 3 ? 0 : (uint8_t)(1 + (*random)() % 15);
            break;
        case 2:
            l = (*random)() % 50 ? 0 : (uint8_t)(1 + (*random)() % 4);
            break;
        default:
            l = (uint8_t)(5 + (*random)() % 11);
            break;
        }
    }
    return lengths;
}

TEST(InflateOracle, RandomDataBehindRandomDynamicHeaders) {
    std::mt19937 random(14);
    for (int i = 0; i < 1500; ++i) {
        uint32_t hlit = 257 + random() % 32, hdist = 1 + random() % 32;
        BitWriter w;
        w.bits(0x78, 8);
        w.bits(0x9c, 8);
        if (i % 3 == 0) { // a stored block first, so that distances have history
            w.bits(0, 3);
            w.alignToByte();
            w.bits(40, 16);
            w.bits(~40u & 0xffff, 16);
            for (int b = 0; b < 40; ++b)
                w.bits((uint32_t)random() & 0xff, 8);
        }
        writeDynamicHeader(&w, true, hlit, hdist,
                           literalLengths(randomLengths(hlit + hdist, &random)));
        for (uint32_t n = random() % 400; n > 0; --n)
            w.bits((uint32_t)random() & 0xff, 8);
        expectAgreement(w.bytes, {}, 64 + random() % 2000);
        if (testing::Test::HasFailure()) return;
    }
}

// Codes of up to 15 bits (lengths 1 to 13, 14 and 15 for literals and
// lengths, 1 to 15 for distances: both codes complete), mixed at random so
// that the longest codes and their extra bits meet every fill of the bit
// buffer, also a 32-bit one with just under 15 bits left.
TEST(InflateOracle, LongestCodesAtEveryFillOfTheBitBuffer) {
    std::vector<uint8_t> lit(258, 0), dist(16, 0);
    for (int s = 0; s <= 12; ++s)
        lit[s] = (uint8_t)(s + 1);
    lit[257] = 14; // length 3
    lit['Z'] = 15;
    lit[256] = 15;
    for (int d = 0; d <= 13; ++d)
        dist[d] = (uint8_t)(d + 1);
    dist[14] = dist[15] = 15; // distances from 129 and 193, 6 extra bits each
    std::vector<uint8_t> all = lit;
    all.insert(all.end(), dist.begin(), dist.end());
    std::vector<uint32_t> codes = canonicalCodes(lit), dcodes = canonicalCodes(dist);
    std::mt19937 random(16);
    for (int round = 0; round < 40; ++round) {
        BitWriter w;
        w.bits(0x78, 8);
        w.bits(0x9c, 8);
        Bytes expected(400);
        for (uint8_t& b : expected)
            b = (uint8_t)random();
        w.bits(0, 3); // a stored block of history
        w.alignToByte();
        w.bits(400, 16);
        w.bits(~400u & 0xffff, 16);
        for (uint8_t b : expected)
            w.bits(b, 8);
        writeDynamicHeader(&w, true, 258, 16, literalLengths(all));
        for (int i = 0; i < 3000; ++i) {
            uint32_t kind = random() % 4;
            if (kind == 0) {
                w.code(codes['Z'], 15);
                expected.push_back('Z');
            } else if (kind == 1) {
                uint32_t s = random() % 13;
                w.code(codes[s], lit[s]);
                expected.push_back((uint8_t)s);
            } else {
                w.code(codes[257], 14);
                uint32_t d = kind == 2 ? 14 + random() % 2 : random() % 14;
                static const uint32_t base[16] = {1,  2,  3,  4,  5,  7,  9,   13,
                                                  17, 25, 33, 49, 65, 97, 129, 193};
                uint32_t extraBits = d < 4 ? 0 : (d - 2) / 2;
                uint32_t extra = extraBits ? random() % (1u << extraBits) : 0;
                w.code(dcodes[d], dist[d]);
                w.bits(extra, extraBits);
                uint32_t distance = base[d] + extra;
                for (int n = 0; n < 3; ++n)
                    expected.push_back(expected[expected.size() - distance]);
            }
        }
        w.code(codes[256], 15);
        writeTrailer(&w, expected);
        ASSERT_EQ(zlibInflate(w.bytes, expected.size()), expected)
            << "zlib disagrees with the test";
        ASSERT_EQ(expectAgreement(w.bytes, {}, (uint32_t)expected.size()), 1);
    }
}

TEST(InflateOracle, RandomDataInFixedBlocks) {
    std::mt19937 random(15);
    for (int i = 0; i < 500; ++i) {
        BitWriter w;
        w.bits(0x78, 8);
        w.bits(0x9c, 8);
        w.bits(random() % 2 ? 3 : 2, 3); // fixed codes, final or not
        for (uint32_t n = random() % 300; n > 0; --n)
            w.bits((uint32_t)random() & 0xff, 8);
        expectAgreement(w.bytes, {}, 1 + random() % 3000);
        if (testing::Test::HasFailure()) return;
    }
}

} // namespace
