#include "reader/bookmarkmodel.h"

#include "library/db/bookmarkdto.h"
#include "reader/usercontext.h"

namespace {

constexpr int LeftCentred = Qt::AlignLeft | Qt::AlignVCenter;
constexpr int Centred = Qt::AlignHCenter | Qt::AlignVCenter;

// The list view's delegate reads rows as library bookmarks.
const int BookmarkDtoType = qRegisterMetaType<BookmarkDto>("BookmarkDto");

} // namespace

BookmarkModel::BookmarkModel(UserContext *context, QObject *parent)
    : QAbstractListModel(parent)
    , m_context(context)
{
    Q_UNUSED(BookmarkDtoType)
}

void BookmarkModel::setBookmarks(const QList<ViewerBookmark> &bookmarks)
{
    beginResetModel();
    m_bookmarks = bookmarks;
    endResetModel();
}

bool BookmarkModel::removeBookmark(int row)
{
    if (row < 0 || row >= m_bookmarks.size())
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    const ViewerBookmark removed = m_bookmarks.takeAt(row);
    endRemoveRows();
    if (!m_context)
        return true;
    m_context->removeBookmark(removed.index);
    const QList<ViewerBookmark> left = m_context->bookmarks();
    if (left.size() != m_bookmarks.size()) {
        setBookmarks(left);
    } else if (!left.isEmpty()) {
        m_bookmarks = left;
        emit dataChanged(index(0, 0), index(left.size() - 1, 2));
    }
    return true;
}

int BookmarkModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_bookmarks.size();
}

int BookmarkModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant BookmarkModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_bookmarks.size())
        return QVariant();
    const ViewerBookmark &bookmark = m_bookmarks.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (index.column() == 0) {
            return bookmark.page > 0
                    ? QStringLiteral("%1 (%2%)").arg(bookmark.title,
                                                       QString::number(bookmark.progress))
                    : QStringLiteral("%1 (...)").arg(bookmark.title);
        }
        if (index.column() == 1)
            return bookmark.page > 0 ? QString::number(bookmark.page) : QStringLiteral("...");
        return QVariant();
    case NavigationRole:
        return bookmark.id;
    case Qt::TextAlignmentRole:
        return index.column() == 1 ? QVariant(Centred) : QVariant();
    default:
        return QVariant();
    }
}

QVariant BookmarkModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::DisplayRole) {
        if (section == 0)
            return tr("Chapter title");
        if (section == 1)
            return tr("Page");
        return QVariant();
    }
    if (role == Qt::TextAlignmentRole)
        return section == 1 ? Centred : LeftCentred;
    return QVariant();
}
