#include "art_image.h"

#include <algorithm>
#include <cstdio>
#include <zlib.h>

ArtImage makeImage(int width, int height, uint32_t fill) {
    ArtImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(size_t(width) * size_t(height), fill);
    return image;
}

uint32_t pixelAt(const ArtImage& image, int x, int y) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return ArtEmpty;
    return image.pixels[size_t(y) * image.width + x];
}

void setPixel(ArtImage& image, int x, int y, uint32_t colour) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    image.pixels[size_t(y) * image.width + x] = colour;
}

void blit(ArtImage& dest, int dx, int dy, const ArtImage& src, int sx, int sy, int w, int h,
          uint32_t key) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t c = pixelAt(src, sx + x, sy + y);
            if (c != key && c != ArtEmpty) setPixel(dest, dx + x, dy + y, c);
        }
}

ArtImage scaleUp(const ArtImage& src, int factor) {
    ArtImage out = makeImage(src.width * factor, src.height * factor, 0);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.pixels[size_t(y) * out.width + x] = pixelAt(src, x / factor, y / factor);
    return out;
}

namespace {

void putBe32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void putLe16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void putLe32(std::vector<uint8_t>& out, uint32_t v) {
    putLe16(out, v & 0xFFFF);
    putLe16(out, v >> 16);
}

// Length, type, data, and a CRC over type and data.
void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    putBe32(out, uint32_t(data.size()));
    size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out.data() + typeAt, uInt(4 + data.size()));
    putBe32(out, uint32_t(crc));
}

} // namespace

std::vector<uint8_t> encodePng(const ArtImage& image) {
    static const uint8_t signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    std::vector<uint8_t> out(signature, signature + 8);

    std::vector<uint8_t> ihdr;
    putBe32(ihdr, uint32_t(image.width));
    putBe32(ihdr, uint32_t(image.height));
    ihdr.push_back(8); // bit depth
    ihdr.push_back(2); // truecolour
    ihdr.push_back(0); // deflate
    ihdr.push_back(0); // adaptive filtering
    ihdr.push_back(0); // not interlaced
    putChunk(out, "IHDR", ihdr);

    std::vector<uint8_t> gama;
    putBe32(gama, 45455); // 1/2.2, the usual display gamma
    putChunk(out, "gAMA", gama);

    std::vector<uint8_t> chrm; // sRGB primaries and D65 white point
    for (uint32_t v : {31270u, 32900u, 64000u, 33000u, 30000u, 60000u, 15000u, 6000u})
        putBe32(chrm, v);
    putChunk(out, "cHRM", chrm);

    // Filter type 0 on every row keeps the stream simple and the output reproducible.
    std::vector<uint8_t> raw;
    raw.reserve(size_t(image.height) * (1 + 3 * size_t(image.width)));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < image.width; ++x) {
            uint32_t c = pixelAt(image, x, y);
            raw.push_back(uint8_t(c >> 16));
            raw.push_back(uint8_t(c >> 8));
            raw.push_back(uint8_t(c));
        }
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9) != Z_OK)
        return {};
    packed.resize(packedSize);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> encodeIco(const ArtImage& image) {
    // Palette in order of first appearance, so the file depends only on the picture.
    std::vector<uint32_t> palette;
    std::vector<uint8_t> indices(image.pixels.size(), 0);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        uint32_t c = image.pixels[i];
        if (c == ArtEmpty) continue;
        auto at = std::find(palette.begin(), palette.end(), c);
        if (at == palette.end()) {
            if (palette.size() == 256) return {};
            palette.push_back(c);
            at = palette.end() - 1;
        }
        indices[i] = uint8_t(at - palette.begin());
    }
    // Transparent pixels show black XOR bits under a set AND bit; index 0 must be black.
    palette.insert(palette.begin(), 0x000000);
    if (palette.size() > 256) return {};
    for (size_t i = 0; i < image.pixels.size(); ++i)
        indices[i] = image.pixels[i] == ArtEmpty ? 0 : uint8_t(indices[i] + 1);
    palette.resize(256, 0);

    const uint32_t w = uint32_t(image.width), h = uint32_t(image.height);
    const uint32_t xorStride = (w + 3) & ~3u;
    const uint32_t andStride = ((w + 31) / 32) * 4;
    const uint32_t bitsSize = 40 + 256 * 4 + xorStride * h + andStride * h;

    std::vector<uint8_t> out;
    putLe16(out, 0); // reserved
    putLe16(out, 1); // icon
    putLe16(out, 1); // one image
    out.push_back(uint8_t(w));
    out.push_back(uint8_t(h));
    out.push_back(0); // 256 colours
    out.push_back(0);
    putLe16(out, 1); // planes
    putLe16(out, 8); // bits per pixel
    putLe32(out, bitsSize);
    putLe32(out, 22); // offset of the image data

    putLe32(out, 40);
    putLe32(out, w);
    putLe32(out, 2 * h); // XOR and AND halves
    putLe16(out, 1);
    putLe16(out, 8);
    putLe32(out, 0); // BI_RGB
    putLe32(out, xorStride * h + andStride * h);
    putLe32(out, 0);
    putLe32(out, 0);
    putLe32(out, 256);
    putLe32(out, 0);
    for (uint32_t c : palette) {
        out.push_back(uint8_t(c));
        out.push_back(uint8_t(c >> 8));
        out.push_back(uint8_t(c >> 16));
        out.push_back(0);
    }
    for (uint32_t y = h; y-- > 0;) { // bottom-up
        for (uint32_t x = 0; x < xorStride; ++x) out.push_back(x < w ? indices[y * w + x] : 0);
    }
    for (uint32_t y = h; y-- > 0;) {
        std::vector<uint8_t> row(andStride, 0);
        for (uint32_t x = 0; x < w; ++x)
            if (image.pixels[y * w + x] == ArtEmpty) row[x / 8] |= uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}
