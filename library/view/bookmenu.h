#pragma once

#include <QMenu>
#include <QModelIndexList>

// What the library screen needs of the book context menu. The menu derives
// from this; the screen creates one per right click through
// LibraryViewParts::createBookMenu with the selected books' indexes,
// connects the signals below and calls build(), which fills the menu, runs
// it modally and emits the chosen item's signal before it returns. The menu
// itself changes nothing.
class BookMenu : public QMenu
{
    Q_OBJECT
public:
    explicit BookMenu(QWidget *parent = nullptr);
    ~BookMenu() override;

    virtual void build(const QPoint &globalPos) = 0;

signals:
    void read(QModelIndex index);
    void edit(QModelIndex index);
    void toFavorites(QModelIndexList indexes);
    void fromFavorites(QModelIndexList indexes);
    // To the trash.
    void remove(QModelIndexList indexes);
    void properties(QModelIndex index);
    void toFolder(QModelIndexList indexes, int categoryId);
    void restore(QModelIndexList indexes);
    // For good.
    void deleteFromLibrary(QModelIndexList indexes);
    void deleteFromCategory(QModelIndexList indexes, int categoryId);

private:
    Q_DISABLE_COPY_MOVE(BookMenu)
};
