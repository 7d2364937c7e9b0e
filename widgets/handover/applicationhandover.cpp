#include "widgets/handover/applicationhandover.h"

#include <QMutex>
#include <QMutexLocker>

namespace Handover {

namespace {

    struct Registered
    {
        QMutex lock;
        InputPasswordController *passwords = nullptr;
        MessageBoxController *messages = nullptr;
    };

    Registered &registered()
    {
        static Registered instance;
        return instance;
    }

} // namespace

void setApplicationControllers(InputPasswordController *passwords, MessageBoxController *messages)
{
    Registered &current = registered();
    const QMutexLocker locker(&current.lock);
    current.passwords = passwords;
    current.messages = messages;
}

InputPasswordController *applicationPasswordController()
{
    Registered &current = registered();
    const QMutexLocker locker(&current.lock);
    return current.passwords;
}

MessageBoxController *applicationMessageController()
{
    Registered &current = registered();
    const QMutexLocker locker(&current.lock);
    return current.messages;
}

} // namespace Handover
