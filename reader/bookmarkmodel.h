#pragma once

#include "reader/viewerbookmark.h"

#include <QAbstractListModel>
#include <QList>
#include <QPointer>

class UserContext;

// The open book's bookmarks for the bookmark table: the title with the
// progress, the page, and an empty delete column. The role Qt::UserRole + 1
// gives a row's navigation number (the bookmark's id) in every column.
class BookmarkModel : public QAbstractListModel
{
    Q_OBJECT
public:
    static constexpr int NavigationRole = Qt::UserRole + 1;

    // The controller removes bookmarks and lists the ones left; not owned,
    // may be null (then removing only takes the row away).
    explicit BookmarkModel(UserContext *context, QObject *parent = nullptr);

    void setBookmarks(const QList<ViewerBookmark> &bookmarks);
    QList<ViewerBookmark> bookmarks() const { return m_bookmarks; }
    // Removes the bookmark of a row from the book, then takes the book's
    // list again: the bookmarks after it may have been numbered anew.
    bool removeBookmark(int row);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Q_DISABLE_COPY_MOVE(BookmarkModel)

    QPointer<UserContext> m_context;
    QList<ViewerBookmark> m_bookmarks;
};
