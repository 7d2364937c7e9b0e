#include "core/logger.h"

#include <QCoreApplication>
#include <QDate>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTime>

namespace {

// The program's own word size, written into every line.
const QString &wordSize()
{
    static const QString value = QStringLiteral("%1bit").arg(QSysInfo::WordSize);
    return value;
}

QString programVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral("5.0.7") : version;
}

} // namespace

Logger::Logger()
{
    collectSystemInfo();
}

Logger *Logger::instance()
{
    static Logger logger;
    return &logger;
}

void Logger::collectSystemInfo()
{
    m_userName = QString::fromLocal8Bit(qgetenv("USER"));
    if (m_userName.isEmpty())
        m_userName = QString::fromLocal8Bit(qgetenv("USERNAME"));

    QString name = QSysInfo::prettyProductName();
    if (name.isEmpty())
        name = QSysInfo::kernelType();
    const QString cpu = QSysInfo::currentCpuArchitecture();
    const QString architecture = (cpu == QLatin1String("x86_64") || cpu == QLatin1String("arm64"))
            ? QStringLiteral("x64")
            : QStringLiteral("x86");
    m_systemName = name + QLatin1Char(' ') + architecture;
}

QString Logger::levelName(int level)
{
    static const QString names[] = {QStringLiteral("DEBUG"), QStringLiteral("ERROR"),
                                    QStringLiteral("WARNING"), QStringLiteral("INFO")};
    return (level >= 0 && level < 4) ? names[level] : QString::number(level);
}

QString Logger::logDirectory()
{
    const QString path = QDir::homePath() + QStringLiteral("/.")
            + QCoreApplication::applicationName() + QStringLiteral("/log");
    if (!QFile::exists(path))
        QDir().mkpath(path);
    return QDir::toNativeSeparators(path);
}

QString Logger::logFileName() const
{
    return QDir::toNativeSeparators(
            logDirectory() + QStringLiteral("/log_")
            + QDate::currentDate().toString(QStringLiteral("yyyy_MM_dd")) + QStringLiteral(".txt"));
}

QString Logger::formatLine(const QString &text, int level, const QTime &time) const
{
    // "[%5][%7][%4][%6][%1] %2: %3", built by plain concatenation: chained
    // arg() would substitute into a message that holds "%1".
    return QLatin1Char('[') + programVersion() + QStringLiteral("][") + m_userName
            + QStringLiteral("][") + m_systemName + QStringLiteral("][") + wordSize()
            + QStringLiteral("][") + time.toString(QStringLiteral("hh:mm:ss"))
            + QStringLiteral("] ") + levelName(level) + QStringLiteral(": ") + text;
}

void Logger::write(const QString &text, int level)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString line = formatLine(text, level, now.time());
    const QByteArray bytes = line.toUtf8() + '\n';
    {
        QMutexLocker locker(&m_lock);
        QFile file(logFileName());
        if (file.open(QIODevice::WriteOnly | QIODevice::Append))
            file.write(bytes);
    }
    qDebug().noquote() << line;
}
