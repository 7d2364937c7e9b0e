#include "app/commandline.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString escaped(QString text)
{
    text.replace(QLatin1Char('%'), QLatin1String("%25"));
    text.replace(QLatin1Char('|'), QLatin1String("%7C"));
    return text;
}

QString unescaped(QString text)
{
    text.replace(QLatin1String("%7C"), QLatin1String("|"), Qt::CaseInsensitive);
    text.replace(QLatin1String("%25"), QLatin1String("%"));
    return text;
}

} // namespace

namespace CommandLine {

QString buildMessage(const QStringList &arguments)
{
    QString message;
    for (int i = 0; i < arguments.size(); ++i) {
        QString argument = arguments.at(i);
        if (i > 0 && !argument.isEmpty() && !argument.startsWith(QLatin1Char('-'))
            && QDir::isRelativePath(argument)) {
            argument = QFileInfo(argument).absoluteFilePath();
        }
        message += escaped(argument) + QLatin1Char('|');
    }
    return message;
}

QStringList parseMessage(const QString &message)
{
    QStringList arguments = message.split(QLatin1Char('|'));
    // The message ends with "|": the last part is the empty tail.
    if (!arguments.isEmpty() && arguments.last().isEmpty())
        arguments.removeLast();
    for (QString &argument : arguments)
        argument = unescaped(argument);
    return arguments;
}

int mainWindowBaseWidth(const QRect &screenGeometry)
{
    const int m = qMin(screenGeometry.width(), screenGeometry.height());
    if (m < 720)
        return 720;
    if (m < 760)
        return m;
    if (m < 900)
        return m - 40;
    return 900;
}

} // namespace CommandLine
