// The record's lifecycles through the host resource table, the state table,
// and every failure path that must leave nothing allocated or held.
#include "png_faults.h"
#include "png_test_support.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

// 3 x 2 truecolour, rows unfiltered.
Bytes smallRgb() {
    Bytes rows = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    return pngFile(ihdrData(3, 2, 8, 2), {pngChunk("IDAT", zlibCompress(rows, 6))});
}

class PngRecord : public testing::Test {
protected:
    Bytes image = smallRgb();
    Bytes tiny = Bytes(15, 0x89);
    void SetUp() override {
        pngHostClearResources();
        pngHostRegisterResource(2000, image.data(), (uint32_t)image.size());
        pngHostRegisterResource(2001, tiny.data(), (uint32_t)tiny.size());
        pngHostRegisterResource(2002, nullptr, 100);        // LoadResource gives null
        pngHostRegisterResource(2003, image.data(), 0);     // SizeofResource gives 0
    }
    void TearDown() override {
        pngHostFailAllocationAfter(-1);
        pngHostFailBitmapCreation(0);
        EXPECT_EQ(pngHostLiveBlocks(), 0);
        EXPECT_EQ(pngHostLiveBitmaps(), 0);
        EXPECT_EQ(pngHostOpenDeviceContexts(), 0);
        pngHostClearResources();
    }
};

TEST_F(PngRecord, LoadDecodeBitmapFreeAndLoadAgain) {
    PngImage r;
    pngInit(&r);
    EXPECT_TRUE(pngFree(&r)); // on a fresh record: nothing changes
    ASSERT_TRUE(pngLoadResource(&r, nullptr, 2000));
    EXPECT_EQ(r.state, PngStateParsed);
    EXPECT_EQ(r.sourceKind, PngSourceBorrowed);
    EXPECT_EQ(r.source, image.data());
    EXPECT_EQ(r.sourceSize, image.size());
    EXPECT_EQ(r.firstIdat, image.data() + 33);
    EXPECT_EQ(r.header, image.data() + 16);
    EXPECT_TRUE(pngMakeBitmap(&r, nullptr, OutputFormatAutomatic, 0) == nullptr);
    EXPECT_EQ(r.error, PngErrorWrongState); // parsed, not decoded

    PngImage before = r;
    EXPECT_FALSE(pngLoadResource(&r, nullptr, 2000)); // in use: nothing else changes
    EXPECT_EQ(r.error, PngErrorInUse);
    r.error = before.error;
    EXPECT_EQ(memcmp(&r, &before, sizeof r), 0);

    ASSERT_TRUE(pngDecode(&r));
    EXPECT_EQ(r.error, 0u);
    EXPECT_EQ(r.state, PngStateDecoded);
    EXPECT_EQ(r.inflatedSize, 20u);
    Bytes inflated(r.inflated, r.inflated + r.inflatedSize);
    EXPECT_FALSE(pngDecode(&r)); // twice: refused, data intact
    EXPECT_EQ(r.error, PngErrorWrongState);
    EXPECT_EQ(Bytes(r.inflated, r.inflated + r.inflatedSize), inflated);

    PngBitmap a = pngMakeBitmap(&r, nullptr, OutputFormatAutomatic, 0);
    PngBitmap b = pngMakeBitmap(&r, nullptr, OutputFormatAutomatic, 1);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_NE(pngHostBitmapPixels(a), pngHostBitmapPixels(b));
    for (int y = 0; y < 2; ++y) { // the 9 pixel bytes of each 12-byte row
        EXPECT_EQ(memcmp(pngHostBitmapPixels(a) + 12 * y, pngHostBitmapPixels(b) + 12 * y, 9), 0);
    }
    EXPECT_TRUE(pngHostBitmapIsDevice(b));
    const uint8_t firstRow[9] = {3, 2, 1, 6, 5, 4, 9, 8, 7}; // RGB 1,2,3 stored as BGR
    EXPECT_EQ(memcmp(pngHostBitmapPixels(a), firstRow, 9), 0);
    pngHostDeleteBitmap(a);
    pngHostDeleteBitmap(b);

    EXPECT_TRUE(pngFree(&r));
    PngImage zero = {};
    EXPECT_EQ(memcmp(&r, &zero, sizeof r), 0);
    EXPECT_TRUE(pngLoadResource(&r, nullptr, 2000));
    pngFree(&r);
}

TEST_F(PngRecord, FailedLoadsLeaveTheRecordEmptyAndReusable) {
    PngImage r;
    pngInit(&r);
    EXPECT_FALSE(pngLoadResource(&r, nullptr, 1999));
    EXPECT_EQ(r.error, PngErrorResourceNotFound);
    EXPECT_EQ(r.state, PngStateEmpty);
    EXPECT_FALSE(pngLoadResource(&r, nullptr, 2002));
    EXPECT_EQ(r.error, PngErrorResourceUnreadable);
    EXPECT_FALSE(pngLoadResource(&r, nullptr, 2003));
    EXPECT_EQ(r.error, PngErrorResourceUnreadable);
    EXPECT_FALSE(pngLoadResource(&r, nullptr, 2001)); // fewer than 16 bytes
    EXPECT_EQ(r.error, PngErrorBadData);
    EXPECT_EQ(r.sourceKind, PngSourceNone);
    EXPECT_EQ(r.state, PngStateEmpty);
    EXPECT_TRUE(pngLoadResource(&r, nullptr, 2000)); // no pngFree needed in between
    EXPECT_EQ(r.error, 0u);
    pngFree(&r);
    EXPECT_FALSE(pngDecode(&r));
    EXPECT_EQ(r.error, PngErrorWrongState);
}

TEST_F(PngRecord, OutOfMemoryAndBitmapFailuresReleaseEverything) {
    PngImage r;
    pngInit(&r);
    ASSERT_TRUE(pngLoadResource(&r, nullptr, 2000));
    pngHostFailAllocationAfter(0);
    EXPECT_FALSE(pngDecode(&r)); // no block for the scanlines
    EXPECT_EQ(r.error, PngErrorOutOfMemory);
    EXPECT_EQ(r.state, PngStateParsed);
    ASSERT_TRUE(pngDecode(&r)); // and it may be tried again

    pngHostFailAllocationAfter(0); // the render's working rows
    EXPECT_EQ(pngMakeBitmap(&r, nullptr, OutputFormatAutomatic, 0), nullptr);
    EXPECT_EQ(r.error, PngErrorOutOfMemory);
    EXPECT_EQ(pngHostLiveBitmaps(), 0); // the section was deleted
    pngHostFailAllocationAfter(0);      // a device bitmap's pixel block
    EXPECT_EQ(pngMakeBitmap(&r, nullptr, OutputFormatAutomatic, 1), nullptr);
    EXPECT_EQ(r.error, PngErrorOutOfMemory);
    pngHostFailAllocationAfter(1); // the device bitmap's working rows, after its block
    EXPECT_EQ(pngMakeBitmap(&r, nullptr, OutputFormatAutomatic, 1), nullptr);
    EXPECT_EQ(r.error, PngErrorOutOfMemory);
    pngHostFailAllocationAfter(-1);

    pngHostFailBitmapCreation(1);
    for (int device = 0; device < 2; ++device) {
        r.error = 0;
        EXPECT_EQ(pngMakeBitmap(&r, nullptr, OutputFormatAutomatic, device), nullptr);
        EXPECT_EQ(r.error, PngErrorBitmapFailed);
    }
    pngHostFailBitmapCreation(0);
    EXPECT_EQ(r.state, PngStateDecoded);
    PngBitmap ok = pngMakeBitmap(&r, nullptr, OutputFormatAutomatic, 0);
    EXPECT_NE(ok, nullptr);
    pngHostDeleteBitmap(ok);
    pngFree(&r);
}

TEST_F(PngRecord, FailedInflateLeavesParsedStateAndNoBuffer) {
    Bytes broken = pngFile(ihdrData(3, 2, 8, 2), {pngChunk("IDAT", {0x78, 0x9c, 0xff, 0xff})});
    PngImage r;
    pngInit(&r);
    ASSERT_TRUE(pngAttachBorrowed(&r, broken.data(), (uint32_t)broken.size()));
    EXPECT_FALSE(pngDecode(&r)); // BTYPE 3
    EXPECT_EQ(r.error, PngErrorBadData);
    EXPECT_EQ(r.inflated, nullptr);
    EXPECT_EQ(r.state, PngStateParsed);
    EXPECT_EQ(pngHostLiveBlocks(), 0);
    EXPECT_FALSE(pngAttachBorrowed(&r, broken.data(), (uint32_t)broken.size()));
    EXPECT_EQ(r.error, PngErrorInUse);
    pngFree(&r);
}

} // namespace
