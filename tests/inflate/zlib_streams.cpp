#include "zlib_streams.h"
#include "inflate/inflate.h"

#include <zlib.h>

#include <algorithm>
#include <random>

Bytes zlibCompress(const Bytes& data, int level, int strategy) {
    z_stream z = {};
    deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy);
    Bytes out(deflateBound(&z, data.size()) + 16);
    z.next_in = (Bytef*)data.data();
    z.avail_in = (uInt)data.size();
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

Bytes zlibInflate(const Bytes& stream, size_t capacity) {
    Bytes out(capacity + 1);
    uLongf size = (uLongf)out.size();
    if (uncompress(out.data(), &size, stream.data(), (uLong)stream.size()) != Z_OK) return {};
    out.resize(size);
    return out;
}

namespace {

struct RangeList {
    std::vector<Bytes> ranges;
    std::vector<uint8_t*> copies; // one heap block per range, so ASan sees a read past it
    size_t next = 0;
    int askedAfterEnd = 0;
};

int nextRange(void* context, const uint8_t** data, uint32_t* size) {
    RangeList* list = (RangeList*)context;
    if (list->next > list->ranges.size()) list->askedAfterEnd = 1;
    if (list->next >= list->ranges.size()) {
        ++list->next;
        return 0;
    }
    *data = list->copies[list->next];
    *size = (uint32_t)list->ranges[list->next].size();
    ++list->next;
    return 1;
}

} // namespace

int inflateRanges(const Bytes& stream, const std::vector<size_t>& cuts, uint32_t size,
                  Bytes* output) {
    RangeList list;
    size_t start = 0;
    for (size_t cut : cuts) {
        list.ranges.push_back(Bytes(stream.begin() + start, stream.begin() + cut));
        start = cut;
    }
    list.ranges.push_back(Bytes(stream.begin() + start, stream.end()));
    for (const Bytes& range : list.ranges) {
        uint8_t* copy = new uint8_t[range.size() ? range.size() : 1];
        std::copy(range.begin(), range.end(), copy);
        list.copies.push_back(copy);
    }
    // A heap block of exactly `size` bytes, so ASan sees any write past it.
    uint8_t* buffer = new uint8_t[size ? size : 1];
    for (uint32_t i = 0; i < size; ++i)
        buffer[i] = 0xA5; // stale bytes
    InflateInput input = {nextRange, &list};
    int result = inflateZlibStream(&input, buffer, size);
    output->assign(buffer, buffer + size);
    delete[] buffer;
    for (uint8_t* copy : list.copies)
        delete[] copy;
    return list.askedAfterEnd ? -1 : result;
}

// Rows of smooth gradients with a filter byte each: what PNG scanlines look like.
Bytes imageLike(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes out;
    uint32_t x = 0;
    while (out.size() < size) {
        if (x % 301 == 0) out.push_back((uint8_t)(random() % 5));
        out.push_back((uint8_t)((x * 3 + (random() % 4)) & 0xff));
        ++x;
    }
    out.resize(size);
    return out;
}
