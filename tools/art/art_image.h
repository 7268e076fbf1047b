// Pixel buffers and file encoders for the art generator.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// An RGB picture, 0xRRGGBB per pixel, row by row from the top.
struct ArtImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// The colour the game treats as transparent in the keeper sheet.
constexpr uint32_t ArtKeyColour = 0xFF00FF;
// Marks an unpainted pixel while a sprite is being built; never written to a file.
constexpr uint32_t ArtEmpty = 0xFFFFFFFFu;

ArtImage makeImage(int width, int height, uint32_t fill);
uint32_t pixelAt(const ArtImage& image, int x, int y);
void setPixel(ArtImage& image, int x, int y, uint32_t colour); // clipped
void blit(ArtImage& dest, int dx, int dy, const ArtImage& src, int sx, int sy, int w, int h,
          uint32_t key = ArtEmpty);
ArtImage scaleUp(const ArtImage& src, int factor);

// 8-bit truecolour, not interlaced: IHDR, gAMA, cHRM, one IDAT, IEND.
std::vector<uint8_t> encodePng(const ArtImage& image);
// One 8 bpp image (BITMAPINFOHEADER, 256-entry palette, XOR bits, AND mask); ArtEmpty
// pixels become transparent. Returns an empty vector if the picture has over 256 colours.
std::vector<uint8_t> encodeIco(const ArtImage& image);

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
