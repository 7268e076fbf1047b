// The zlib stream decoder: inflates the zlib stream that runs through a PNG
// image's IDAT chunks, reading it in place and writing into image->inflated.
#pragma once
#include "png/png.h"

// Decodes into image->inflated (image->inflatedSize bytes; need not be zeroed)
// from the IDAT chain that starts at image->firstIdat, reading nothing outside
// image->source .. + sourceSize. Returns 1 with error 0, or 0 with error
// PngErrorBadData. On success any part of the buffer the stream did not
// reach is cleared. Allocates nothing.
int inflateIdat(PngImage* image);
