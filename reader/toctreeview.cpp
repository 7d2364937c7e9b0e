#include "reader/toctreeview.h"

#include "reader/toctreeviewdelegate.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>

TocTreeView::TocTreeView(QWidget *parent)
    : QTreeView(parent)
{
    auto *header = new QHeaderView(Qt::Horizontal, this);
    header->setObjectName(QStringLiteral("tocHeaderView"));
    setHeader(header);
    auto *bar = new QScrollBar(Qt::Vertical, this);
    bar->setObjectName(QStringLiteral("tocScrollBar"));
    setVerticalScrollBar(bar);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new TocTreeViewDelegate(this));
}

void TocTreeView::fitColumns()
{
    // The viewport is already laid out beside the scroll bar: the page
    // column stays in sight when the tree scrolls.
    setColumnWidth(0, viewport()->width() - 54);
    setColumnWidth(1, 54);
}

void TocTreeView::resizeEvent(QResizeEvent *event)
{
    fitColumns();
    QTreeView::resizeEvent(event);
}

void TocTreeView::showEvent(QShowEvent *event)
{
    fitColumns();
    QTreeView::showEvent(event);
}

bool TocTreeView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Resize)
        fitColumns();
    return QTreeView::viewportEvent(event);
}
