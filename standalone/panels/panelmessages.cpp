#include "standalone/panels/panelmessages.h"

#include "standalone/util/strutil.h"

#include <QCoreApplication>

namespace divad {

QEvent::Type OpenPendingPathEvent::eventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

QEvent::Type ShowVolumeEvent::eventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

QString &PathToOpen()
{
    static QString path;
    return path;
}

void PostToMainWindow(QEvent *event)
{
    if (QObject *window = MainWindow())
        QCoreApplication::postEvent(window, event);
    else
        delete event;
}

} // namespace divad
