#include "standalone/gfx/cmemcanvas.h"

#include "standalone/util/prompts.h"

#include <cstdlib>

namespace divad {

CMemCanvas::CMemCanvas() = default;

CMemCanvas::~CMemCanvas()
{
    Release();
}

bool CMemCanvas::Setup(DrawContext *target, int x, int y, int width, int height)
{
    m_rect = QRect(x, y, width, height);
    return Create(target);
}

bool CMemCanvas::Create(DrawContext *target)
{
    Release();
    m_target = target;
    const int width = qMax(1, m_rect.width());
    const int height = qMax(1, m_rect.height());
    // Zeroed memory from the system costs nothing until it is drawn on, so a
    // tall canvas of which only a few pages are ever shown stays cheap.
    if (qint64(width) * height * 4 <= MaximumBytes) {
        if (void *pixels = calloc(size_t(width) * size_t(height), 4))
            m_image = QImage(static_cast<uchar *>(pixels), width, height, width * 4,
                             QImage::Format_RGB32, free, pixels);
    }
    if (m_image.isNull()) {
        ShowMessageBox(QStringLiteral("创建位图失败！文件太大，请分割文件！"));
        return true;
    }
    m_dc = std::make_unique<DrawContext>(&m_image);
    if (!m_dc->isValid()) {
        m_dc.reset();
        m_image = QImage();
    }
    return true;
}

void CMemCanvas::Release()
{
    m_dc.reset();
    m_image = QImage();
}

bool CMemCanvas::IsValid() const
{
    return m_dc && m_dc->isValid();
}

void CMemCanvas::Clear()
{
    if (IsValid())
        m_dc->FillSolidRect(QRect(QPoint(0, 0), m_image.size()), m_colour);
}

void CMemCanvas::Present()
{
    if (IsValid() && m_target)
        m_target->BitBlt(m_rect.left(), m_rect.top(), m_image.width(), m_image.height(), *m_dc, 0,
                         0, RasterOp::Copy);
}

} // namespace divad
