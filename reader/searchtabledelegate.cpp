#include "reader/searchtabledelegate.h"

#include "reader/searchmodel.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPainter>
#include <QTextDocument>

SearchTableDelegate::SearchTableDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QString SearchTableDelegate::richText(const QModelIndex &index)
{
    return QStringLiteral("<b>%1</b><br/>%2")
            .arg(index.data(SearchModel::LocationRole).toString().toHtmlEscaped(),
                 index.data(SearchModel::TextRole).toString());
}

void SearchTableDelegate::layOut(QTextDocument *document, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    QTextOption textOption = document->defaultTextOption();
    textOption.setAlignment(Qt::AlignJustify);
    document->setDefaultTextOption(textOption);
    document->setDefaultFont(option.font);
    document->setTextWidth(option.rect.width());
    document->setHtml(richText(index));
}

void SearchTableDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    if (index.column() != 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    QTextDocument document;
    layOut(&document, item, index);
    item.text.clear();

    QStyle *style = item.widget ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
    QAbstractTextDocumentLayout::PaintContext context;
    if (item.state & QStyle::State_Selected) {
        painter->fillRect(item.rect, item.palette.highlight());
        context.palette.setColor(QPalette::Text,
                                 item.palette.color(QPalette::Active, QPalette::HighlightedText));
    }
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
    painter->save();
    painter->translate(textRect.topLeft());
    painter->setClipRect(textRect.translated(-textRect.topLeft()));
    document.documentLayout()->draw(painter, context);
    painter->restore();
}

QSize SearchTableDelegate::sizeHint(const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    QTextDocument document;
    layOut(&document, option, index);
    return QSize(int(document.idealWidth()), int(document.size().height()));
}
