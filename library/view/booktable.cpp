#include "library/view/booktable.h"

#include "core/logger.h"
#include "library/model/bookmodel.h"
#include "library/view/bookdrag.h"
#include "library/view/booktabledelegate.h"
#include "library/view/booktableheader.h"
#include "library/view/emptysearchlabel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>

namespace {

constexpr int bookRowHeight = 50;
constexpr int progressWidth = 80;
constexpr int dateWidth = 60;
constexpr int notesWidth = 60;
constexpr int iconColumnWidth = 35;
constexpr int deleteColumnWidth = 55;

} // namespace

BookTable::BookTable(QAbstractItemModel *model, QWidget *parent)
    : QTableView(parent)
{
    setObjectName(QStringLiteral("boxLibraryTable"));
    // The delegate paints hover images on the icon columns.
    setMouseTracking(true);
    setSortingEnabled(true);
    setModel(model);
    setCursor(Qt::ArrowCursor);

    m_delegate = new BookTableDelegate(this);
    setItemDelegate(m_delegate);

    m_header = new BooktableHeader(Qt::Horizontal, this);
    m_header->setSortIndicatorShown(true);
    m_header->setSectionsClickable(true);
    setHorizontalHeader(m_header);

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);

    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(bookRowHeight);
    verticalHeader()->hide();
    m_header->setHighlightSections(false);
    // The style's minimum (from the font and the sort arrow) is wider than
    // the icon columns.
    m_header->setMinimumSectionSize(iconColumnWidth);
    // The title takes whatever the other columns leave; the author's width
    // is set from the table's width (updateColumnWidths).
    m_header->setSectionResizeMode(BookModel::TitleColumn, QHeaderView::Stretch);
    for (int column = BookModel::AuthorColumn; column <= BookModel::StoredAuthorColumn; ++column)
        m_header->setSectionResizeMode(column, QHeaderView::Fixed);

    setColumnWidth(BookModel::FavoriteColumn, iconColumnWidth);
    setColumnWidth(BookModel::DeletedColumn, iconColumnWidth);
    setColumnHidden(BookModel::FormatColumn, true);

    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlternatingRowColors(true);

    viewport()->setAcceptDrops(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDragEnabled(true);
    setDropIndicatorShown(true);

    auto *scrollBar = new QScrollBar(this);
    scrollBar->setObjectName(QStringLiteral("bookTableScrollbar"));
    setVerticalScrollBar(scrollBar);
    setContextMenuPolicy(Qt::CustomContextMenu);

    m_emptySearch = new EmptySearchLabel(this);
}

BookTable::~BookTable() = default;

void BookTable::setFavoriteColumnHidden(bool hidden)
{
    setColumnHidden(BookModel::FavoriteColumn, hidden);
}

void BookTable::setRestoreColumnHidden(bool hidden)
{
    setColumnHidden(BookModel::StoredAuthorColumn, hidden);
}

void BookTable::showEmptySearch(const QString &text)
{
    m_emptySearch->showMessage(text);
}

void BookTable::hideEmptySearch()
{
    m_emptySearch->hide();
}

void BookTable::updateColumnWidths()
{
    // The scroll bar is narrow and transparent: it floats over the right
    // end of the rows instead of narrowing them.
    viewport()->resize(width(), viewport()->height());

    int reserved = 230;
    if (!isColumnHidden(BookModel::StoredAuthorColumn))
        reserved += iconColumnWidth;
    if (!isColumnHidden(BookModel::FavoriteColumn))
        reserved += iconColumnWidth;
    const int viewportWidth = viewport()->width();
    const int authorWidth = int((viewportWidth - reserved) * 0.3);

    // The title stretches over the rest: a fixed width of the viewport less
    // the author's would push the icon columns out of sight.
    setColumnWidth(BookModel::TitleColumn, viewportWidth - authorWidth);
    setColumnWidth(BookModel::ProgressColumn, progressWidth);
    setColumnWidth(BookModel::NotesColumn, notesWidth);
    setColumnWidth(BookModel::DateColumn, dateWidth);
    setColumnWidth(BookModel::AuthorColumn, authorWidth);
    if (!isColumnHidden(BookModel::FavoriteColumn))
        setColumnWidth(BookModel::FavoriteColumn, iconColumnWidth);
    if (!isColumnHidden(BookModel::StoredAuthorColumn))
        setColumnWidth(BookModel::StoredAuthorColumn, iconColumnWidth);
    setColumnWidth(BookModel::DeletedColumn, deleteColumnWidth);

    m_emptySearch->setGeometry(viewport()->geometry());
}

void BookTable::keyPressEvent(QKeyEvent *event)
{
    Logger::instance()->write(QStringLiteral("BookTable::keyPressEvent"), Logger::Debug);
    if (event->key() == Qt::Key_Delete)
        emit onDeleteKey();
    QTableView::keyPressEvent(event);
}

void BookTable::dragEnterEvent(QDragEnterEvent *event)
{
    // The table only moves its own items; files from outside are taken here
    // (the base handling leaves a foreign drag's acceptance alone).
    if (BookDrag::offersFiles(event->mimeData()))
        event->acceptProposedAction();
    QTableView::dragEnterEvent(event);
}

void BookTable::dropEvent(QDropEvent *event)
{
    Logger::instance()->write(QStringLiteral("BookTable::dropEvent"), Logger::Debug);
    if (event->mimeData()->hasUrls())
        emit droppedFiles(BookDrag::droppedFiles(event->mimeData()));
    QTableView::dropEvent(event);
}

void BookTable::resizeEvent(QResizeEvent *event)
{
    updateColumnWidths();
    QTableView::resizeEvent(event);
}

void BookTable::showEvent(QShowEvent *event)
{
    updateColumnWidths();
    QTableView::showEvent(event);
}

QPixmap BookTable::dragPixmap(const QModelIndexList &rows)
{
    QString path;
    if (rows.size() == 1)
        path = rows.first().data(BookModel::CoverRole).toString();
    return BookDrag::image(path);
}

void BookTable::startDrag(Qt::DropActions supportedActions)
{
    const QModelIndexList rows = selectionModel()->selectedRows(BookModel::TitleColumn);
    BookDrag::start(this, rows, supportedActions, dragPixmap(rows));
}
