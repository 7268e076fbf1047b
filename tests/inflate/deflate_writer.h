// Writing DEFLATE streams bit by bit, for streams that zlib would never make.
#pragma once
#include "zlib_streams.h"

struct BitWriter {
    Bytes bytes;
    uint32_t bitCount = 0;
    // An n-bit field, least significant bit first.
    void bits(uint32_t value, uint32_t n);
    // A Huffman code, most significant bit first.
    void code(uint32_t code, uint32_t length);
    void alignToByte();
};

// Canonical codes (RFC 1951 3.2.2) for a list of code lengths.
std::vector<uint32_t> canonicalCodes(const std::vector<uint8_t>& lengths);

// A code-length symbol of a dynamic header: 0-15, or 16/17/18 with its extra value.
struct CodeLengthSymbol {
    uint32_t symbol;
    uint32_t extra;
};
// Each length as its own code-length symbol.
std::vector<CodeLengthSymbol> literalLengths(const std::vector<uint8_t>& lengths);

// A dynamic block header: HLIT, HDIST, all 19 code-length codes (a fixed
// complete code), then the code-length symbols.
void writeDynamicHeader(BitWriter* w, bool final, uint32_t hlit, uint32_t hdist,
                        const std::vector<CodeLengthSymbol>& symbols);

// Appends the Adler-32 of `data`, big-endian, after aligning.
void writeTrailer(BitWriter* w, const Bytes& data);
