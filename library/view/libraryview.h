#pragma once

#include "library/db/workerstates.h"
#include "library/view/libraryviewparts.h"
#include "pages/librarypage.h"

#include <QButtonGroup>
#include <QFileInfoList>
#include <QList>
#include <QModelIndex>
#include <QPointer>

class BookFormatFilter;
class BookShelf;
class BookSortFilterModel;
class BookTable;
class Button;
class FolderListView;
class ListFormats;
class QItemSelectionModel;
class QStackedLayout;
class WorkerThread;

// The exclusive group of the library's category buttons. Its ids are the
// category numbers that BookModel::selectByCategory and the stored settings
// share: 0 recently read, 2 all books, 3 favourites, 4 trash, 1000 + format
// code for a format.
class BookCategoryGroup : public QButtonGroup
{
    Q_OBJECT
public:
    explicit BookCategoryGroup(QObject *parent = nullptr)
        : QButtonGroup(parent)
    {
    }
};

// The library screen: the user's books as a table or a bookshelf, both over
// one sorted and filtered proxy of the application's BookModel, beside a
// column of general categories (recently read, all, favourites, trash), the
// book formats and the user's own categories. It turns clicks, double
// clicks, keys, drops and context-menu choices into calls on the book and
// category models, and asks the main window to open or edit a book through
// its signals.
//
// The chosen category survives restarts under "last__type_category",
// "last__general_category" and "last__custom_category" in "settings.ini".
// Every destructive action asks first (LibraryViewParts::confirm) and acts
// only when the user confirmed. Adding books, export and import each run a
// worker on its own thread with a ProgressDialog; the screen stops and waits
// for running workers when it is destroyed.
//
// GUI thread only.
class LibraryView : public LibraryPage
{
    Q_OBJECT
public:
    explicit LibraryView(QWidget *parent = nullptr);
    LibraryView(const LibraryViewParts &parts, QWidget *parent = nullptr);
    ~LibraryView() override;

    // Shows the books whose title or author matches the text (a regular
    // expression, any letter case); tells when a non-empty text finds none.
    void filterBooks(const QString &text) override;
    // Clicks "All".
    void activateCategoryButton() override;

    BookModel *bookModel() const { return m_bookModel; }
    FolderModel *folderModel() const { return m_folderModel; }
    BookTable *table() const { return m_table; }
    BookShelf *shelf() const { return m_shelf; }
    FolderListView *categoryList() const { return m_categoryList; }
    ListFormats *formatList() const { return m_formatList; }
    BookSortFilterModel *sortModel() const { return m_sortModel; }
    BookFormatFilter *formatFilter() const { return m_formatFilter; }
    BookCategoryGroup *categoryGroup() const { return m_categoryGroup; }
    QItemSelectionModel *selection() const { return m_selection; }
    // 0: the table, 1: the bookshelf.
    int currentPage() const;

signals:
    // Declared for the main window; nothing here emits it.
    void backgroundOperation(bool flag);

public slots:
    void onAddDir() override;
    void onAddFiles(const QFileInfoList &files, bool showCompleteMessage = true,
                    bool openLastAddedBook = false) override;
    void readSettings() override;
    void onAddOperationStateChange(bool enabled) override;

private slots:
    void buttonSwitchLibView();
    void onLibViewChanged(int index);

    void onBookTableClick(const QModelIndex &index);
    void onBookTableDoubleClick(const QModelIndex &index);
    void onBookListDoubleClick(const QModelIndex &index);

    void onFolderTableClick(const QModelIndex &index);
    void onGeneralCategorySelected(int category);
    void onCustomCategorySelected(int categoryId);
    void onListFormatSelected(int format);

    void onBookInserted();
    void onLibraryChanged();
    void onLibraryModifed();

    void onOpenFolder(const QModelIndex &index);
    void onRenameFolder(const QModelIndex &index);
    void onAddCategory();

    void onRemoveFolder(const QModelIndex &index);
    void onDeleteBook(const QModelIndex &index);
    void onRemoveBook(int bookID);
    void onDeleteBook(int bookID);
    void onClearTrash();
    void onClearLibrary();
    void onRestoreBook(int bookID);
    void onSetFavorite(int bookID, bool favorite, bool signal = true);
    void onProperties(const QModelIndex &index);
    void onAddToCategory(int bookId, int categoryId);
    void onRemoveFromCategory(int bookId, int categoryId);

    void showTrashMode();
    void hideTrashMode();

    void onBookContextMenu(const QModelIndexList &indexList, const QPoint &pos,
                           QWidget *parent = nullptr);

    void onExport();
    void onImport();
    void onExportComplete(const QString &fileName);
    void onExportFailed(ExportErrors error);
    void onImportComplete(int bookCount);
    void onImportFailed(ImportErrors error);

    void onAddFilesComplete(int bookCount);
    void onOpenLastAdded(int bookCount);
    void onAddFilesFailed(AddBooksErrors error);
    void onStartBackgroundOperation();
    void onEndBackgroundOperation();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(LibraryView)

    void setupUi();
    void makeConnections();
    void retranslate();
    void updateCategoryCounters();
    void setTrashMode(bool trash);
    void sortByDate();
    // Asks with the "Delete book" box; true when the user confirmed.
    bool confirmDeleteBooks();
    // Ids of the valid indexes, each once, in list order.
    static QList<int> bookIds(const QModelIndexList &indexes);
    void storeCategory(int type, int id);

    LibraryViewParts m_parts;
    BookModel *m_bookModel = nullptr;
    FolderModel *m_folderModel = nullptr;

    BookFormatFilter *m_formatFilter = nullptr;
    BookSortFilterModel *m_sortModel = nullptr;
    QItemSelectionModel *m_selection = nullptr;
    BookTable *m_table = nullptr;
    BookShelf *m_shelf = nullptr;
    FolderListView *m_categoryList = nullptr;
    QStackedLayout *m_viewStack = nullptr;
    BookCategoryGroup *m_categoryGroup = nullptr;
    ListFormats *m_formatList = nullptr;

    Button *m_switchButton = nullptr;
    Button *m_buttonRecentlyRead = nullptr;
    Button *m_buttonAll = nullptr;
    Button *m_buttonFavorites = nullptr;
    Button *m_buttonLeftSideDelete = nullptr;
    Button *m_buttonLeftSideAdd = nullptr;
    Button *m_buttonImport = nullptr;
    Button *m_buttonExport = nullptr;
    Button *m_buttonClearLibrary = nullptr;
    Button *m_buttonRestoreAll = nullptr;
    Button *m_buttonClearTrash = nullptr;

    // The last chosen category, as stored in the settings.
    int m_lastType = 0;
    int m_lastGeneral = 0;
    int m_lastCustom = -1;

    // Keeps the worker to be stopped and waited for when the screen goes.
    void track(WorkerThread *worker);

    // Workers still running; waited for when the screen goes.
    QList<QPointer<WorkerThread>> m_workers;
};
