#include "reader/notesortfiltermodel.h"

#include "reader/note.h"
#include "reader/notesmodel.h"

#include <QRegExp>

NoteSortFilterModel::NoteSortFilterModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setFilterCaseSensitivity(Qt::CaseInsensitive);
}

void NoteSortFilterModel::setSearchText(const QString &text)
{
    setFilterRegExp(QRegExp(text, Qt::CaseInsensitive));
}

bool NoteSortFilterModel::noteAccepted(const QModelIndex &sourceIndex) const
{
    const auto *notes = static_cast<const NotesModel *>(sourceModel());
    const QModelIndex row = sourceIndex.siblingAtColumn(0);
    const QString colorKey = notes->colorFilter();
    if (colorKey != noteColors().first()
        && QColor(colorKey) != row.siblingAtColumn(NotesModel::ColorColumn).data().value<QColor>()) {
        return false;
    }
    const QString comment = row.siblingAtColumn(NotesModel::TextColumn).data().toString();
    const int mode = notes->commentFilter();
    if ((mode == NotesModel::WithComments && comment.isEmpty())
        || (mode == NotesModel::WithoutComments && !comment.isEmpty())) {
        return false;
    }
    const QRegExp pattern = filterRegExp();
    if (pattern.isEmpty())
        return true;
    const QString context = row.siblingAtColumn(NotesModel::ContextColumn).data().toString();
    return pattern.indexIn(comment) >= 0 || pattern.indexIn(context) >= 0;
}

bool NoteSortFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const QAbstractItemModel *source = sourceModel();
    const QModelIndex index = source->index(sourceRow, 0, sourceParent);
    if (!index.isValid())
        return false;
    const int kind = index.data(NotesModel::KindRole).toInt();
    if (kind == NoteEntry::NoteRow)
        return noteAccepted(index);
    if (kind != NoteEntry::Chapter)
        return false;
    const int children = source->rowCount(index);
    for (int i = 0; i < children; ++i) {
        if (noteAccepted(source->index(i, 0, index)))
            return true;
    }
    return false;
}

bool NoteSortFilterModel::hasChildren(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return true;
    if (parent.data(NotesModel::KindRole).toInt() == NoteEntry::NoteRow)
        return false;
    return rowCount(parent) > 0;
}

bool NoteSortFilterModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    switch (left.column()) {
    case NotesModel::PageColumn:
        return left.data(NotesModel::PageRole).toInt() < right.data(NotesModel::PageRole).toInt();
    case NotesModel::DateColumn:
        return left.data(NotesModel::DateRole).toDateTime()
                < right.data(NotesModel::DateRole).toDateTime();
    case NotesModel::TextColumn:
        return QString::localeAwareCompare(left.data(NotesModel::TextRole).toString(),
                                           right.data(NotesModel::TextRole).toString())
                < 0;
    default:
        return QSortFilterProxyModel::lessThan(left, right);
    }
}

void NoteSortFilterModel::sort(int column, Qt::SortOrder order)
{
    if (column == NotesModel::ColorColumn)
        return;
    QSortFilterProxyModel::sort(column, order);
}
