// The library screen's operations that change the library in bulk or for
// good: adding files and folders on a worker thread, the confirmations
// before deleting or clearing, and the hand-over of a running add to the
// background.

#include "library/view/libraryview.h"

#include "core/logger.h"
#include "core/settings.h"
#include "library/model/bookmodel.h"
#include "library/model/foldermodel.h"
#include "library/workers/addbooksworker.h"
#include "widgets/button.h"
#include "widgets/progressdialog.h"

#include <QMetaObject>

// ---- adding books ----

void LibraryView::onAddFiles(const QFileInfoList &files, bool showCompleteMessage,
                             bool openLastAddedBook)
{
    auto *dialog = new ProgressDialog(this);
    auto *worker = new AddBooksWorker(files, this);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    m_workers.removeAll(QPointer<AddBooksWorker>());
    m_workers.append(worker);

    dialog->reset();
    dialog->setTitle(tr("Add books"));
    dialog->setBackgroundButtonVisible(true);

    connect(worker, &AddBooksWorker::stateChanged, dialog,
            [dialog](WorkerStates state) { dialog->workerStateChanged(int(state)); });
    connect(worker, &AddBooksWorker::progressChanged, dialog, &ProgressDialog::setProgressChanged);
    connect(worker, &AddBooksWorker::progressMessage, dialog, &ProgressDialog::setMessage);
    connect(dialog, &ProgressDialog::canceled, worker, &AddBooksWorker::cancel);
    connect(dialog, &ProgressDialog::runBackground, this, &LibraryView::onStartBackgroundOperation);
    if (showCompleteMessage) {
        connect(worker, &AddBooksWorker::complete, this, &LibraryView::onAddFilesComplete);
        connect(worker, &AddBooksWorker::failed, this, &LibraryView::onAddFilesFailed);
    }
    if (openLastAddedBook)
        connect(worker, &AddBooksWorker::complete, this, &LibraryView::onOpenLastAdded);
    connect(worker, &AddBooksWorker::done, this, &LibraryView::onEndBackgroundOperation);
    worker->start(QThread::InheritPriority);
}

void LibraryView::onAddDir()
{
    // The folder is remembered through the one settings object: a copy
    // written to the file behind its back would be overwritten by the next
    // save of the reading settings, and the add-book dialog would not see it.
    Settings *settings = Settings::instance();
    const QString folder = m_parts.getExistingDirectory(this, tr("Select folder"),
                                                        settings->lastUsedDirectory());
    if (folder.isEmpty())
        return;
    settings->setLastUsedDirectory(folder);
    onAddFiles({ QFileInfo(folder) }, true, false);
}

void LibraryView::onAddFilesComplete(int bookCount)
{
    updateCategoryCounters();
    m_buttonAll->click();
    m_parts.showMessage(this, tr("Add complete"),
                        tr("%1 file(s) were successfully added into the Library").arg(bookCount));
}

void LibraryView::onAddFilesFailed(AddBooksErrors error)
{
    updateCategoryCounters();
    m_buttonAll->click();
    m_parts.showMessage(this, tr("Add books failed"), AddBooksWorker::errorText(error));
}

void LibraryView::onOpenLastAdded(int)
{
    if (auto *worker = qobject_cast<AddBooksWorker *>(sender()))
        emit bookOpen(worker->lastAddedBookId());
}

// ---- background hand-over ----

void LibraryView::onStartBackgroundOperation()
{
    // The main window disables its add buttons and calls back
    // onAddOperationStateChange(); without a main window nothing changes.
    QWidget *top = window();
    if (top != this && top->metaObject()->indexOfSlot("onAddOperationStateChange(bool)") >= 0)
        QMetaObject::invokeMethod(top, "onAddOperationStateChange", Q_ARG(bool, false));
}

void LibraryView::onEndBackgroundOperation()
{
    QWidget *top = window();
    if (top != this && top->metaObject()->indexOfSlot("onAddOperationStateChange(bool)") >= 0)
        QMetaObject::invokeMethod(top, "onAddOperationStateChange", Q_ARG(bool, true));
}

void LibraryView::onAddOperationStateChange(bool enabled)
{
    m_buttonImport->setEnabled(enabled);
    m_buttonExport->setEnabled(enabled);
    m_buttonClearLibrary->setEnabled(enabled);
}

// ---- export and import ----

void LibraryView::onExport()
{
    Logger::instance()->write(QStringLiteral("Export [FAILED]. No package writer in this build"),
                              Logger::Warning);
}

void LibraryView::onImport()
{
    Logger::instance()->write(QStringLiteral("Import [FAILED]. No package reader in this build"),
                              Logger::Warning);
}

// ---- confirmations ----

bool LibraryView::confirmDeleteBooks()
{
    return m_parts.confirm(this, tr("Delete book", "remove_book_caption"),
                           tr("Are you sure you want to delete this book?", "remove_book_text"),
                           false);
}

void LibraryView::onDeleteBook(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const int bookId = index.data(BookModel::BookIdRole).toInt();
    if (index.data(BookModel::DeletedRole).toBool())
        onDeleteBook(bookId);
    else
        onRemoveBook(bookId);
}

void LibraryView::onRemoveBook(int bookID)
{
    if (confirmDeleteBooks())
        m_bookModel->moveToTrash(bookID, true);
}

void LibraryView::onDeleteBook(int bookID)
{
    if (confirmDeleteBooks())
        m_bookModel->deleteFromLibrary(bookID, true);
}

void LibraryView::onClearLibrary()
{
    if (m_parts.confirm(this, tr("Clear library", "remove_book_caption"),
                        tr("Are you sure you want to clear library?", "remove_book_text"), true))
        m_bookModel->clearLibrary();
}

void LibraryView::onClearTrash()
{
    if (m_parts.confirm(this, tr("Clear trash", "remove_book_caption"),
                        tr("Are you sure you want to clear trash?", "remove_book_text"), true))
        m_bookModel->clearTrash();
}

void LibraryView::onRemoveFolder(const QModelIndex &index)
{
    // Delete with no current row arrives here with an invalid index: there
    // is nothing to ask about.
    if (!index.isValid())
        return;
    const int categoryId = index.data(FolderModel::IdRole).toInt();
    Logger::instance()->write(
            QStringLiteral("%1 ID:%2").arg(QLatin1String(Q_FUNC_INFO)).arg(categoryId),
            Logger::Debug);
    if (m_parts.confirm(this, tr("Delete folder", "remove_book_caption"),
                        tr("Are you sure you want to delete this folder?", "remove_book_text"),
                        false))
        m_folderModel->remove(categoryId);
}
