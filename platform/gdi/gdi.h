#pragma once

#include <cstdint>

// The few device-context and bitmap calls the PDF engine draws pages with,
// over plain memory: a bitmap is a 32-bit top-down pixel block, a memory
// context is a place to select one bitmap into, and the screen context is a
// stand-in that only serves to make compatible contexts.
//
// The program and the PDF library are separate modules that each carry their
// own copy of this code: a handle made in one is used in the other. So the
// handles are plain structures with a fixed layout and a tag, no module keeps
// a table of them, and every call checks the tag before it trusts a handle.
// Not thread-safe per handle: a context and its bitmap belong to one render.
namespace gdi {

struct Object;
struct DeviceContext;
struct Bitmap;

using HGDIOBJ = void *;
using HDC = DeviceContext *;
using HBITMAP = Bitmap *;
using HWND = void *;

struct BITMAPINFOHEADER
{
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

struct RGBQUAD
{
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};

struct BITMAPINFO
{
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

constexpr std::uint32_t BI_RGB = 0;
constexpr unsigned DIB_RGB_COLORS = 0;

// The largest pixel block a bitmap may hold (bytes). A page rendered larger
// than this is refused rather than left to exhaust memory.
constexpr std::int64_t maximumBitmapBytes = std::int64_t(1) << 30;

// The screen's context (window is ignored; there is only one screen here).
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

// A memory context with a 1 x 1 stock bitmap selected, as a fresh context
// has; null when dc is neither null nor a context.
HDC CreateCompatibleDC(HDC dc);
// Deletes a memory context; a bitmap still selected into it becomes free
// again. False for the screen's context or a handle that is no context.
bool DeleteDC(HDC dc);

// A top-down (negative height) or bottom-up 32-bit BI_RGB bitmap whose
// pixels are zero at start. *bits receives the pixel memory (owned by the
// bitmap), rows of exactly 4 x width bytes. Null, and *bits null, for any
// other format, a side of 0 or less, or a size over maximumBitmapBytes.
// section and offset must be null and 0.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO *info, unsigned usage, void **bits, void *section,
                         std::uint32_t offset);

// Selects a bitmap into a memory context; returns the bitmap it displaced
// (the stock bitmap for a fresh context), or null when either handle is
// wrong or the bitmap is already selected into another context.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Frees a bitmap. False while it is selected into a context, and for
// anything that is not a bitmap made by CreateDIBSection.
bool DeleteObject(HGDIOBJ object);

// What a renderer draws into: the pixels of the bitmap selected into a
// memory context. False when dc is no memory context or holds only its
// stock bitmap.
struct Surface
{
    std::uint8_t *bits = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerLine = 0;
    bool topDown = true;
};
bool surfaceOf(HDC dc, Surface *surface);

} // namespace gdi
