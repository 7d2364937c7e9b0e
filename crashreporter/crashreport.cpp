#include "crashreporter/crashreport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QUuid>

namespace {

const QString ReportFileName = QStringLiteral("report.json");
const QString UploadedMarker = QStringLiteral("uploaded");
// report.json is a few kilobytes; anything larger was not written by us.
constexpr qint64 MaxReportJsonBytes = 1 << 20;

bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
            && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

} // namespace

CrashReport::CrashReport(const QString &folder)
    : m_folder(folder)
    , m_crashId(QUuid::createUuid().toString(QUuid::WithoutBraces))
    , m_time(QDateTime::currentDateTimeUtc().toString(Qt::ISODate))
{
}

QString CrashReport::filePath(const QString &name) const
{
    return QDir(m_folder).filePath(name);
}

QString CrashReport::value(const QString &propertyName) const
{
    for (const auto &property : m_properties) {
        if (property.first == propertyName)
            return property.second;
    }
    return QString();
}

void CrashReport::setApplication(const QString &name, const QString &version)
{
    m_applicationName = name;
    m_applicationVersion = version;
}

void CrashReport::setCrash(int signalNumber, qint64 processId)
{
    m_signal = signalNumber;
    m_processId = processId;
}

QString CrashReport::newestLog(const QString &folder)
{
    const QFileInfoList logs
            = QDir(folder).entryInfoList({ QStringLiteral("log_*.txt") }, QDir::Files, QDir::Time);
    return logs.isEmpty() ? QString() : logs.first().absoluteFilePath();
}

QString CrashReport::uniqueName(const QString &fileName) const
{
    QString name = isPlainName(fileName) ? fileName : QStringLiteral("file");
    const QString base = name;
    for (int i = 1;
         QFileInfo::exists(filePath(name)) || name == ReportFileName || name == UploadedMarker; ++i)
        name = QStringLiteral("(%1)%2").arg(i).arg(base);
    return name;
}

bool CrashReport::addFile(const QString &path, const QString &description, qint64 tailBytes)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QString name = uniqueName(QFileInfo(path).fileName());
    QFile copy(filePath(name));
    if (!copy.open(QIODevice::WriteOnly))
        return false;
    if (tailBytes >= 0 && source.size() > tailBytes)
        source.seek(source.size() - tailBytes);
    // Streamed: the book may be ten megabytes.
    QByteArray buffer;
    while (!(buffer = source.read(1 << 16)).isEmpty()) {
        if (copy.write(buffer) != buffer.size()) {
            copy.remove();
            return false;
        }
    }
    m_files.append({ name, description });
    return true;
}

void CrashReport::addProperty(const QString &name, const QString &value)
{
    m_properties.append({ name, value });
}

void CrashReport::collect(const QString &logFolder, const QString &settingsFile,
                          const QList<QScreen *> &screens)
{
    const QString backtrace = filePath(QStringLiteral("backtrace.txt"));
    if (QFileInfo::exists(backtrace))
        m_files.append({ QStringLiteral("backtrace.txt"), QStringLiteral("Backtrace") });

    const QString log = newestLog(logFolder);
    if (!log.isEmpty())
        addFile(log, QStringLiteral("Log file"), MaxLogBytes);
    if (QFileInfo::exists(settingsFile))
        addFile(settingsFile, QStringLiteral("Configuration File"));

    const QString book = QSettings(settingsFile, QSettings::IniFormat)
                                 .value(QStringLiteral("last_open_book"))
                                 .toString();
    const QFileInfo bookFile(book);
    if (!book.isEmpty() && bookFile.isFile()) {
        if (bookFile.size() <= MaxBookSize)
            addFile(book, QStringLiteral("Last open book"));
        else
            addProperty(QStringLiteral("Last open book file name"), book);
    }

    addProperty(QStringLiteral("Screen count"), QString::number(screens.size()));
    for (int i = 0; i < screens.size(); ++i) {
        const QRect geometry = screens.at(i)->geometry();
        addProperty(QStringLiteral("Screen %1").arg(i),
                    QStringLiteral("%1x%2").arg(geometry.width()).arg(geometry.height()));
    }
}

void CrashReport::addScreenshot(QScreen *screen)
{
    if (!screen)
        return;
    const QPixmap picture = screen->grabWindow(0);
    const QString name = uniqueName(QStringLiteral("screenshot.png"));
    if (!picture.isNull() && picture.save(filePath(name), "PNG"))
        m_files.append({ name, QStringLiteral("Screenshot") });
}

QByteArray CrashReport::toJson() const
{
    QJsonArray files;
    for (const File &file : m_files)
        files.append(QJsonObject { { QStringLiteral("name"), file.name },
                                   { QStringLiteral("description"), file.description } });
    QJsonArray properties;
    for (const auto &property : m_properties)
        properties.append(QJsonObject { { QStringLiteral("name"), property.first },
                                        { QStringLiteral("value"), property.second } });
    const QJsonObject report {
        { QStringLiteral("application"), m_applicationName },
        { QStringLiteral("version"), m_applicationVersion },
        { QStringLiteral("crashGuid"), m_crashId },
        { QStringLiteral("time"), m_time },
        { QStringLiteral("signal"), m_signal },
        { QStringLiteral("pid"), double(m_processId) },
        { QStringLiteral("uploadUrl"), m_uploadUrl.toString() },
        { QStringLiteral("description"), m_description },
        { QStringLiteral("files"), files },
        { QStringLiteral("properties"), properties },
    };
    return QJsonDocument(report).toJson();
}

bool CrashReport::save(QString *error) const
{
    QSaveFile file(filePath(ReportFileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(toJson()) < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool CrashReport::load(QString *error)
{
    QFile file(filePath(ReportFileName));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.size() > MaxReportJsonBytes) {
        if (error)
            *error = QStringLiteral("%1 is too large").arg(ReportFileName);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        if (error)
            *error = parseError.errorString();
        return false;
    }
    const QJsonObject report = document.object();
    m_applicationName = report.value(QStringLiteral("application")).toString();
    m_applicationVersion = report.value(QStringLiteral("version")).toString();
    m_crashId = report.value(QStringLiteral("crashGuid")).toString(m_crashId);
    m_time = report.value(QStringLiteral("time")).toString();
    m_signal = report.value(QStringLiteral("signal")).toInt();
    m_processId = qint64(report.value(QStringLiteral("pid")).toDouble());
    m_uploadUrl = QUrl(report.value(QStringLiteral("uploadUrl")).toString());
    m_description = report.value(QStringLiteral("description")).toString();
    m_files.clear();
    for (const QJsonValue &entry : report.value(QStringLiteral("files")).toArray()) {
        const QString name = entry.toObject().value(QStringLiteral("name")).toString();
        // Only files of this folder go out with it.
        if (isPlainName(name) && QFileInfo(filePath(name)).isFile())
            m_files.append(
                    { name, entry.toObject().value(QStringLiteral("description")).toString() });
    }
    m_properties.clear();
    for (const QJsonValue &entry : report.value(QStringLiteral("properties")).toArray())
        m_properties.append({ entry.toObject().value(QStringLiteral("name")).toString(),
                              entry.toObject().value(QStringLiteral("value")).toString() });
    return true;
}

bool CrashReport::isUploaded() const
{
    return QFileInfo::exists(filePath(UploadedMarker));
}

bool CrashReport::markUploaded(QString *error) const
{
    QSaveFile marker(filePath(UploadedMarker));
    if (!marker.open(QIODevice::WriteOnly)
        || marker.write(QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8()) < 0
        || !marker.commit()) {
        if (error)
            *error = marker.errorString();
        return false;
    }
    return true;
}
