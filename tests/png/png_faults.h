// Failures of the host platform on demand, for the decoder's failure paths.
#pragma once

// The allocation after `count` more successful ones fails (0 = the next one);
// -1 (the default) lets every allocation succeed.
void pngHostFailAllocationAfter(int count);
// Nonzero: CreateDIBSection / CreateDIBitmap return no bitmap.
void pngHostFailBitmapCreation(int fail);
