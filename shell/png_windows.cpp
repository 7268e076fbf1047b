// The PNG decoder's platform layer on Windows: RCDATA resources of the
// executable, GDI bitmaps and the process heap.
#include <windows.h>

#include "png/png_platform.h"

PngResource pngPlatformFindResource(PngModule module, uint32_t resourceId) {
    return FindResourceA((HMODULE)module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10));
}

const uint8_t* pngPlatformLoadResource(PngModule module, PngResource resource) {
    // The handle that LoadResource returns is the address of the bytes.
    return (const uint8_t*)LoadResource((HMODULE)module, (HRSRC)resource);
}

uint32_t pngPlatformSizeofResource(PngModule module, PngResource resource) {
    return SizeofResource((HMODULE)module, (HRSRC)resource);
}

PngDeviceContext pngPlatformGetDC(PngWindow window) { return GetDC((HWND)window); }

void pngPlatformReleaseDC(PngWindow window, PngDeviceContext context) {
    ReleaseDC((HWND)window, (HDC)context);
}

PngBitmap pngPlatformCreateDIBSection(PngDeviceContext context, const PngBitmapInfo* info,
                                      uint8_t** pixels) {
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection((HDC)context, (const BITMAPINFO*)info, DIB_RGB_COLORS,
                                      &bits, nullptr, 0);
    *pixels = (uint8_t*)bits;
    return bitmap;
}

PngBitmap pngPlatformCreateDIBitmap(PngDeviceContext context, const PngBitmapInfo* info,
                                    const uint8_t* pixels) {
    return CreateDIBitmap((HDC)context, (const BITMAPINFOHEADER*)&info->bmiHeader, CBM_INIT,
                          pixels, (const BITMAPINFO*)info, DIB_RGB_COLORS);
}

void pngPlatformDeleteBitmap(PngBitmap bitmap) { DeleteObject((HGDIOBJ)bitmap); }

void* pngPlatformAlloc(uint32_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }

void pngPlatformRelease(void* block) { HeapFree(GetProcessHeap(), 0, block); }
