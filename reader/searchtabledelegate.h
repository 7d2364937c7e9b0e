#pragma once

#include <QStyledItemDelegate>

class QTextDocument;

// Paints a search hit as rich text: the location in bold, the hit's line
// below it (the hit itself marked bold by the search). The location is the
// book's own text and is escaped; the hit's line comes escaped from the
// search.
class SearchTableDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit SearchTableDelegate(QObject *parent = nullptr);

    // The rich text of a row.
    static QString richText(const QModelIndex &index);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void layOut(QTextDocument *document, const QStyleOptionViewItem &option,
                const QModelIndex &index) const;
};
