#include "archive/archivereader.h"

ArchiveReader::~ArchiveReader() = default;

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
