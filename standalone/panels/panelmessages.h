#pragma once

#include <QEvent>
#include <QString>

// What the side bar's pages ask of the reading window. They post these to
// the registered main window (SetMainWindow) and the window acts on them
// from its own event loop, never inside the panel's handler.
namespace divad {

// Open the book the file browser left in PathToOpen().
class OpenPendingPathEvent : public QEvent
{
public:
    static QEvent::Type eventType();
    OpenPendingPathEvent()
        : QEvent(eventType())
    {
    }
};

// Show this volume of the open book.
class ShowVolumeEvent : public QEvent
{
public:
    static QEvent::Type eventType();
    explicit ShowVolumeEvent(int volume)
        : QEvent(eventType())
        , volume(volume)
    {
    }
    int volume;
};

// The book the file browser chose last.
QString &PathToOpen();
// Posts event to the main window; dropped when there is none.
void PostToMainWindow(QEvent *event);

} // namespace divad
