// The PNG image decoder: turns a PNG image carried as raw data into a
// device-independent bitmap. All work happens on one PngImage record that the
// caller drives through pngInit, pngLoadResource, pngDecode, pngMakeBitmap and
// pngFree. Portable: every Windows call sits behind png/png_platform.h.
//
// Include it as "png/png.h" (the project root is an include directory); the
// bare name "png.h" also resolves but clashes with libpng's header.
#pragma once
#include <stdint.h>

typedef void* PngModule; // HMODULE of the executable that carries the images
typedef void* PngWindow; // HWND used only to obtain a reference device context
typedef void* PngBitmap; // HBITMAP; the caller deletes it (DeleteObject)

enum PngState : uint32_t {
    PngStateEmpty = 0,   // nothing attached
    PngStateParsed = 1,  // data attached, chunks walked, header accepted
    PngStateDecoded = 2, // scanlines inflated into `inflated`
};

enum PngSourceKind : uint32_t {
    PngSourceNone = 0,
    PngSourceOwned = 1,    // a heap block that pngFree releases
    PngSourceBorrowed = 2, // resource memory (or a caller's bytes); never released
};

enum PngError : uint32_t {
    PngErrorNone = 0,
    PngErrorOutOfMemory = 0x1001,
    PngErrorInUse = 0x1002,
    PngErrorBadData = 0x2000,
    PngErrorUnsupported = 0x2001,
    PngErrorBadOutputFormat = 0x2002,
    PngErrorWrongState = 0x2003,
    PngErrorBitmapFailed = 0x2006,
    PngErrorResourceNotFound = 0x3001,
    PngErrorResourceUnreadable = 0x3002,
};

// An OutputFormat word: bits 0-7 converter index, 8-15 selectable flag (1),
// 16-23 PNG bit depth, 24-31 PNG colour type.
enum OutputFormat : uint32_t {
    OutputFormatAutomatic = 0xFFFFFFFFu,
    OutputFormatRgba8ToBgr8 = 0x0608010du,  // 8-bit RGBA shown as 24-bit BGR
    OutputFormatRgba16ToBgr8 = 0x06100108u, // 16-bit RGBA shown as 24-bit BGR
};

// Row converter indices (the low byte of an OutputFormat word); 1 to 5 name none.
enum RowConverter : uint8_t {
    CopyRow = 0,
    TakeEvenBytes = 6,
    Rgb16ToBgr8 = 7,
    Rgba16ToBgr8 = 8,
    Rgba16ToBgra8 = 9,
    TakeEveryFourthByte = 10,
    Widen2To4 = 11,
    Rgb8ToBgr8 = 12,
    Rgba8ToBgr8 = 13,
    Rgba8ToBgra8 = 14,
};

// The decoder's working record. Field order is fixed; the all-zero record is
// the valid empty record.
struct PngImage {
    uint32_t width;             // IHDR bytes 0-3
    uint32_t height;            // IHDR bytes 4-7
    uint32_t error;             // PngError of the latest failure, 0 = none
    uint32_t paletteCount;      // first PLTE length / 3; 0 without PLTE
    uint8_t colourType;         // IHDR byte 9
    uint8_t bitDepth;           // IHDR byte 8
    uint8_t interlaceMethod;    // IHDR byte 12: 0 none, 1 Adam7
    const uint8_t* source;      // first byte of the PNG data (the signature)
    uint32_t sourceSize;        // bytes of PNG data
    const uint8_t* chunkCursor; // chunk the parser looks at / where the walk stopped
    uint8_t* inflated;          // inflated, still filtered scanlines (owned when decoded)
    uint32_t inflatedSize;      // size of that buffer
    const uint8_t* palette;     // first data byte of the first PLTE, or null
    uint32_t sourceKind;        // PngSourceKind
    const uint8_t* header;      // the 13 IHDR data bytes, inside source
    const uint8_t* firstIdat;   // first IDAT chunk (its length field), or null
    uint32_t state;             // PngState
};

// One chunk as pngReadChunk sees it.
enum ChunkKind : uint32_t {
    ChunkKindAncillary = 0, // any other type with a lower-case first letter: ignored
    ChunkKindIhdr = 1,
    ChunkKindPlte = 2,
    ChunkKindIdat = 3,
    ChunkKindIend = 4,
    ChunkKindUnknownCritical = 5,
};

struct ChunkInfo {
    uint32_t kind;   // ChunkKind
    uint32_t length; // data length
    uint32_t crc;    // stored CRC; read, never verified
};

// The bitmap description, laid out exactly as a Windows BITMAPINFO:
// a 40-byte BITMAPINFOHEADER followed by up to 256 RGBQUAD entries.
struct PngBitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

struct PngRgbQuad {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

struct PngBitmapInfo {
    PngBitmapInfoHeader bmiHeader;
    PngRgbQuad bmiColors[256];
};

static_assert(sizeof(PngBitmapInfoHeader) == 40, "BITMAPINFOHEADER is 40 bytes");
static_assert(sizeof(PngRgbQuad) == 4, "RGBQUAD is 4 bytes");
static_assert(sizeof(PngBitmapInfo) == 40 + 4 * 256, "BITMAPINFO with 256 colours");

// Lifecycle. Every operation returns nonzero on success and leaves the reason
// for a failure in image->error (pngMakeBitmap returns the bitmap or null).
void pngInit(PngImage* image);
int pngLoadResource(PngImage* image, PngModule module, uint32_t resourceId);
int pngDecode(PngImage* image);
// outputFormat: an OutputFormat word, or OutputFormatAutomatic (0xFFFFFFFF).
// deviceBitmap 0 gives a DIB section, nonzero a device-dependent bitmap.
PngBitmap pngMakeBitmap(PngImage* image, PngWindow window, uint32_t outputFormat, int deviceBitmap);
int pngFree(PngImage* image);

// Steps used by the lifecycle operations, public for tools and tests.
int pngParse(PngImage* image);
int pngReadChunk(const PngImage* image, ChunkInfo* chunk);
uint32_t pngInflatedSize(const PngImage* image);
// Inflates the zlib stream of the IDAT chain at firstIdat into inflated
// (inflatedSize bytes), read in place; on success error 0 and any part the
// stream did not reach cleared, else 0 with PngErrorBadData.
int pngInflateIdat(PngImage* image);
// Fills the description; returns the automatic OutputFormat word of the image.
uint32_t pngBuildBitmapInfo(const PngImage* image, PngBitmapInfo* info);
// Reconstructs every row into top-down DIB rows at destination.
int pngRender(PngImage* image, uint8_t* destination, uint32_t outputFormat);

// Decoder memory: the process heap, blocks not zeroed.
void* pngAlloc(uint32_t size);
void pngRelease(void* block);
void pngZero(void* address, uint32_t count);

// "PngErrorBadData" and so on; "PngErrorNone" for 0, "PngErrorUnknown" otherwise.
const char* pngErrorName(uint32_t error);
