#include "archive/sevenzip/sevenzipreader.h"

#include "archive/sevenzip/sevenzipclient.h"
#include "core/logger.h"

SevenZipReader::SevenZipReader() = default;

SevenZipReader::SevenZipReader(const ArchiveLimits &limits)
    : m_limits(limits)
{
}

SevenZipReader::~SevenZipReader() = default;

bool SevenZipReader::unpack(const QString &archivePath, const QString &folder,
                            const std::function<bool(const QString &)> &filter,
                            QStringList *written)
{
    QString problem;
    if (SevenZipClient::instance().unpack(archivePath, folder, filter, m_limits, written, &problem))
        return true;
    Logger::instance()->write(
            QStringLiteral("Extract 7z archive [FAILED] %1: %2").arg(archivePath, problem),
            Logger::Error);
    return false;
}

bool SevenZipReader::extract(const QString &archivePath, const QString &folder,
                             QList<QFileInfo> *fileList)
{
    QStringList written;
    const bool done = unpack(archivePath, folder, {}, &written);
    if (fileList) {
        for (const QString &path : qAsConst(written))
            fileList->append(QFileInfo(path));
    }
    return done;
}

bool SevenZipReader::testRead(const QString &archivePath, const QRegExp &pattern,
                              const QString &folder, QString &outputPath)
{
    QStringList written;
    const bool done = unpack(
            archivePath, folder,
            [&pattern](const QString &name) {
                return pattern.isEmpty() || pattern.indexIn(name) >= 0;
            },
            &written);
    if (!written.isEmpty())
        outputPath = written.last();
    return done;
}

bool SevenZipReader::extractFile(const QString &archivePath, const QString &entryName,
                                 const QString &folder, QString &outputPath)
{
    QStringList written;
    const bool done = unpack(
            archivePath, folder,
            [&entryName](const QString &name) {
                return entryName.isEmpty() || entryName.compare(name, Qt::CaseInsensitive) == 0;
            },
            &written);
    if (!done || written.isEmpty())
        return false;
    outputPath = written.last();
    return true;
}

QStringList SevenZipReader::list(const QString &archivePath)
{
    QList<SevenZipClient::Entry> entries;
    if (!SevenZipClient::instance().list(archivePath, &entries))
        return {};
    QStringList names;
    for (const SevenZipClient::Entry &entry : qAsConst(entries))
        names << (entry.isFolder ? entry.path + QLatin1Char('/') : entry.path);
    return names;
}

QString SevenZipReader::problem(const QString &archivePath)
{
    QList<SevenZipClient::Entry> entries;
    QString problem;
    if (!SevenZipClient::instance().list(archivePath, &entries, &problem))
        return problem;
    qint64 declared = 0;
    for (const SevenZipClient::Entry &entry : qAsConst(entries)) {
        if (entry.encrypted)
            return tr("the archive is encrypted");
        declared = qMin(declared + entry.size, m_limits.maxTotalBytes + 1);
    }
    if (entries.size() > m_limits.maxEntries
        || m_limits.exceeded(declared, QFileInfo(archivePath).size()))
        return tr("the archive unpacks to far more data than a book holds");
    return QString();
}
