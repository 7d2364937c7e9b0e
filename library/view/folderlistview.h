#pragma once

#include <QListView>
#include <QStringList>

class FolderDelegate;
class FolderModel;
class QMenu;

// The list of user categories in the library's left column, over the
// application's FolderModel. A row is renamed in place only when the
// library screen calls edit() on it (after "Rename" in the row's context
// menu); "Delete" and the Delete key ask the library screen to remove the
// category. Book ids dragged from the book views onto a row go into that
// category (FolderModel::dropMimeData). GUI thread only.
class FolderListView : public QListView
{
    Q_OBJECT
public:
    FolderListView(FolderModel *model, QWidget *parent = nullptr);
    ~FolderListView() override;

    FolderDelegate *folderDelegate() const { return m_delegate; }

    // Seam for tests: builds the context menu of a row. Null: the standard
    // menu. The view runs it at the click position and owns it while it runs.
    using MenuRunner = QAction *(*)(QMenu *menu, const QPoint &globalPos);
    void setMenuRunner(MenuRunner runner) { m_menuRunner = runner; }

signals:
    // Local paths of files dropped on the list. Nothing in the program
    // listens yet: the list only files books, dragged as book ids.
    void droppedFiles(QStringList paths);
    // Declared for the library screen; the list never emits it.
    void openFolder(QModelIndex index);
    void renameFolder(QModelIndex index);
    void removeFolder(QModelIndex index);

public slots:
    void onRequestContextMenu(QPoint pos);
    void onEditComplete();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(FolderListView)

    FolderModel *m_model;
    FolderDelegate *m_delegate = nullptr;
    MenuRunner m_menuRunner = nullptr;
};
