#include "pdf/dibsection.h"

DibSection::DibSection(int width, int height)
    : m_width(width)
    , m_height(height)
{
    gdi::BITMAPINFO info;
    info.bmiHeader.biSize = sizeof(gdi::BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    // Negative: rows run top-down, as QImage has them.
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = gdi::BI_RGB;
    info.bmiHeader.biSizeImage = 0;

    const gdi::HDC screen = gdi::GetDC(nullptr);
    m_bitmap = gdi::CreateDIBSection(screen, &info, gdi::DIB_RGB_COLORS, &m_bits, nullptr, 0);
    gdi::ReleaseDC(nullptr, screen);
    if (!m_bitmap)
        m_bits = nullptr;
}

DibSection::~DibSection()
{
    if (m_bitmap)
        gdi::DeleteObject(m_bitmap);
}

bool DibSection::isValid() const
{
    return m_bitmap && m_bits;
}

gdi::HDC DibSection::createDC()
{
    if (!isValid() || m_previous)
        return nullptr;
    const gdi::HDC screen = gdi::GetDC(nullptr);
    const gdi::HDC dc = gdi::CreateCompatibleDC(screen);
    gdi::ReleaseDC(nullptr, screen);
    if (!dc)
        return nullptr;
    m_previous = gdi::SelectObject(dc, m_bitmap);
    if (!m_previous) {
        gdi::DeleteDC(dc);
        return nullptr;
    }
    return dc;
}

void DibSection::releaseDC(gdi::HDC dc)
{
    if (!dc || !m_previous)
        return;
    gdi::SelectObject(dc, m_previous);
    gdi::DeleteDC(dc);
    m_previous = nullptr;
}

QImage DibSection::toImage() const
{
    if (!isValid())
        return QImage();
    return QImage(static_cast<const uchar *>(m_bits), m_width, m_height, m_width * 4,
                  QImage::Format_RGB32);
}
