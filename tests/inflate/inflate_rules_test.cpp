// Hand-made streams for each decoding rule, the lenient cases that must keep
// decoding, and every malformed input that must fail without leaving the
// buffers or the PNG data.
#include "deflate_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Inflates a stream given as one range into `size` bytes; returns the result.
int run(const Bytes& stream, uint32_t size, Bytes* output) {
    return inflateRanges(stream, {}, size, output);
}

BitWriter zlibStart(uint8_t cmf = 0x78, uint8_t flg = 0x9c) {
    BitWriter w;
    w.bits(cmf, 8);
    w.bits(flg, 8);
    return w;
}

// A zlib header and the start of a final block with fixed codes.
BitWriter finalFixedBlock() {
    BitWriter w = zlibStart();
    w.bits(3, 3);
    return w;
}

// Fixed literal/length code (RFC 1951 3.2.6).
void fixedSymbol(BitWriter* w, uint32_t s) {
    if (s < 144)
        w->code(0x30 + s, 8);
    else if (s < 256)
        w->code(0x190 + s - 144, 9);
    else if (s < 280)
        w->code(s - 256, 7);
    else
        w->code(0xc0 + s - 280, 8);
}

void storedBlock(BitWriter* w, bool final, const Bytes& data) {
    w->bits(final, 1);
    w->bits(0, 2);
    w->alignToByte();
    w->bits((uint32_t)data.size(), 16);
    w->bits(~(uint32_t)data.size() & 0xffff, 16);
    for (uint8_t b : data)
        w->bits(b, 8);
}

Bytes finish(BitWriter w, const Bytes& expected) {
    writeTrailer(&w, expected);
    return w.bytes;
}

// Valid streams are checked with zlib first, so the test knows its stream is
// right; lenient ones are those zlib refuses but this decoder accepts on purpose.
void expectDecodes(const Bytes& stream, const Bytes& expected, bool lenient = false) {
    if (!lenient) {
        ASSERT_EQ(zlibInflate(stream, expected.size()), expected) << "zlib disagrees with the test";
    }
    Bytes output;
    ASSERT_EQ(run(stream, (uint32_t)expected.size(), &output), 1);
    EXPECT_EQ(output, expected);
}

void expectFails(const Bytes& stream, uint32_t size = 1000) {
    Bytes output;
    EXPECT_EQ(run(stream, size, &output), 0);
}

TEST(InflateHeader, AcceptsDeflateWithAnyFcheckAndRefusesTheRest) {
    Bytes data = {'h', 'i'};
    auto streamWith = [&](uint8_t cmf, uint8_t flg) {
        BitWriter w = zlibStart(cmf, flg);
        storedBlock(&w, true, data);
        return finish(w, data);
    };
    Bytes output;
    EXPECT_EQ(run(streamWith(0x78, 0x9c), 2, &output), 1); // CM 8, CINFO 7
    EXPECT_EQ(run(streamWith(0x78, 0x9d), 2, &output), 1); // FCHECK wrong: not looked at
    EXPECT_EQ(run(streamWith(0x08, 0xc0), 2, &output), 1); // CINFO 0, FLEVEL 3
    EXPECT_EQ(output, data);
    expectFails(streamWith(0x88, 0x1c)); // CINFO 8
    expectFails(streamWith(0x79, 0x9c)); // CM 9
    expectFails(streamWith(0x78, 0xbb)); // FDICT
}

TEST(InflateStored, EdgeCases) {
    Bytes data = {1, 2, 3, 4, 5};
    { // LEN 0 writes nothing and decoding goes on
        BitWriter w = zlibStart();
        storedBlock(&w, false, {});
        storedBlock(&w, true, data);
        expectDecodes(finish(w, data), data);
    }
    { // LEN 5 with NLEN 5
        BitWriter w = zlibStart();
        w.bits(1, 3); // final, stored
        w.alignToByte();
        w.bits(5, 16);
        w.bits(5, 16);
        for (uint8_t b : data)
            w.bits(b, 8);
        expectFails(finish(w, data));
    }
    { // a block header that ends on a byte boundary: LEN is the very next byte
        BitWriter w = zlibStart();
        w.bits(0, 1);
        w.bits(1, 2);
        for (int i = 0; i < 3; ++i)
            fixedSymbol(&w, 200); // 9-bit codes
        fixedSymbol(&w, 256);
        w.bits(1, 1);
        w.bits(0, 2); // stored, final
        ASSERT_EQ(w.bitCount % 8, 0u);
        w.bits(5, 16);
        w.bits(0xfffa, 16);
        for (uint8_t b : data)
            w.bits(b, 8);
        Bytes expected = {200, 200, 200, 1, 2, 3, 4, 5};
        expectDecodes(finish(w, expected), expected);
    }
}

TEST(InflateFixed, LiteralsLengthsReversedDistancesAndReservedSymbols) {
    { // distance symbol 9 (base 25, 3 extra bits) and length symbol 266 (13 + 1 bit)
        BitWriter w = finalFixedBlock();
        Bytes expected;
        for (int i = 0; i < 40; ++i) {
            fixedSymbol(&w, 'A' + i % 26);
            expected.push_back((uint8_t)('A' + i % 26));
        }
        fixedSymbol(&w, 266);
        w.bits(1, 1); // length 14
        w.code(9, 5); // distance symbol 9, MSB first
        w.bits(5, 3); // distance 30
        for (int i = 0; i < 14; ++i)
            expected.push_back(expected[expected.size() - 30]);
        fixedSymbol(&w, 256);
        expectDecodes(finish(w, expected), expected);
    }
    // length symbols with no length, distance symbols with no distance
    const uint32_t badPairs[][2] = {{286, 0}, {287, 0}, {257, 30}, {257, 31}};
    for (const auto& bad : badPairs) {
        BitWriter w = finalFixedBlock();
        fixedSymbol(&w, 'a');
        fixedSymbol(&w, bad[0]);
        w.code(bad[1], 5);
        fixedSymbol(&w, 256);
        expectFails(w.bytes);
    }
    { // reserved block type
        BitWriter w = zlibStart();
        w.bits(1, 1);
        w.bits(3, 2);
        expectFails(w.bytes);
    }
}

// Lengths for a dynamic block: literals 0-255 of 9 bits and 256 of 1 bit,
// plus `distances` distance lengths.
std::vector<uint8_t> simpleLiteralLengths() {
    std::vector<uint8_t> lengths(257, 9);
    lengths[256] = 1;
    return lengths;
}

TEST(InflateDynamic, CodeLengthRepeats) {
    { // 16 as the first symbol repeats length 0; 17 and 18 write zeros
        std::vector<CodeLengthSymbol> symbols = {{16, 0}}; // symbols 0-2: no code
        std::vector<uint8_t> lit(259, 8);
        lit[0] = lit[1] = lit[2] = 0;
        for (int s = 3; s < 259; ++s)
            symbols.push_back({8, 0});
        symbols.push_back({1, 0}); // distance 0
        symbols.push_back({1, 0}); // distance 1
        BitWriter w = zlibStart();
        writeDynamicHeader(&w, true, 259, 2, symbols);
        std::vector<uint32_t> codes = canonicalCodes(lit);
        w.code(codes['x'], 8);
        w.code(codes[256], 8);
        Bytes expected = {'x'};
        expectDecodes(finish(w, expected), expected, true);
    }
    { // a repeat running past HLIT + HDIST but inside 320 positions is accepted
        std::vector<uint8_t> lit = simpleLiteralLengths();
        std::vector<CodeLengthSymbol> symbols = literalLengths(lit);
        symbols.push_back({16, 1}); // 4 more 1s: distances 0 and 1, then two surplus
        BitWriter w = zlibStart();
        writeDynamicHeader(&w, true, 257, 2, symbols);
        std::vector<uint32_t> codes = canonicalCodes(lit);
        w.code(codes['q'], 9);
        w.code(codes[256], 1);
        Bytes expected = {'q'};
        expectDecodes(finish(w, expected), expected, true);
    }
    { // a repeat that would pass position 319 fails
        std::vector<CodeLengthSymbol> symbols;
        for (int i = 0; i < 250; ++i)
            symbols.push_back({8, 0});
        symbols.push_back({18, 127}); // 138 zeros from position 250
        BitWriter w = zlibStart();
        writeDynamicHeader(&w, true, 257, 1, symbols);
        expectFails(w.bytes);
    }
}

TEST(InflateDynamic, LargestCountsAndLongestCodes) {
    { // HLIT 288 and HDIST 32
        std::vector<uint8_t> lit(288, 6);
        for (int s = 0; s < 256; ++s)
            lit[s] = 9;
        std::vector<uint8_t> dist(32, 5);
        std::vector<uint8_t> all = lit;
        all.insert(all.end(), dist.begin(), dist.end());
        BitWriter w = zlibStart();
        writeDynamicHeader(&w, true, 288, 32, literalLengths(all));
        std::vector<uint32_t> codes = canonicalCodes(lit), dcodes = canonicalCodes(dist);
        w.code(codes['z'], 9);
        w.code(codes[258], 6); // length 4
        w.code(dcodes[0], 5);  // distance 1
        w.code(codes[256], 6);
        Bytes expected(5, 'z');
        expectDecodes(finish(w, expected), expected, true);
    }
    { // literal/length and distance codes of 15 bits
        std::vector<uint8_t> lit(258, 0), dist(16, 0);
        for (int s = 0; s <= 12; ++s)
            lit[s] = (uint8_t)(s + 1); // 1..13
        lit[257] = 14;
        lit['Z'] = 15;
        lit[256] = 15;
        for (int d = 0; d <= 13; ++d)
            dist[d] = (uint8_t)(d + 1); // 1..14
        dist[14] = 15;
        dist[15] = 15;
        std::vector<uint8_t> all = lit;
        all.insert(all.end(), dist.begin(), dist.end());
        Bytes history(300);
        for (size_t i = 0; i < history.size(); ++i)
            history[i] = (uint8_t)(i * 7);
        BitWriter w = zlibStart();
        storedBlock(&w, false, history);
        writeDynamicHeader(&w, true, 258, 16, literalLengths(all));
        std::vector<uint32_t> codes = canonicalCodes(lit), dcodes = canonicalCodes(dist);
        Bytes expected = history;
        w.code(codes['Z'], 15);
        expected.push_back('Z');
        w.code(codes[12], 13);
        expected.push_back(12);
        w.code(codes[257], 14); // length 3
        w.code(dcodes[15], 15); // distance 193 + 6 extra bits
        w.bits(10, 6);
        for (int i = 0; i < 3; ++i)
            expected.push_back(expected[expected.size() - 203]);
        w.code(codes[256], 15);
        expectDecodes(finish(w, expected), expected);
    }
}

TEST(InflateDynamic, InvalidCodesFailCleanly) {
    // Literal 'a', then length symbol 257 needing a distance, then `tail`
    // against a distance code of one length `distanceLength` (0: no symbols).
    auto withDistanceCode = [](uint8_t distanceLength, void (*tail)(BitWriter*)) {
        std::vector<uint8_t> lit = simpleLiteralLengths();
        lit.resize(258, 0);
        lit[257] = 9;
        lit[255] = 0; // keep the literal code from being over-full
        std::vector<uint8_t> all = lit;
        all.push_back(distanceLength);
        BitWriter w = zlibStart();
        writeDynamicHeader(&w, true, 258, 1, literalLengths(all));
        std::vector<uint32_t> codes = canonicalCodes(lit);
        w.code(codes['a'], 9);
        w.code(codes[257], 9);
        tail(&w);
        return w.bytes;
    };
    // a single 1-bit distance code meets the other 1-bit code
    expectFails(withDistanceCode(1, [](BitWriter* w) { w->code(1, 1); }));
    // a distance code with no symbols at all
    expectFails(withDistanceCode(0, [](BitWriter* w) {
        for (int i = 0; i < 16; ++i)
            w->bits(i & 1, 1);
    }));
    { // over-subscribed codes decode inside their tables, whatever they yield
        for (uint8_t length = 1; length <= 8; ++length) {
            std::vector<uint8_t> all(258, length);
            BitWriter w = zlibStart();
            writeDynamicHeader(&w, true, 257, 1, literalLengths(all));
            for (int i = 0; i < 200; ++i)
                w.bits(i * 37 % 5 == 0, 1);
            Bytes output;
            EXPECT_GE(run(w.bytes, 64, &output), 0);
        }
    }
}

TEST(InflateBounds, OutputAndDistanceStayInsideTheBuffer) {
    Bytes data(10, 'd');
    { // a stored block longer than the buffer
        BitWriter w = zlibStart();
        storedBlock(&w, true, data);
        expectFails(finish(w, data), 9);
    }
    { // literals past the end
        BitWriter w = finalFixedBlock();
        for (int i = 0; i < 10; ++i)
            fixedSymbol(&w, 'd');
        fixedSymbol(&w, 256);
        expectFails(finish(w, data), 9);
        Bytes output;
        EXPECT_EQ(run(finish(w, data), 10, &output), 1); // exactly full is fine
    }
    { // a copy past the end
        BitWriter w = finalFixedBlock();
        fixedSymbol(&w, 'd');
        fixedSymbol(&w, 265); // length 11
        w.bits(0, 1);
        w.code(0, 5);
        fixedSymbol(&w, 256);
        expectFails(w.bytes, 11);
    }
    { // a distance reaching before the buffer's start
        BitWriter w = finalFixedBlock();
        fixedSymbol(&w, 'd');
        fixedSymbol(&w, 257);
        w.code(1, 5); // distance 2 after one byte
        fixedSymbol(&w, 256);
        expectFails(w.bytes);
    }
}

TEST(InflateLeniency, TrailerAndRunningOutOfData) {
    Bytes data = {'o', 'k'};
    BitWriter w = zlibStart();
    storedBlock(&w, true, data);
    Bytes output;
    Bytes noTrailer = w.bytes;
    EXPECT_EQ(run(noTrailer, 2, &output), 1); // cut right after the final block
    Bytes badTrailer = noTrailer;
    badTrailer.insert(badTrailer.end(), {1, 2, 3, 4});
    EXPECT_EQ(run(badTrailer, 2, &output), 1); // wrong Adler-32
    EXPECT_EQ(output, data);

    { // zeros after the end finish a final fixed block (seven 0 bits: end of block)
        BitWriter f = finalFixedBlock();
        fixedSymbol(&f, 'x');
        Bytes out;
        ASSERT_EQ(run(f.bytes, 6, &out), 1);
        EXPECT_EQ(out, (Bytes{'x', 0, 0, 0, 0, 0})); // the rest cleared
    }
    { // zeros after a non-final block read as a stored block with LEN 0, NLEN 0
        BitWriter f = zlibStart();
        f.bits(0, 1);
        f.bits(1, 2); // not final, fixed
        fixedSymbol(&f, 'x');
        fixedSymbol(&f, 256);
        expectFails(f.bytes);
    }
    { // zeros that keep decoding as literals run into the output bound
        BitWriter f = zlibStart();
        f.bits(1, 1);
        f.bits(2, 2);
        std::vector<uint8_t> lit = simpleLiteralLengths(); // literal 0 is the all-zero code
        std::vector<uint8_t> all = lit;
        all.push_back(1);
        writeDynamicHeader(&f, true, 257, 1, literalLengths(all));
        Bytes out;
        EXPECT_EQ(run(f.bytes, 5000, &out), 0);
    }
    { // no input at all: the header reads as 0, so CM is 0; nothing is written
        Bytes out;
        EXPECT_EQ(inflateRanges({}, {0, 0}, 50, &out), 0);
        EXPECT_EQ(std::count(out.begin(), out.end(), 0xA5), 50);
    }
}

} // namespace
