// The inflater as it was before it was made faster (inflate_oracle.cpp): the
// yardstick that inflateZlibStream must match on every stream, hostile ones
// included.
#pragma once
#include "inflate/inflate.h"

// inflateZlibStream's contract, decoded the plain way; *written receives the
// number of bytes written before the stream ended or was refused.
int inflateZlibStreamOracle(const InflateInput* input, uint8_t* output, uint32_t outputSize,
                            uint32_t* written);

// Compares inflateZlibStream's result and buffer with the oracle's for the
// same stream, both buffers of `size` bytes that started out with the same
// stale bytes. They agree when the results are equal and either both succeeded
// with equal buffers, or both failed with equal bytes before the oracle's
// `written` and from 7 bytes past it on: a back-reference copied a word at a
// time may have run up to 7 bytes ahead of the last byte written. Returns null
// when they agree, else what differs.
const char* oracleDisagreement(int result, const uint8_t* output, int oracleResult,
                               const uint8_t* oracleOutput, uint32_t size, uint32_t written);
