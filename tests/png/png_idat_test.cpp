// The IDAT chain that carries the zlib stream: which chunks continue it,
// which end it, and chunks that reach past the end of the PNG data. The
// stream's own decoding is the inflater's tests' business.
#include "png_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const size_t FirstIdat = 33; // signature (8) + IHDR chunk (25)

// Builds a PNG by hand from raw chunk bytes so the chain can be anything.
Bytes rawChunk(const char* type, const Bytes& data, uint32_t length) {
    Bytes c = pngChunk(type, data);
    c[0] = (uint8_t)(length >> 24);
    c[1] = (uint8_t)(length >> 16);
    c[2] = (uint8_t)(length >> 8);
    c[3] = (uint8_t)length;
    return c;
}

TEST(PngIdatChain, ChunkRules) {
    Bytes data(50);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (uint8_t)(i * 5);
    Bytes stream = zlibCompress(data, 0); // one stored block: cut data is easy to predict
    size_t half = 30;                     // 2 header + 1 block header + 4 LEN/NLEN + 23 data
    Bytes first(stream.begin(), stream.begin() + half), second(stream.begin() + half, stream.end());
    auto chain = [&](std::vector<Bytes> chunks) { return pngFile(ihdrData(1, 1, 8, 0), chunks); };
    Bytes output;

    // an empty IDAT inside the chain is passed over; IDAt continues it
    EXPECT_EQ(inflateInto(
                  chain({pngChunk("IDAT", first), pngChunk("IDAT", {}), pngChunk("IDAt", second)}),
                  FirstIdat, 50, &output),
              1);
    EXPECT_EQ(output, data);
    // iDAT, IEND or an ancillary chunk ends the data: the rest reads as zeros
    for (const char* stop : {"iDAT", "IEND", "tEXt", "IDAX"}) {
        SCOPED_TRACE(stop);
        Bytes png = chain({pngChunk("IDAT", first), pngChunk(stop, second)});
        EXPECT_EQ(inflateInto(png, FirstIdat, 50, &output), 1);
        Bytes cut(data.begin(), data.begin() + 23);
        cut.resize(50, 0);
        EXPECT_EQ(output, cut);
        // and at firstIdat itself: nothing is read, the header reads as 0
        Bytes alone = chain({pngChunk(stop, stream)});
        EXPECT_EQ(inflateInto(alone, FirstIdat, 50, &output), 0);
    }
    // no IDAT at all: fails and writes nothing
    Bytes none = chain({});
    EXPECT_EQ(inflateInto(none, SIZE_MAX, 50, &output), 0);
    EXPECT_EQ(std::count(output.begin(), output.end(), 0xA5), 50);
}

TEST(PngIdatChain, ChunksReachingPastTheEndOfThePngData) {
    Bytes data(300, 'r');
    Bytes stream = zlibCompress(data, 0); // stored: what a cut leaves is easy to predict
    Bytes output;
    { // the length claims more than the file holds: read up to the end only
        Bytes png = pngFile(ihdrData(1, 1, 8, 0), {}, false);
        Bytes c = rawChunk("IDAT", stream, 0x7ffffff0);
        c.resize(c.size() - 4); // no CRC: the file ends with the stream
        png.insert(png.end(), c.begin(), c.end());
        EXPECT_EQ(inflateInto(png, FirstIdat, 300, &output), 1);
        EXPECT_EQ(output, data);
    }
    { // the next chunk's header is cut short: the reader ends there
        Bytes first(stream.begin(), stream.begin() + 10); // 3 data bytes
        Bytes png = pngFile(ihdrData(1, 1, 8, 0), {pngChunk("IDAT", first)}, false);
        png.insert(png.end(), {0, 0, 0, 9, 'I', 'D'});
        EXPECT_EQ(inflateInto(png, FirstIdat, 300, &output), 1);
        Bytes cut(3, 'r');
        cut.resize(300, 0);
        EXPECT_EQ(output, cut);
    }
    { // a length near 2^32 on a later chunk
        Bytes first(stream.begin(), stream.begin() + 3);
        Bytes rest(stream.begin() + 3, stream.end());
        Bytes png = pngFile(ihdrData(1, 1, 8, 0),
                            {pngChunk("IDAT", first), rawChunk("IDAT", rest, 0xfffffffc)}, false);
        EXPECT_EQ(inflateInto(png, FirstIdat, 300, &output), 1);
        EXPECT_EQ(output, data);
    }
}

// Every chunk boundary is a range boundary for the inflater: one byte per
// chunk, with empty chunks between, gives the same bytes as one chunk.
TEST(PngIdatChain, OneByteChunksWithEmptyOnesBetween) {
    Bytes data(3000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (uint8_t)(i * i / 7);
    for (int level : {0, 9}) {
        Bytes stream = zlibCompress(data, level);
        std::vector<size_t> cuts;
        for (size_t cut = 0; cut <= stream.size(); ++cut) {
            cuts.push_back(cut);
            if (cut % 5 == 0) cuts.push_back(cut);
        }
        Bytes png = pngFile(ihdrData(1, 1, 8, 0), idatChunks(stream, cuts)), output;
        EXPECT_EQ(inflateInto(png, FirstIdat, (uint32_t)data.size(), &output), 1);
        EXPECT_EQ(output, data);
    }
}

} // namespace
