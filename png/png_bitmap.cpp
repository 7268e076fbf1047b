// Pixel conversion and bitmap output: the row converters, the table of output
// formats, the bitmap description and pngMakeBitmap.
#include "png_internal.h"
#include "png_platform.h"

#include <string.h>

const OutputFormatRow outputFormats[OutputFormatCount] = {
    {0x00010100u, 1, 1},  {0x0002010bu, 4, 1},  {0x00040100u, 4, 1},  {0x00080100u, 8, 1},
    {0x00100106u, 8, 1},  {0x0208010cu, 24, 1}, {0x02100107u, 24, 1}, {0x03010100u, 1, 1},
    {0x0302010bu, 4, 1},  {0x03040100u, 4, 1},  {0x03080100u, 8, 1},  {0x04080106u, 8, 1},
    {0x0410010au, 8, 1},  {0x0608010eu, 32, 1}, {0x0608010du, 24, 0}, {0x06100109u, 32, 1},
    {0x06100108u, 24, 0},
};

const OutputFormatRow* pngFindOutputFormat(uint32_t word) {
    for (const OutputFormatRow& row : outputFormats) {
        if (row.word == word) return &row;
    }
    return nullptr;
}

namespace {

uint32_t copyRow(const uint8_t* s, uint32_t n, uint8_t* d) {
    memcpy(d, s, n);
    return n;
}

uint32_t takeEvenBytes(const uint8_t* s, uint32_t n, uint8_t* d) {
    uint32_t units = n / 2;
    for (uint32_t i = 0; i < units; ++i) d[i] = s[2 * i];
    return units;
}

uint32_t takeEveryFourthByte(const uint8_t* s, uint32_t n, uint8_t* d) {
    uint32_t units = n / 4;
    for (uint32_t i = 0; i < units; ++i) d[i] = s[4 * i];
    return units;
}

uint32_t rgb16ToBgr8(const uint8_t* s, uint32_t n, uint8_t* d) {
    uint32_t units = n / 6;
    for (uint32_t i = 0; i < units; ++i, s += 6, d += 3) {
        d[0] = s[4];
        d[1] = s[2];
        d[2] = s[0];
    }
    return units * 3;
}

uint32_t rgba16ToBgr8(const uint8_t* s, uint32_t n, uint8_t* d) {
    uint32_t units = n / 8;
    for (uint32_t i = 0; i < units; ++i, s += 8, d += 3) {
        d[0] = s[4];
        d[1] = s[2];
        d[2] = s[0];
    }
    return units * 3;
}

uint32_t rgba16ToBgra8(const uint8_t* s, uint32_t n, uint8_t* d) {
    uint32_t units = n / 8;
    for (uint32_t i = 0; i < units; ++i, s += 8, d += 4) {
        d[0] = s[4];
        d[1] = s[2];
        d[2] = s[0];
        d[3] = s[6];
    }
    return units * 4;
}

uint32_t widen2To4(const uint8_t* s, uint32_t n, uint8_t* d) {
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t v = s[i]; // s0 s1 s2 s3 from the top bits down
        d[2 * i] = (uint8_t)(((v >> 6) << 4) | ((v >> 4) & 3));
        d[2 * i + 1] = (uint8_t)((((v >> 2) & 3) << 4) | (v & 3));
    }
    return 2 * n;
}

// Four bytes as a number, the first byte lowest, whatever the machine's order
// (one move where it is little-endian: x86 and wasm).
PNG_ALWAYS_INLINE uint32_t loadLittle(const uint8_t* p) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
#else
    return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
#endif
}
PNG_ALWAYS_INLINE void storeLittle(uint8_t* p, uint32_t v) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    memcpy(p, &v, 4);
#else
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
#endif
}

// A pixel R, G, B (and A or the next pixel's first byte) as one number, R
// lowest: reversing its bytes puts B, G, R in the top three, one shift away.
PNG_ALWAYS_INLINE uint32_t rgbToBgr(uint32_t v) {
    return __builtin_bswap32(v) >> 8;
}
PNG_ALWAYS_INLINE uint32_t rgbaToBgra(uint32_t v) { // B, G, R from the reversal, A back on top
    uint32_t r = __builtin_bswap32(v);
    return (r >> 8) | (r << 24);
}

// Each pixel but the last is read and written as four bytes: the fourth byte
// read belongs to the next pixel and the fourth written is overwritten by it.
// The last pixel goes byte by byte, so nothing is read or written past the row.
uint32_t rgb8ToBgr8(const uint8_t* s, uint32_t n, uint8_t* d) {
    uint32_t units = n / 3, i = 1;
    // Two pixels a turn: both loads start before either store, and the loop
    // costs half as much (the page's code gains most from this).
    for (; i + 2 <= units; i += 2, s += 6, d += 6) {
        uint32_t first = loadLittle(s), second = loadLittle(s + 3);
        storeLittle(d, rgbToBgr(first));
        storeLittle(d + 3, rgbToBgr(second));
    }
    for (; i < units; ++i, s += 3, d += 3) storeLittle(d, rgbToBgr(loadLittle(s)));
    if (units) {
        uint8_t r = s[0];
        d[0] = s[2];
        d[1] = s[1];
        d[2] = r;
    }
    return units * 3;
}

uint32_t rgba8ToBgr8(const uint8_t* s, uint32_t n, uint8_t* d) {
    uint32_t units = n / 4;
    for (uint32_t i = 1; i < units; ++i, s += 4, d += 3)
        storeLittle(d, rgbToBgr(loadLittle(s)));
    if (units) {
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
    }
    return units * 3;
}

uint32_t rgba8ToBgra8(const uint8_t* s, uint32_t n, uint8_t* d) {
    uint32_t units = n / 4;
    for (uint32_t i = 0; i < units; ++i, s += 4, d += 4)
        storeLittle(d, rgbaToBgra(loadLittle(s)));
    return units * 4;
}

const RowConvert rowConverters[15] = {
    copyRow,      nullptr,       nullptr,       nullptr,       nullptr,
    nullptr,      takeEvenBytes, rgb16ToBgr8,   rgba16ToBgr8,  rgba16ToBgra8,
    takeEveryFourthByte, widen2To4, rgb8ToBgr8, rgba8ToBgr8,   rgba8ToBgra8,
};

void greyRamp(PngBitmapInfo* info, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t v = (uint8_t)(i * 255 / (n - 1));
        info->bmiColors[i] = {v, v, v, 0};
    }
    info->bmiHeader.biClrUsed = n;
}

} // namespace

RowConvert pngRowConverter(uint32_t index) { return index < 15 ? rowConverters[index] : nullptr; }

uint32_t pngBuildBitmapInfo(const PngImage* image, PngBitmapInfo* info) {
    pngZero(info, sizeof *info); // also: colour entries past the palette are zero
    PngBitmapInfoHeader& h = info->bmiHeader;
    h.biSize = 40;
    h.biWidth = (int32_t)image->width;
    h.biHeight = -(int32_t)image->height; // top-down rows
    h.biPlanes = 1;
    h.biCompression = 0; // BI_RGB
    uint32_t depth = image->bitDepth;
    switch (image->colourType) {
    case 0:
        h.biBitCount = depth == 1 ? 1 : depth <= 4 ? 4 : 8;
        greyRamp(info, depth >= 8 ? 256 : 1u << depth);
        break;
    case 2: h.biBitCount = 24; break;
    case 3: {
        h.biBitCount = depth == 1 ? 1 : depth <= 4 ? 4 : 8;
        uint32_t count = image->paletteCount < 256 ? image->paletteCount : 256;
        const uint8_t* p = image->palette;
        for (uint32_t i = 0; p && i < count; ++i, p += 3) info->bmiColors[i] = {p[2], p[1], p[0], 0};
        break;
    }
    case 4:
        h.biBitCount = 8;
        greyRamp(info, 256);
        break;
    case 6: h.biBitCount = 32; break;
    }
    for (const OutputFormatRow& row : outputFormats) {
        if ((row.word >> 24) == image->colourType && ((row.word >> 16) & 0xff) == depth &&
            row.automatic) {
            return row.word;
        }
    }
    // Not reached for a parsed image: the parser accepts only these formats.
    return ((uint32_t)image->colourType << 24) | (depth << 16) | 0x100u;
}

PngBitmap pngMakeBitmap(PngImage* image, PngWindow window, uint32_t outputFormat,
                        int deviceBitmap) {
    if (image->state != PngStateDecoded) {
        image->error = PngErrorWrongState;
        return nullptr;
    }
    if (outputFormat != OutputFormatAutomatic) {
        const OutputFormatRow* row = pngFindOutputFormat(outputFormat);
        if (!row || (outputFormat >> 24) != image->colourType ||
            ((outputFormat >> 16) & 0xff) != image->bitDepth) {
            image->error = PngErrorBadOutputFormat;
            return nullptr;
        }
    }
    // The parser takes an indexed image without PLTE; its colour table would
    // have no source, so no bitmap is made of it.
    if (image->colourType == 3 && !image->palette) {
        image->error = PngErrorBadData;
        return nullptr;
    }
    PngBitmapInfo info;
    uint32_t automatic = pngBuildBitmapInfo(image, &info);
    uint32_t format = outputFormat == OutputFormatAutomatic ? automatic : outputFormat;
    if (format == OutputFormatRgba8ToBgr8 || format == OutputFormatRgba16ToBgr8) {
        info.bmiHeader.biBitCount = 24; // alpha dropped
    }

    PngDeviceContext context = pngPlatformGetDC(window);
    PngBitmap bitmap = nullptr;
    uint8_t* pixels = nullptr;
    uint8_t* block = nullptr;
    // The parser refused images whose bitmap size does not fit in 32 bits.
    uint32_t stride = (uint32_t)(((uint64_t)image->width * info.bmiHeader.biBitCount + 31) / 32 * 4);
    if (deviceBitmap) {
        block = (uint8_t*)pngAlloc(stride * image->height);
        if (!block) {
            image->error = PngErrorOutOfMemory;
            goto fail;
        }
        pixels = block;
    } else {
        bitmap = pngPlatformCreateDIBSection(context, &info, &pixels);
        if (!bitmap) {
            image->error = PngErrorBitmapFailed;
            goto fail;
        }
    }
    if (!pngRender(image, pixels, format)) goto fail;
    if (deviceBitmap) {
        bitmap = pngPlatformCreateDIBitmap(context, &info, block);
        if (!bitmap) {
            image->error = PngErrorBitmapFailed;
            goto fail;
        }
    }
    pngPlatformReleaseDC(window, context);
    if (block) pngRelease(block);
    return bitmap;

fail:
    pngPlatformReleaseDC(window, context);
    if (bitmap) pngPlatformDeleteBitmap(bitmap);
    if (block) pngRelease(block);
    return nullptr;
}
