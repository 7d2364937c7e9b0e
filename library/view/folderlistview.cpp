#include "library/view/folderlistview.h"

#include "core/logger.h"
#include "library/model/bookmodel.h"
#include "library/model/foldermodel.h"
#include "library/view/folderdelegate.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

FolderListView::FolderListView(FolderModel *model, QWidget *parent)
    : QListView(parent)
    , m_model(model)
{
    setModel(model);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setObjectName(QStringLiteral("folderListView"));
    setViewMode(QListView::ListMode);

    m_delegate = new FolderDelegate(this);
    setItemDelegate(m_delegate);

    auto *scrollBar = new QScrollBar(this);
    scrollBar->setObjectName(QStringLiteral("scrollBarListView"));
    setVerticalScrollBar(scrollBar);

    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDragEnabled(true);
    setDropIndicatorShown(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setFixedWidth(259);

    connect(m_delegate, &FolderDelegate::updateNeeded, this, &FolderListView::onEditComplete);
    connect(this, &QWidget::customContextMenuRequested, this,
            &FolderListView::onRequestContextMenu);
}

FolderListView::~FolderListView() = default;

void FolderListView::onRequestContextMenu(QPoint pos)
{
    // Persistent: the list may reload while the menu runs (a background add
    // changes the counts), and then the row is gone.
    const QPersistentModelIndex index = indexAt(pos);
    if (!index.isValid())
        return;
    QMenu menu;
    QAction *rename = menu.addAction(tr("Rename"));
    QAction *remove = menu.addAction(tr("Delete"));
    const QPoint globalPos = viewport()->mapToGlobal(pos);
    QAction *chosen = m_menuRunner ? m_menuRunner(&menu, globalPos) : menu.exec(globalPos);
    if (!index.isValid())
        return;
    if (chosen == rename)
        emit renameFolder(index);
    else if (chosen == remove)
        emit removeFolder(index);
}

void FolderListView::onEditComplete()
{
    m_model->updateData();
}

void FolderListView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete)
        emit removeFolder(selectionModel()->currentIndex());
    QAbstractItemView::keyPressEvent(event);
}

void FolderListView::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (data->hasFormat(QStringLiteral("text/uri-list"))
        || data->hasFormat(BookModel::bookIdMimeType())) {
        event->setDropAction(event->proposedAction());
        event->accept();
    }
    QAbstractItemView::dragEnterEvent(event);
}

void FolderListView::dragMoveEvent(QDragMoveEvent *event)
{
    event->acceptProposedAction();
    QListView::dragMoveEvent(event);
}

void FolderListView::dragLeaveEvent(QDragLeaveEvent *event)
{
    event->accept();
    QListView::dragLeaveEvent(event);
}

void FolderListView::dropEvent(QDropEvent *event)
{
    Logger::instance()->write(QStringLiteral("FolderListView::dropEvent"), Logger::Debug);
    const QMimeData *data = event->mimeData();
    if (data->hasUrls()) {
        const QList<QUrl> urls = data->urls();
        if (urls.isEmpty())
            return;
        QStringList paths;
        for (const QUrl &url : urls)
            paths.append(url.toLocalFile());
        emit droppedFiles(paths);
    }
    QListView::dropEvent(event);
}
