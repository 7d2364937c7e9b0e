#include "standalone/util/filehelpers.h"

#include "standalone/util/ansi.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

namespace divad {

namespace {

    const QChar separator = QLatin1Char('/');

    bool copyOneFile(const QString &source, const QString &target)
    {
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        QSaveFile out(target);
        if (!out.open(QIODevice::WriteOnly))
            return false;
        char buffer[64 * 1024];
        for (;;) {
            const qint64 got = in.read(buffer, sizeof buffer);
            if (got < 0)
                return false;
            if (got == 0)
                break;
            if (out.write(buffer, got) != got)
                return false;
        }
        return out.commit();
    }

    bool copyEntry(const QString &source, const QString &target)
    {
        const QFileInfo info(source);
        if (!info.isDir())
            return QDir().mkpath(FolderOfPath(target)) && copyOneFile(source, target);
        if (!QDir().mkpath(target))
            return false;
        QDirIterator it(source, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        while (it.hasNext()) {
            it.next();
            if (it.fileInfo().isSymLink())
                continue;
            if (!copyEntry(it.filePath(), JoinPath(target, it.fileName())))
                return false;
        }
        return true;
    }

    QString blockDeviceName(const QByteArray &device)
    {
        // /dev/sdb1 -> sdb, /dev/mmcblk0p1 -> mmcblk0, /dev/nvme0n1p2 -> nvme0n1
        QString name = QFileInfo(QString::fromLocal8Bit(device)).fileName();
        if (QFileInfo::exists(QStringLiteral("/sys/block/") + name))
            return name;
        const QString partition = QStringLiteral("/sys/class/block/") + name;
        const QString parent = QFileInfo(QFileInfo(partition).canonicalFilePath()).path();
        return QFileInfo(parent).fileName();
    }

} // namespace

QString FolderOfPath(const QString &path)
{
    const int last = path.lastIndexOf(separator);
    if (last < 0)
        return QString();
    if (last == 0)
        return QString(separator);
    return path.left(last);
}

QString FileNameOfPath(const QString &path)
{
    return path.mid(path.lastIndexOf(separator) + 1);
}

QString StripExtension(const QString &path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? path : path.left(dot);
}

QString ExtensionOf(const QString &path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : path.mid(dot + 1);
}

QString ParentFolderName(const QString &path)
{
    return FileNameOfPath(FolderOfPath(path));
}

QString JoinPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    if (name.isEmpty() || name == QString(separator))
        return folder;
    QString left = folder;
    if (left.endsWith(separator))
        left.chop(1);
    QString right = name;
    if (right.startsWith(separator))
        right.remove(0, 1);
    return left + separator + right;
}

bool FileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

qint64 FileSize64(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return 0;
    return file.size();
}

quint32 FileSize(const QString &path)
{
    return quint32(qMin<qint64>(FileSize64(path), 0xFFFFFFFFLL));
}

bool SamePath(const QString &a, const QString &b)
{
    const auto normal = [](const QString &path) {
        QByteArray bytes = Ansi::upperAsciiText(path).toUtf8();
        if (bytes.size() > 2 && !bytes.endsWith('/'))
            bytes += '/';
        return bytes;
    };
    return normal(a) == normal(b);
}

bool PathsDiffer(const QString &a, const QString &b)
{
    return !SamePath(a, b);
}

bool LooksLikePath(const QString &text)
{
    return text.toUtf8().size() > 1 && text.contains(separator);
}

QStringList ListDriveLetters()
{
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        if (!volume.device().startsWith("/dev/"))
            continue;
        if (!roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    }
    roots.sort();
    return roots;
}

bool IsRemovableDrive(const QString &root)
{
    const QStorageInfo volume(root);
    if (!volume.isValid() || volume.rootPath() != QDir(root).absolutePath())
        return false;
    const QString name = blockDeviceName(volume.device());
    if (name.isEmpty())
        return false;
    QFile flag(QStringLiteral("/sys/block/%1/removable").arg(name));
    if (flag.open(QIODevice::ReadOnly) && flag.readAll().trimmed() == "1")
        return true;
    // USB sticks often report themselves fixed; the kernel still knows the bus.
    const QString devicePath
            = QFileInfo(QStringLiteral("/sys/block/%1").arg(name)).canonicalFilePath();
    return devicePath.contains(QLatin1String("/usb"));
}

bool CopyFilesTo(const QStringList &sources, const QStringList &destinations)
{
    if (sources.isEmpty() || destinations.isEmpty())
        return false;
    if (destinations.size() != 1 && destinations.size() != sources.size())
        return false;
    const bool intoFolder = destinations.size() == 1
            && (sources.size() > 1 || QFileInfo(destinations.first()).isDir());
    for (int i = 0; i < sources.size(); ++i) {
        const QString target = intoFolder
                ? JoinPath(destinations.first(), FileNameOfPath(sources.at(i)))
                : destinations.at(i);
        if (!FileExists(sources.at(i)) || !copyEntry(sources.at(i), target))
            return false;
    }
    return true;
}

} // namespace divad
