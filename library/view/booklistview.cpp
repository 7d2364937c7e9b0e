#include "library/view/booklistview.h"

#include "core/logger.h"
#include "library/model/bookmodel.h"
#include "library/view/bookdrag.h"
#include "library/view/booklistviewdelegate.h"
#include "library/view/emptysearchlabel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSet>

BookListView::BookListView(QAbstractItemModel *model, QWidget *parent)
    : BookShelf(parent)
{
    setModel(model);
    setObjectName(QStringLiteral("bookListView"));
    setResizeMode(QListView::Adjust);
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setSpacing(20);
    // Icon mode lets a dragged item be dropped anywhere in the view; the
    // shelf's tiles keep the grid's order.
    setMovement(QListView::Static);
    setUniformItemSizes(true);

    m_delegate = new BookListViewDelegate(this);
    const QString images = QStringLiteral(":/style/images/");
    const QList<QPair<const char *, const char *>> imageProperties = {
        { "rateRated", "raterated.png" },
        { "rateRatedHigh", "rateratedhigh.png" },
        { "rateUnrated", "rateunrated.png" },
        { "rateUnratedHigh", "rateunratedhigh.png" },
        { "rateUnratedSelect", "rateunratedselect.png" },
        { "rateUnratedSelectHigh", "rateunratedselecthigh.png" },
        { "trash", "delete.png" },
        { "trashHigh", "deletehigh.png" },
        { "trashSelect", "deleteselect.png" },
        { "trashSelectHigh", "deleteselecthigh.png" },
    };
    for (const auto &property : imageProperties)
        m_delegate->setProperty(property.first, images + QLatin1String(property.second));
    setItemDelegate(m_delegate);

    auto *scrollBar = new QScrollBar(this);
    scrollBar->setObjectName(QStringLiteral("scrollBarListView"));
    setVerticalScrollBar(scrollBar);

    setDragDropMode(QAbstractItemView::InternalMove);
    setDragEnabled(true);
    setDropIndicatorShown(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);

    setContextMenuPolicy(Qt::CustomContextMenu);

    m_emptySearch = new EmptySearchLabel(this);

    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
}

BookListView::~BookListView() = default;

void BookListView::showEmptySearch(const QString &text)
{
    m_emptySearch->showMessage(text);
}

void BookListView::hideEmptySearch()
{
    m_emptySearch->hide();
}

QModelIndexList BookListView::selectedBooks() const
{
    QModelIndexList books;
    if (!selectionModel())
        return books;
    // A row selected in the table comes with all its columns: each book once.
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    QSet<int> rows;
    for (const QModelIndex &index : selected) {
        if (!index.isValid() || rows.contains(index.row()))
            continue;
        rows.insert(index.row());
        books.append(index.sibling(index.row(), BookModel::TitleColumn));
    }
    return books;
}

QPixmap BookListView::dragPixmap(const QModelIndexList &books)
{
    return BookDrag::image(books.isEmpty() ? QString()
                                           : books.first().data(BookModel::CoverRole).toString());
}

void BookListView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete)
        emit onDeleteKey();
    BookShelf::keyPressEvent(event);
}

void BookListView::resizeEvent(QResizeEvent *event)
{
    m_emptySearch->setGeometry(viewport()->geometry());
    BookShelf::resizeEvent(event);
}

void BookListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (BookDrag::offersFiles(event->mimeData()))
        event->acceptProposedAction();
    BookShelf::dragEnterEvent(event);
}

void BookListView::dragMoveEvent(QDragMoveEvent *event)
{
    // Files are taken anywhere on the shelf, over a tile or between tiles.
    BookShelf::dragMoveEvent(event);
    if (BookDrag::offersFiles(event->mimeData()))
        event->acceptProposedAction();
}

void BookListView::dropEvent(QDropEvent *event)
{
    Logger::instance()->write(QStringLiteral("BookListView::dropEvent"), Logger::Debug);
    const QMimeData *data = event->mimeData();
    if (data->hasUrls()) {
        emit droppedFiles(BookDrag::droppedFiles(data));
        event->acceptProposedAction();
        return;
    }
    // Books dropped back on the shelf stay where they are: the model does
    // not take drops, so the standard handling changes nothing.
    BookShelf::dropEvent(event);
}

void BookListView::startDrag(Qt::DropActions supportedActions)
{
    const QModelIndexList books = selectedBooks();
    BookDrag::start(this, books, supportedActions, dragPixmap(books));
}
