#pragma once

#include <QStyledItemDelegate>

// Item painter for the program's combo-box lists: shows the first column's
// text of the row (so a multi-column model lists one readable column) and
// draws no focus frame.
class ComboBoxItemDelegate : public QStyledItemDelegate
{
public:
    explicit ComboBoxItemDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
