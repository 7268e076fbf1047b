// The container: what the parser refuses and with which code, and what it
// records. Inflated sizes of every depth and interlaced size show in PngSuite.
#include "png_internal.h"
#include "png_test_support.h"

#include <gtest/gtest.h>

namespace {

const Bytes idat = {pngChunk("IDAT", zlibCompress(Bytes(4, 0), 6))};

uint32_t parse(const Bytes& file, PngImage* r) {
    pngInit(r);
    pngAttachBorrowed(r, file.data(), (uint32_t)file.size());
    uint32_t error = r->error;
    return error;
}

TEST(PngParse, RefusesWhatIsNotAPng) {
    PngImage r;
    Bytes good = pngFile(ihdrData(1, 1, 8, 0), {idat});
    EXPECT_EQ(parse(good, &r), 0u);
    EXPECT_EQ(parse(Bytes(good.begin(), good.begin() + 16), &r), PngErrorBadData); // IHDR cut
    Bytes badSignature = good;
    badSignature[7] = 0;
    EXPECT_EQ(parse(badSignature, &r), PngErrorBadData);
    Bytes twelve = ihdrData(1, 1, 8, 0);
    twelve.pop_back();
    Bytes shortIhdr = pngFile(twelve, {idat});
    EXPECT_EQ(parse(shortIhdr, &r), PngErrorBadData); // 12 data bytes: fields would come from the CRC
    Bytes firstNotIhdr = good;
    firstNotIhdr[12] = 'J';
    EXPECT_EQ(parse(firstNotIhdr, &r), PngErrorBadData);
    EXPECT_EQ(parse(pngFile(ihdrData(0, 1, 8, 0), {idat}), &r), PngErrorBadData);
    EXPECT_EQ(parse(pngFile(ihdrData(5, 0, 8, 0), {idat}), &r), PngErrorBadData);
    EXPECT_EQ(r.width, 5u); // set before the height was refused
    EXPECT_EQ(r.state, PngStateEmpty);
}

TEST(PngParse, RefusesWhatItCannotShow) {
    PngImage r;
    EXPECT_EQ(parse(pngFile(ihdrData(1, 1, 16, 3), {idat}), &r), PngErrorUnsupported);
    EXPECT_EQ(parse(pngFile(ihdrData(1, 1, 8, 1), {idat}), &r), PngErrorUnsupported);
    EXPECT_EQ(parse(pngFile(ihdrData(1, 1, 4, 2), {idat}), &r), PngErrorUnsupported);
    EXPECT_EQ(parse(pngFile(ihdrData(1, 1, 8, 0, 2), {idat}), &r), PngErrorUnsupported);
    EXPECT_EQ(parse(pngFile(ihdrData(1, 1, 8, 0, 0, 1), {idat}), &r), PngErrorUnsupported);
    EXPECT_EQ(parse(pngFile(ihdrData(1, 1, 8, 0, 0, 0, 1), {idat}), &r), PngErrorUnsupported);
    // a critical chunk we do not know, anywhere, even after IEND; ancillary ones are ignored
    EXPECT_EQ(parse(pngFile(ihdrData(1, 1, 8, 0), {idat, pngChunk("IEND", {}), pngChunk("ABCD", {})}), &r),
              PngErrorUnsupported);
    EXPECT_EQ(parse(pngFile(ihdrData(1, 1, 8, 0), {pngChunk("aBCD", {1}), idat}), &r), 0u);
    // sizes that do not fit in 32 bits
    EXPECT_EQ(parse(pngFile(ihdrData(0x40000000, 4, 16, 6), {idat}), &r), PngErrorUnsupported);
    EXPECT_EQ(parse(pngFile(ihdrData(0x80000000u, 1, 1, 0), {idat}), &r), PngErrorUnsupported);
    EXPECT_EQ(parse(pngFile(ihdrData(70000, 70000, 8, 0), {idat}), &r), PngErrorUnsupported);
}

TEST(PngParse, RecordsHeaderPaletteAndFirstIdat) {
    PngImage r;
    Bytes plte1(770, 9), plte2(6, 1);
    Bytes file = pngFile(ihdrData(3, 2, 4, 3, 1), {pngChunk("gAMA", {0, 0, 0, 1}), pngChunk("PLTE", plte1),
                                                   idat, pngChunk("PLTE", plte2), idat});
    ASSERT_EQ(parse(file, &r), 0u);
    EXPECT_EQ(r.paletteCount, 256u); // 770 / 3, of which 256 are ever copied
    EXPECT_EQ(r.palette, file.data() + 33 + 16 + 8);
    EXPECT_EQ(r.firstIdat, file.data() + 33 + 16 + 782);
    EXPECT_EQ(r.colourType, 3);
    EXPECT_EQ(r.bitDepth, 4);
    EXPECT_EQ(r.interlaceMethod, 1);
    EXPECT_EQ(r.chunkCursor, file.data() + file.size()); // the walk went through IEND to the end
    PngBitmapInfo info;
    pngBuildBitmapInfo(&r, &info);
    EXPECT_EQ(info.bmiColors[255].rgbRed, 9);

    // signature and IHDR only: parsed without IDAT, refused by the decode
    Bytes bare = pngFile(ihdrData(1, 1, 8, 0), {}, false);
    ASSERT_EQ(bare.size(), 33u);
    ASSERT_EQ(parse(bare, &r), 0u);
    EXPECT_EQ(r.firstIdat, nullptr);
    EXPECT_FALSE(pngDecode(&r));
    EXPECT_EQ(r.error, PngErrorBadData);
    pngFree(&r);
    EXPECT_EQ(pngHostLiveBlocks(), 0);
}

TEST(PngParse, ChunkLengthsNearTwoToThe32nd) {
    PngImage r;
    Bytes file = pngFile(ihdrData(1, 1, 8, 0), {idat});
    Bytes huge = {0xff, 0xff, 0xff, 0xf8, 'P', 'L', 'T', 'E', 0, 0, 0, 0};
    file.insert(file.end(), huge.begin(), huge.end());
    ASSERT_EQ(parse(file, &r), 0u); // the cut chunk is simply not seen
    EXPECT_EQ(r.palette, nullptr);
    ChunkInfo chunk;
    EXPECT_FALSE(pngReadChunk(&r, &chunk));
}

} // namespace
