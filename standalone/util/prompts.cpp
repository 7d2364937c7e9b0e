#include "standalone/util/prompts.h"

#include <QtGlobal>

namespace divad {

namespace {

    MessageBoxHandler &messageHandler()
    {
        static MessageBoxHandler handler;
        return handler;
    }

    InputBoxHandler &inputHandler()
    {
        static InputBoxHandler handler;
        return handler;
    }

} // namespace

void SetMessageBoxHandler(MessageBoxHandler handler)
{
    messageHandler() = std::move(handler);
}

void SetInputBoxHandler(InputBoxHandler handler)
{
    inputHandler() = std::move(handler);
}

void ShowMessageBox(const QString &text)
{
    if (messageHandler())
        messageHandler()(text);
    else
        qWarning("divad: %s", qUtf8Printable(text));
}

bool AskText(QObject *owner, const QString &title, const QString &prompt, QString *text)
{
    if (!inputHandler())
        return false;
    QString answer;
    if (!inputHandler()(owner, title, prompt, &answer))
        return false;
    if (text)
        *text = answer;
    return true;
}

} // namespace divad
