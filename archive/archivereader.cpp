#include "archive/archivereader.h"

#include "archive/rarreader.h"
#include "archive/sevenzip/sevenzipreader.h"
#include "archive/zipreader.h"

ArchiveReader::~ArchiveReader() = default;

std::unique_ptr<ArchiveReader> ArchiveReader::create(const QString &path)
{
    const auto endsWith = [&path](const char *suffix) {
        return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
    };
    if (endsWith(".epub") || endsWith(".zip") || endsWith(".cbz"))
        return std::make_unique<ZipReader>();
    if (endsWith(".cbr"))
        return std::make_unique<RarReader>();
    if (endsWith(".7z"))
        return std::make_unique<SevenZipReader>();
    return std::make_unique<ArchiveReader>();
}

bool ArchiveReader::extract(const QString &, const QString &, QList<QFileInfo> *)
{
    return false;
}

bool ArchiveReader::testRead(const QString &, const QRegExp &, const QString &, QString &)
{
    return false;
}

bool ArchiveReader::extractFile(const QString &, const QString &, const QString &, QString &)
{
    return false;
}

QStringList ArchiveReader::list(const QString &)
{
    return {};
}

QString ArchiveReader::problem(const QString &)
{
    return tr("archives of this kind can not be read");
}
