// Every PngSuite image that the decoder accepts, decoded with every output
// format and both bitmap kinds, matches libpng pixel for pixel (no gamma,
// palettes and grey expanded, 16-bit samples cut to their high byte, alpha kept
// only for colour type 6). The corrupted x* files are refused with the right code.
#include "png_test_support.h"

#include <gtest/gtest.h>
#include <libpng16/png.h>
#include <setjmp.h>

#include <dirent.h>
#include <algorithm>

#ifndef PNGSUITE_DIR
#error PNGSUITE_DIR must name the PngSuite folder
#endif

namespace {

struct Reference {
    int colourType = 0;
    Rgba picture;
};

struct MemoryInput {
    const Bytes* data;
    size_t offset;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    MemoryInput* in = (MemoryInput*)png_get_io_ptr(png);
    if (in->offset + count > in->data->size()) png_error(png, "read past end");
    memcpy(out, in->data->data() + in->offset, count);
    in->offset += count;
}

// libpng expands everything to 8-bit RGBA; transparency chunks are dropped
// first, since the decoder keeps alpha only for colour type 6.
bool referenceDecode(const Bytes& file, Reference* out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    MemoryInput input = {&file, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &input, readFromMemory);
    // The decoder checks no CRCs; keep libpng from refusing what it accepts.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, (png_const_bytep) "tRNS", 1);
    png_read_info(png, info);
    out->colourType = png_get_color_type(png, info);
    png_set_expand(png);
    png_set_strip_16(png); // keeps the high byte
    png_set_gray_to_rgb(png);
    if (out->colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_strip_alpha(png);
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    Rgba& picture = out->picture;
    picture.width = png_get_image_width(png, info);
    picture.height = png_get_image_height(png, info);
    picture.pixels.resize((size_t)picture.width * picture.height * 4);
    for (uint32_t y = 0; y < picture.height; ++y)
        rows.push_back(picture.pixels.data() + (size_t)y * picture.width * 4);
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

std::vector<std::string> suiteFiles() {
    std::vector<std::string> names;
    DIR* dir = opendir(PNGSUITE_DIR);
    if (!dir) return names;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0) names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string firstDifference(const Rgba& ours, const Rgba& theirs) {
    if (ours.width != theirs.width || ours.height != theirs.height) return "size differs";
    for (size_t i = 0; i < ours.pixels.size(); ++i) {
        if (ours.pixels[i] != theirs.pixels[i]) {
            size_t pixel = i / 4;
            return "pixel (" + std::to_string(pixel % ours.width) + ", " +
                   std::to_string(pixel / ours.width) + ") channel " + std::to_string(i % 4) +
                   ": " + std::to_string(ours.pixels[i]) + " vs " +
                   std::to_string(theirs.pixels[i]);
        }
    }
    return "";
}

TEST(PngSuite, EveryAcceptedImageMatchesLibpngInEveryOutputFormat) {
    std::vector<std::string> names = suiteFiles();
    ASSERT_GE(names.size(), 170u) << "PngSuite not found in " PNGSUITE_DIR;
    int compared = 0;
    for (const std::string& name : names) {
        if (name[0] == 'x') continue;
        SCOPED_TRACE(name);
        Bytes file = readFileBytes(std::string(PNGSUITE_DIR) + "/" + name);
        Reference reference;
        ASSERT_TRUE(referenceDecode(file, &reference));
        std::vector<uint32_t> formats = {OutputFormatAutomatic};
        if (reference.colourType == 6) {
            formats.push_back(file[24] == 8 ? OutputFormatRgba8ToBgr8 : OutputFormatRgba16ToBgr8);
        }
        for (uint32_t format : formats) {
            for (int device = 0; device < 2; ++device) {
                Rgba ours;
                uint32_t error = 0;
                ASSERT_TRUE(decodeToRgba(file, format, device, &ours, &error))
                    << pngErrorName(error);
                Rgba expected = reference.picture;
                if (format != OutputFormatAutomatic) { // alpha dropped: read back as 255
                    for (size_t i = 3; i < expected.pixels.size(); i += 4) expected.pixels[i] = 255;
                }
                EXPECT_EQ(firstDifference(ours, expected), "")
                    << "format " << std::hex << format << " device " << device;
            }
        }
        ++compared;
    }
    EXPECT_EQ(compared, 161);
    EXPECT_EQ(pngHostLiveBlocks(), 0);
    EXPECT_EQ(pngHostLiveBitmaps(), 0);
}

TEST(PngSuite, CorruptedFilesAreRefusedWithTheirCode) {
    struct Case {
        const char* name;
        uint32_t error;
        bool atDecode; // the parse succeeds, the decode refuses
    };
    const Case cases[] = {
        {"xs1n0g01", PngErrorBadData, false},     {"xs2n0g01", PngErrorBadData, false},
        {"xs4n0g01", PngErrorBadData, false},     {"xs7n0g01", PngErrorBadData, false},
        {"xcrn0g04", PngErrorBadData, false},     {"xlfn0g04", PngErrorBadData, false},
        {"xc1n0g08", PngErrorUnsupported, false}, {"xc9n2c08", PngErrorUnsupported, false},
        {"xd0n2c08", PngErrorUnsupported, false}, {"xd3n2c08", PngErrorUnsupported, false},
        {"xd9n2c08", PngErrorUnsupported, false}, {"xdtn0g01", PngErrorBadData, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = readFileBytes(std::string(PNGSUITE_DIR) + "/" + c.name + ".png");
        ASSERT_FALSE(file.empty());
        PngImage image;
        pngInit(&image);
        int parsed = pngAttachBorrowed(&image, file.data(), (uint32_t)file.size());
        EXPECT_EQ(parsed != 0, c.atDecode);
        if (parsed) {
            EXPECT_FALSE(pngDecode(&image));
            EXPECT_EQ(image.state, PngStateParsed);
        } else {
            EXPECT_EQ(image.state, PngStateEmpty);
            EXPECT_EQ(image.sourceKind, PngSourceNone);
        }
        EXPECT_EQ(image.error, c.error) << pngErrorName(image.error);
        pngFree(&image);
    }
    // Only a CRC check would refuse these two; the decoder checks none.
    for (const char* name : {"xcsn0g01", "xhdn0g08"}) {
        Bytes file = readFileBytes(std::string(PNGSUITE_DIR) + "/" + name + ".png");
        Rgba ours;
        uint32_t error = 0;
        EXPECT_TRUE(decodeToRgba(file, OutputFormatAutomatic, 0, &ours, &error)) << name;
    }
    EXPECT_EQ(pngHostLiveBlocks(), 0);
}

} // namespace
