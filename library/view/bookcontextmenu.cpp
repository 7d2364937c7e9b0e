#include "library/view/bookcontextmenu.h"

#include "library/model/bookmodel.h"

#include <QAction>
#include <QFontMetrics>

namespace {

bool isValid(const QModelIndex &index)
{
    return index.row() >= 0 && index.column() >= 0 && index.model();
}

// Menu texts treat "&" as the mark of a shortcut letter: a title's own
// ampersands are doubled so that they show as they are.
QString asMenuText(const QString &text)
{
    QString escaped = text;
    return escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

BookContextMenu::BookContextMenu(const QModelIndexList &indexes,
                                 const QList<CategoryDto> &categories, QWidget *parent)
    : BookMenu(parent)
    , m_indexes(indexes)
    , m_categories(categories)
{
}

BookContextMenu::~BookContextMenu() = default;

bool BookContextMenu::fill()
{
    clear();
    m_items.clear();
    m_moveTo = nullptr;
    m_categoryId = 0;
    if (m_indexes.isEmpty() || !isValid(m_indexes.first()))
        return false;
    if (m_indexes.size() == 1)
        fillForBook();
    else
        fillForSelection();
    return true;
}

void BookContextMenu::build(const QPoint &globalPos)
{
    if (!fill())
        return;
    // A choice in "Move to" comes back as its own action as well.
    if (QAction *chosen = exec(globalPos))
        choose(chosen);
}

void BookContextMenu::choose(QAction *action)
{
    if (!action)
        return;
    if (m_moveTo && action->parent() == m_moveTo) {
        emit toFolder(m_indexes, action->data().toInt());
        return;
    }
    const auto item = m_items.constFind(action);
    if (item == m_items.cend())
        return;
    const QModelIndex first = m_indexes.first();
    switch (item.value()) {
    case Item::Read:
        emit read(first);
        break;
    case Item::Edit:
        emit edit(first);
        break;
    case Item::ToFavorites:
        emit toFavorites(m_indexes);
        break;
    case Item::FromFavorites:
        emit fromFavorites(m_indexes);
        break;
    case Item::Remove:
        emit remove(m_indexes);
        break;
    case Item::Properties:
        emit properties(first);
        break;
    case Item::Restore:
        emit restore(m_indexes);
        break;
    case Item::DeleteFromLibrary:
        emit deleteFromLibrary(m_indexes);
        break;
    case Item::DeleteFromCategory:
        emit deleteFromCategory(m_indexes, m_categoryId);
        break;
    }
}

void BookContextMenu::addItem(Item item, const QString &text)
{
    m_items.insert(addAction(text), item);
}

void BookContextMenu::addMoveTo()
{
    if (m_categories.isEmpty())
        return;
    m_moveTo = addMenu(tr("Move to"));
    for (const CategoryDto &category : qAsConst(m_categories)) {
        QAction *action = m_moveTo->addAction(asMenuText(category.title));
        action->setData(category.id);
    }
}

void BookContextMenu::addRemoveFromCategory()
{
    // Only the first book's category counts, also for a selection.
    const int categoryId = m_indexes.first().data(BookModel::CategoryIdRole).toInt();
    if (categoryId <= 0)
        return;
    m_categoryId = categoryId;
    addItem(Item::DeleteFromCategory, tr("Remove from category"));
}

void BookContextMenu::fillForBook()
{
    const QModelIndex book = m_indexes.first();
    const QString title = fontMetrics().elidedText(book.data(BookModel::TitleRole).toString(),
                                                   Qt::ElideRight, titleWidth);
    addItem(Item::Read, tr("Read %1").arg(asMenuText(title)));
    addSeparator();
    if (book.data(BookModel::DeletedRole).toBool()) {
        addItem(Item::Restore, tr("Restore"));
        addItem(Item::DeleteFromLibrary, tr("Delete", "delete from library"));
    } else {
        addItem(Item::Edit, tr("Edit"));
        if (book.data(BookModel::FavoriteRole).toBool())
            addItem(Item::FromFavorites, tr("Remove from Favorites"));
        else
            addItem(Item::ToFavorites, tr("Add to Favorites"));
        addMoveTo();
        addItem(Item::Remove, tr("Delete", "delete to trash"));
        addRemoveFromCategory();
    }
    addSeparator();
    addItem(Item::Properties, tr("Properties..."));
}

void BookContextMenu::fillForSelection()
{
    bool anyDeleted = false;
    bool anyFavorite = false;
    bool allFavorites = true;
    for (const QModelIndex &index : qAsConst(m_indexes)) {
        anyDeleted = anyDeleted || index.data(BookModel::DeletedRole).toBool();
        const bool favorite = index.data(BookModel::FavoriteRole).toBool();
        anyFavorite = anyFavorite || favorite;
        allFavorites = allFavorites && favorite;
    }
    if (anyDeleted) {
        addItem(Item::Restore, tr("Restore"));
        addItem(Item::DeleteFromLibrary, tr("Delete", "delete from library"));
        return;
    }
    if (!allFavorites)
        addItem(Item::ToFavorites, tr("Add to Favorites"));
    if (anyFavorite)
        addItem(Item::FromFavorites, tr("Remove from Favorites"));
    addSeparator();
    addMoveTo();
    addRemoveFromCategory();
    addSeparator();
    addItem(Item::Remove, tr("Delete", "delete to trash"));
}
