#include "tools/probe/probe.h"

#include <QApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <map>

namespace {

struct Entry
{
    QString usage;
    probe::Command command;
};

std::map<QString, Entry> &commands()
{
    static std::map<QString, Entry> table;
    return table;
}

int usage()
{
    QTextStream err(stderr);
    err << "usage: vellumin-probe COMMAND [ARGS...]\n\ncommands:\n";
    for (const auto &item : commands())
        err << "  " << item.first << " " << item.second.usage << "\n";
    return 2;
}

} // namespace

namespace probe {

Registration::Registration(const char *name, const char *usage, Command command)
{
    commands()[QString::fromUtf8(name)] = Entry { QString::fromUtf8(usage), std::move(command) };
}

void printJson(const QJsonObject &object)
{
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact);
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int fail(const QString &message)
{
    printJson(QJsonObject { { QStringLiteral("error"), message } });
    return 1;
}

bool takeOption(QStringList *arguments, const QString &name, QString *value)
{
    const int at = arguments->indexOf(name);
    if (at < 0)
        return true;
    if (at + 1 >= arguments->size())
        return false;
    *value = arguments->at(at + 1);
    arguments->erase(arguments->begin() + at, arguments->begin() + at + 2);
    return true;
}

bool waitUntil(const std::function<bool()> &condition, int msecs)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    poll.start(20);
    QTimer::singleShot(msecs, &loop, &QEventLoop::quit);
    if (!condition())
        loop.exec();
    return condition();
}

bool parseSize(const QString &text, QSize *size)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{3,5})x(\\d{3,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    *size = QSize(match.captured(1).toInt(), match.captured(2).toInt());
    return true;
}

} // namespace probe

int main(int argc, char *argv[])
{
    // Headless by default: the probe drives capabilities, it shows nothing.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vellumin"));
    QCoreApplication::setOrganizationName(QStringLiteral("Morvasco"));
    QCoreApplication::setApplicationVersion(QStringLiteral("5.0.7"));

    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return usage();
    const QString name = arguments.takeFirst();
    const auto it = commands().find(name);
    if (it == commands().end())
        return usage();
    return it->second.command(arguments);
}
