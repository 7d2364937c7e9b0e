#include "archive/archivepath.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace ArchivePath {

namespace {

    bool hasDriveLetter(const QString &name)
    {
        return name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter();
    }

    // The deepest folder of path that exists, resolved through links, must stay
    // under root: an archive that once placed a link (a RAR or 7z entry can be
    // one) must not lead a later entry out of the folder.
    bool staysInside(const QString &root, const QString &path, QSet<QString> *checkedFolders)
    {
        const QString parent = QFileInfo(path).absolutePath();
        if (checkedFolders && checkedFolders->contains(parent))
            return true;
        const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
        if (canonicalRoot.isEmpty())
            return true; // nothing exists yet, so nothing on the way can be a link
        QString probe = parent;
        while (probe.size() > root.size() && !QFileInfo::exists(probe))
            probe = QFileInfo(probe).absolutePath();
        const QString canonical = QFileInfo(probe).canonicalFilePath();
        if (canonical.isEmpty())
            return false;
        const bool inside = canonical == canonicalRoot
                || canonical.startsWith(canonicalRoot + QLatin1Char('/'));
        // Only a folder that exists can be remembered: one made later could
        // be anything.
        if (inside && checkedFolders && probe == parent)
            checkedFolders->insert(parent);
        return inside;
    }

} // namespace

QString clean(const QString &entryName)
{
    QString name = entryName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || hasDriveLetter(name)
        || name.contains(QChar(0)))
        return QString();
    const bool isFolder = name.endsWith(QLatin1Char('/'));
    QStringList kept;
    const QStringList steps = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &step : steps) {
        if (step == QLatin1String(".."))
            return QString();
        if (step == QLatin1String("."))
            continue;
        // A drive letter can also hide behind a first "." step ("./C:x").
        if (kept.isEmpty() && hasDriveLetter(step))
            return QString();
        kept.append(step);
    }
    if (kept.isEmpty())
        return QString();
    QString result = kept.join(QLatin1Char('/'));
    if (isFolder)
        result += QLatin1Char('/');
    return result;
}

QString join(const QString &folder, const QString &entryName, QSet<QString> *checkedFolders)
{
    const QString name = clean(entryName);
    if (name.isNull() || folder.isEmpty())
        return QString();
    const QString root = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    const QString joined = root + QLatin1Char('/') + name;
    // clean() leaves nothing that could climb, but check the result itself
    // so that this stays true whatever clean() becomes.
    const QString cleaned = QDir::cleanPath(joined);
    if (!cleaned.startsWith(root + QLatin1Char('/')) && cleaned != root)
        return QString();
    if (!staysInside(root, joined, checkedFolders))
        return QString();
    return joined;
}

} // namespace ArchivePath
