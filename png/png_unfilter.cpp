// Undoing the five PNG filters of one row. This is where a large picture's
// decode spends its time after the inflater, so each filter is written for the
// pixel sizes that occur (1, 2, 3, 4, 6 and 8 bytes) and works on whole pixels
// or whole words; nothing branches on the data, since noisy rows make such
// branches unpredictable. Portable C++ only: the same code runs in the 32-bit
// exe (no SSE, seven registers) and in wasm, so "words" are plain 32-bit
// integers with the bytes kept apart by masks (SWAR) rather than vector
// registers.
#include "png_internal.h"

#include <string.h>

namespace {

// The exe is built for size, where the compiler would rather call these small
// helpers than inline them, once per pixel; inlined, each loop stays a loop.
#define Inline inline __attribute__((always_inline))

// Lane arithmetic on 32-bit words: four byte lanes, added (or averaged)
// modulo 256 with the top bit of each lane kept out of the carry into the next.
Inline uint32_t addLanes(uint32_t x, uint32_t y) {
    return ((x & 0x7f7f7f7fu) + (y & 0x7f7f7f7fu)) ^ ((x ^ y) & 0x80808080u);
}
Inline uint32_t averageLanes(uint32_t x, uint32_t y) { // floor((x + y) / 2) per lane
    return (x & y) + (((x ^ y) & 0xfefefefeu) >> 1);
}

// Loads and stores of 1, 2 or 4 bytes by moves of that width, so that a store
// can be forwarded to a later load of the same bytes.
template <uint32_t Bytes> Inline uint32_t loadLanes(const uint8_t* p) {
    if constexpr (Bytes == 1) {
        return *p;
    } else if constexpr (Bytes == 2) {
        uint16_t v;
        memcpy(&v, p, 2);
        return v;
    } else {
        uint32_t v;
        memcpy(&v, p, 4);
        return v;
    }
}
template <uint32_t Bytes> Inline void storeLanes(uint8_t* p, uint32_t v) {
    if constexpr (Bytes == 1) {
        *p = (uint8_t)v;
    } else if constexpr (Bytes == 2) {
        uint16_t two = (uint16_t)v;
        memcpy(p, &two, 2);
    } else {
        memcpy(p, &v, 4);
    }
}

// A pixel of Step bytes as one or two words: the first four bytes (or all of
// a smaller pixel) and the rest. A 3-byte pixel is read as 2 + 1 bytes.
template <uint32_t Step> struct Pixel { uint32_t low, high; };
template <uint32_t Step> Inline Pixel<Step> loadPixel(const uint8_t* p) {
    if constexpr (Step == 3)
        return {loadLanes<2>(p) | loadLanes<1>(p + 2) << 16, 0};
    else if constexpr (Step <= 4)
        return {loadLanes<Step>(p), 0};
    else
        return {loadLanes<4>(p), loadLanes<Step - 4>(p + 4)};
}
template <uint32_t Step> Inline void storePixel(uint8_t* p, Pixel<Step> v) {
    if constexpr (Step == 3) {
        storeLanes<2>(p, v.low);
        storeLanes<1>(p + 2, v.low >> 16);
    } else if constexpr (Step <= 4) {
        storeLanes<Step>(p, v.low);
    } else {
        storeLanes<4>(p, v.low);
        storeLanes<Step - 4>(p + 4, v.high);
    }
}
template <uint32_t Step> Inline Pixel<Step> addPixels(Pixel<Step> x, Pixel<Step> y) {
    return {addLanes(x.low, y.low), Step > 4 ? addLanes(x.high, y.high) : 0};
}
template <uint32_t Step> Inline Pixel<Step> averagePixels(Pixel<Step> x, Pixel<Step> y) {
    return {averageLanes(x.low, y.low), Step > 4 ? averageLanes(x.high, y.high) : 0};
}

// Up, and Paeth's first pixel: whole machine words, then single bytes.
void addRows(const uint8_t* filtered, const uint8_t* above, uint8_t* row, uint32_t n) {
    typedef uintptr_t Word;
    const Word low = (Word)0x7f7f7f7f7f7f7f7full, top = (Word)0x8080808080808080ull;
    uint32_t i = 0;
    for (; i + sizeof(Word) <= n; i += sizeof(Word)) {
        Word x, y;
        memcpy(&x, filtered + i, sizeof x);
        memcpy(&y, above + i, sizeof y);
        Word sum = ((x & low) + (y & low)) ^ ((x ^ y) & top);
        memcpy(row + i, &sum, sizeof sum);
    }
    for (; i < n; ++i)
        row[i] = (uint8_t)(filtered[i] + above[i]);
}

// Sub: each pixel adds the pixel to its left, carried in registers.
template <uint32_t Step> void unfilterSub(const uint8_t* f, uint8_t* row, uint32_t n) {
    if constexpr (Step == 1) { // a byte needs no lanes
        uint8_t left = 0;
        for (uint32_t i = 0; i < n; ++i)
            row[i] = left = (uint8_t)(f[i] + left);
    } else {
        Pixel<Step> left = loadPixel<Step>(f);
        storePixel<Step>(row, left);
        for (uint32_t i = Step; i + Step <= n; i += Step) {
            left = addPixels<Step>(loadPixel<Step>(f + i), left);
            storePixel<Step>(row + i, left);
        }
    }
}

// Average; `prior` null counts as a row of zeros.
template <uint32_t Step>
void unfilterAverage(const uint8_t* f, uint8_t* row, const uint8_t* prior, uint32_t n) {
    if constexpr (Step == 1) {
        uint32_t left = 0;
        for (uint32_t i = 0; i < n; ++i) {
            left = (uint8_t)(f[i] + ((left + (prior ? prior[i] : 0)) >> 1));
            row[i] = (uint8_t)left;
        }
    } else {
        Pixel<Step> left = {0, 0}, zero = {0, 0};
        for (uint32_t i = 0; i + Step <= n; i += Step) {
            Pixel<Step> above = prior ? loadPixel<Step>(prior + i) : zero;
            left = addPixels<Step>(loadPixel<Step>(f + i), averagePixels<Step>(left, above));
            storePixel<Step>(row + i, left);
        }
    }
}

// The Paeth predictor: pa = |b - c|, pb = |a - c| and pc = |a + b - 2c|;
// a wins ties, then b. Written as selections, which compile to conditional
// moves (x86) or select (wasm) rather than branches; only pb and pc depend on
// a, the left byte just reconstructed, so the chain from one pixel to the next
// is short.
Inline uint32_t paethPredict(int32_t a, int32_t b, int32_t c) {
    int32_t dc = b - c, da = a - c;
    int32_t pa = dc < 0 ? -dc : dc;
    int32_t pb = da < 0 ? -da : da;
    int32_t pc = da + dc < 0 ? -(da + dc) : da + dc;
    int32_t best = pb < pa ? pb : pa;
    int32_t predictor = pb < pa ? b : a;
    return (uint32_t)(pc < best ? c : predictor);
}

// Paeth with a row above, byte by byte; the byte to the left comes back from
// the row just written, which the processor forwards from its store.
template <uint32_t Step>
void unfilterPaeth(const uint8_t* f, uint8_t* row, const uint8_t* prior, uint32_t n) {
    for (uint32_t i = 0; i < Step; ++i)
        row[i] = (uint8_t)(f[i] + prior[i]);
    for (uint32_t i = Step; i < n; ++i) {
        uint32_t predictor = paethPredict(row[i - Step], prior[i], prior[i - Step]);
        row[i] = (uint8_t)(f[i] + predictor);
    }
}

template <uint32_t Step>
void unfilterSized(uint32_t filterType, const uint8_t* f, uint8_t* row, const uint8_t* prior,
                   uint32_t n) {
    switch (filterType) {
    case 1:
        unfilterSub<Step>(f, row, n);
        return;
    case 3:
        unfilterAverage<Step>(f, row, prior, n);
        return;
    case 4: // with no row above Paeth is Sub
        if (prior)
            unfilterPaeth<Step>(f, row, prior, n);
        else
            unfilterSub<Step>(f, row, n);
        return;
    }
}

} // namespace

uint8_t pngPaeth(uint8_t a, uint8_t b, uint8_t c) {
    return (uint8_t)paethPredict(a, b, c);
}

int pngUnfilterRow(uint32_t filterType, const uint8_t* filtered, uint8_t* row, const uint8_t* prior,
                   uint32_t n, uint32_t step) {
    if (filterType > 4) return 0; // filter types above 4 do not exist
    if (filterType == 0 || (filterType == 2 && !prior)) {
        memcpy(row, filtered, n);
        return 1;
    }
    if (filterType == 2) {
        addRows(filtered, prior, row, n);
        return 1;
    }
    // Rows hold whole pixels: n is a multiple of step for every pixel size
    // above one byte, so the sized loops leave no bytes over.
    switch (step) {
    case 1:
        unfilterSized<1>(filterType, filtered, row, prior, n);
        break;
    case 2:
        unfilterSized<2>(filterType, filtered, row, prior, n);
        break;
    case 3:
        unfilterSized<3>(filterType, filtered, row, prior, n);
        break;
    case 4:
        unfilterSized<4>(filterType, filtered, row, prior, n);
        break;
    case 6:
        unfilterSized<6>(filterType, filtered, row, prior, n);
        break;
    case 8:
        unfilterSized<8>(filterType, filtered, row, prior, n);
        break;
    default:
        return 0; // no PNG format has pixels of another size
    }
    return 1;
}
