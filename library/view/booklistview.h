#pragma once

#include "library/view/bookshelf.h"
#include "library/view/emptysearchlabel.h"

#include <QModelIndexList>

class BookListViewDelegate;

// The library's bookshelf: the books of the current category as a wrapping
// grid of cover tiles (BookListViewDelegate) over the same sorted model as
// the table. Files dropped from outside are reported as droppedFiles();
// selected books are dragged out as book ids (the model's drag data) onto a
// category; the Delete key is reported as onDeleteKey(); a right click asks
// the library screen for the book menu (customContextMenuRequested). A
// centred label over the tiles tells that a search found nothing.
//
// Tiles stay where the grid puts them: a drag never moves one, and a drop on
// the shelf changes nothing but the files it may bring. Selecting a tile
// selects the book's whole row, so the table beside it, which shares the
// selection, shows the same books.
//
// The model must have BookModel's columns and roles. GUI thread only.
class BookListView : public BookShelf
{
    Q_OBJECT
public:
    BookListView(QAbstractItemModel *model, QWidget *parent = nullptr);
    ~BookListView() override;

    void showEmptySearch(const QString &text) override;
    void hideEmptySearch() override;

    QLabel *emptySearchLabel() const { return m_emptySearch; }
    BookListViewDelegate *bookDelegate() const { return m_delegate; }

    // The selected books, one index of column 0 each, in selection order.
    QModelIndexList selectedBooks() const;
    // The drag image of the given books: the first one's cover (the default
    // cover when it has none), 192 pixels high.
    static QPixmap dragPixmap(const QModelIndexList &books);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    Q_DISABLE_COPY_MOVE(BookListView)

    BookListViewDelegate *m_delegate = nullptr;
    EmptySearchLabel *m_emptySearch = nullptr;
};
