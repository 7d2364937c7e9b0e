#pragma once

#include <QStyledItemDelegate>

// Rows of the contents tree are 34 pixels high.
class TocTreeViewDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TocTreeViewDelegate(QObject *parent = nullptr);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
