#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QFrame;

namespace divad {

class FolderTreeCtrl;

// The side bar's "浏览" page: a folder tree with the books in it, buttons
// that root the tree at the selected folder or at the desktop again, and a
// switch between opening a book with a double click (the default) and with
// a single click. A chosen book is handed to the reading window, which
// opens it from its own event loop. Setting in "cfg.ini": "fileview" /
// "chksingleclickopenfile". Child of the side bar; user-interface thread.
class FileBrowserPanel : public QWidget
{
    Q_OBJECT

public:
    explicit FileBrowserPanel(QWidget *parent = nullptr);
    ~FileBrowserPanel() override;

    // Stores path as the book to open and asks the main window to open it;
    // nothing for "".
    static void OpenFile(const QString &path);

    FolderTreeCtrl *Tree() const { return m_tree; }
    QLabel *Hint() const { return m_hint; }
    QPushButton *SingleClickButton() const { return m_singleClick; }
    void OnSetRoot();
    void OnRestoreRoot();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void onSelectionChanged();
    void onDoubleClick();
    void saveSingleClick();

    FolderTreeCtrl *m_tree = nullptr;
    QPushButton *m_setRoot = nullptr;
    QPushButton *m_restoreRoot = nullptr;
    QPushButton *m_singleClick = nullptr;
    QFrame *m_frame = nullptr;
    QLabel *m_hint = nullptr;
    bool m_initialised = false;
    bool m_changingRoot = false;
    int m_lastHeight = 0;
};

// Each window of stretch keeps its top and width and grows by newHeight -
// oldHeight (at least 1 pixel high); each of move moves down by as much.
// Null entries are skipped.
void ResizeChildrenVertically(QWidget *parent, int oldHeight, int newHeight,
                              const QList<QWidget *> &stretch, const QList<QWidget *> &move);

} // namespace divad
