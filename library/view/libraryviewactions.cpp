// The library screen's operations that change the library in bulk or for
// good: adding files and folders, export and import, each on a worker
// thread; the confirmations before deleting or clearing; and the hand-over
// of a running add or import to the background.

#include "library/view/libraryview.h"

#include "core/logger.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/settingsfile.h"
#include "library/model/bookmodel.h"
#include "library/model/foldermodel.h"
#include "library/workers/addbooksworker.h"
#include "library/workers/exportworker.h"
#include "library/workers/importworker.h"
#include "widgets/button.h"
#include "widgets/progressdialog.h"

#include <QMetaObject>

namespace {

const QString libraryFolderKey = QStringLiteral("library_folder");

// A new progress dialog of the screen, reset and titled, showing what the
// worker reports and cancelling it on request.
template<typename Worker>
ProgressDialog *watch(Worker *worker, const QString &title, QWidget *parent)
{
    auto *dialog = new ProgressDialog(parent);
    dialog->reset();
    dialog->setTitle(title);
    QObject::connect(worker, &Worker::stateChanged, dialog,
                     [dialog](WorkerStates state) { dialog->workerStateChanged(int(state)); });
    QObject::connect(worker, &Worker::progressChanged, dialog, &ProgressDialog::setProgressChanged);
    QObject::connect(worker, &Worker::progressMessage, dialog, &ProgressDialog::setMessage);
    QObject::connect(dialog, &ProgressDialog::canceled, worker, &Worker::cancel);
    return dialog;
}

} // namespace

// ---- adding books ----

void LibraryView::onAddFiles(const QFileInfoList &files, bool showCompleteMessage,
                             bool openLastAddedBook)
{
    auto *worker = new AddBooksWorker(files, this);
    track(worker);
    ProgressDialog *dialog = watch(worker, tr("Add books"), this);
    dialog->setBackgroundButtonVisible(true);
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
    QString text = tr("%1 file(s) were successfully added into the Library").arg(bookCount);
    // Files that could not be read are named: left out silently, a damaged
    // or protected book looked as if it had simply vanished.
    const auto *worker = qobject_cast<AddBooksWorker *>(sender());
    const QStringList skipped = worker ? worker->skippedFiles() : QStringList();
    if (!skipped.isEmpty()) {
        constexpr int NamesShown = 10;
        QStringList names;
        for (int i = 0; i < skipped.size() && i < NamesShown; ++i)
            names << QFileInfo(skipped.at(i)).fileName();
        if (skipped.size() > NamesShown)
            names << tr("and %1 more").arg(skipped.size() - NamesShown);
        text += QLatin1String("\n\n")
                + tr("%1 file(s) could not be read (damaged, protected or of an unknown kind):")
                          .arg(skipped.size())
                + QLatin1Char('\n') + names.join(QLatin1Char('\n'));
    }
    m_parts.showMessage(this, tr("Add complete"), text);
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

void LibraryView::track(WorkerThread *worker)
{
    // Deleted with its thread; the list only watches.
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    m_workers.removeAll(QPointer<WorkerThread>());
    m_workers.append(worker);
}

void LibraryView::onExport()
{
    const QString fileName
            = m_parts.getSaveFileName(this, tr("Export file"), tr("Archive") + "(*.vlz)");
    if (fileName.isEmpty())
        return;
    Logger::instance()->write(QStringLiteral("Export. Save file name:%1").arg(fileName),
                              Logger::Debug);

    auto *worker = new ExportWorker(fileName, this);
    track(worker);
    watch(worker, tr("Export"), this);
    connect(worker, &ExportWorker::complete, this, &LibraryView::onExportComplete);
    connect(worker, &ExportWorker::failed, this, &LibraryView::onExportFailed);
    worker->start(QThread::InheritPriority);
}

void LibraryView::onExportComplete(const QString &fileName)
{
    if (m_parts.showMessageOk(this, tr("Export complete"), tr("Click OK to open folder")))
        m_parts.showInFileManager(fileName);
}

void LibraryView::onExportFailed(ExportErrors error)
{
    m_parts.showMessage(this, tr("Export failed"), ExportWorker::errorString(error));
}

void LibraryView::onImport()
{
    // The import dialog carries the export dialog's caption.
    const QString fileName
            = m_parts.getOpenFileName(this, tr("Export file"), tr("Archive") + "(*.vlz)");
    if (fileName.isEmpty())
        return;
    const QString libraryFolder
            = SettingsFile::create()->value(libraryFolderKey, Paths::importDir()).toString();
    Logger::instance()->write(QStringLiteral("Import. File name:%1").arg(fileName), Logger::Debug);

    auto *worker = new ImportWorker(fileName, libraryFolder, this);
    track(worker);
    ProgressDialog *dialog = watch(worker, tr("Import"), this);
    dialog->setBackgroundButtonVisible(true);
    connect(worker, &ImportWorker::complete, this, &LibraryView::onImportComplete);
    connect(worker, &ImportWorker::failed, this, &LibraryView::onImportFailed);
    // Categories the import made appear in the list (the book model's
    // imported() reloads the category model).
    connect(worker, &ImportWorker::imported, m_bookModel, &BookModel::imported);
    connect(dialog, &ProgressDialog::runBackground, this, &LibraryView::onStartBackgroundOperation);
    connect(worker, &ImportWorker::done, this, &LibraryView::onEndBackgroundOperation);
    worker->start(QThread::InheritPriority);
}

void LibraryView::onImportComplete(int bookCount)
{
    updateCategoryCounters();
    m_buttonAll->click();
    m_parts.showMessage(
            this, tr("Import complete"),
            tr("%1 file(s) were successfully imported into the Library").arg(bookCount));
}

void LibraryView::onImportFailed(ImportErrors error)
{
    updateCategoryCounters();
    m_buttonAll->click();
    m_parts.showMessage(this, tr("Import failed"), ImportWorker::errorString(error));
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
