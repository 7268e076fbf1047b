// The tools' only source of randomness: splitmix64, small, fast and the same
// on every platform and compiler, which the standard distributions do not
// promise. The same seed gives the same levels, and the same solver hash
// keys, byte for byte.
#pragma once
#include <stdint.h>

struct Rng {
    uint64_t state;
};

inline uint64_t nextRandom(Rng& rng) {
    uint64_t z = (rng.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// 0 .. n-1 for n > 0.
inline int32_t randomBelow(Rng& rng, int32_t n) {
    return (int32_t)(nextRandom(rng) % (uint64_t)n);
}

inline int32_t randomBetween(Rng& rng, int32_t lo, int32_t hi) {
    return lo + randomBelow(rng, hi - lo + 1);
}

// An independent stream for one numbered job (a room), so a job's result
// does not depend on how many jobs ran before it.
inline Rng streamFor(uint64_t seed, uint64_t job) {
    Rng rng = {seed * 0x100000001B3ull ^ (job + 1) * 0xD6E8FEB86659FD93ull};
    nextRandom(rng);
    return rng;
}

// Zobrist keys: count random words from the stream seeded with seed, one per
// (piece, cell) pair, so a position's hash is the xor of its pieces' keys and
// a move changes it by a few xors.
inline void fillZobristKeys(uint64_t seed, uint64_t* keys, int32_t count) {
    Rng rng = {seed};
    for (int32_t i = 0; i < count; ++i)
        keys[i] = nextRandom(rng);
}
