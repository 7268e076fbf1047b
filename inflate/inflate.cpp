// Inflate (RFC 1950 zlib wrapper around RFC 1951 DEFLATE) from a chain of
// byte ranges that the caller supplies, straight into the caller's buffer.
//
// Design: the compressed bytes are read in place, range after range; the
// output buffer is the whole history for back-references; Huffman codes are
// decoded canonically and bit-serially, one code bit and one comparison per
// code length, against small tables rebuilt for every block; back-references
// are copied 8 bytes at a time, one that overlaps itself within 8 bytes once
// its first few bytes are written one by one. Nothing is allocated.
//
// Leniency kept on purpose: FCHECK and the Adler-32 trailer are not checked,
// and compressed data that runs out reads as zero bits. Every malformed input
// that could reach outside the buffers fails the decode.
#include "inflate.h"

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
// gathered into a buffer of the machine's word (64 bits, or 32 in a 32-bit
// build such as the exe) whose lowest bit is the next unread bit, and whose
// bits above the valid ones are 0; once the reader has ended, bytes read as 0.
// BEXARAN_INFLATE_WORD32 picks the 32-bit buffer on a 64-bit host too, so that
// the tests run the exe's way of reading bits there.

#if UINTPTR_MAX > 0xffffffffu && !defined(BEXARAN_INFLATE_WORD32)
typedef uint64_t BitWord;
#else
typedef uint32_t BitWord;
#endif

enum {
    WordBits = (int)sizeof(BitWord) * 8,
    RefilledBits = WordBits - 8, // a refill leaves at least this many bits
};

struct BitReader {
    BitWord bits;      // unread bits, next bit lowest
    uint32_t bitsLeft; // how many of them are valid (0 to WordBits)
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
    while (b->bitsLeft <= (uint32_t)RefilledBits) {
        b->bits |= (BitWord)nextByte(b) << b->bitsLeft;
        b->bitsLeft += 8;
    }
}

// Tops the buffer up to at least RefilledBits valid bits. `b` may be a copy
// of `home` that a decoding loop keeps in registers: the byte-by-byte refill
// then works on `home`, so that the copy's address never escapes.
__attribute__((always_inline)) inline void refill(BitReader* b, BitReader* home) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (b->in.bytesLeft >= sizeof(BitWord)) {
        // Fast path: one unaligned load supplies every whole byte that fits.
        BitWord word;
        memcpy(&word, b->in.position, sizeof word);
        b->bits |= word << b->bitsLeft;
        uint32_t taken = (WordBits - 1 - b->bitsLeft) >> 3;
        b->in.position += taken;
        b->in.bytesLeft -= taken;
        b->bitsLeft |= RefilledBits; // = bitsLeft + 8 * taken
        // Drop the bits of the partly loaded byte: it is fetched again in full.
        b->bits &= ((BitWord)1 << b->bitsLeft) - 1;
        return;
    }
#endif
    if (b != home) *home = *b;
    refillByBytes(home);
    if (b != home) *b = *home;
}

// An n-bit field (n up to 16), first bit read least significant, from bits
// that the caller knows are in the buffer.
__attribute__((always_inline)) inline uint32_t takeBits(BitReader* b, uint32_t n) {
    uint32_t value = (uint32_t)(b->bits & (((BitWord)1 << n) - 1));
    b->bits >>= n;
    b->bitsLeft -= n;
    return value;
}

// An n-bit field (n up to 16), refilling first if needed.
inline uint32_t readBits(BitReader* b, uint32_t n) {
    if (b->bitsLeft < n) refill(b, b);
    return takeBits(b, n);
}

// Drops what is left of a partly read byte.
inline void alignToByte(BitReader* b) {
    uint32_t partial = b->bitsLeft & 7;
    b->bits >>= partial;
    b->bitsLeft -= partial;
}

// ---- Huffman tables ----

// One per code length, and a sentinel after the longest: its limit is above
// every code one bit longer than the table's longest, so the search for a
// code's length needs no bound of its own.
struct LengthEntry {
    uint32_t limit;  // first code of this length + codes of this length, in 16 bits; 0 = none
    uint32_t offset; // firstSymbol + limit - 1: code c of this length is symbols[offset - c]
};

enum {
    MaxCodeLength = 15,
    LiteralLengthSymbols = 288,
    DistanceSymbols = 32,
    CodeLengthSymbols = 19,
    CodeLengthPositions = 320,                // 288 + 32, the most HLIT + HDIST can name
    SentinelLimit = 1 << (MaxCodeLength + 1), // above any code of up to 16 bits
};

struct HuffmanTable {
    LengthEntry entries[MaxCodeLength + 2]; // entries[L] for length L; [0] unused; a sentinel
    uint16_t symbols[LiteralLengthSymbols]; // by length, each length in decreasing order
    uint32_t symbolCount;                   // symbols listed
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
            // The limit is kept in 16 bits, as the design has it: an
            // over-subscribed code wraps, and the symbol index check catches it.
            uint32_t limit = (uint16_t)(code + counts[length]);
            table->entries[length] = {limit, listed + limit - 1};
            next[length] = listed;
            listed += counts[length];
        }
    }
    // Every code of maxLength + 1 bits is below the sentinel's limit, and its
    // index (offset - code, at least 2^32 - 2^16) is past any symbol list.
    table->entries[maxLength + 1] = {SentinelLimit, 0xffffffffu};
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
// symbol, or -1 when no code of up to the table's longest length matches (an
// incomplete code: the sentinel stops the search) or the match falls outside
// the symbol list (an over-subscribed code). The caller sees to it that the
// buffer holds MaxCodeLength bits; a failed search reads one more, a 0 above
// the valid bits at worst, and consumes nothing.
__attribute__((always_inline)) inline int32_t decodeSymbol(BitReader* b,
                                                           const HuffmanTable* table) {
    BitWord bits = b->bits;
    uint32_t code = (uint32_t)bits & 1;
    const LengthEntry* entry = &table->entries[1];
    while (code >= entry->limit) { // one test per bit: the sentinel ends it
        bits >>= 1;
        code = (code << 1) | ((uint32_t)bits & 1);
        ++entry;
    }
    uint32_t index = entry->offset - code;
    if (index >= table->symbolCount) return -1; // the one bound check of a symbol
    uint32_t length = (uint32_t)(entry - table->entries);
    b->bits = bits >> 1;
    b->bitsLeft -= length;
    return table->symbols[index];
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

// Copies `length` bytes 8 at a time. The caller sees to it that `from` lies
// at least 8 bytes before `out`, so that each word is read whole before any
// of it is written, and that the buffer has room for the last word's run of
// up to 7 bytes past the copy (which later output, or the cleared tail,
// overwrites).
inline void copyWords(uint8_t* out, const uint8_t* from, uint32_t length) {
    uint8_t* const stop = out + length;
    do {
        uint64_t word;
        memcpy(&word, from, 8);
        memcpy(out, &word, 8);
        out += 8;
        from += 8;
    } while (out < stop);
}

// For a distance below 8, its smallest multiple of at least 8.
const uint8_t repeatPeriod[8] = {0, 8, 8, 9, 8, 10, 12, 14};

// How many bits the decoding loop refills for. With a 64-bit buffer one
// refill covers a whole back-reference (15 + 5 + 15 + 13 bits); with a 32-bit
// one, the literal/length code and its extra bits (15 + 5), then the distance
// code (15) and its extra bits (13) each when they could run short.
enum {
    WholeReferenceBits = 48,
    SymbolBits = WordBits >= 64 ? WholeReferenceBits : 20,
};

// Literals and back-references until end of block, for fixed and dynamic
// blocks alike; `fixed` reads distances as reversed 5-bit fields. The bit
// reader is kept in a local copy, so that the output's byte stores (which
// may alias anything in memory) do not force it out of registers.
int compressedData(Inflater* z, int fixed) {
    BitReader in = z->in;
    uint8_t* out = z->outputPosition;
    uint8_t* const start = z->output;
    uint8_t* const end = z->outputEnd;
    const HuffmanTable* const literalLength = &z->literalLength;
    const HuffmanTable* const distanceTable = &z->distance;
    int ok = 0;
    for (;;) {
        if (in.bitsLeft < (uint32_t)SymbolBits) refill(&in, &z->in);
        int32_t s = decodeSymbol(&in, literalLength);
        if ((uint32_t)s < 256) {
            if (out == end) break; // more output than the buffer holds
            *out++ = (uint8_t)s;
            continue;
        }
        if (s == 256) { // end of block
            ok = 1;
            break;
        }
        // -1 (no literal/length code matches), or 286 and 287, which have no length
        if ((uint32_t)(s - 257) > 28) break;
        uint32_t matchLength = lengthBase[s - 257] + takeBits(&in, lengthExtraBits(s));
        if (WordBits < 64 && in.bitsLeft < (uint32_t)MaxCodeLength) refill(&in, &z->in);
        uint32_t d;
        if (fixed) {
            uint32_t v = takeBits(&in, 5); // the fixed distance code is the symbol, MSB first
            d = ((v & 1) << 4) | ((v & 2) << 2) | (v & 4) | ((v & 8) >> 2) | ((v & 16) >> 4);
        } else {
            int32_t ds = decodeSymbol(&in, distanceTable);
            if (ds < 0) break; // no distance code matches
            d = (uint32_t)ds;
        }
        if (d > 29) break; // 30 and 31 have no distance
        uint32_t extra = distanceExtraBits(d);
        if (WordBits < 64 && in.bitsLeft < extra) refill(&in, &z->in);
        uint32_t distance = distanceBase[d] + takeBits(&in, extra);
        if (distance > (uint32_t)(out - start)) break; // before the buffer's start
        uint32_t room = (uint32_t)(end - out);
        if (matchLength > room) break; // past the buffer's end
        const uint8_t* from = out - distance;
        if (distance >= 8 && matchLength + 7 <= room) {
            copyWords(out, from, matchLength);
        } else {
            // Byte by byte in increasing order, so an overlapping copy repeats the
            // bytes it has just written (distance 1 repeats the last byte).
            // A long copy repeats its first `distance` bytes, and so do words
            // copied from the multiple of the distance that reaches 8, once
            // that much of the copy has been written byte by byte.
            int byWords = matchLength >= 16 && matchLength + 7 <= room;
            uint32_t period = repeatPeriod[distance & 7];
            uint32_t bytes = byWords ? period - distance : matchLength;
            for (uint32_t i = 0; i < bytes; ++i)
                out[i] = from[i];
            if (byWords) copyWords(out + bytes, out + bytes - period, matchLength - bytes);
        }
        out += matchLength;
    }
    z->in = in;
    z->outputPosition = out;
    return ok;
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
        if (b->bitsLeft < (uint32_t)MaxCodeLength) refill(b, b);
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

int inflateZlibStream(const InflateInput* input, uint8_t* output, uint32_t outputSize) {
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
    if (!inflateStream(&z)) return 0;
    // A stream that ended early leaves the rest cleared, never stale heap bytes.
    memset(z.outputPosition, 0, (size_t)(z.outputEnd - z.outputPosition));
    return 1;
}
