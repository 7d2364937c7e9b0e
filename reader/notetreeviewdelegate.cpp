#include "reader/notetreeviewdelegate.h"

#include "reader/note.h"
#include "reader/notesmodel.h"

#include <QTreeView>
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace {

constexpr int ChapterRowHeight = 27;
constexpr int NoteRowHeight = 40;
const QColor GridColor(QStringLiteral("#7C7C7C"));

QPixmap icon(const QString &path)
{
    return QPixmap(path).scaled(18, 18, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

NoteTreeViewDelegate::NoteTreeViewDelegate(QObject *parent)
    : QItemDelegate(parent)
{
    m_deleteIcons.insert(0, QStringLiteral(":/style/images/delete.png"));
    m_deleteIcons.insert(1, QStringLiteral(":/style/images/deleteselect.png"));
    m_editIcons.insert(0, QStringLiteral(":/style/images/EditNot.png"));
    m_editIcons.insert(1, QStringLiteral(":/style/images/EditNotFocus.png"));
}

void NoteTreeViewDelegate::commitAndCloseEditor() { }

QWidget *NoteTreeViewDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                            const QModelIndex &index) const
{
    if (index.column() == NotesModel::ContextColumn)
        return nullptr;
    return QItemDelegate::createEditor(parent, option, index);
}

void NoteTreeViewDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (index.column() != NotesModel::ContextColumn)
        QItemDelegate::setEditorData(editor, index);
}

void NoteTreeViewDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                        const QModelIndex &index) const
{
    if (index.column() != NotesModel::ContextColumn)
        QItemDelegate::setModelData(editor, model, index);
}

void NoteTreeViewDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    const int column = index.column();
    if (column > NotesModel::DeleteColumn) {
        QItemDelegate::paint(painter, option, index);
        return;
    }
    const bool noteRow = index.data(NotesModel::KindRole).toInt() == NoteEntry::NoteRow;
    const bool selected = option.state & QStyle::State_Selected;
    const QRect cell = option.rect;

    painter->save();
    if (selected) {
        painter->fillRect(cell, option.palette.highlight());
        painter->setPen(option.palette.color(QPalette::HighlightedText));
    } else {
        painter->setPen(option.palette.color(QPalette::Text));
    }
    painter->setFont(option.font);
    QStyle *style = QApplication::style();

    switch (column) {
    case NotesModel::ColorColumn:
        if (noteRow) {
            painter->fillRect(QRect(0, cell.top(), 10, cell.height()),
                              QColor(index.data(NotesModel::ColorRole).toString()));
        }
        break;
    case NotesModel::ContextColumn:
        if (noteRow) {
            painter->drawText(cell.adjusted(0, 5, -4, 0),
                              Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                              index.data(Qt::DisplayRole).toString());
        } else {
            const QRect title(cell.left(), cell.top() + 5, 2 * (cell.width() - 1) - 3,
                              cell.height() - 5);
            painter->drawText(title, Qt::AlignLeft | Qt::AlignTop,
                              index.data(Qt::DisplayRole).toString());
        }
        break;
    case NotesModel::TextColumn:
        if (noteRow) {
            painter->drawText(cell.adjusted(5, 5, 0, 0),
                              Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                              index.data(Qt::DisplayRole).toString());
        }
        break;
    case NotesModel::PageColumn:
    case NotesModel::DateColumn:
        painter->drawText(cell.adjusted(0, 4, 0, 0),
                          Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignTop,
                          noteRow ? index.data(Qt::DisplayRole).toString() : QString());
        break;
    case NotesModel::EditColumn:
        style->drawItemPixmap(painter, cell.adjusted(0, 5, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                              icon(noteRow ? m_editIcons.value(selected ? 1 : 0)
                                           : QStringLiteral(":/style/images/notesmin.png")));
        break;
    case NotesModel::DeleteColumn:
        if (noteRow) {
            style->drawItemPixmap(painter, cell.adjusted(0, 5, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                                  icon(m_deleteIcons.value(selected ? 1 : 0)));
        } else {
            // The notes of the chapter that pass the filters.
            const QModelIndex first = index.siblingAtColumn(0);
            painter->drawText(cell.adjusted(2, 5, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                              QString::number(index.model()->rowCount(first)));
        }
        break;
    default:
        break;
    }

    painter->setPen(GridColor);
    const int left = column <= NotesModel::DateColumn ? 0 : cell.left();
    painter->drawLine(left, cell.bottom(), cell.right(), cell.bottom());
    if (noteRow && column >= NotesModel::ContextColumn && column <= NotesModel::DateColumn)
        painter->drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
    painter->restore();
}

QSize NoteTreeViewDelegate::sizeHint(const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    const int width = option.rect.width();
    if (index.data(NotesModel::KindRole).toInt() != NoteEntry::NoteRow)
        return QSize(width, ChapterRowHeight);
    const int column = index.column();
    // The date and time take two lines below a small top margin.
    const int twoLines = 2 * option.fontMetrics.lineSpacing() + 8;
    if (column != NotesModel::ContextColumn && column != NotesModel::TextColumn)
        return QSize(width, qMax(NoteRowHeight, twoLines));
    // The text wraps in its column as the tree lays the columns out.
    const auto *view = qobject_cast<const QTreeView *>(parent());
    const int textWidth = (view ? view->columnWidth(column) : width) - 10;
    const QRect bound = option.fontMetrics.boundingRect(
            QRect(0, 0, qMax(textWidth, 1), 0), Qt::TextWordWrap | Qt::AlignLeft,
            index.data(Qt::DisplayRole).toString());
    return QSize(width, bound.height() + 10);
}
