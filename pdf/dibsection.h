#pragma once

#include "platform/gdi/gdi.h"

#include <QImage>

// A 32-bit, top-down, screen-compatible bitmap that a PDF page is drawn
// into through a memory device context. Used for one render: create at the
// image's size, createDC(), draw, releaseDC(), copy toImage(), destroy.
// Not thread-safe and never shared.
class DibSection
{
public:
    // A failed creation (a side of 0 or less, or too large to allocate)
    // leaves a section that is not valid.
    DibSection(int width, int height);
    ~DibSection();
    DibSection(const DibSection &) = delete;
    DibSection &operator=(const DibSection &) = delete;

    bool isValid() const;
    int width() const { return m_width; }
    int height() const { return m_height; }

    // A memory context with the bitmap selected; null when the section is
    // not valid or the bitmap is already selected. Give it back with
    // releaseDC() before the section goes.
    gdi::HDC createDC();
    // Puts back what the bitmap displaced and deletes the context; does
    // nothing for a null context or when nothing is selected.
    void releaseDC(gdi::HDC dc);

    // An RGB32 image over the bitmap's own pixels (no copy): valid only
    // while the section lives, so callers copy it. Null when not valid.
    QImage toImage() const;

private:
    gdi::HBITMAP m_bitmap = nullptr;
    int m_width = 0;
    int m_height = 0;
    void *m_bits = nullptr;
    gdi::HGDIOBJ m_previous = nullptr;
};
