// All pictures are drawn from a few shapes and one shared palette, so the tiles, the
// boxes, the keeper and the icons keep one style: flat colours, a light top-left edge,
// a dark bottom-right edge, and a one-pixel dark outline around every object.
#include "art_pictures.h"

#include <cstdint>
#include <cstdlib>

namespace {

// --- palette ---------------------------------------------------------------------
constexpr uint32_t Ink = 0x231C2B; // outlines and eyes

constexpr uint32_t FloorBase = 0x5A5E68;
constexpr uint32_t FloorSpeck = 0x565A64;
constexpr uint32_t FloorSeam = 0x494D57;
constexpr uint32_t FloorLight = 0x636771;
constexpr uint32_t FloorShadow = 0x40434C;

constexpr uint32_t BrickTones[3] = {0x8E5444, 0x965B48, 0x864E40};
constexpr uint32_t BrickLight = 0xAC725A;
constexpr uint32_t BrickDark = 0x683B32;
constexpr uint32_t Mortar = 0x3E3538;

constexpr uint32_t GoalBright = 0xF4C24A;
constexpr uint32_t GoalMid = 0xD89A2E;
constexpr uint32_t GoalDark = 0x8E5E22;

struct WoodColours {
    uint32_t light, frame, shade, panel, seam, dark;
};
constexpr WoodColours WoodPlain = {0xE2A86A, 0xC4864A, 0x9C6234, 0xA8703E, 0x7E4E2A, 0x3E2718};
constexpr WoodColours WoodOnGoal = {0xFFE08A, 0xF2BC48, 0xC08A2A, 0xD9A23C, 0xA8741E, 0x4A3214};

constexpr uint32_t Skin = 0xF2C198;
constexpr uint32_t SkinShade = 0xCC8E68;
constexpr uint32_t Hair = 0x6A3C22;
constexpr uint32_t Cap = 0xD6402F;
constexpr uint32_t CapLight = 0xF0684A;
constexpr uint32_t CapShade = 0x962630;
constexpr uint32_t Shirt = 0x4A86D4;
constexpr uint32_t ShirtShade = 0x30609E;
constexpr uint32_t Sleeve = 0x3A6EB4;
constexpr uint32_t Overall = 0x4C506C;
constexpr uint32_t OverallShade = 0x363850;
constexpr uint32_t Boot = 0x5E3A26;
constexpr uint32_t BootShade = 0x43291C;
constexpr uint32_t Belt = 0x2E2A36;

// --- shapes ------------------------------------------------------------------------
uint32_t noise(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

void fillRect(ArtImage& img, int x0, int y0, int x1, int y1, uint32_t c) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) setPixel(img, x, y, c);
}

// Ellipse centred at (cx2 / 2, cy2 / 2) with radii rx2 / 2 and ry2 / 2 (half-pixel units,
// so a figure can be centred between two pixels).
bool inEllipse(int x, int y, int cx2, int cy2, int rx2, int ry2) {
    int64_t dx = 2 * x + 1 - cx2, dy = 2 * y + 1 - cy2;
    return dx * dx * ry2 * ry2 + dy * dy * rx2 * rx2 <= int64_t(rx2) * rx2 * ry2 * ry2;
}

// A stroke of square pen steps along a Bresenham line.
void stroke(ArtImage& img, int x0, int y0, int x1, int y1, int width, uint32_t c) {
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
    int lo = -(width - 1) / 2, hi = width / 2;
    for (;;) {
        fillRect(img, x0 + lo, y0 + lo, x0 + hi, y0 + hi, c);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += sx;
        if (e2 <= dx) err += dx, y0 += sy;
    }
}

// Rings every painted shape with Ink: empty pixels beside a painted one.
void outline(ArtImage& img) {
    ArtImage before = img;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            if (pixelAt(before, x, y) != ArtEmpty) continue;
            const int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
            for (int k = 0; k < 4; ++k)
                if (pixelAt(before, nx[k], ny[k]) != ArtEmpty) {
                    setPixel(img, x, y, Ink);
                    break;
                }
        }
}

// --- tiles -------------------------------------------------------------------------
// Calm slabs: a seam along the top and left edge (so slabs join into a grid when tiled),
// a faint lit line inside it and a sparse speckle.
uint32_t floorPixel(int x, int y) {
    if (x == 0 || y == 0) return FloorSeam;
    if (x == 1 || y == 1) return FloorLight;
    return noise(x, y, 7) % 9 == 0 ? FloorSpeck : FloorBase;
}

void drawFloor(ArtImage& img, int ox) {
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) setPixel(img, ox + x, y, floorPixel(x, y));
}

// Bricks 16 by 8 in running bond; the pattern wraps at 32 so walls tile seamlessly.
void drawWall(ArtImage& img, int ox) {
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            int course = y / 8, v = y % 8;
            int shifted = (x + (course % 2) * 8) % 32;
            int u = shifted % 16, brick = shifted / 16;
            uint32_t c;
            if (v == 7 || u == 15)
                c = Mortar;
            else if (v == 0 || u == 0)
                c = BrickLight;
            else if (v == 6 || u == 14)
                c = BrickDark;
            else {
                c = BrickTones[(brick * 2 + course) % 3];
                if (noise(x, y, 3) % 17 == 0) c = BrickTones[(brick * 2 + course + 2) % 3];
            }
            setPixel(img, ox + x, y, c);
        }
}

// The goal mark: a golden ring with a dot, drawn over floor.
void drawGoalMark(ArtImage& img, int ox, int oy) {
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            int dx = 2 * x - 31, dy = 2 * y - 31, d = dx * dx + dy * dy;
            uint32_t c = ArtEmpty;
            if (d <= 2 * 2 * 4 * 4) c = d <= 2 * 2 * 2 * 2 ? GoalBright : GoalMid;
            else if (d > 4 * 6 * 6 && d <= 4 * 7 * 7) c = GoalDark;
            else if (d > 4 * 7 * 7 && d <= 4 * 9 * 9) c = dy + dx < -4 ? GoalBright : GoalMid;
            else if (d > 4 * 9 * 9 && d <= 4 * 10 * 10) c = GoalDark;
            if (c != ArtEmpty) setPixel(img, ox + x, oy + y, c);
        }
}

// A wooden crate of s by s pixels at (x0, y0): an outlined frame of planks, a planked
// panel and a diagonal brace.
void drawCrate(ArtImage& img, int x0, int y0, int s, const WoodColours& w) {
    int fw = s >= 24 ? 4 : 2;        // frame width inside the outline
    int x1 = x0 + s - 1, y1 = y0 + s - 1;
    int px0 = x0 + 1 + fw, py0 = y0 + 1 + fw, px1 = x1 - 1 - fw, py1 = y1 - 1 - fw;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            uint32_t c;
            bool border = x == x0 || y == y0 || x == x1 || y == y1;
            bool panel = x >= px0 && x <= px1 && y >= py0 && y <= py1;
            if (border)
                c = w.dark;
            else if (!panel) {
                c = w.frame;
                if (x == x0 + 1 || y == y0 + 1) c = w.light;
                if (x == x1 - 1 || y == y1 - 1) c = w.shade;
                if (x == px0 - 1 && y >= py0 - 1 && y <= py1 + 1) c = w.seam;
                if (y == py0 - 1 && x >= px0 - 1 && x <= px1 + 1) c = w.seam;
                if (x == px1 + 1 && y >= py0 && y <= py1 + 1) c = w.light;
                if (y == py1 + 1 && x >= px0 && x <= px1 + 1) c = w.light;
            } else {
                c = w.panel;
                if (s >= 24 && (y - py0) % 5 == 4) c = w.seam;
            }
            setPixel(img, x, y, c);
        }
    // The brace runs from the panel's bottom-left to its top-right corner.
    int n = px1 - px0;
    for (int i = 0; i <= n; ++i) {
        int x = px0 + i, y = py1 - i;
        int half = s >= 24 ? 1 : 0;
        for (int k = -half; k <= half; ++k) setPixel(img, x, y + k, w.frame);
        setPixel(img, x, y - half - 1, w.light);
        setPixel(img, x, y + half + 1, w.shade);
    }
    if (s >= 24) { // nails at the frame's corners
        for (int cy : {y0 + 2, y1 - 2})
            for (int cx : {x0 + 2, x1 - 2}) setPixel(img, cx, cy, w.dark);
    }
}

void drawBox(ArtImage& img, int ox, bool onGoal) {
    drawFloor(img, ox);
    if (onGoal) drawGoalMark(img, ox, 0);
    // A soft shadow to the lower right grounds the crate on the floor.
    for (int i = 4; i <= 30; ++i) {
        setPixel(img, ox + 30, i, onGoal ? GoalDark : FloorShadow);
        setPixel(img, ox + i, 30, onGoal ? GoalDark : FloorShadow);
    }
    drawCrate(img, ox + 2, 2, 28, onGoal ? WoodOnGoal : WoodPlain);
    if (onGoal) {
        // The goal shows at the crate's corners so a solved cell reads at a glance.
        fillRect(img, ox + 0, 0, ox + 1, 31, GoalMid);
        fillRect(img, ox + 0, 0, ox + 31, 1, GoalMid);
        fillRect(img, ox + 30, 0, ox + 31, 31, GoalDark);
        fillRect(img, ox + 0, 30, ox + 31, 31, GoalDark);
    }
}

// --- keeper ------------------------------------------------------------------------
enum Facing { FacingLeft, FacingRight, FacingUp, FacingDown };

// Facing right; the left frames are its mirror image.
void drawKeeperSide(ArtImage& img, int phase, bool pushing) {
    const int lean = pushing ? 1 : 0;
    // Ankle x of the near and the far leg: together at rest, apart in the strides.
    static const int walkNear[3] = {17, 21, 12}, walkFar[3] = {15, 11, 20};
    static const int pushNear[3] = {18, 21, 13}, pushFar[3] = {13, 11, 19};
    const int nearX = pushing ? pushNear[phase] : walkNear[phase];
    const int farX = pushing ? pushFar[phase] : walkFar[phase];

    // Far limbs first, in darker tones, so the near ones overlap them.
    if (pushing) {
        stroke(img, 17 + lean, 17, 27, 17, 2, ShirtShade);
        fillRect(img, 27, 17, 28, 18, SkinShade);
    } else if (phase != 0) {
        int hx = phase == 1 ? 20 : 12;
        stroke(img, 16, 15, hx, 20, 2, ShirtShade);
        fillRect(img, hx, 20, hx + 1, 21, SkinShade);
    }
    stroke(img, 16, 22, farX, 27, 3, OverallShade);
    fillRect(img, farX - 1, 28, farX + 2, 29, BootShade);
    stroke(img, 16, 22, nearX, 27, 3, Overall);
    fillRect(img, nearX - 1, 28, nearX + 2, 29, Boot);

    // Body: shirt with the overall's bib in front, belt.
    fillRect(img, 13 + lean, 14, 19 + lean, 20, Shirt);
    fillRect(img, 13 + lean, 14, 13 + lean, 20, ShirtShade);
    fillRect(img, 17 + lean, 17, 19 + lean, 20, Overall);
    fillRect(img, 17 + lean, 14, 17 + lean, 16, Overall);
    fillRect(img, 13 + lean, 21, 19 + lean, 21, Belt);

    // Near arm.
    if (pushing) {
        stroke(img, 16 + lean, 15, 28, 15, 2, Sleeve);
        fillRect(img, 29, 14, 30, 17, Skin);
        setPixel(img, 30, 17, SkinShade);
    } else {
        static const int handX[3] = {16, 12, 20}, handY[3] = {20, 19, 19};
        stroke(img, 16, 15, handX[phase], handY[phase], 2, Sleeve);
        fillRect(img, handX[phase], handY[phase] + 1, handX[phase] + 1, handY[phase] + 2, Skin);
    }

    // Head: cap with a brim pointing forward, hair at the back, an eye and a nose.
    const int hx2 = 34 + 2 * lean;
    for (int y = 3; y <= 13; ++y)
        for (int x = 10; x <= 24; ++x) {
            if (!inEllipse(x, y, hx2, 17, 10, 10)) continue;
            uint32_t c = Skin;
            if (y <= 6) c = (y == 4 && x < 19 + lean) ? CapLight : Cap;
            else if (x <= 14 + lean) c = Hair;
            setPixel(img, x, y, c);
        }
    fillRect(img, 17 + lean, 7, 23 + lean, 7, CapShade);
    fillRect(img, 12 + lean, 6, 16 + lean, 6, CapShade);
    fillRect(img, 15 + lean, 9, 15 + lean, 10, SkinShade); // ear
    fillRect(img, 19 + lean, 9, 19 + lean, 10, Ink);       // eye
    setPixel(img, 22 + lean, 10, Skin);                    // nose
    setPixel(img, 20 + lean, 12, SkinShade);               // mouth
}

// Facing down (towards the player) or up (away from him).
void drawKeeperFrontBack(ArtImage& img, bool up, int phase, bool pushing) {
    // A stride lifts one foot: phase 1 the left one, phase 2 the right one.
    int leftAnkle = 27 - (phase == 1 ? 2 : 0), rightAnkle = 27 - (phase == 2 ? 2 : 0);
    int leftX = pushing ? (up ? 13 : 11) : 14, rightX = pushing ? (up ? 18 : 20) : 17;
    stroke(img, 14, 22, leftX, leftAnkle, 3, phase == 1 ? OverallShade : Overall);
    stroke(img, 17, 22, rightX, rightAnkle, 3, phase == 2 ? OverallShade : Overall);
    fillRect(img, leftX - 1, leftAnkle + 1, leftX + 1, leftAnkle + 2, phase == 1 ? BootShade : Boot);
    fillRect(img, rightX - 1, rightAnkle + 1, rightX + 1, rightAnkle + 2,
             phase == 2 ? BootShade : Boot);
    if (!up) { // toes point at the viewer
        setPixel(img, leftX - 2, leftAnkle + 2, phase == 1 ? BootShade : Boot);
        setPixel(img, rightX + 2, rightAnkle + 2, phase == 2 ? BootShade : Boot);
    }

    fillRect(img, 11, 14, 20, 20, Shirt);
    fillRect(img, 20, 14, 20, 20, ShirtShade);
    if (up) { // straps crossing the back, the overall's seat below
        fillRect(img, 11, 19, 20, 20, Overall);
        stroke(img, 13, 14, 17, 18, 1, Overall);
        stroke(img, 18, 14, 14, 18, 1, Overall);
    } else { // bib and straps
        fillRect(img, 13, 17, 18, 20, Overall);
        fillRect(img, 13, 14, 13, 16, Overall);
        fillRect(img, 18, 14, 18, 16, Overall);
        setPixel(img, 14, 18, GoalBright); // a brass button
    }
    fillRect(img, 11, 21, 20, 21, Belt);

    if (pushing && up) { // both arms raised beside the head
        fillRect(img, 9, 3, 10, 16, Sleeve);
        fillRect(img, 21, 3, 22, 16, Sleeve);
        fillRect(img, 9, 1, 10, 2, Skin);
        fillRect(img, 21, 1, 22, 2, Skin);
    } else if (pushing) { // both arms stretched down in front of the body, outlined
        for (int side = 0; side < 2; ++side) {
            int sx = side ? 21 : 10, hx = side ? 18 : 13;
            stroke(img, sx, 15, hx, 24, 4, Ink);
        }
        for (int side = 0; side < 2; ++side) {
            int sx = side ? 21 : 10, hx = side ? 18 : 13;
            stroke(img, sx, 15, hx, 24, 2, Sleeve);
            int lx = side ? hx - 1 : hx - 2; // the hands meet in the middle
            fillRect(img, lx - 1, 25, lx + 3, 29, Ink);
            fillRect(img, lx, 26, lx + 2, 28, Skin);
            setPixel(img, side ? lx + 2 : lx, 28, SkinShade);
        }
    } else { // arms at the sides, swinging against the legs
        int leftHand = 21 + (phase == 1 ? 1 : phase == 2 ? -1 : 0);
        int rightHand = 21 + (phase == 2 ? 1 : phase == 1 ? -1 : 0);
        fillRect(img, 9, 15, 10, leftHand - 1, Sleeve);
        fillRect(img, 21, 15, 22, rightHand - 1, Sleeve);
        fillRect(img, 9, leftHand, 10, leftHand + 1, Skin);
        fillRect(img, 21, rightHand, 22, rightHand + 1, Skin);
    }

    for (int y = 3; y <= 13; ++y)
        for (int x = 10; x <= 21; ++x) {
            if (!inEllipse(x, y, 32, 17, 10, 10)) continue;
            uint32_t c = Skin;
            if (y <= (up ? 7 : 6)) c = (y == 4 && x < 15) ? CapLight : Cap;
            else if (up) c = Hair;
            else if ((x == 11 || x == 20) && y <= 10) c = Hair;
            setPixel(img, x, y, c);
        }
    if (up) {
        fillRect(img, 13, 7, 18, 7, CapShade); // the cap's back strap
        fillRect(img, 10, 9, 10, 10, SkinShade);
        fillRect(img, 21, 9, 21, 10, SkinShade);
    } else {
        fillRect(img, 10, 7, 21, 7, CapShade); // brim seen from the front
        fillRect(img, 13, 9, 13, 10, Ink);
        fillRect(img, 18, 9, 18, 10, Ink);
        fillRect(img, 15, 12, 16, 12, SkinShade);
    }
}

ArtImage drawKeeperFrame(Facing facing, int phase, bool pushing) {
    ArtImage img = makeImage(32, 32, ArtEmpty);
    if (facing == FacingLeft || facing == FacingRight)
        drawKeeperSide(img, phase, pushing);
    else
        drawKeeperFrontBack(img, facing == FacingUp, phase, pushing);
    if (phase != 0) {
        // With the legs apart the body sinks a pixel; the bob makes a slide read as steps.
        for (int y = 21; y >= 0; --y)
            for (int x = 0; x < 32; ++x) setPixel(img, x, y + 1, pixelAt(img, x, y));
        fillRect(img, 0, 0, 31, 0, ArtEmpty);
    }
    outline(img);
    if (facing == FacingLeft) {
        ArtImage mirrored = img;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) setPixel(mirrored, x, y, pixelAt(img, 31 - x, y));
        return mirrored;
    }
    return img;
}

} // namespace

ArtImage drawTileSheet() {
    ArtImage img = makeImage(96, 32, 0);
    drawWall(img, 0);
    drawFloor(img, 32);
    drawFloor(img, 64);
    drawGoalMark(img, 64, 0);
    return img;
}

ArtImage drawBoxSheet() {
    ArtImage img = makeImage(64, 32, 0);
    drawBox(img, 0, false);
    drawBox(img, 32, true);
    return img;
}

ArtImage drawPlayerSheet() {
    ArtImage img = makeImage(384, 64, ArtKeyColour);
    static const Facing order[4] = {FacingLeft, FacingRight, FacingUp, FacingDown};
    for (int row = 0; row < 2; ++row)
        for (int f = 0; f < 12; ++f) {
            ArtImage frame = drawKeeperFrame(order[f / 3], f % 3, row == 1);
            blit(img, f * 32, row * 32, frame, 0, 0, 32, 32);
        }
    return img;
}

ArtImage drawIcon(int size) {
    ArtImage img = makeImage(size, size, ArtEmpty);
    if (size >= 32) {
        // The keeper pushing a crate to the right.
        drawCrate(img, 17, 14, 15, WoodPlain);
        ArtImage keeper = drawKeeperFrame(FacingRight, 0, true);
        blit(img, -11, 1, keeper, 0, 0, 32, 32);
    } else {
        drawCrate(img, 1, 1, 14, WoodPlain);
    }
    return img;
}

ArtImage drawAppIcon(int size) {
    // The window icon's keeper and crate on the page's backdrop, at whole
    // multiples of its pixels so it stays crisp, with a margin that survives
    // the rounded masks home screens cut.
    const uint32_t backdrop = 0x2A2A33;
    ArtImage img = makeImage(size, size, backdrop);
    const int factor = size * 3 / 4 / 32;
    const ArtImage art = scaleUp(drawIcon(32), factor);
    const int at = (size - art.width) / 2;
    blit(img, at, at, art, 0, 0, art.width, art.height, ArtEmpty);
    return img;
}

ArtImage composeBoard(const ArtImage& tiles, const ArtImage& boxes, const ArtImage& keeper,
                      const char* const* rows, int columns, int rowCount, int frame, int row) {
    ArtImage img = makeImage(columns * 32, rowCount * 32, 0);
    for (int r = 0; r < rowCount; ++r)
        for (int c = 0; c < columns; ++c) {
            char code = rows[r][c];
            int x = c * 32, y = r * 32;
            switch (code) {
            case '@': blit(img, x, y, tiles, 0, 0, 32, 32); break;
            case 'x':
            case '%': blit(img, x, y, tiles, 64, 0, 32, 32); break;
            case 'o': blit(img, x, y, boxes, 0, 0, 32, 32); break;
            case '#': blit(img, x, y, boxes, 32, 0, 32, 32); break;
            default: blit(img, x, y, tiles, 32, 0, 32, 32); break;
            }
            if (code == '$' || code == '%')
                blit(img, x, y, keeper, frame * 32, row * 32, 32, 32, ArtKeyColour);
        }
    return img;
}

ArtImage drawContactSheet(const ArtImage& tiles, const ArtImage& boxes, const ArtImage& keeper) {
    const uint32_t backdrop = 0x2A2A33;
    const int pad = 16, step = 136;
    ArtImage sheet = makeImage(pad + 5 * step + 16 + 5 * 200, 1000, backdrop);

    // Tiles and boxes at 4x.
    ArtImage big = scaleUp(tiles, 4);
    for (int i = 0; i < 3; ++i) blit(sheet, pad + i * step, pad, big, i * 128, 0, 128, 128);
    big = scaleUp(boxes, 4);
    for (int i = 0; i < 2; ++i) blit(sheet, pad + (3 + i) * step, pad, big, i * 128, 0, 128, 128);

    // A slide as the game shows it: five ticks, 8 pixels apart, frames rest, stride 1,
    // stride 2, stride 1, rest; walking, then pushing a box, at 2x.
    static const int tickPhase[5] = {0, 1, 2, 1, 0};
    for (int pushing = 0; pushing < 2; ++pushing)
        for (int t = 0; t < 5; ++t) {
            ArtImage strip = makeImage(96, 32, 0);
            for (int c = 0; c < 3; ++c) blit(strip, c * 32, 0, tiles, 32, 0, 32, 32);
            if (pushing) blit(strip, 32 + 8 * t, 0, boxes, 0, 0, 32, 32);
            blit(strip, 8 * t, 0, keeper, (3 + tickPhase[t]) * 32, pushing * 32, 32, 32,
                 ArtKeyColour);
            ArtImage s2 = scaleUp(strip, 2);
            blit(sheet, pad + 5 * step + 16 + t * 200, pad + pushing * 68 - 2, s2, 0, 0, 192,
                 64);
        }

    // Every keeper frame at 4x over floor, walking row then pushing row.
    for (int row = 0; row < 2; ++row)
        for (int f = 0; f < 12; ++f) {
            ArtImage cell = makeImage(32, 32, 0);
            blit(cell, 0, 0, tiles, 32, 0, 32, 32);
            blit(cell, 0, 0, keeper, f * 32, row * 32, 32, 32, ArtKeyColour);
            blit(sheet, pad + f * step, pad + 152 + row * step, scaleUp(cell, 4), 0, 0, 128, 128);
        }

    // Two small boards at 2x: the keeper on floor pushing, and the keeper on a goal.
    static const char* const boardA[8] = {
        "@@@@@@@@@@", "@  x   @@@", "@ o  @  x@", "@ @ $o   @",
        "@ #  @@o @", "@x  o    @", "@@@  x  @@", "@@@@@@@@@@"};
    static const char* const boardB[8] = {
        "@@@@@@@@@@", "@@@  #  @@", "@   @@ x @", "@ o   %  @",
        "@ @@ ## @@", "@   o    @", "@@@    @@@", "@@@@@@@@@@"};
    ArtImage a = scaleUp(composeBoard(tiles, boxes, keeper, boardA, 10, 8, 3, 1), 2);
    ArtImage b = scaleUp(composeBoard(tiles, boxes, keeper, boardB, 10, 8, 9, 0), 2);
    int top = pad + 152 + 2 * step + 16;
    blit(sheet, pad, top, a, 0, 0, a.width, a.height);
    blit(sheet, pad + a.width + 32, top, b, 0, 0, b.width, b.height);
    sheet.height = top + a.height + pad;
    sheet.pixels.resize(size_t(sheet.width) * sheet.height);
    return sheet;
}
