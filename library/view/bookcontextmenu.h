#pragma once

#include "library/db/categorydto.h"
#include "library/view/bookmenu.h"

#include <QHash>
#include <QList>

class QAction;

// The right-click menu of one or more books in the shelf or the table. Its
// items follow the state of the books it was made for: in the trash or
// not, favourites or not, in a user category or not; "Move to" lists the
// user's categories. The menu changes nothing itself: it reports the chosen
// item by its signal (BookMenu) with the indexes it was made for.
//
// The indexes are of BookModel or a proxy over it; the menu reads them
// through TitleRole, FavoriteRole, DeletedRole and CategoryIdRole only
// (the last costs one query, asked once per menu). GUI thread only.
class BookContextMenu : public BookMenu
{
    Q_OBJECT
public:
    BookContextMenu(const QModelIndexList &indexes, const QList<CategoryDto> &categories,
                    QWidget *parent = nullptr);
    ~BookContextMenu() override;

    // Fills the menu (fill()), runs it at globalPos and emits the signal of
    // the chosen item before it returns; nothing when it is closed without a
    // choice, or when the first index is not valid.
    void build(const QPoint &globalPos) override;

    // Fills the menu for its books: the items of one book, or those of a
    // selection of several. False, leaving the menu empty, when there is no
    // valid first index.
    bool fill();
    // Emits the signal of a chosen item of the filled menu (an item of the
    // "Move to" submenu included); nothing for any other action.
    void choose(QAction *action);

    // The "Move to" submenu of the filled menu; null without categories.
    QMenu *moveToMenu() const { return m_moveTo; }

    // Widest text of the title in "Read %1", in pixels.
    static constexpr int titleWidth = 300;

private:
    Q_DISABLE_COPY_MOVE(BookContextMenu)

    enum class Item {
        Read,
        Edit,
        ToFavorites,
        FromFavorites,
        Remove,
        Properties,
        Restore,
        DeleteFromLibrary,
        DeleteFromCategory,
    };

    void fillForBook();
    void fillForSelection();
    void addItem(Item item, const QString &text);
    void addMoveTo();
    void addRemoveFromCategory();

    QModelIndexList m_indexes;
    QList<CategoryDto> m_categories;
    QHash<QAction *, Item> m_items;
    QMenu *m_moveTo = nullptr;
    int m_categoryId = 0;
};
