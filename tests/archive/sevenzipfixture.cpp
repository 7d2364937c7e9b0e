#include "tests/archive/sevenzipfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QUuid>

namespace SevenZipFixture {

QDateTime fileTime()
{
    return QDateTime(QDate(2020, 5, 17), QTime(12, 34, 56), Qt::UTC);
}

bool make(const QString &archivePath, const QList<File> &files, const QStringList &switches)
{
    const QString scratch = QFileInfo(archivePath).absolutePath() + QStringLiteral("/pack-")
            + QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString root = scratch + QStringLiteral("/root");
    if (!QDir().mkpath(root))
        return false;
    QStringList names;
    for (const File &file : files) {
        const QString path = QDir::cleanPath(QDir(root).filePath(file.name));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(file.data) != file.data.size()
            || !out.flush())
            return false;
        out.setFileTime(fileTime(), QFileDevice::FileModificationTime);
        out.close();
        names << file.name;
    }
    QFile::remove(archivePath);
    QProcess sevenZip;
    sevenZip.setWorkingDirectory(root);
    sevenZip.setProcessChannelMode(QProcess::MergedChannels);
    sevenZip.start(QStringLiteral("7z"),
                   QStringList { QStringLiteral("a"), QStringLiteral("-bd"), QStringLiteral("-y") }
                           + switches
                           + QStringList { QFileInfo(archivePath).absoluteFilePath(),
                                           QStringLiteral("--") }
                           + names);
    const bool finished = sevenZip.waitForFinished(60000);
    const QByteArray output = sevenZip.readAll();
    QDir(scratch).removeRecursively();
    if (!finished || sevenZip.exitStatus() != QProcess::NormalExit || sevenZip.exitCode() != 0) {
        qWarning("7z failed for %s: %s", qPrintable(archivePath), output.constData());
        return false;
    }
    return true;
}

bool truncatedCopy(const QString &from, const QString &to, qint64 size)
{
    QFile in(from);
    QFile out(to);
    return in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly)
            && out.write(in.read(size)) == size;
}

bool flipByte(const QString &path, qint64 offset)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qint64 at = offset < 0 ? file.size() + offset : offset;
    if (!file.seek(at))
        return false;
    char byte = 0;
    if (!file.getChar(&byte) || !file.seek(at))
        return false;
    return file.putChar(char(~byte));
}

QByteArray noise(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char(generator.bounded(256));
    return data;
}

} // namespace SevenZipFixture
