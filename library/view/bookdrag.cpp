#include "library/view/bookdrag.h"

#include "library/view/coverimage.h"

#include <QAbstractItemView>
#include <QDrag>
#include <QMimeData>
#include <QUrl>

namespace BookDrag {

bool offersFiles(const QMimeData *data)
{
    return data && data->hasFormat(QStringLiteral("text/uri-list"));
}

QFileInfoList droppedFiles(const QMimeData *data)
{
    QFileInfoList files;
    if (!data || !data->hasUrls())
        return files;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls)
        files.append(QFileInfo(url.toLocalFile()));
    return files;
}

QPixmap image(const QString &coverPath)
{
    return QPixmap::fromImage(CoverImage::read(coverPath, QSize(CoverImage::anyLength, imageHeight),
                                               Qt::KeepAspectRatio));
}

void start(QAbstractItemView *view, const QModelIndexList &rows, Qt::DropActions supportedActions,
           const QPixmap &pixmap)
{
    if (rows.isEmpty() || !view->model())
        return;
    QMimeData *data = view->model()->mimeData(rows);
    if (!data)
        return;
    auto *drag = new QDrag(view);
    drag->setPixmap(pixmap);
    drag->setMimeData(data);
    drag->setHotSpot(QPoint(pixmap.width() / 2, pixmap.height() / 2));
    // The views move nothing of their own: a move would only ever be the
    // default for a view that is not in internal-move mode.
    Qt::DropAction defaultAction = Qt::IgnoreAction;
    if ((supportedActions & Qt::MoveAction)
        && view->dragDropMode() != QAbstractItemView::InternalMove)
        defaultAction = Qt::MoveAction;
    drag->exec(supportedActions, defaultAction);
}

} // namespace BookDrag
