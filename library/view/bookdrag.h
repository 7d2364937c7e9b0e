#pragma once

#include <QFileInfoList>
#include <QModelIndexList>
#include <QPixmap>

class QAbstractItemView;
class QMimeData;

// What the library's book views (the table and the shelf) share of drag and
// drop: books leave as the model's book-id data, which a category takes;
// files arrive from outside as URLs. The ids a category receives are
// checked there (FolderModel::dropMimeData), whichever view they came from.
namespace BookDrag {

// Height of the drag image.
constexpr int imageHeight = 192;

// Whether the drag brings files from outside.
bool offersFiles(const QMimeData *data);
// One entry per URL of the data, in order, from its local file path (a URL
// that names no local file gives an empty entry); empty without URLs.
QFileInfoList droppedFiles(const QMimeData *data);

// The cover at coverPath (the default cover when there is none) scaled to
// imageHeight, keeping its shape.
QPixmap image(const QString &coverPath);

// Drags the books of `rows` (one index per book) out of `view` with the
// view model's drag data and `pixmap`, hot spot at its centre. Nothing
// happens without rows or drag data. Whatever the drop does, the view
// changes nothing: a drop target acts on the ids.
void start(QAbstractItemView *view, const QModelIndexList &rows, Qt::DropActions supportedActions,
           const QPixmap &pixmap);

} // namespace BookDrag
