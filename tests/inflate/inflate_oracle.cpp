// The inflater as it was before it was made faster, kept as a test oracle:
// the same format rules and failures, decoded the plain way (a bit loop that
// tests the table's longest length at every bit, the bit reader kept in the
// decoder's record, back-references copied byte by byte). fuzz_inflate and
// the inflater's tests compare inflateZlibStream with it. New here: the entry's
// name, and the count of bytes written, also when the decode fails.
#include "inflate_oracle.h"

#include <string.h>

namespace {

// ---- byte source across the input's ranges ----

struct ByteSource {
    const uint8_t* position; // next byte to deliver
    uint32_t bytesLeft;      // bytes of the current range not yet delivered
    int ended;               // the input has run out; stays set
    InflateInput input;
};

// Steps to the next range with data, or ends the source.
void rangeStep(ByteSource* s) {
    while (s->bytesLeft == 0 && !s->ended) {
        const uint8_t* data;
        uint32_t size;
        if (!s->input.next(s->input.context, &data, &size)) {
            s->ended = 1; // and `next` is never asked again
            break;
        }
        s->position = data;
        s->bytesLeft = size;
    }
}

// ---- bit reader ----
// Bits are taken from each byte least significant bit first. Whole bytes are
// gathered into a 64-bit buffer whose lowest bit is the next unread bit; once
// the reader has ended, bytes read as 0.

struct BitReader {
    uint64_t bits;     // unread bits, next bit lowest
    uint32_t bitsLeft; // how many of them are valid (0 to 64)
    ByteSource in;
};

inline uint8_t nextByte(BitReader* b) {
    if (b->in.bytesLeft == 0) {
        rangeStep(&b->in);
        if (b->in.ended) return 0;
    }
    --b->in.bytesLeft;
    return *b->in.position++;
}

// Byte by byte, near the end of a range or after the input has ended: kept
// out of line so the decoding loops stay small.
__attribute__((noinline)) void refillByBytes(BitReader* b) {
    while (b->bitsLeft <= 56) {
        b->bits |= (uint64_t)nextByte(b) << b->bitsLeft;
        b->bitsLeft += 8;
    }
}

// Tops the buffer up to at least 57 valid bits.
inline void refill(BitReader* b) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (b->in.bytesLeft >= 8) {
        // Fast path: one unaligned 8-byte load supplies every whole byte that fits.
        uint64_t word;
        memcpy(&word, b->in.position, 8);
        b->bits |= word << b->bitsLeft;
        uint32_t taken = (63 - b->bitsLeft) >> 3;
        b->in.position += taken;
        b->in.bytesLeft -= taken;
        b->bitsLeft |= 56; // = bitsLeft + 8 * taken
        // Drop the bits of the partly loaded byte: it is fetched again in full.
        b->bits &= (1ull << b->bitsLeft) - 1;
        return;
    }
#endif
    refillByBytes(b);
}

// An n-bit field (n up to 32), first bit read least significant.
inline uint32_t readBits(BitReader* b, uint32_t n) {
    if (b->bitsLeft < n) refill(b);
    uint32_t value = (uint32_t)(b->bits & ((1ull << n) - 1));
    b->bits >>= n;
    b->bitsLeft -= n;
    return value;
}

// Drops what is left of a partly read byte.
inline void alignToByte(BitReader* b) {
    uint32_t partial = b->bitsLeft & 7;
    b->bits >>= partial;
    b->bitsLeft -= partial;
}

// ---- Huffman tables ----

struct LengthEntry {
    uint16_t limit;       // first code of this length + codes of this length; 0 = none
    uint16_t firstSymbol; // index in `symbols` of this length's first (highest) symbol
};

enum {
    MaxCodeLength = 15,
    LiteralLengthSymbols = 288,
    DistanceSymbols = 32,
    CodeLengthSymbols = 19,
    CodeLengthPositions = 320, // 288 + 32, the most HLIT + HDIST can name
};

struct HuffmanTable {
    LengthEntry entries[MaxCodeLength + 1]; // entries[L] for length L; [0] unused
    uint16_t symbols[LiteralLengthSymbols]; // by length, each length in decreasing order
    uint32_t symbolCount;                   // symbols listed
    uint32_t maxLength;
};

// Canonical code of RFC 1951 3.2.2. counts[L] symbols have length L, counts[0]
// is 0; nothing checks that the code is complete or not over-subscribed.
void buildHuffmanTable(HuffmanTable* table, const uint8_t* lengths, const uint16_t* counts,
                       uint32_t symbolCount, uint32_t maxLength) {
    uint32_t code = 0, listed = 0;
    uint32_t next[MaxCodeLength + 1] = {0}; // where the next symbol of each length goes
    table->entries[0] = {0, 0};
    for (uint32_t length = 1; length <= maxLength; ++length) {
        code = (code + counts[length - 1]) * 2;
        if (counts[length] == 0) {
            table->entries[length] = {0, 0};
        } else {
            table->entries[length] = {(uint16_t)(code + counts[length]), (uint16_t)listed};
            next[length] = listed;
            listed += counts[length];
        }
    }
    table->maxLength = maxLength;
    table->symbolCount =
        listed < (uint32_t)LiteralLengthSymbols ? listed : (uint32_t)LiteralLengthSymbols;
    for (uint32_t s = symbolCount; s-- > 0;) {
        uint32_t length = lengths[s];
        // The counts come from the same lengths, so `next` stays below `listed`;
        // the bound keeps a disagreement from writing past the list.
        if (length != 0 && length <= maxLength && next[length] < table->symbolCount) {
            table->symbols[next[length]++] = (uint16_t)s;
        }
    }
}

// Reads one code bit by bit, most significant bit first, and returns its
// symbol, or -1 when no code of up to maxLength bits matches (an incomplete
// code) or the match falls outside the symbol list (an over-subscribed code).
inline int32_t decodeSymbol(BitReader* b, const HuffmanTable* table) {
    if (b->bitsLeft < MaxCodeLength) refill(b);
    uint64_t bits = b->bits;
    uint32_t code = 0;
    for (uint32_t length = 1; length <= table->maxLength; ++length) {
        code = (code << 1) | (uint32_t)(bits & 1);
        bits >>= 1;
        uint32_t limit = table->entries[length].limit;
        if (code < limit) {
            b->bits = bits;
            b->bitsLeft -= length;
            uint32_t index = table->entries[length].firstSymbol + (limit - 1 - code);
            if (index >= table->symbolCount) return -1;
            return table->symbols[index];
        }
    }
    return -1;
}

// ---- DEFLATE constants (RFC 1951 3.2.5 to 3.2.7) ----

const uint8_t codeLengthOrder[CodeLengthSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                    11, 4,  12, 3, 13, 2, 14, 1, 15};
const uint16_t lengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint16_t distanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                   33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};

inline uint32_t lengthExtraBits(uint32_t s) {
    return s < 265 || s == 285 ? 0 : (s - 265) / 4 + 1;
}
inline uint32_t distanceExtraBits(uint32_t d) {
    return d < 4 ? 0 : (d - 2) / 2;
}

// ---- the decoder ----

struct Inflater {
    BitReader in;
    uint8_t* output;         // start of the buffer: the oldest byte a distance may reach
    uint8_t* outputPosition; // next byte to write
    uint8_t* outputEnd;      // one past the buffer
    uint8_t codeLengths[CodeLengthPositions];
    uint16_t lengthCounts[MaxCodeLength + 1];
    HuffmanTable literalLength;
    HuffmanTable distance;
    HuffmanTable codeLength;
};

// A stored block: LEN raw bytes after the byte boundary, LEN checked against NLEN.
int storedBlock(Inflater* z) {
    BitReader* b = &z->in;
    alignToByte(b);
    uint32_t len = readBits(b, 16);
    uint32_t nlen = readBits(b, 16);
    if (len != (~nlen & 0xffff)) return 0; // LEN is not the complement of NLEN
    if (len > (uint32_t)(z->outputEnd - z->outputPosition)) return 0; // would pass the buffer
    uint8_t* out = z->outputPosition;
    // Whole bytes already in the bit buffer come first, then the ranges.
    while (len > 0 && b->bitsLeft >= 8) {
        *out++ = (uint8_t)b->bits;
        b->bits >>= 8;
        b->bitsLeft -= 8;
        --len;
    }
    while (len > 0) {
        if (b->in.bytesLeft == 0) {
            rangeStep(&b->in);
            if (b->in.ended) { // bytes past the end of the data read as 0
                memset(out, 0, len);
                out += len;
                break;
            }
        }
        uint32_t n = len < b->in.bytesLeft ? len : b->in.bytesLeft;
        memcpy(out, b->in.position, n);
        out += n;
        b->in.position += n;
        b->in.bytesLeft -= n;
        len -= n;
    }
    z->outputPosition = out;
    return 1;
}

// Literals and back-references until end of block, for fixed and dynamic
// blocks alike; `fixed` reads distances as reversed 5-bit fields.
int compressedData(Inflater* z, int fixed) {
    BitReader* b = &z->in;
    uint8_t*& out = z->outputPosition; // kept up to date, for the count of bytes written
    uint8_t* const end = z->outputEnd;
    for (;;) {
        // 48 bits cover a whole back-reference: 15 + 5 + 15 + 13.
        if (b->bitsLeft < 48) refill(b);
        int32_t s = decodeSymbol(b, &z->literalLength);
        if (s < 0) return 0; // no literal/length code matches
        if (s < 256) {
            if (out == end) return 0; // more output than the buffer holds
            *out++ = (uint8_t)s;
            continue;
        }
        if (s == 256) break;
        if (s > 285) return 0; // 286 and 287 have no length
        uint32_t matchLength = lengthBase[s - 257] + readBits(b, lengthExtraBits(s));
        uint32_t d;
        if (fixed) {
            uint32_t v = readBits(b, 5); // the fixed distance code is the symbol, MSB first
            d = ((v & 1) << 4) | ((v & 2) << 2) | (v & 4) | ((v & 8) >> 2) | ((v & 16) >> 4);
        } else {
            int32_t ds = decodeSymbol(b, &z->distance);
            if (ds < 0) return 0; // no distance code matches
            d = (uint32_t)ds;
        }
        if (d > 29) return 0; // 30 and 31 have no distance
        uint32_t distance = distanceBase[d] + readBits(b, distanceExtraBits(d));
        if (distance > (uint32_t)(out - z->output)) return 0; // before the buffer's start
        if (matchLength > (uint32_t)(end - out)) return 0;    // past the buffer's end
        // Byte by byte in increasing order, so an overlapping copy repeats the
        // bytes it has just written (distance 1 repeats the last byte).
        const uint8_t* from = out - distance;
        for (uint32_t i = 0; i < matchLength; ++i)
            out[i] = from[i];
        out += matchLength;
    }
    z->outputPosition = out;
    return 1;
}

int fixedBlock(Inflater* z) {
    // RFC 1951 3.2.6: 0-143 8 bits, 144-255 9, 256-279 7, 280-287 8.
    memset(z->codeLengths, 8, 144);
    memset(z->codeLengths + 144, 9, 112);
    memset(z->codeLengths + 256, 7, 24);
    memset(z->codeLengths + 280, 8, 8);
    memset(z->lengthCounts, 0, sizeof z->lengthCounts);
    z->lengthCounts[7] = 24;
    z->lengthCounts[8] = 152;
    z->lengthCounts[9] = 112;
    buildHuffmanTable(&z->literalLength, z->codeLengths, z->lengthCounts, 288, 9);
    return compressedData(z, 1);
}

void countLengths(Inflater* z, const uint8_t* lengths, uint32_t n) {
    memset(z->lengthCounts, 0, sizeof z->lengthCounts);
    for (uint32_t i = 0; i < n; ++i)
        ++z->lengthCounts[lengths[i]];
    z->lengthCounts[0] = 0;
}

int dynamicBlock(Inflater* z) {
    BitReader* b = &z->in;
    uint32_t header = readBits(b, 14);
    uint32_t hlit = (header & 31) + 257;       // up to 288, taken as it comes
    uint32_t hdist = ((header >> 5) & 31) + 1; // up to 32
    uint32_t hclen = (header >> 10) + 4;
    memset(z->codeLengths, 0, CodeLengthSymbols);
    memset(z->lengthCounts, 0, sizeof z->lengthCounts);
    for (uint32_t i = 0; i < hclen; ++i) {
        uint32_t v = readBits(b, 3);
        z->codeLengths[codeLengthOrder[i]] = (uint8_t)v;
        ++z->lengthCounts[v];
    }
    z->lengthCounts[0] = 0;
    buildHuffmanTable(&z->codeLength, z->codeLengths, z->lengthCounts, CodeLengthSymbols, 7);

    uint32_t total = hlit + hdist;
    uint32_t i = 0;
    while (i < total) { // tested between symbols only: a repeat may run past it
        int32_t s = decodeSymbol(b, &z->codeLength);
        if (s < 0) return 0; // no code-length code matches
        if (s < 16) {
            z->codeLengths[i++] = (uint8_t)s;
            continue;
        }
        uint32_t repeat;
        uint8_t value = 0;
        if (s == 16) {
            repeat = 3 + readBits(b, 2);
            value = i > 0 ? z->codeLengths[i - 1] : 0; // before the first length: 0
        } else if (s == 17) {
            repeat = 3 + readBits(b, 3);
        } else {
            repeat = 11 + readBits(b, 7);
        }
        if (repeat > CodeLengthPositions - i) return 0; // would pass position 319
        memset(z->codeLengths + i, value, repeat);
        i += repeat;
    }

    countLengths(z, z->codeLengths, hlit);
    buildHuffmanTable(&z->literalLength, z->codeLengths, z->lengthCounts, hlit, MaxCodeLength);
    countLengths(z, z->codeLengths + hlit, hdist);
    buildHuffmanTable(&z->distance, z->codeLengths + hlit, z->lengthCounts, hdist, MaxCodeLength);
    return compressedData(z, 0);
}

int inflateStream(Inflater* z) {
    BitReader* b = &z->in;
    uint32_t cmfFlg = readBits(b, 16);        // CMF low byte, FLG high byte
    if ((cmfFlg & 0x0f) != 8) return 0;       // CM: only deflate
    if (((cmfFlg >> 4) & 0x0f) > 7) return 0; // CINFO: window above 32 KiB
    if (cmfFlg & (0x20 << 8)) return 0;       // FDICT: no preset dictionary
    // FCHECK and FLEVEL are not looked at.
    uint32_t finalBlock = 0;
    while (!finalBlock) {
        uint32_t blockHeader = readBits(b, 3);
        finalBlock = blockHeader & 1;
        int ok;
        switch (blockHeader >> 1) {
        case 0:
            ok = storedBlock(z);
            break;
        case 1:
            ok = fixedBlock(z);
            break;
        case 2:
            ok = dynamicBlock(z);
            break;
        default:
            return 0; // BTYPE 3 is reserved
        }
        if (!ok) return 0;
    }
    // The Adler-32 trailer is read and dropped: nothing is compared.
    alignToByte(b);
    readBits(b, 16);
    readBits(b, 16);
    return 1;
}

} // namespace

int inflateZlibStreamOracle(const InflateInput* input, uint8_t* output, uint32_t outputSize,
                            uint32_t* written) {
    Inflater z;
    z.in.bits = 0;
    z.in.bitsLeft = 0;
    z.in.in.position = nullptr;
    z.in.in.bytesLeft = 0;
    z.in.in.ended = 0;
    z.in.in.input = *input;
    z.output = output;
    z.outputPosition = output;
    z.outputEnd = output + outputSize;
    int ok = inflateStream(&z);
    *written = (uint32_t)(z.outputPosition - output);
    if (!ok) return 0;
    // A stream that ended early leaves the rest cleared, never stale heap bytes.
    memset(z.outputPosition, 0, (size_t)(z.outputEnd - z.outputPosition));
    return 1;
}

const char* oracleDisagreement(int result, const uint8_t* output, int oracleResult,
                               const uint8_t* oracleOutput, uint32_t size, uint32_t written) {
    if (result != oracleResult) return "the results differ";
    if (written > size) return "the oracle wrote past the buffer";
    if (memcmp(output, oracleOutput, written) != 0) return "the bytes written differ";
    uint32_t from = result ? written : (size - written > 7 ? written + 7 : size);
    if (memcmp(output + from, oracleOutput + from, size - from) != 0) {
        return result ? "the cleared tail differs" : "bytes past the failure differ";
    }
    return nullptr;
}
