#include "platform/gdi/gdi.h"

#include <cstdlib>
#include <new>

namespace gdi {

// Tags that tell a live handle from freed or foreign memory; a freed object
// has its tag cleared before the memory goes back.
enum class Kind : std::uint32_t {
    Dead = 0,
    Bitmap = 0x42544d50, // "PMTB"
    Context = 0x43545844, // "DXTC"
};

struct Object
{
    Kind kind = Kind::Dead;
};

struct Bitmap : Object
{
    int width = 0;
    int height = 0;
    bool topDown = true;
    bool stock = false;
    std::uint8_t *bits = nullptr;
    DeviceContext *selectedInto = nullptr;
};

struct DeviceContext : Object
{
    bool screen = false;
    Bitmap *selected = nullptr;
    Bitmap stock;
};

namespace {

    DeviceContext *screenContext()
    {
        static DeviceContext screen = [] {
            DeviceContext dc;
            dc.kind = Kind::Context;
            dc.screen = true;
            return dc;
        }();
        return &screen;
    }

    bool isContext(const DeviceContext *dc)
    {
        return dc && dc->kind == Kind::Context;
    }

    bool isBitmap(const void *handle)
    {
        const auto *object = static_cast<const Object *>(handle);
        return object && object->kind == Kind::Bitmap;
    }

} // namespace

HDC GetDC(HWND)
{
    return screenContext();
}

int ReleaseDC(HWND, HDC dc)
{
    return dc == screenContext() ? 1 : 0;
}

HDC CreateCompatibleDC(HDC dc)
{
    if (dc && !isContext(dc))
        return nullptr;
    auto *context = new (std::nothrow) DeviceContext;
    if (!context)
        return nullptr;
    context->kind = Kind::Context;
    context->stock.kind = Kind::Bitmap;
    context->stock.stock = true;
    context->stock.width = 1;
    context->stock.height = 1;
    context->stock.selectedInto = context;
    context->selected = &context->stock;
    return context;
}

bool DeleteDC(HDC dc)
{
    if (!isContext(dc) || dc->screen)
        return false;
    if (dc->selected && !dc->selected->stock)
        dc->selected->selectedInto = nullptr;
    dc->stock.kind = Kind::Dead;
    dc->kind = Kind::Dead;
    delete dc;
    return true;
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO *info, unsigned usage, void **bits, void *section,
                         std::uint32_t offset)
{
    if (bits)
        *bits = nullptr;
    if ((dc && !isContext(dc)) || !info || usage != DIB_RGB_COLORS || section || offset)
        return nullptr;
    const BITMAPINFOHEADER &header = info->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 || header.biBitCount != 32
        || header.biCompression != BI_RGB)
        return nullptr;
    const std::int64_t width = header.biWidth;
    const std::int64_t height
            = header.biHeight < 0 ? -std::int64_t(header.biHeight) : std::int64_t(header.biHeight);
    if (width <= 0 || height <= 0 || width * height * 4 > maximumBitmapBytes)
        return nullptr;
    auto *bitmap = new (std::nothrow) Bitmap;
    if (!bitmap)
        return nullptr;
    bitmap->bits = static_cast<std::uint8_t *>(std::calloc(std::size_t(width * height), 4));
    if (!bitmap->bits) {
        delete bitmap;
        return nullptr;
    }
    bitmap->kind = Kind::Bitmap;
    bitmap->width = int(width);
    bitmap->height = int(height);
    bitmap->topDown = header.biHeight < 0;
    if (bits)
        *bits = bitmap->bits;
    return bitmap;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    if (!isContext(dc) || dc->screen || !isBitmap(object))
        return nullptr;
    auto *bitmap = static_cast<Bitmap *>(object);
    if (bitmap->selectedInto && bitmap->selectedInto != dc)
        return nullptr;
    if (bitmap->stock && bitmap != &dc->stock)
        return nullptr;
    Bitmap *previous = dc->selected;
    if (previous)
        previous->selectedInto = nullptr;
    bitmap->selectedInto = dc;
    dc->selected = bitmap;
    return previous;
}

bool DeleteObject(HGDIOBJ object)
{
    if (!isBitmap(object))
        return false;
    auto *bitmap = static_cast<Bitmap *>(object);
    if (bitmap->stock || bitmap->selectedInto)
        return false;
    std::free(bitmap->bits);
    bitmap->bits = nullptr;
    bitmap->kind = Kind::Dead;
    delete bitmap;
    return true;
}

bool surfaceOf(HDC dc, Surface *surface)
{
    if (!isContext(dc) || !surface || !dc->selected || dc->selected->stock
        || !isBitmap(dc->selected) || !dc->selected->bits)
        return false;
    surface->bits = dc->selected->bits;
    surface->width = dc->selected->width;
    surface->height = dc->selected->height;
    surface->bytesPerLine = dc->selected->width * 4;
    surface->topDown = dc->selected->topDown;
    return true;
}

} // namespace gdi
