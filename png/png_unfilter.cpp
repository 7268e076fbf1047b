// Undoing the five PNG filters of one row. This is where a large picture's
// decode spends its time after the inflater, so the filters work on whole
// pixels or whole words and nothing branches on the data, since noisy rows
// make such branches unpredictable. Sub and Average are written for the pixel
// sizes of 8-bit samples (1, 3 and 4 bytes), whose left pixel then stays in a
// register; the rare sizes of 16-bit samples (2, 6 and 8 bytes) take a byte
// loop, as does Paeth, whose cost is its predictor at every size. The exe
// must stay within 64 KiB, and a copy of each loop for every size would cost
// it more than a kilobyte for pictures it never carries.
//
// Portable C++ only: the same code runs in the 32-bit exe (no SSE, seven
// registers) and in wasm, so "words" are plain 32-bit integers with the bytes
// kept apart by masks (SWAR) rather than vector registers.
#include "png_internal.h"

#include <string.h>

namespace {

// Lane arithmetic on 32-bit words: four byte lanes, added (or averaged)
// modulo 256 with the top bit of each lane kept out of the carry into the next.
PNG_ALWAYS_INLINE uint32_t addLanes(uint32_t x, uint32_t y) {
    return ((x & 0x7f7f7f7fu) + (y & 0x7f7f7f7fu)) ^ ((x ^ y) & 0x80808080u);
}
PNG_ALWAYS_INLINE uint32_t averageLanes(uint32_t x, uint32_t y) { // floor((x + y) / 2) per lane
    return (x & y) + (((x ^ y) & 0xfefefefeu) >> 1);
}

// Loads and stores of 1, 2 or 4 bytes by moves of that width, so that a store
// can be forwarded to a later load of the same bytes.
template <uint32_t Bytes> PNG_ALWAYS_INLINE uint32_t loadLanes(const uint8_t* p) {
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
template <uint32_t Bytes> PNG_ALWAYS_INLINE void storeLanes(uint8_t* p, uint32_t v) {
    if constexpr (Bytes == 1) {
        *p = (uint8_t)v;
    } else if constexpr (Bytes == 2) {
        uint16_t two = (uint16_t)v;
        memcpy(p, &two, 2);
    } else {
        memcpy(p, &v, 4);
    }
}

// A pixel of 3 or 4 bytes as one word; 3 bytes are read as 2 + 1.
template <uint32_t Step> PNG_ALWAYS_INLINE uint32_t loadPixel(const uint8_t* p) {
    if constexpr (Step == 3)
        return loadLanes<2>(p) | loadLanes<1>(p + 2) << 16;
    else
        return loadLanes<4>(p);
}
template <uint32_t Step> PNG_ALWAYS_INLINE void storePixel(uint8_t* p, uint32_t v) {
    if constexpr (Step == 3) {
        storeLanes<2>(p, v);
        storeLanes<1>(p + 2, v >> 16);
    } else {
        storeLanes<4>(p, v);
    }
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
        uint32_t left = loadPixel<Step>(f);
        storePixel<Step>(row, left);
        for (uint32_t i = Step; i + Step <= n; i += Step) {
            left = addLanes(loadPixel<Step>(f + i), left);
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
        uint32_t left = 0;
        for (uint32_t i = 0; i + Step <= n; i += Step) {
            uint32_t above = prior ? loadPixel<Step>(prior + i) : 0;
            left = addLanes(loadPixel<Step>(f + i), averageLanes(left, above));
            storePixel<Step>(row + i, left);
        }
    }
}

// The Paeth predictor: pa = |b - c|, pb = |a - c| and pc = |a + b - 2c|;
// a wins ties, then b. Written as selections, which compile to conditional
// moves (x86) or select (wasm) rather than branches; only pb and pc depend on
// a, the left byte just reconstructed, so the chain from one pixel to the next
// is short.
PNG_ALWAYS_INLINE uint32_t paethPredict(int32_t a, int32_t b, int32_t c) {
    int32_t dc = b - c, da = a - c;
    int32_t pa = dc < 0 ? -dc : dc;
    int32_t pb = da < 0 ? -da : da;
    int32_t pc = da + dc < 0 ? -(da + dc) : da + dc;
    int32_t best = pb < pa ? pb : pa;
    int32_t predictor = pb < pa ? b : a;
    return (uint32_t)(pc < best ? c : predictor);
}

// Paeth with a row above, byte by byte; the byte to the left comes back from
// the row just written, which the processor forwards from its store. One loop
// serves every pixel size: the distance to the left pixel costs a register,
// while the chain from one byte to the next is the predictor's, whatever the
// size.
void unfilterPaeth(const uint8_t* f, uint8_t* row, const uint8_t* prior, uint32_t n,
                   uint32_t step) {
    for (uint32_t i = 0; i < step; ++i)
        row[i] = (uint8_t)(f[i] + prior[i]);
    for (uint32_t i = step; i < n; ++i) {
        uint32_t predictor = paethPredict(row[i - step], prior[i], prior[i - step]);
        row[i] = (uint8_t)(f[i] + predictor);
    }
}

// Sub and Average for the pixel sizes of 16-bit samples (2, 6 and 8 bytes),
// which are rare: byte by byte, the left byte read back from the row.
void unfilterSubBytes(const uint8_t* f, uint8_t* row, uint32_t n, uint32_t step) {
    memcpy(row, f, step);
    for (uint32_t i = step; i < n; ++i)
        row[i] = (uint8_t)(f[i] + row[i - step]);
}

void unfilterAverageBytes(const uint8_t* f, uint8_t* row, const uint8_t* prior, uint32_t n,
                          uint32_t step) {
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t a = i >= step ? row[i - step] : 0, b = prior ? prior[i] : 0;
        row[i] = (uint8_t)(f[i] + ((a + b) >> 1));
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
    if (filterType == 4) {
        if (prior)
            unfilterPaeth(filtered, row, prior, n, step);
        else if (step == 3)
            unfilterSub<3>(filtered, row, n); // with no row above, Paeth is Sub
        else if (step == 4)
            unfilterSub<4>(filtered, row, n);
        else
            unfilterSubBytes(filtered, row, n, step);
        return 1;
    }
    // Written for the pixel sizes of 8-bit samples (1, 3 and 4 bytes), where
    // the left pixel stays in a register; rows hold whole pixels, so n is a
    // multiple of step and the loops leave no bytes over.
    int sub = filterType == 1;
    switch (step) {
    case 1:
        sub ? unfilterSub<1>(filtered, row, n) : unfilterAverage<1>(filtered, row, prior, n);
        break;
    case 3:
        sub ? unfilterSub<3>(filtered, row, n) : unfilterAverage<3>(filtered, row, prior, n);
        break;
    case 4:
        sub ? unfilterSub<4>(filtered, row, n) : unfilterAverage<4>(filtered, row, prior, n);
        break;
    default:
        if (sub)
            unfilterSubBytes(filtered, row, n, step);
        else
            unfilterAverageBytes(filtered, row, prior, n, step);
    }
    return 1;
}
