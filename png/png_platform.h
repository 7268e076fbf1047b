// What the PNG decoder needs from the system: the executable's raw-data
// resources, bitmap creation and the heap. shell/png_windows.cpp implements it
// with kernel32 and gdi32; png/png_host.cpp with an in-process table and heap
// structs for tools and tests.
#pragma once
#include "png.h"

typedef void* PngResource;      // HRSRC
typedef void* PngDeviceContext; // HDC

// FindResourceA(module, id, RT_RCDATA): null when there is no such resource.
PngResource pngPlatformFindResource(PngModule module, uint32_t resourceId);
// LoadResource: the address of the resource bytes, or null.
const uint8_t* pngPlatformLoadResource(PngModule module, PngResource resource);
// SizeofResource: 0 when the size cannot be had.
uint32_t pngPlatformSizeofResource(PngModule module, PngResource resource);

// GetDC(window) / ReleaseDC(window, context); a null window means the screen.
PngDeviceContext pngPlatformGetDC(PngWindow window);
void pngPlatformReleaseDC(PngWindow window, PngDeviceContext context);
// CreateDIBSection(context, info, DIB_RGB_COLORS, pixels, no mapping, 0).
PngBitmap pngPlatformCreateDIBSection(PngDeviceContext context, const PngBitmapInfo* info,
                                      uint8_t** pixels);
// CreateDIBitmap(context, &info->bmiHeader, CBM_INIT, pixels, info, DIB_RGB_COLORS).
PngBitmap pngPlatformCreateDIBitmap(PngDeviceContext context, const PngBitmapInfo* info,
                                    const uint8_t* pixels);
// DeleteObject.
void pngPlatformDeleteBitmap(PngBitmap bitmap);

// HeapAlloc(GetProcessHeap(), 0, size) / HeapFree(GetProcessHeap(), 0, block).
void* pngPlatformAlloc(uint32_t size);
void pngPlatformRelease(void* block);
