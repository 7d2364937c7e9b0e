#include "reader/searchtable.h"

#include "reader/searchtabledelegate.h"

#include <QHeaderView>
#include <QScrollBar>

SearchTable::SearchTable(QWidget *parent)
    : QTableView(parent)
{
    setMouseTracking(true);
    setItemDelegate(new SearchTableDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(34);
    verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    setShowGrid(false);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *bar = new QScrollBar(Qt::Vertical, this);
    bar->setObjectName(QStringLiteral("searchTableScrollbar"));
    setVerticalScrollBar(bar);
}
