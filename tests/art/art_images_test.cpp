// The shipped pictures read through the game's own PNG decoder, and the two icons
// checked field by field: what the window shell relies on when it loads them.
#include "png/png.h"
#include "png/png_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> readSourceFile(const std::string& name) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen((std::string(BEXARAN_SOURCE_DIR) + "/" + name).c_str(), "rb");
    if (!f) return bytes;
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

uint32_t be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
uint32_t le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }

uint32_t crc32Of(const uint8_t* p, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

struct Sheet {
    const char* file;
    uint32_t width, height;
};
const Sheet Sheets[] = {{"shell/keeper.png", 384, 64},
                        {"shell/tiles.png", 96, 32},
                        {"shell/boxes.png", 64, 32}};

// A decoded sheet: 24-bit top-down rows, blue, green, red.
struct Decoded {
    std::vector<uint8_t> file;
    PngImage image;
    PngBitmap bitmap = nullptr;
    uint32_t rgb(uint32_t x, uint32_t y) const {
        const uint8_t* p = pngHostBitmapPixels(bitmap) + y * pngHostBitmapStride(bitmap) + 3 * x;
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
};

// Attaches, decodes and renders one sheet with the automatic format, as the game does.
void decodeSheet(const char* name, Decoded& d) {
    d.file = readSourceFile(name);
    ASSERT_FALSE(d.file.empty()) << name;
    pngInit(&d.image);
    ASSERT_TRUE(pngAttachBorrowed(&d.image, d.file.data(), uint32_t(d.file.size())))
        << pngErrorName(d.image.error);
    ASSERT_TRUE(pngDecode(&d.image)) << pngErrorName(d.image.error);
    d.bitmap = pngMakeBitmap(&d.image, nullptr, OutputFormatAutomatic, 0);
    ASSERT_NE(d.bitmap, nullptr) << pngErrorName(d.image.error);
}

void release(Decoded& d) {
    pngHostDeleteBitmap(d.bitmap);
    pngFree(&d.image);
}

constexpr uint32_t Magenta = 0xFF00FF;

// Close to the key colour without being it: a blend that would show as a pink fringe.
bool nearlyMagenta(uint32_t c) {
    int r = int(c >> 16), g = int(c >> 8 & 0xFF), b = int(c & 0xFF);
    return c != Magenta && r >= 160 && b >= 160 && g <= 96;
}

TEST(ArtSheets, FilesHoldExactlyTheExpectedChunksWithGoodCrcs) {
    static const char* const order[5] = {"IHDR", "gAMA", "cHRM", "IDAT", "IEND"};
    for (const Sheet& s : Sheets) {
        std::vector<uint8_t> f = readSourceFile(s.file);
        ASSERT_GT(f.size(), 8u) << s.file;
        size_t at = 8;
        for (int i = 0; i < 5; ++i) {
            ASSERT_LE(at + 12, f.size()) << s.file << " chunk " << i;
            uint32_t length = be32(&f[at]);
            ASSERT_LE(at + 12 + length, f.size()) << s.file;
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[at + 4]), 4), order[i])
                << s.file;
            EXPECT_EQ(be32(&f[at + 8 + length]), crc32Of(&f[at + 4], 4 + length))
                << s.file << " " << order[i];
            at += 12 + length;
        }
        EXPECT_EQ(at, f.size()) << s.file << ": bytes after IEND";
    }
}

TEST(ArtSheets, DecoderReadsEachSheetAsTheGameNeedsIt) {
    const uint32_t inflated[3] = {1153 * 64, 289 * 32, 193 * 32};
    const uint32_t rowBytes[3] = {1152, 288, 192};
    for (int i = 0; i < 3; ++i) {
        const Sheet& s = Sheets[i];
        Decoded d;
        decodeSheet(s.file, d);
        if (HasFatalFailure()) return;
        EXPECT_EQ(d.image.width, s.width) << s.file;
        EXPECT_EQ(d.image.height, s.height) << s.file;
        EXPECT_EQ(d.image.colourType, 2) << s.file;
        EXPECT_EQ(d.image.bitDepth, 8) << s.file;
        EXPECT_EQ(d.image.interlaceMethod, 0) << s.file;
        // Signature, IHDR (25 bytes), gAMA (16), cHRM (44): the IDAT is the fourth chunk.
        EXPECT_EQ(d.image.firstIdat, d.image.source + 8 + 25 + 16 + 44) << s.file;
        EXPECT_EQ(pngInflatedSize(&d.image), inflated[i]) << s.file;
        EXPECT_EQ(d.image.inflatedSize, inflated[i]) << s.file;
        EXPECT_EQ(d.image.error, 0u) << s.file;
        EXPECT_EQ(pngHostBitmapBitCount(d.bitmap), 24u) << s.file;
        EXPECT_EQ(pngHostBitmapStride(d.bitmap), rowBytes[i]) << s.file;
        EXPECT_EQ(pngHostBitmapWidth(d.bitmap), s.width) << s.file;
        EXPECT_EQ(pngHostBitmapHeight(d.bitmap), s.height) << s.file;
        release(d);
    }
    EXPECT_EQ(pngHostLiveBlocks(), 0);
    EXPECT_EQ(pngHostLiveBitmaps(), 0);
}

TEST(ArtSheets, KeeperFramesAreKeyedCleanlyAndDistinct) {
    Decoded d;
    decodeSheet("shell/keeper.png", d);
    if (HasFatalFailure()) return;
    std::vector<std::vector<uint32_t>> frames;
    for (uint32_t row = 0; row < 2; ++row)
        for (uint32_t f = 0; f < 12; ++f) {
            std::vector<uint32_t> frame;
            int keeperPixels = 0, fringe = 0;
            for (uint32_t y = 0; y < 32; ++y)
                for (uint32_t x = 0; x < 32; ++x) {
                    uint32_t c = d.rgb(f * 32 + x, row * 32 + y);
                    frame.push_back(c);
                    if (c != Magenta) ++keeperPixels;
                    if (nearlyMagenta(c)) ++fringe;
                }
            // A figure of real size, on a background that is all key colour.
            EXPECT_GT(keeperPixels, 150) << "row " << row << " frame " << f;
            EXPECT_LT(keeperPixels, 32 * 32 / 2) << "row " << row << " frame " << f;
            EXPECT_EQ(fringe, 0) << "row " << row << " frame " << f;
            frames.push_back(frame);
        }
    // All 24 pictures differ: three poses per direction, and pushing differs from walking.
    std::set<std::vector<uint32_t>> distinct(frames.begin(), frames.end());
    EXPECT_EQ(distinct.size(), 24u);
    release(d);
}

TEST(ArtSheets, TilesAndBoxesAreOpaqueAndDistinct) {
    Decoded tiles, boxes;
    decodeSheet("shell/tiles.png", tiles);
    if (HasFatalFailure()) return;
    decodeSheet("shell/boxes.png", boxes);
    if (HasFatalFailure()) return;
    std::vector<std::vector<uint32_t>> pictures;
    for (int t = 0; t < 5; ++t) {
        const Decoded& d = t < 3 ? tiles : boxes;
        uint32_t left = uint32_t(t < 3 ? t : t - 3) * 32;
        std::vector<uint32_t> picture;
        for (uint32_t y = 0; y < 32; ++y)
            for (uint32_t x = 0; x < 32; ++x) {
                uint32_t c = d.rgb(left + x, y);
                EXPECT_NE(c, Magenta) << "tile " << t << " at " << x << "," << y;
                picture.push_back(c);
            }
        pictures.push_back(picture);
    }
    // Box on a goal must stand out from a box on floor, not differ by a pixel or two.
    int changed = 0;
    for (size_t i = 0; i < pictures[3].size(); ++i) changed += pictures[3][i] != pictures[4][i];
    EXPECT_GT(changed, 32 * 32 / 2);
    std::set<std::vector<uint32_t>> distinct(pictures.begin(), pictures.end());
    EXPECT_EQ(distinct.size(), 5u);
    release(tiles);
    release(boxes);
}

// One 8 bpp image: ICONDIR, one entry, BITMAPINFOHEADER, 256 colours, XOR and AND bits.
void checkIcon(const char* name, uint32_t size) {
    std::vector<uint8_t> f = readSourceFile(name);
    const uint32_t xorStride = (size + 3) & ~3u, andStride = (size + 31) / 32 * 4;
    const uint32_t imageBytes = 40 + 1024 + (xorStride + andStride) * size;
    ASSERT_EQ(f.size(), 22 + imageBytes) << name;
    EXPECT_EQ(le16(&f[0]), 0u);
    EXPECT_EQ(le16(&f[2]), 1u) << "type icon";
    EXPECT_EQ(le16(&f[4]), 1u) << "one image";
    EXPECT_EQ(f[6], size);
    EXPECT_EQ(f[7], size);
    EXPECT_EQ(f[8], 0) << "256 colours";
    EXPECT_EQ(le16(&f[10]), 1u);
    EXPECT_EQ(le16(&f[12]), 8u);
    EXPECT_EQ(le32(&f[14]), imageBytes);
    EXPECT_EQ(le32(&f[18]), 22u);
    const uint8_t* h = &f[22];
    EXPECT_EQ(le32(h), 40u);
    EXPECT_EQ(le32(h + 4), size);
    EXPECT_EQ(le32(h + 8), 2 * size) << "XOR and AND halves";
    EXPECT_EQ(le16(h + 12), 1u);
    EXPECT_EQ(le16(h + 14), 8u);
    EXPECT_EQ(le32(h + 16), 0u) << "BI_RGB";
    const uint8_t* palette = h + 40;
    const uint8_t* xorBits = palette + 1024;
    const uint8_t* andBits = xorBits + xorStride * size;
    int opaque = 0;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            bool transparent = andBits[y * andStride + x / 8] & (0x80 >> (x % 8));
            const uint8_t* colour = palette + 4 * xorBits[y * xorStride + x];
            // Where the mask lets the screen through, the XOR colour must be black.
            if (transparent)
                EXPECT_EQ(colour[0] | colour[1] | colour[2], 0) << name << " " << x << "," << y;
            else
                ++opaque;
        }
    EXPECT_GT(opaque, int(size * size / 3)) << name;
}

TEST(ArtIcons, EachHoldsOne256ColourImageOfItsSize) {
    checkIcon("shell/bexaran.ico", 32);
    checkIcon("shell/bexaran-small.ico", 16);
}

} // namespace
