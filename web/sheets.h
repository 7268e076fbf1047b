// The three sheet PNGs of shell/, carried in the module as they are (the build
// writes sheets.cpp from the files named in shell/bexaran.rc).
#pragma once
#include <stdint.h>

extern const unsigned char keeperPng[];
extern const uint32_t keeperPngSize;
extern const unsigned char tilesPng[];
extern const uint32_t tilesPngSize;
extern const unsigned char boxesPng[];
extern const uint32_t boxesPngSize;
