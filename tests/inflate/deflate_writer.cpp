#include "deflate_writer.h"

#include <zlib.h>

void BitWriter::bits(uint32_t value, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i, ++bitCount) {
        if (bitCount % 8 == 0) bytes.push_back(0);
        if ((value >> i) & 1) bytes.back() |= (uint8_t)(1u << (bitCount % 8));
    }
}

void BitWriter::code(uint32_t code, uint32_t length) {
    for (uint32_t i = length; i-- > 0;)
        bits((code >> i) & 1, 1);
}

void BitWriter::alignToByte() {
    bitCount = (uint32_t)bytes.size() * 8;
}

std::vector<uint32_t> canonicalCodes(const std::vector<uint8_t>& lengths) {
    uint32_t count[16] = {0}, next[16] = {0};
    for (uint8_t l : lengths)
        ++count[l];
    count[0] = 0;
    uint32_t code = 0;
    for (int bits = 1; bits < 16; ++bits) {
        code = (code + count[bits - 1]) << 1;
        next[bits] = code;
    }
    std::vector<uint32_t> codes(lengths.size(), 0);
    for (size_t s = 0; s < lengths.size(); ++s) {
        if (lengths[s]) codes[s] = next[lengths[s]]++;
    }
    return codes;
}

std::vector<CodeLengthSymbol> literalLengths(const std::vector<uint8_t>& lengths) {
    std::vector<CodeLengthSymbol> out;
    for (uint8_t l : lengths)
        out.push_back({l, 0});
    return out;
}

void writeDynamicHeader(BitWriter* w, bool final, uint32_t hlit, uint32_t hdist,
                        const std::vector<CodeLengthSymbol>& symbols) {
    w->bits(final ? 1 : 0, 1);
    w->bits(2, 2);
    w->bits(hlit - 257, 5);
    w->bits(hdist - 1, 5);
    w->bits(19 - 4, 4);
    // A complete code-length code (zlib refuses incomplete ones): 0-12 of 4 bits, 13-18 of 5.
    static const uint8_t order[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                      11, 4,  12, 3, 13, 2, 14, 1, 15};
    std::vector<uint8_t> lengths(19);
    for (int s = 0; s < 19; ++s)
        lengths[s] = s < 13 ? 4 : 5;
    for (int i = 0; i < 19; ++i)
        w->bits(lengths[order[i]], 3);
    std::vector<uint32_t> codes = canonicalCodes(lengths);
    for (const CodeLengthSymbol& s : symbols) {
        w->code(codes[s.symbol], lengths[s.symbol]);
        if (s.symbol == 16) w->bits(s.extra, 2);
        if (s.symbol == 17) w->bits(s.extra, 3);
        if (s.symbol == 18) w->bits(s.extra, 7);
    }
}

void writeTrailer(BitWriter* w, const Bytes& data) {
    w->alignToByte();
    uint32_t adler = (uint32_t)adler32(1, data.data(), (uInt)data.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        w->bits((adler >> shift) & 0xff, 8);
}
