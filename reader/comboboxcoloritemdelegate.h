#pragma once

#include <QStyledItemDelegate>

// Paints one item of the notes panel's colour filter: its colour icon,
// centred, on the accent colour when selected.
class ComboBoxColorItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit ComboBoxColorItemDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
