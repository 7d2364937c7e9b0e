#pragma once

#include <QFileInfoList>
#include <QListView>

// What the library screen needs of its bookshelf page, the grid of book
// covers it shows instead of the table. The shelf derives from this; the
// screen creates it through LibraryViewParts::createShelf over the same
// sorted and filtered model as the table, and shares the table's selection
// model with it.
class BookShelf : public QListView
{
    Q_OBJECT
public:
    explicit BookShelf(QWidget *parent = nullptr);
    ~BookShelf() override;

    // A centred message over the tiles when a search finds nothing.
    virtual void showEmptySearch(const QString &text) = 0;
    virtual void hideEmptySearch() = 0;

signals:
    // Files dropped on the shelf from outside, one entry per URL.
    void droppedFiles(QFileInfoList files);
    // The Delete key was pressed.
    void onDeleteKey();

private:
    Q_DISABLE_COPY_MOVE(BookShelf)
};
