#pragma once

#include "standalone/panels/lazytreectrl.h"

#include <QStringList>

#include <functional>

namespace divad {

// The folder tree of the file browser: the desktop (the home folder, the
// desktop folder, the file system root and every mounted drive) or a
// chosen folder as its top level, folders read on first expansion, and
// with showFiles the books in them: files named ".txt", ".htm" or ".html"
// (any case) and files without an extension. Hidden entries are left out,
// as the file manager does. Each item keeps its absolute path.
// User-interface thread; reading a folder is synchronous.
class FolderTreeCtrl : public LazyTreeCtrl
{
    Q_OBJECT

public:
    // Item data role of the absolute path.
    static constexpr int PathRole = Qt::UserRole + 1;

    explicit FolderTreeCtrl(QWidget *parent = nullptr);
    ~FolderTreeCtrl() override;

    // rootPath "" is the desktop.
    void SetRoot(const QString &rootPath, bool showFiles);
    // The selected folder becomes the top level; nothing for a file.
    void RootAtSelection();
    void RestoreRoot();
    QString RootPath() const { return m_rootPath; }
    bool ShowFiles() const { return m_showFiles; }

    // The selected item's path, or "" when nothing is selected.
    QString SelectedPath() const;
    // SelectedPath() when it names something that is not a folder, else "".
    QString SelectedFilePath() const;
    // The item whose path is path among the filled ones, or null.
    QTreeWidgetItem *FindItem(const QString &path) const;

    // The entries of the desktop level (tests replace them).
    static QStringList DesktopEntries();
    static void SetDesktopEntriesSource(std::function<QStringList()> source);
    // Whether a book file of this name is shown.
    static bool IsShownFile(const QString &fileName);

protected:
    bool PopulateItem(QTreeWidgetItem *item) override;

private:
    bool FillItem(QTreeWidgetItem *item, const QString &path, bool isFolder);

    QString m_rootPath;
    bool m_showFiles = false;
};

} // namespace divad
