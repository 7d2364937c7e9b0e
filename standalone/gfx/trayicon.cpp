#include "standalone/gfx/trayicon.h"

#include "standalone/web/constants.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

namespace divad {

namespace {

    int &availabilityOverride()
    {
        static int availability = -1;
        return availability;
    }

    QPointer<QSystemTrayIcon> &trayIcon()
    {
        static QPointer<QSystemTrayIcon> icon;
        return icon;
    }

} // namespace

QEvent::Type TrayMessageEvent::eventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

void SetTrayAvailability(int availability)
{
    availabilityOverride() = availability;
}

bool TrayAvailable()
{
    if (availabilityOverride() >= 0)
        return availabilityOverride() != 0;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool MinimizeToTray(QWidget *dialog)
{
    if (!dialog)
        return false;
    if (!TrayAvailable()) {
        dialog->showMinimized();
        return false;
    }
    if (!trayIcon()) {
        auto *icon = new QSystemTrayIcon(dialog);
        icon->setIcon(QIcon(QStringLiteral(":/divad/images/icon128.png")));
        // The tip holds at most 63 bytes.
        icon->setToolTip(Const::ProgramName.left(63));
        QPointer<QWidget> target = dialog;
        QObject::connect(icon, &QSystemTrayIcon::activated, icon,
                         [target](QSystemTrayIcon::ActivationReason reason) {
                             if (!target)
                                 return;
                             TrayMessageEvent::MouseMessage message = TrayMessageEvent::Other;
                             if (reason == QSystemTrayIcon::DoubleClick)
                                 message = TrayMessageEvent::LeftDoubleClick;
                             else if (reason == QSystemTrayIcon::Context)
                                 message = TrayMessageEvent::RightButtonUp;
                             QCoreApplication::postEvent(
                                     target, new TrayMessageEvent(TrayIconId, message));
                         });
        trayIcon() = icon;
    }
    trayIcon()->show();
    dialog->hide();
    return true;
}

void RestoreFromTray(QWidget *dialog)
{
    if (trayIcon())
        delete trayIcon().data();
    if (dialog) {
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    }
}

bool TrayIconPresent()
{
    return trayIcon() && trayIcon()->isVisible();
}

QSystemTrayIcon *TrayIcon()
{
    return trayIcon();
}

} // namespace divad
