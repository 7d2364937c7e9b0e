#include "library/view/booktableheader.h"

#include "library/model/bookmodel.h"

#include <QMouseEvent>

BooktableHeader::BooktableHeader(Qt::Orientation orientation, QWidget *parent)
    : QHeaderView(orientation, parent)
{
    setMouseTracking(true);
}

void BooktableHeader::mousePressEvent(QMouseEvent *event)
{
    const int position = orientation() == Qt::Horizontal ? event->pos().x() : event->pos().y();
    const int visual = visualIndexAt(position);
    if (visual >= BookModel::TitleColumn && visual <= BookModel::NotesColumn) {
        setSectionsClickable(true);
        setSortIndicatorShown(true);
        setMouseTracking(true);
    } else {
        // Sections start out clickable; without this a first click on an
        // icon column would sort by the icons.
        setSectionsClickable(false);
        setSortIndicatorShown(false);
    }
    QHeaderView::mousePressEvent(event);
}

void BooktableHeader::mouseReleaseEvent(QMouseEvent *event)
{
    QHeaderView::mouseReleaseEvent(event);
    setSectionsClickable(false);
}
