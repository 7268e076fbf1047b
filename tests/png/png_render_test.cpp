// Reconstruction and output details that the PngSuite comparison cannot see:
// refused filter types and format words, the bitmap description, strides,
// sub-byte interlace placement into a dirty destination, and Paeth.
#include "png_internal.h"
#include "png_test_support.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

namespace {

struct Decoded {
    PngImage r;
    Bytes file;
};

// Parses and decodes an image made of the given filtered rows.
void decode(Decoded* d, const Bytes& ihdr, const Bytes& rows, std::vector<Bytes> before = {}) {
    before.push_back(pngChunk("IDAT", zlibCompress(rows, 6)));
    d->file = pngFile(ihdr, before);
    pngInit(&d->r);
    ASSERT_TRUE(pngAttachBorrowed(&d->r, d->file.data(), (uint32_t)d->file.size()));
    ASSERT_TRUE(pngDecode(&d->r));
}

Bytes rowOf(PngBitmap b, uint32_t y, uint32_t n) {
    const uint8_t* p = pngHostBitmapPixels(b) + y * pngHostBitmapStride(b);
    return Bytes(p, p + n);
}

TEST(PngRender, PaethPicksTheNearestOfLeftAboveAndUpperLeft) {
    for (int a = 0; a < 256; a += 3) {
        for (int b = 0; b < 256; b += 5) {
            for (int c = 0; c < 256; ++c) {
                int pa = abs(b - c), pb = abs(a - c), pc = abs(a + b - 2 * c);
                int expected = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
                ASSERT_EQ(pngPaeth((uint8_t)a, (uint8_t)b, (uint8_t)c), expected);
            }
        }
    }
}

TEST(PngRender, FirstRowFiltersSeeZerosAboveAndRowsAreFourByteAligned) {
    // 1 x 3 truecolour: rows of 3 bytes, step 3, destination rows 4 bytes apart
    Decoded d;
    decode(&d, ihdrData(1, 4, 8, 2),
           {2, 10, 20, 30,   // Up on the first row: adds nothing
            3, 1, 2, 3,      // Average: above / 2
            4, 1, 1, 1,      // Paeth: above
            1, 5, 6, 7});    // Sub: a whole pixel of 3 bytes gets nothing added
    PngBitmap b = pngMakeBitmap(&d.r, nullptr, OutputFormatAutomatic, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(pngHostBitmapStride(b), 4u);
    EXPECT_EQ(rowOf(b, 0, 3), (Bytes{30, 20, 10}));
    EXPECT_EQ(rowOf(b, 1, 3), (Bytes{18, 12, 6}));
    EXPECT_EQ(rowOf(b, 2, 3), (Bytes{19, 13, 7}));
    EXPECT_EQ(rowOf(b, 3, 3), (Bytes{7, 6, 5}));
    pngHostDeleteBitmap(b);
    pngFree(&d.r);
}

TEST(PngRender, FilterTypesAboveFourFailTheBitmap) {
    for (uint8_t type : {5, 132, 255}) {
        Decoded d;
        decode(&d, ihdrData(2, 2, 8, 0), {0, 1, 2, type, 3, 4});
        for (int device = 0; device < 2; ++device) {
            EXPECT_EQ(pngMakeBitmap(&d.r, nullptr, OutputFormatAutomatic, device), nullptr);
            EXPECT_EQ(d.r.error, 0u); // left as the decode left it
        }
        EXPECT_EQ(d.r.state, PngStateDecoded);
        pngFree(&d.r);
    }
    EXPECT_EQ(pngHostLiveBlocks(), 0);
    EXPECT_EQ(pngHostLiveBitmaps(), 0);
}

TEST(PngRender, IndexedImageWithoutPaletteFailsOnlyAtTheBitmap) {
    // The parse and the decode accept it; the bitmap, whose colour table would
    // have no source, is refused, and the record stays decoded.
    Decoded d;
    decode(&d, ihdrData(2, 1, 8, 3), {0, 1, 0});
    EXPECT_EQ(d.r.error, 0u);
    EXPECT_EQ(d.r.palette, nullptr);
    EXPECT_EQ(pngMakeBitmap(&d.r, nullptr, OutputFormatAutomatic, 0), nullptr);
    EXPECT_EQ(d.r.error, PngErrorBadData);
    EXPECT_EQ(d.r.state, PngStateDecoded);
    EXPECT_EQ(pngMakeBitmap(&d.r, nullptr, OutputFormatAutomatic, 1), nullptr);
    EXPECT_EQ(d.r.error, PngErrorBadData);
    // A word that does not fit the image is refused first, as for any image.
    EXPECT_EQ(pngMakeBitmap(&d.r, nullptr, 0x0208010cu, 0), nullptr);
    EXPECT_EQ(d.r.error, PngErrorBadOutputFormat);
    pngFree(&d.r);
    EXPECT_EQ(pngHostLiveBlocks(), 0);
    EXPECT_EQ(pngHostLiveBitmaps(), 0);
}

TEST(PngRender, OutputFormatsAndBitmapDescriptions) {
    { // 2-bit grey, 5 wide: widened to nibbles, a ramp of 4
        Decoded d;
        decode(&d, ihdrData(5, 1, 2, 0), {0, 0x1b, 0xc0}); // 0 1 2 3 | 3
        PngBitmap b = pngMakeBitmap(&d.r, nullptr, OutputFormatAutomatic, 0);
        const PngBitmapInfoHeader& h = pngHostBitmapInfo(b)->bmiHeader;
        EXPECT_EQ(h.biBitCount, 4);
        EXPECT_EQ(h.biClrUsed, 4u);
        EXPECT_EQ(h.biHeight, -1);
        EXPECT_EQ(pngHostBitmapInfo(b)->bmiColors[2].rgbGreen, 170);
        EXPECT_EQ(rowOf(b, 0, 3), (Bytes{0x01, 0x23, 0x30}));
        pngHostDeleteBitmap(b);
        pngFree(&d.r);
    }
    { // 16-bit grey keeps its high byte as the index
        Decoded d;
        decode(&d, ihdrData(1, 1, 16, 0), {0, 18, 171});
        PngBitmap b = pngMakeBitmap(&d.r, nullptr, OutputFormatAutomatic, 0);
        EXPECT_EQ(rowOf(b, 0, 1), Bytes{18});
        EXPECT_EQ(pngHostBitmapInfo(b)->bmiHeader.biClrUsed, 256u);
        pngHostDeleteBitmap(b);
        pngFree(&d.r);
    }
    { // 8-bit RGBA: BGRA automatically, BGR on request
        Decoded d;
        decode(&d, ihdrData(1, 1, 8, 6), {0, 10, 20, 30, 40});
        PngBitmap b = pngMakeBitmap(&d.r, nullptr, OutputFormatAutomatic, 0);
        EXPECT_EQ(rowOf(b, 0, 4), (Bytes{30, 20, 10, 40}));
        pngHostDeleteBitmap(b);
        b = pngMakeBitmap(&d.r, nullptr, 0x0608010d, 0);
        EXPECT_EQ(pngHostBitmapBitCount(b), 24u);
        EXPECT_EQ(rowOf(b, 0, 3), (Bytes{30, 20, 10}));
        pngHostDeleteBitmap(b);
        for (uint32_t word : {0x06100108u, 0x0608000du, 0x0608020du, 0x0608010cu, 0x02080100u}) {
            EXPECT_EQ(pngMakeBitmap(&d.r, nullptr, word, 0), nullptr) << std::hex << word;
            EXPECT_EQ(d.r.error, PngErrorBadOutputFormat);
        }
        pngFree(&d.r);
    }
    { // 16-bit RGBA 3 wide: 3 pixels of 4 bytes
        Decoded d;
        Bytes row = {0};
        for (int i = 0; i < 24; ++i) row.push_back((uint8_t)i);
        decode(&d, ihdrData(3, 1, 16, 6), row);
        PngBitmap b = pngMakeBitmap(&d.r, nullptr, OutputFormatAutomatic, 0);
        EXPECT_EQ(rowOf(b, 0, 12), (Bytes{4, 2, 0, 6, 12, 10, 8, 14, 20, 18, 16, 22}));
        pngHostDeleteBitmap(b);
        pngFree(&d.r);
    }
    { // a palette of 2 entries: the rest of the colour table is zero
        Decoded d;
        decode(&d, ihdrData(2, 1, 8, 3), {0, 1, 0}, {pngChunk("PLTE", {200, 100, 50, 1, 2, 3})});
        PngBitmap b = pngMakeBitmap(&d.r, nullptr, OutputFormatAutomatic, 0);
        const PngBitmapInfo* info = pngHostBitmapInfo(b);
        EXPECT_EQ(info->bmiHeader.biClrUsed, 0u);
        EXPECT_EQ(info->bmiColors[0].rgbBlue, 50);
        EXPECT_EQ(info->bmiColors[0].rgbRed, 200);
        for (int i = 2; i < 256; ++i) EXPECT_EQ(memcmp(&info->bmiColors[i], "\0\0\0\0", 4), 0);
        pngHostDeleteBitmap(b);
        pngFree(&d.r);
    }
}

TEST(PngRender, InterlacedPixelsLandInTheirColumnsAndRows) {
    { // 1-bit grey 16 x 9: the destination is cleared first; pass 2 fills bit 3
        Decoded d;
        PngImage& r = d.r;
        Bytes rows;
        // pass 1: 2x2, pass 2: 2x2 (all ones), pass 3: 4x1, 4: 4x3, 5: 8x2, 6: 8x5, 7: 16x4
        const uint32_t passRows[7] = {2, 2, 1, 3, 2, 5, 4}, passBytes[7] = {1, 1, 1, 1, 1, 1, 2};
        for (int p = 0; p < 7; ++p) {
            for (uint32_t y = 0; y < passRows[p]; ++y) {
                rows.push_back(0);
                for (uint32_t i = 0; i < passBytes[p]; ++i) rows.push_back(p == 1 ? 0xc0 : 0);
            }
        }
        decode(&d, ihdrData(16, 9, 1, 0, 1), rows);
        ASSERT_EQ(r.inflatedSize, rows.size());
        Bytes dirty(4 * 9, 0xff);
        ASSERT_TRUE(pngRender(&r, dirty.data(), 0x00010100));
        for (uint32_t y = 0; y < 9; ++y) {
            uint8_t expected = y % 8 == 0 ? 0x08 : 0;
            EXPECT_EQ(Bytes(dirty.begin() + y * 4, dirty.begin() + y * 4 + 4),
                      (Bytes{expected, expected, 0, 0})) << "row " << y;
        }
        pngFree(&r);
    }
    { // 3 x 2 grey 8-bit: passes 1, 4, 6, 7 hold (0,0), (2,0), (1,0) and row 1
        Decoded d;
        decode(&d, ihdrData(3, 2, 8, 0, 1), {0, 11, 0, 44, 0, 66, 0, 71, 72, 73});
        PngBitmap b = pngMakeBitmap(&d.r, nullptr, OutputFormatAutomatic, 0);
        EXPECT_EQ(rowOf(b, 0, 3), (Bytes{11, 66, 44}));
        EXPECT_EQ(rowOf(b, 1, 3), (Bytes{71, 72, 73}));
        pngHostDeleteBitmap(b);
        pngFree(&d.r);
    }
    { // the render refuses words not meant for the image instead of overrunning
        Decoded d;
        decode(&d, ihdrData(3, 2, 8, 0, 1), {0, 11, 0, 44, 0, 66, 0, 71, 72, 73});
        Bytes destination(8);
        EXPECT_FALSE(pngRender(&d.r, destination.data(), 0x06100109));
        EXPECT_FALSE(pngRender(&d.r, destination.data(), 0x00080105));
        pngFree(&d.r);
    }
}

} // namespace
