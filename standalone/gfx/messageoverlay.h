#pragma once

#include <QString>

namespace divad {

class DrawContext;

// A short message shown for a while as a white rounded box over the reading
// page: progress while a volume loads, notices about skins and volumes. The
// box asks for no repaint of its own; it goes at the first paint after its
// time is up. One process-wide instance (messageOverlay()); tests make
// their own. User-interface thread.
class MessageOverlay
{
public:
    // Replaces the text and restarts the clock.
    void Show(const QString &text, int durationMs);
    void ShowAt(const QString &text, int durationMs, quint32 startTick);
    void Clear() { m_duration = 0; }
    // The box in left, top, width, height of dc with the text wrapped in it;
    // nothing when cleared or when the time is up.
    void Draw(DrawContext *dc, int left, int width, int top, int height);
    void DrawAt(DrawContext *dc, int left, int width, int top, int height, quint32 nowTick);

    QString Text() const { return m_text; }
    int Duration() const { return m_duration; }
    // Milliseconds of a monotonic clock, wrapping at 2^32; the difference of
    // two ticks stays right across a wrap.
    static quint32 Tick();

private:
    QString m_text;
    quint32 m_start = 0;
    int m_duration = 0;
};

MessageOverlay &messageOverlay();

} // namespace divad
