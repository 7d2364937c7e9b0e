#include "archive/singlebookarchive.h"

#include "archive/archivepath.h"
#include "archive/sevenzip/sevenzipclient.h"
#include "archive/zipreader.h"
#include "core/paths.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace SingleBookArchive {

namespace {

    QString tr(const char *text)
    {
        return QCoreApplication::translate("SingleBookArchive", text);
    }

    bool isSevenZip(const QString &path)
    {
        return path.endsWith(QLatin1String(".7z"), Qt::CaseInsensitive);
    }

} // namespace

bool isArchive(const QString &path)
{
    return isSevenZip(path) || path.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive);
}

QString entrySuffix(const QString &archivePath, QString *problem)
{
    if (isSevenZip(archivePath))
        return SevenZipClient::instance().singleEntrySuffix(archivePath, problem);
    const QString suffix = ZipReader::singleEntrySuffix(archivePath);
    if (suffix.isNull() && problem)
        *problem = ZipReader().problem(archivePath);
    return suffix;
}

qint64 unpackedSize(const QString &archivePath)
{
    if (!isSevenZip(archivePath))
        return ZipReader::unpackedSize(archivePath);
    QList<SevenZipClient::Entry> entries;
    if (!SevenZipClient::instance().list(archivePath, &entries))
        return -1;
    qint64 total = 0;
    for (const SevenZipClient::Entry &entry : qAsConst(entries))
        total += qMin<qint64>(entry.size, qint64(1) << 48);
    return total;
}

QString unpack(const QString &archivePath, const QString &folder, QString *problem)
{
    if (isSevenZip(archivePath)) {
        const QString stored = SevenZipClient::instance().extract(archivePath, folder, problem);
        const QString unpacked = stored.isNull() ? QString() : ArchivePath::join(folder, stored);
        if (!unpacked.isNull() && QFileInfo(unpacked).isFile())
            return unpacked;
        // A folder alone is no book.
        if (!stored.isNull() && problem)
            *problem = tr("the archive holds no book file");
        return QString();
    }
    ZipReader reader;
    const QStringList entries = reader.list(archivePath);
    QString unpacked;
    if (entries.size() != 1 || !reader.extractFile(archivePath, entries.first(), folder, unpacked)
        || unpacked.isEmpty() || !QFileInfo(unpacked).isFile()) {
        if (problem) {
            *problem = reader.problem(archivePath);
            if (problem->isEmpty())
                *problem = tr("the archive is damaged");
        }
        return QString();
    }
    return unpacked;
}

QString unpackForReading(const QString &archivePath, QString *problem)
{
    const QString folder = Paths::bookPath(archivePath) + QStringLiteral("/archive");
    if (!Paths::ensureDir(folder)) {
        if (problem)
            *problem = tr("the book's folder can not be made");
        return QString();
    }
    // Files of an unpack that was cut short (the program killed, the disk
    // full) are left over under their temporary names.
    Paths::removePartFiles(folder);
    return unpack(archivePath, folder, problem);
}

} // namespace SingleBookArchive
