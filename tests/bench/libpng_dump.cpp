// libpng-dump IN.png OUT.pam: what pngdump does, done by libpng, as the
// yardstick for pngdump's whole-process time. It writes the same PAM: palette
// and grey expanded to RGB, 16-bit samples cut to their high byte, alpha kept
// for colour type 6 only, transparency chunks ignored (as the game's decoder
// ignores them), so the two outputs can be compared byte for byte.
#include <libpng16/png.h>

#include <setjmp.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: libpng-dump IN.png OUT.pam\n");
        return 2;
    }
    FILE* in = fopen(argv[1], "rb");
    if (!in) return 2;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        fclose(in);
        return 1;
    }
    png_init_io(png, in);
    static const png_byte transparency[5] = "tRNS";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, transparency, 1);
    png_read_info(png, info);
    int colourType = png_get_color_type(png, info);
    png_set_strip_16(png);
    png_set_palette_to_rgb(png);
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    uint32_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    int alpha = colourType == PNG_COLOR_TYPE_RGB_ALPHA;
    char header[160];
    int headerLength =
        snprintf(header, sizeof header,
                 "P7\nWIDTH %u\nHEIGHT %u\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n",
                 (unsigned)width, (unsigned)height, alpha ? 4 : 3, alpha ? "RGB_ALPHA" : "RGB");
    pixels.resize(headerLength + rowBytes * height);
    for (int i = 0; i < headerLength; ++i)
        pixels[i] = (uint8_t)header[i];
    rows.resize(height);
    for (uint32_t y = 0; y < height; ++y)
        rows[y] = &pixels[headerLength + y * rowBytes];
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    fclose(in);
    FILE* out = fopen(argv[2], "wb");
    if (!out) return 2;
    int ok = fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return fclose(out) == 0 && ok ? 0 : 2;
}
