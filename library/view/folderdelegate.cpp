#include "library/view/folderdelegate.h"

#include "library/model/foldermodel.h"
#include "library/view/foldereditor.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace {

constexpr int rowHeight = 27;
constexpr int iconWidth = 28;

} // namespace

FolderDelegate::FolderDelegate(QObject *parent)
    : QItemDelegate(parent)
{
}

QString FolderDelegate::rowText(const QModelIndex &index)
{
    return QStringLiteral("%1 (%2)")
            .arg(index.data(FolderModel::TitleRole).toString())
            .arg(index.data(FolderModel::BookCountRole).toInt());
}

void FolderDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                           const QModelIndex &index) const
{
    if (index.column() != 0) {
        QItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    QString icon = QStringLiteral(":/style/images/userfolder.png");
    if (option.state & (QStyle::State_Selected | QStyle::State_MouseOver)) {
        icon = QStringLiteral(":/style/images/userfolderselect.png");
        painter->fillRect(option.rect, option.palette.brush(QPalette::Highlight));
        painter->setPen(option.palette.brush(QPalette::HighlightedText).color());
    }
    const QRect iconRect(option.rect.left(), option.rect.top(), iconWidth, option.rect.height());
    QApplication::style()->drawItemPixmap(painter, iconRect, Qt::AlignRight | Qt::AlignVCenter,
                                          QPixmap(icon));

    const int textLeft = iconRect.right() + 10;
    const int textWidth = option.rect.right() - textLeft - 5;
    const QString text = option.fontMetrics.elidedText(rowText(index), Qt::ElideMiddle, textWidth);
    painter->drawText(QRect(textLeft, option.rect.top(), textWidth, option.rect.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, text);
    painter->restore();
}

QSize FolderDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), rowHeight);
}

QWidget *FolderDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    if (index.column() != 0)
        return QItemDelegate::createEditor(parent, option, index);
    auto *editor = new FolderEditor(parent);
    connect(editor, &FolderEditor::editingFinished, this, &FolderDelegate::commitAndCloseEditor);
    return editor;
}

void FolderDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *folderEditor = qobject_cast<FolderEditor *>(editor);
    if (index.column() != 0 || !folderEditor) {
        QItemDelegate::setEditorData(editor, index);
        return;
    }
    folderEditor->setText(index.data(Qt::DisplayRole).toString());
    folderEditor->selectAll();
}

void FolderDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                  const QModelIndex &index) const
{
    auto *folderEditor = qobject_cast<FolderEditor *>(editor);
    if (index.column() != 0 || !folderEditor) {
        QItemDelegate::setModelData(editor, model, index);
        return;
    }
    model->setData(index, folderEditor->text(), Qt::EditRole);
}

void FolderDelegate::commitAndCloseEditor()
{
    auto *editor = qobject_cast<FolderEditor *>(sender());
    if (!editor)
        return;
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    emit updateNeeded();
}
