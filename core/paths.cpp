#include "core/paths.h"

#include "core/logger.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <mutex>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString homeBase()
{
    return QDir::homePath() + QStringLiteral("/.") + QCoreApplication::applicationName();
}

// Builds the folder afresh and makes it when missing; never reports.
QString madeFolder(const QString &path)
{
    if (!QFile::exists(path))
        QDir().mkpath(path);
    return path;
}

// A folder only this user can enter: made with mode 0700 when missing;
// when present it must be a folder (not a link) owned by the user, and a
// looser mode is tightened. The system temporary folder is shared: any name
// in it can be made first by someone else.
bool privateFolder(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat status;
    if (::lstat(name.constData(), &status) != 0 || !S_ISDIR(status.st_mode)
        || status.st_uid != ::geteuid())
        return false;
    return (status.st_mode & 077) == 0 || ::chmod(name.constData(), 0700) == 0;
}

QString fallbackCacheDir(const QString &refused)
{
    // QTemporaryDir makes its folder with mode 0700 under a random name.
    static const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/.")
                                      + QCoreApplication::applicationName()
                                      + QStringLiteral("-cache-XXXXXX"));
    static std::once_flag reported;
    std::call_once(reported, [&refused]() {
        Logger::instance()->write(
                QStringLiteral("Paths::cacheDir: %1 is not a private folder of this user, using %2")
                        .arg(refused, folder.path()),
                Logger::Warning);
    });
    return folder.path();
}

} // namespace

namespace Paths {

QString appHomeDir()
{
    return QDir::toNativeSeparators(madeFolder(homeBase()));
}

QString booksDir()
{
    madeFolder(homeBase());
    return madeFolder(homeBase() + QStringLiteral("/books"));
}

QString bookPath(const QString &key)
{
    return QDir::toNativeSeparators(madeFolder(booksDir() + QLatin1Char('/') + hashHex(key)));
}

QString dataDir()
{
    return QDir::toNativeSeparators(madeFolder(homeBase() + QStringLiteral("/data")));
}

QString importDir()
{
    return QDir::toNativeSeparators(madeFolder(homeBase() + QStringLiteral("/Import")));
}

QString logDir()
{
    return QDir::toNativeSeparators(madeFolder(homeBase() + QStringLiteral("/log")));
}

QString tmpDir()
{
    const QString path = QFileInfo(homeBase() + QStringLiteral("/tmp")).absoluteFilePath();
    if (!QDir(path).exists())
        QDir().mkpath(path);
    return path;
}

QString cacheDir()
{
    const QString base = QDir::tempPath() + QStringLiteral("/.")
            + QCoreApplication::applicationName() + QLatin1Char('-') + QString::number(::geteuid());
    const QString cache = base + QStringLiteral("/cache");
    if (privateFolder(base) && privateFolder(cache))
        return cache;
    return fallbackCacheDir(base);
}

bool ensureDir(const QString &path)
{
    const QDir dir(path);
    return dir.exists() || dir.mkpath(QStringLiteral("."));
}

QString hashHex(const QString &text)
{
    return QString::fromLatin1(
            QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

QString fileHash(const QString &path, QCryptographicHash::Algorithm algorithm)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(algorithm);
    // addData(QIODevice*) reads in small blocks: memory stays flat whatever
    // the size of the book.
    if (!hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toBase64());
}

QString fileSuffix(const QString &fileName)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? fileName : fileName.mid(dot + 1)).toLower();
}

QString uuidName()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}

QString uniqueFileName(const QString &folder, const QString &fileName)
{
    QString candidate = QDir::toNativeSeparators(folder + QLatin1Char('/') + fileName);
    for (int counter = 1; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink();
         ++counter) {
        candidate = QDir::toNativeSeparators(
                QStringLiteral("%1/(%2)%3").arg(folder, QString::number(counter), fileName));
    }
    return candidate;
}

QString findFile(const QString &folder, const QString &relativePath)
{
    const QString needle = QDir::toNativeSeparators(relativePath);
    QDirIterator it(folder, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName() == QLatin1String(".") || it.fileName() == QLatin1String(".."))
            continue;
        if (QDir::toNativeSeparators(path).contains(needle, Qt::CaseInsensitive))
            return path;
    }
    return QString();
}

QString findFileMatching(const QString &folder, const QRegExp &pattern)
{
    QStringList found;
    QDirIterator it(folder, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName() == QLatin1String(".") || it.fileName() == QLatin1String(".."))
            continue;
        if (QDir::toNativeSeparators(path).indexOf(pattern) >= 0)
            found.append(path);
    }
    if (found.isEmpty())
        return QString();
    std::sort(found.begin(), found.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return found.first();
}

QString partFilePath(const QString &path)
{
    const QFileInfo info(path);
    return info.path() + QStringLiteral("/.vl-")
            + QString::number(QRandomGenerator::global()->generate(), 36)
            + QStringLiteral(".part");
}

int removePartFiles(const QString &folder)
{
    int removed = 0;
    QDirIterator it(folder, { QStringLiteral(".vl-*.part") }, QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        if (QFile::remove(it.next()))
            ++removed;
    }
    return removed;
}

bool removeDir(const QString &path)
{
    qDebug() << "Removing dir:" << path;
    const QFileInfo root(path);
    bool result = true;
    if (root.isSymLink()) {
        // A link in place of the folder: drop the link, keep its target.
        result = QFile::remove(path);
    } else if (root.isDir()) {
        const QDir dir(path);
        const QFileInfoList entries = dir.entryInfoList(
                QDir::NoDotAndDotDot | QDir::System | QDir::Hidden | QDir::AllDirs | QDir::Files,
                QDir::DirsFirst);
        for (const QFileInfo &entry : entries) {
            const bool removed = (entry.isDir() && !entry.isSymLink())
                    ? removeDir(entry.absoluteFilePath())
                    : QFile::remove(entry.absoluteFilePath());
            if (!removed)
                return false;
        }
        result = QDir().rmdir(path);
    }
    qDebug() << "Result:" << result;
    return result;
}

void removeFiles(const QStringList &paths)
{
    for (const QString &path : paths)
        QFile::remove(path);
}

} // namespace Paths
