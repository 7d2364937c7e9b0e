#include "reader/notetreeview.h"

#include "reader/notetreeviewdelegate.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>

NoteTreeView::NoteTreeView(QWidget *parent)
    : QTreeView(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new NoteTreeViewDelegate(this));
    auto *header = new QHeaderView(Qt::Horizontal, this);
    header->setObjectName(QStringLiteral("notesHeaderView"));
    header->setHighlightSections(false);
    // The colour strip is narrower than a header section may be by default.
    header->setMinimumSectionSize(1);
    setHeader(header);
    auto *bar = new QScrollBar(Qt::Vertical, this);
    bar->setObjectName(QStringLiteral("tocScrollBar"));
    setVerticalScrollBar(bar);
    setSortingEnabled(true);
    connect(header, &QHeaderView::sectionClicked, this, &NoteTreeView::onSectionClicked);
}

void NoteTreeView::onSectionClicked(int section)
{
    header()->setSortIndicatorShown(section != 0);
}

void NoteTreeView::fitColumns()
{
    // The viewport is already laid out beside the scroll bar, so the delete
    // column stays in sight when the tree scrolls.
    const int viewportWidth = viewport()->width();
    // The date column fits a date in the tree's font; with the small fonts
    // the layout was made for that is 80 pixels.
    const int dateWidth = qMax(80, fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + 8);
    const int fixed = 20 + 50 + dateWidth + 25 + 35;
    const int w = viewportWidth - fixed;
    setColumnWidth(0, 20);
    setColumnWidth(1, w * 6 / 10);
    setColumnWidth(2, w * 4 / 10);
    setColumnWidth(3, 50);
    setColumnWidth(4, dateWidth);
    setColumnWidth(5, 25);
    setColumnWidth(6, viewportWidth - fixed + 35 - columnWidth(1) - columnWidth(2));
}

void NoteTreeView::resizeEvent(QResizeEvent *event)
{
    fitColumns();
    QTreeView::resizeEvent(event);
}

void NoteTreeView::showEvent(QShowEvent *event)
{
    fitColumns();
    QTreeView::showEvent(event);
}

bool NoteTreeView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Resize)
        fitColumns();
    return QTreeView::viewportEvent(event);
}
