// pngdump IN.png OUT.pam: decodes IN.png with the game's decoder (automatic
// output format, device-independent section), maps indexed output through its
// colour table and writes a PAM (P7) of 8-bit samples: RGB_ALPHA for colour
// type 6, RGB for everything else.
// Exit 0 on success; 1 when the decoder refuses the image (nothing is
// written; "error 0xNNNN Name" on stderr); 2 on usage or I/O errors.
#include "png/png_host.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <vector>

namespace {

int readFile(const char* path, std::vector<uint8_t>* bytes) {
    FILE* f = fopen(path, "rb");
    if (!f) return 0;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + n);
    int ok = !ferror(f) && bytes->size() <= 0xffffffffu;
    fclose(f);
    return ok;
}

// One pixel of the bitmap as R, G, B, A.
void pixelAt(PngBitmap bitmap, uint32_t x, uint32_t y, uint8_t rgba[4]) {
    const PngBitmapInfo* info = pngHostBitmapInfo(bitmap);
    const uint8_t* row = pngHostBitmapPixels(bitmap) + (size_t)y * pngHostBitmapStride(bitmap);
    uint32_t bits = pngHostBitmapBitCount(bitmap);
    rgba[3] = 255;
    if (bits >= 24) {
        const uint8_t* p = row + (size_t)x * (bits / 8);
        rgba[0] = p[2];
        rgba[1] = p[1];
        rgba[2] = p[0];
        if (bits == 32) rgba[3] = p[3];
        return;
    }
    uint32_t bit = x * bits;
    uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
    const PngRgbQuad& q = info->bmiColors[index];
    rgba[0] = q.rgbRed;
    rgba[1] = q.rgbGreen;
    rgba[2] = q.rgbBlue;
}

int fail(const PngImage& image) {
    fprintf(stderr, "error 0x%04X %s\n", (unsigned)image.error, pngErrorName(image.error));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: pngdump IN.png OUT.pam\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    if (!readFile(argv[1], &bytes)) {
        fprintf(stderr, "pngdump: cannot read %s\n", argv[1]);
        return 2;
    }
    PngImage image;
    pngInit(&image);
    if (!pngAttachBorrowed(&image, bytes.data(), (uint32_t)bytes.size()) || !pngDecode(&image)) {
        int status = fail(image);
        pngFree(&image);
        return status;
    }
    PngBitmap bitmap = pngMakeBitmap(&image, nullptr, OutputFormatAutomatic, 0);
    if (!bitmap) {
        int status = fail(image);
        pngFree(&image);
        return status;
    }
    int alpha = image.colourType == 6;
    uint32_t width = pngHostBitmapWidth(bitmap), height = pngHostBitmapHeight(bitmap);
    char header[160];
    int headerLength =
        snprintf(header, sizeof header,
                 "P7\nWIDTH %u\nHEIGHT %u\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n",
                 (unsigned)width, (unsigned)height, alpha ? 4 : 3, alpha ? "RGB_ALPHA" : "RGB");
    int depth = alpha ? 4 : 3;
    std::vector<uint8_t> out((size_t)headerLength + (size_t)width * height * depth);
    memcpy(out.data(), header, headerLength);
    uint8_t* to = out.data() + headerLength;
    uint32_t bits = pngHostBitmapBitCount(bitmap);
    for (uint32_t y = 0; y < height; ++y) {
        if (bits >= 24) { // blue, green, red (and alpha) straight from the row
            const uint8_t* p =
                pngHostBitmapPixels(bitmap) + (size_t)y * pngHostBitmapStride(bitmap);
            uint32_t size = bits / 8;
            for (uint32_t x = 0; x < width; ++x, p += size, to += depth) {
                to[0] = p[2];
                to[1] = p[1];
                to[2] = p[0];
                if (depth == 4) to[3] = size == 4 ? p[3] : 255;
            }
            continue;
        }
        for (uint32_t x = 0; x < width; ++x, to += depth) {
            uint8_t rgba[4];
            pixelAt(bitmap, x, y, rgba);
            memcpy(to, rgba, depth);
        }
    }
    pngHostDeleteBitmap(bitmap);
    pngFree(&image);

    FILE* f = fopen(argv[2], "wb");
    if (!f) {
        fprintf(stderr, "pngdump: cannot write %s\n", argv[2]);
        return 2;
    }
    int ok = fwrite(out.data(), 1, out.size(), f) == out.size();
    ok = (fclose(f) == 0) && ok;
    if (!ok) {
        fprintf(stderr, "pngdump: cannot write %s\n", argv[2]);
        remove(argv[2]);
        return 2;
    }
    return 0;
}
