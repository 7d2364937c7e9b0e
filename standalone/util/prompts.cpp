#include "standalone/util/prompts.h"

#include <QStringList>
#include <QtGlobal>

namespace divad {

namespace {

    MessageBoxHandler &plainHandler()
    {
        static MessageBoxHandler handler;
        return handler;
    }

    MessageHandler &messageHandler()
    {
        static MessageHandler handler;
        return handler;
    }

    InputBoxHandler &inputHandler()
    {
        static InputBoxHandler handler;
        return handler;
    }

    OpenFileHandler &openFileHandler()
    {
        static OpenFileHandler handler;
        return handler;
    }

    FontHandler &fontHandler()
    {
        static FontHandler handler;
        return handler;
    }

} // namespace

void SetMessageBoxHandler(MessageBoxHandler handler)
{
    plainHandler() = std::move(handler);
}

void SetMessageHandler(MessageHandler handler)
{
    messageHandler() = std::move(handler);
}

void SetInputBoxHandler(InputBoxHandler handler)
{
    inputHandler() = std::move(handler);
}

void SetOpenFileHandler(OpenFileHandler handler)
{
    openFileHandler() = std::move(handler);
}

void SetFontHandler(FontHandler handler)
{
    fontHandler() = std::move(handler);
}

void ShowMessageBox(const QString &text)
{
    MessageRequest request;
    request.text = text;
    ShowMessage(request);
}

bool ShowMessage(const MessageRequest &request)
{
    if (messageHandler())
        return messageHandler()(request);
    if (plainHandler())
        plainHandler()(request.text);
    else
        qWarning("divad: %s", qUtf8Printable(request.text));
    // Nobody could answer: a question counts as cancelled.
    return !request.okCancel;
}

bool AskOkCancel(QObject *owner, const QString &text, const QString &caption)
{
    MessageRequest request;
    request.owner = owner;
    request.text = text;
    request.caption = caption;
    request.icon = MessageIcon::Question;
    request.okCancel = true;
    return ShowMessage(request);
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

QString AskOpenFileName(const OpenFileRequest &request)
{
    return openFileHandler() ? openFileHandler()(request) : QString();
}

bool AskFont(QObject *owner, const QFont &initial, QFont *chosen)
{
    if (!fontHandler())
        return false;
    QFont font = initial;
    if (!fontHandler()(owner, initial, &font))
        return false;
    if (chosen)
        *chosen = font;
    return true;
}

QString DialogFilter(const QString &readerFilter)
{
    const QStringList parts = readerFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts.at(i).isEmpty())
            break;
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" means every file, also those without a dot in their name.
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        filters << QStringLiteral("%1 (%2)").arg(parts.at(i), patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace divad
