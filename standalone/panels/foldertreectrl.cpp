#include "standalone/panels/foldertreectrl.h"

#include "standalone/util/filehelpers.h"

#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QFileIconProvider>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStyle>

#include <algorithm>

namespace divad {

namespace {

    std::function<QStringList()> &desktopSource()
    {
        static std::function<QStringList()> source;
        return source;
    }

    enum class DriveKind { Fixed, Removable, Network, Optical };

    DriveKind driveKindOf(const QString &path)
    {
        const QStorageInfo volume(path);
        if (!volume.isValid())
            return DriveKind::Fixed;
        const QByteArray type = volume.fileSystemType();
        if (type.startsWith("nfs") || type == "cifs" || type == "smbfs" || type == "smb3"
            || type.contains("sshfs") || type.startsWith("davfs") || type == "9p")
            return DriveKind::Network;
        if (type == "iso9660" || type == "udf")
            return DriveKind::Optical;
        if (IsRemovableDrive(volume.rootPath()))
            return DriveKind::Removable;
        return DriveKind::Fixed;
    }

    bool isMountRoot(const QString &path)
    {
        const QStorageInfo volume(path);
        return volume.isValid() && QDir(volume.rootPath()) == QDir(path);
    }

    bool hasVisibleSubfolder(const QString &path)
    {
        return !QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort).isEmpty();
    }

    QString displayName(const QString &path)
    {
        if (path == QLatin1String("/"))
            return path;
        const QString name = FileNameOfPath(path);
        return name.isEmpty() ? path : name;
    }

    QIcon folderIcon(const QFileInfo &info)
    {
        static QFileIconProvider provider;
        QIcon icon = provider.icon(info);
        if (info.isDir()) {
            // The open form while selected.
            const QIcon open = QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
            for (const QSize &size : open.availableSizes())
                icon.addPixmap(open.pixmap(size), QIcon::Selected);
        }
        return icon;
    }

} // namespace

FolderTreeCtrl::FolderTreeCtrl(QWidget *parent)
    : LazyTreeCtrl(parent)
{
}

FolderTreeCtrl::~FolderTreeCtrl() = default;

void FolderTreeCtrl::SetDesktopEntriesSource(std::function<QStringList()> source)
{
    desktopSource() = std::move(source);
}

QStringList FolderTreeCtrl::DesktopEntries()
{
    if (desktopSource())
        return desktopSource()();
    QStringList entries;
    const auto add = [&entries](const QString &path) {
        const QString clean = QDir::cleanPath(path);
        if (!clean.isEmpty() && QFileInfo(clean).isDir() && !entries.contains(clean))
            entries << clean;
    };
    add(QDir::homePath());
    add(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    add(QStringLiteral("/"));
    for (const QString &root : ListDriveLetters())
        add(root);
    return entries;
}

bool FolderTreeCtrl::IsShownFile(const QString &fileName)
{
    if (!fileName.contains(QLatin1Char('.')))
        return true;
    for (const char *suffix : { ".txt", ".htm", ".html" }) {
        if (fileName.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void FolderTreeCtrl::SetRoot(const QString &rootPath, bool showFiles)
{
    m_showFiles = showFiles;
    m_rootPath = rootPath;
    RefreshItem(nullptr);
}

void FolderTreeCtrl::RootAtSelection()
{
    if (!SelectedFilePath().isEmpty() || !currentItem())
        return;
    const QString path = currentItem()->data(0, PathRole).toString();
    if (path.isEmpty())
        return;
    SetRoot(path, m_showFiles);
}

void FolderTreeCtrl::RestoreRoot()
{
    SetRoot(QString(), m_showFiles);
}

QString FolderTreeCtrl::SelectedPath() const
{
    const QTreeWidgetItem *item = currentItem();
    return item ? item->data(0, PathRole).toString() : QString();
}

QString FolderTreeCtrl::SelectedFilePath() const
{
    const QString path = SelectedPath();
    if (path.isEmpty() || QFileInfo(path).isDir())
        return QString();
    return path;
}

QTreeWidgetItem *FolderTreeCtrl::FindItem(const QString &path) const
{
    QList<QTreeWidgetItem *> pending;
    for (int i = 0; i < topLevelItemCount(); ++i)
        pending << topLevelItem(i);
    while (!pending.isEmpty()) {
        QTreeWidgetItem *item = pending.takeFirst();
        if (item->data(0, PathRole).toString() == path)
            return item;
        for (int i = 0; i < item->childCount(); ++i)
            pending << item->child(i);
    }
    return nullptr;
}

bool FolderTreeCtrl::PopulateItem(QTreeWidgetItem *item)
{
    const bool isRoot = item == invisibleRootItem();
    QString parentPath = isRoot ? m_rootPath : item->data(0, PathRole).toString();
    if (!parentPath.isEmpty() && !QFileInfo(parentPath).isDir()) {
        // A folder that went away gets no children.
        if (!isRoot)
            return true;
        parentPath.clear();
    }

    bool result = true;
    if (parentPath.isEmpty()) {
        // The desktop keeps its own order and has no path of its own.
        for (const QString &entry : DesktopEntries()) {
            auto *child = new QTreeWidgetItem;
            result = FillItem(child, entry, true);
            item->addChild(child);
        }
        return result;
    }

    QDir::Filters filters = QDir::Dirs | QDir::NoDotAndDotDot;
    if (m_showFiles)
        filters |= QDir::Files;
    QFileInfoList entries = QDir(parentPath).entryInfoList(filters, QDir::NoSort);
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(entries.begin(), entries.end(), [&collator](const QFileInfo &a, const QFileInfo &b) {
        if (a.isDir() != b.isDir())
            return a.isDir();
        return collator.compare(a.fileName(), b.fileName()) < 0;
    });
    for (const QFileInfo &entry : qAsConst(entries)) {
        const bool folder = entry.isDir();
        if (!folder && !IsShownFile(entry.fileName()))
            continue;
        auto *child = new QTreeWidgetItem;
        result = FillItem(child, entry.absoluteFilePath(), folder);
        item->addChild(child);
    }
    return result && driveKindOf(parentPath) == DriveKind::Fixed;
}

bool FolderTreeCtrl::FillItem(QTreeWidgetItem *item, const QString &path, bool isFolder)
{
    const QFileInfo info(path);
    item->setText(0, displayName(path));
    item->setData(0, PathRole, path);
    item->setIcon(0, folderIcon(info));
    item->setToolTip(0, path);
    const bool mountRoot = isFolder && isMountRoot(path);
    const DriveKind kind = mountRoot ? driveKindOf(path) : DriveKind::Fixed;
    if (!isFolder)
        SetChildIndicator(item, false);
    else if (m_showFiles || kind == DriveKind::Removable)
        SetChildIndicator(item, true);
    else
        SetChildIndicator(item, hasVisibleSubfolder(path));
    // Drives that may be slow, absent or changing are read again at every
    // expansion rather than trusted once.
    return kind == DriveKind::Fixed;
}

} // namespace divad
