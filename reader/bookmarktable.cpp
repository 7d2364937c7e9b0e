#include "reader/bookmarktable.h"

#include "reader/bookmarktabledelegate.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>

BookmarkTable::BookmarkTable(QWidget *parent)
    : QTableView(parent)
{
    setMouseTracking(true);
    m_delegate = new BookmarkTableDelegate(this);
    m_delegate->setTrash(QStringLiteral(":/style/images/delete.png"));
    m_delegate->setTrashHigh(QStringLiteral(":/style/images/deletehigh.png"));
    m_delegate->setTrashSelect(QStringLiteral(":/style/images/deleteselect.png"));
    m_delegate->setTrashSelectHigh(QStringLiteral(":/style/images/deleteselecthigh.png"));
    setItemDelegate(m_delegate);

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(34);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setShowGrid(false);

    auto *header = new QHeaderView(Qt::Horizontal, this);
    header->setObjectName(QStringLiteral("tocHeaderView"));
    header->setHighlightSections(false);
    setHorizontalHeader(header);
    auto *bar = new QScrollBar(Qt::Vertical, this);
    bar->setObjectName(QStringLiteral("tocScrollBar"));
    setVerticalScrollBar(bar);
    verticalHeader()->hide();
}

void BookmarkTable::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    for (int section = 0; section < 3; ++section)
        horizontalHeader()->setSectionResizeMode(section, QHeaderView::Fixed);
    fitColumns();
}

void BookmarkTable::fitColumns()
{
    // The viewport is already laid out beside the scroll bar, so the trash
    // column stays in sight when the table scrolls.
    setColumnWidth(0, viewport()->width() - 121);
    setColumnWidth(1, 86);
    setColumnWidth(2, 35);
}

void BookmarkTable::resizeEvent(QResizeEvent *event)
{
    fitColumns();
    QTableView::resizeEvent(event);
}

void BookmarkTable::showEvent(QShowEvent *event)
{
    fitColumns();
    QTableView::showEvent(event);
}

bool BookmarkTable::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Resize)
        fitColumns();
    return QTableView::viewportEvent(event);
}
