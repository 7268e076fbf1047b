// Any bytes as a PNG file: parse, decode, and make a bitmap in every output
// format that the image admits (and one it does not), as a DIB section and as
// a device bitmap; every pixel byte is read. Nothing may leak.
#include "png/png_host.h"

#include <stdlib.h>

namespace {

// Legitimately large images only cost time (a tiny stream whose data runs out
// decodes zeros into the whole buffer); keep each run well under a second.
const uint32_t LargestBlock = 4u << 20;
volatile uint8_t pixelSink; // keeps the reads of every pixel

void exercise(PngImage* image, uint32_t format, int device) {
    PngBitmap bitmap = pngMakeBitmap(image, nullptr, format, device);
    if (!bitmap) return;
    const uint8_t* pixels = pngHostBitmapPixels(bitmap);
    uint32_t size = pngHostBitmapStride(bitmap) * pngHostBitmapHeight(bitmap);
    uint8_t sum = 0;
    for (uint32_t i = 0; i < size; ++i) sum += pixels[i];
    pixelSink = sum;
    pngHostDeleteBitmap(bitmap);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xffffffffu) return 0;
    PngImage image;
    pngInit(&image);
    if (pngAttachBorrowed(&image, data, (uint32_t)size)) {
        uint64_t stride = ((uint64_t)image.width * 32 + 31) / 32 * 4;
        if (pngInflatedSize(&image) <= LargestBlock && stride * image.height <= LargestBlock &&
            pngDecode(&image)) {
            uint32_t automatic = ((uint32_t)image.colourType << 24) |
                                 ((uint32_t)image.bitDepth << 16) | 0x100u;
            exercise(&image, OutputFormatAutomatic, 0);
            exercise(&image, OutputFormatAutomatic, 1);
            exercise(&image, OutputFormatRgba8ToBgr8, 0);
            exercise(&image, OutputFormatRgba16ToBgr8, 1);
            exercise(&image, automatic | 0x05, 0); // no converter of that index
            if (pngMakeBitmap(&image, nullptr, 0x12345678u, 0)) abort();
        }
    }
    pngFree(&image);
    if (pngHostLiveBlocks() != 0 || pngHostLiveBitmaps() != 0 || pngHostOpenDeviceContexts() != 0)
        abort(); // something was left allocated or held
    return 0;
}
