#include "standalone/gfx/messageoverlay.h"

#include "standalone/gfx/drawcontext.h"

#include <QElapsedTimer>

namespace divad {

void MessageOverlay::Show(const QString &text, int durationMs)
{
    ShowAt(text, durationMs, Tick());
}

void MessageOverlay::ShowAt(const QString &text, int durationMs, quint32 startTick)
{
    m_text = text;
    m_duration = durationMs;
    m_start = startTick;
}

void MessageOverlay::Draw(DrawContext *dc, int left, int width, int top, int height)
{
    DrawAt(dc, left, width, top, height, Tick());
}

void MessageOverlay::DrawAt(DrawContext *dc, int left, int width, int top, int height,
                            quint32 nowTick)
{
    if (m_duration <= 0)
        return;
    if (quint32(nowTick - m_start) > quint32(m_duration)) {
        m_duration = 0;
        return;
    }
    if (m_text.isEmpty() || !dc || !dc->isValid())
        return;
    const QBrush oldBrush = dc->SelectBrush(QBrush(Qt::white));
    dc->RoundRect(Ltrb(left, top, left + width, top + height), 20, 20);
    const QColor oldBackground = dc->SetBackgroundColour(Qt::white);
    dc->DrawText(m_text, Ltrb(left + 20, top + 10, left + width - 15, top + height),
                 TextFormat::WordBreak | TextFormat::NoPrefix | TextFormat::EditControl);
    dc->SetBackgroundColour(oldBackground);
    dc->SelectBrush(oldBrush);
}

quint32 MessageOverlay::Tick()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return quint32(clock.elapsed());
}

MessageOverlay &messageOverlay()
{
    static MessageOverlay overlay;
    return overlay;
}

} // namespace divad
