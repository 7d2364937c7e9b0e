#pragma once

#include <QEvent>

class QSystemTrayIcon;
class QWidget;

// Hiding the reading window behind an icon in the notification area and
// bringing it back. The icon reports clicks to the window as a
// TrayMessageEvent. Where no notification area exists (many Linux
// desktops have none) the window is minimised instead, never hidden: a
// hidden window without an icon could not be reached again.
// User-interface thread.
namespace divad {

constexpr int TrayIconId = 128;

class TrayMessageEvent : public QEvent
{
public:
    enum MouseMessage { LeftDoubleClick, RightButtonUp, Other };
    static QEvent::Type eventType();

    TrayMessageEvent(int iconId, MouseMessage message)
        : QEvent(eventType())
        , iconId(iconId)
        , mouseMessage(message)
    {
    }

    int iconId;
    MouseMessage mouseMessage;
};

// True when the window went to the tray; false when there is no tray and
// the window was minimised instead.
bool MinimizeToTray(QWidget *dialog);
// Removes the icon and shows the window where it was.
void RestoreFromTray(QWidget *dialog);
bool TrayIconPresent();
// The icon while present (tests click it through its signals), else null.
QSystemTrayIcon *TrayIcon();
// -1 asks the desktop whether it has a notification area, 0 and 1 answer
// for it (tests).
void SetTrayAvailability(int availability);
bool TrayAvailable();

} // namespace divad
