#include "library/view/libraryview.h"

#include "core/logger.h"
#include "core/settingsfile.h"
#include "core/workerthread.h"
#include "library/db/bookprovider.h"
#include "library/model/bookformatfilter.h"
#include "library/model/bookmodel.h"
#include "library/model/booksortfiltermodel.h"
#include "library/model/foldermodel.h"
#include "library/view/bookmenu.h"
#include "library/view/bookshelf.h"
#include "library/view/booktable.h"
#include "library/view/folderlistview.h"
#include "library/view/listformats.h"
#include "widgets/button.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSet>
#include <QStackedLayout>
#include <QStyle>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString lastTypeKey = QStringLiteral("last__type_category");
const QString lastGeneralKey = QStringLiteral("last__general_category");
const QString lastCustomKey = QStringLiteral("last__custom_category");

// Category numbers of the general buttons and the format range.
constexpr int recentlyRead = BookModel::CategoryRecentlyRead;
constexpr int trash = BookModel::CategoryDeleted;
constexpr int firstFormat = BookModel::CategoryFormatBase;
constexpr int lastFormat = BookModel::CategoryFormatBase + 99;

// Layouts of the screen sit flush: no spacing, margins as given.
template<typename Layout>
Layout *flush(Layout *layout, int left = 0, int top = 0, int right = 0, int bottom = 0)
{
    layout->setSpacing(0);
    layout->setContentsMargins(left, top, right, bottom);
    return layout;
}

Button *makeButton(const char *objectName, QWidget *parent)
{
    auto *button = new Button(parent);
    button->setObjectName(QLatin1String(objectName));
    return button;
}

} // namespace

LibraryView::LibraryView(QWidget *parent)
    : LibraryView(LibraryViewParts(), parent)
{
}

LibraryView::LibraryView(const LibraryViewParts &parts, QWidget *parent)
    : LibraryPage(parent)
    , m_parts(parts.completed())
    , m_bookModel(parts.bookModel)
    , m_folderModel(parts.folderModel)
{
    setObjectName(QStringLiteral("boxLibraryView"));
    if (!m_bookModel)
        m_bookModel = new BookModel(this);
    if (!m_folderModel) {
        m_folderModel = new FolderModel(this);
        m_folderModel->updateData();
    }

    const std::shared_ptr<QSettings> settings = SettingsFile::create();
    m_lastType = SettingsFile::toInt(settings->value(lastTypeKey), 0);
    m_lastGeneral = SettingsFile::toInt(settings->value(lastGeneralKey), 0);
    m_lastCustom = SettingsFile::toInt(settings->value(lastCustomKey), -1);

    m_formatFilter = new BookFormatFilter(this);
    m_sortModel = new BookSortFilterModel(this);
    m_formatFilter->setSourceModel(m_bookModel);
    m_sortModel->setSourceModel(m_formatFilter);

    setupUi();
    makeConnections();
    retranslate();
    onLibraryChanged();
}

LibraryView::~LibraryView()
{
    // A worker's thread must not outlive the screen that owns the worker.
    for (const QPointer<WorkerThread> &worker : qAsConst(m_workers)) {
        if (!worker)
            continue;
        QMetaObject::invokeMethod(worker, "cancel", Qt::DirectConnection);
        worker->wait();
    }
}

void LibraryView::setupUi()
{
    auto *root = flush(new QHBoxLayout(this));

    // Left column: the general categories, the formats, the user's own.
    auto *leftSide = new QFrame(this);
    leftSide->setObjectName(QStringLiteral("boxLeftSide"));
    leftSide->setMinimumWidth(159);
    auto *left = flush(new QVBoxLayout(leftSide), 3, 6, 0, 6);

    m_categoryGroup = new BookCategoryGroup(this);
    m_categoryGroup->setExclusive(true);
    m_buttonRecentlyRead = makeButton("buttonRecentlyRead", leftSide);
    m_buttonAll = makeButton("buttonAll", leftSide);
    m_buttonFavorites = makeButton("buttonFavorites", leftSide);
    m_buttonLeftSideDelete = makeButton("buttonLeftSideDelete", leftSide);
    m_buttonLeftSideAdd = makeButton("buttonLeftSideAdd", leftSide);
    const QList<QPair<Button *, int>> general = {
        { m_buttonRecentlyRead, recentlyRead },
        { m_buttonAll, BookModel::CategoryAll },
        { m_buttonFavorites, BookModel::CategoryFavorites },
        { m_buttonLeftSideDelete, trash },
    };
    for (const auto &entry : general) {
        entry.first->setCheckable(true);
        m_categoryGroup->addButton(entry.first, entry.second);
    }

    m_formatList = new ListFormats(m_categoryGroup, leftSide);
    m_formatList->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
    m_categoryList = new FolderListView(m_folderModel, leftSide);
    m_categoryList->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Ignored);

    left->addWidget(m_buttonRecentlyRead);
    left->addWidget(m_buttonAll);
    left->addWidget(m_buttonFavorites);
    left->addWidget(m_formatList);
    left->addWidget(m_categoryList);
    left->addWidget(m_buttonLeftSideAdd);
    left->addWidget(m_buttonLeftSideDelete);

    // Right column: the switch bar over the table or the shelf.
    auto *right = flush(new QVBoxLayout);

    auto *switchBox = new QFrame(this);
    switchBox->setObjectName(QStringLiteral("switchLibBox"));
    switchBox->setFixedHeight(39);
    auto *switchLayout = flush(new QHBoxLayout(switchBox), 14);
    m_switchButton = makeButton("buttonSwitchShelfView", switchBox);

    auto *actionBar = new QFrame(switchBox);
    auto *actions = flush(new QHBoxLayout(actionBar));
    m_buttonImport = makeButton("buttonImport", actionBar);
    m_buttonExport = makeButton("buttonExport", actionBar);
    m_buttonClearLibrary = makeButton("buttonClearLibrary", actionBar);
    m_buttonRestoreAll = makeButton("buttonRestoreAll", actionBar);
    m_buttonClearTrash = makeButton("buttonClearTrash", actionBar);
    m_buttonRestoreAll->hide();
    m_buttonClearTrash->hide();
    actions->addStretch();
    actions->addWidget(m_buttonImport);
    actions->addWidget(m_buttonExport);
    actions->addWidget(m_buttonClearLibrary);
    actions->addWidget(m_buttonRestoreAll);
    actions->addWidget(m_buttonClearTrash);

    switchLayout->addWidget(m_switchButton);
    switchLayout->addStretch();
    switchLayout->addWidget(actionBar);

    auto *viewArea = flush(new QVBoxLayout);
    m_viewStack = new QStackedLayout;

    auto *tablePage = new QFrame(this);
    auto *tableLayout = new QVBoxLayout(tablePage);
    tableLayout->setContentsMargins(12, 0, 0, 0);
    m_table = new BookTable(m_sortModel, tablePage);
    m_table->setRestoreColumnHidden(true);
    tableLayout->addWidget(m_table, 1);

    m_shelf = m_parts.createShelf(m_sortModel, this);
    m_shelf->setContentsMargins(0, 0, 0, 0);

    // One selection for both pages, so switching keeps the chosen books.
    m_selection = new QItemSelectionModel(m_sortModel, this);
    QItemSelectionModel *tableSelection = m_table->selectionModel();
    m_table->setSelectionModel(m_selection);
    QItemSelectionModel *shelfSelection = m_shelf->selectionModel();
    m_shelf->setSelectionModel(m_selection);
    // Views do not delete a selection model they were given up.
    for (QItemSelectionModel *old : { tableSelection, shelfSelection }) {
        if (old && old != m_selection)
            old->deleteLater();
    }

    m_viewStack->addWidget(tablePage);
    m_viewStack->addWidget(m_shelf);
    m_viewStack->setCurrentIndex(0);
    viewArea->addLayout(m_viewStack, 1);

    right->addWidget(switchBox, 0);
    right->addLayout(viewArea, 1);

    root->addWidget(leftSide, 0);
    root->addLayout(right, 1);
}

void LibraryView::makeConnections()
{
    connect(m_switchButton, &QPushButton::clicked, this, &LibraryView::buttonSwitchLibView);
    connect(m_viewStack, &QStackedLayout::currentChanged, this, &LibraryView::onLibViewChanged);
    connect(m_table, &QAbstractItemView::clicked, this, &LibraryView::onBookTableClick);
    connect(m_categoryGroup, &QButtonGroup::idClicked, this,
            &LibraryView::onGeneralCategorySelected);
    connect(m_table, &QAbstractItemView::doubleClicked, this, &LibraryView::onBookTableDoubleClick);
    connect(m_shelf, &QAbstractItemView::doubleClicked, this, &LibraryView::onBookListDoubleClick);
    connect(m_bookModel, &BookModel::inserted, this, &LibraryView::onBookInserted);
    connect(m_bookModel, &QAbstractItemModel::modelReset, this, &LibraryView::onLibraryChanged);
    connect(m_buttonLeftSideAdd, &QPushButton::clicked, this, &LibraryView::onAddCategory);
    connect(m_categoryList, &QAbstractItemView::clicked, this, &LibraryView::onFolderTableClick);
    connect(m_categoryList, &FolderListView::removeFolder, this, &LibraryView::onRemoveFolder);
    connect(m_categoryList, &FolderListView::openFolder, this, &LibraryView::onOpenFolder);
    connect(m_categoryList, &FolderListView::renameFolder, this, &LibraryView::onRenameFolder);
    connect(m_buttonRestoreAll, &QPushButton::clicked, m_bookModel,
            &BookModel::restoreFromTrashAll);
    connect(m_buttonClearTrash, &QPushButton::clicked, this, &LibraryView::onClearTrash);
    connect(m_buttonClearLibrary, &QPushButton::clicked, this, &LibraryView::onClearLibrary);

    for (auto signal : { &BookModel::inserted, &BookModel::removed, &BookModel::deleted,
                         &BookModel::restored, &BookModel::favorited, &BookModel::noted })
        connect(m_bookModel, signal, this, &LibraryView::onLibraryModifed);
    connect(m_folderModel, &FolderModel::added, this, &LibraryView::onLibraryModifed);
    for (auto signal :
         { &BookModel::removed, &BookModel::deleted, &BookModel::restored, &BookModel::imported })
        connect(m_bookModel, signal, m_folderModel, &FolderModel::selectAll);

    connect(m_table, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        onBookContextMenu(m_table->selectionModel()->selectedRows(BookModel::TitleColumn),
                          m_table->viewport()->mapToGlobal(pos), m_table);
    });
    connect(m_shelf, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        onBookContextMenu(m_shelf->selectionModel()->selectedRows(BookModel::TitleColumn),
                          m_shelf->viewport()->mapToGlobal(pos), m_shelf);
    });
    connect(m_buttonExport, &QPushButton::clicked, this, &LibraryView::onExport);
    connect(m_buttonImport, &QPushButton::clicked, this, &LibraryView::onImport);
    connect(m_table, &BookTable::droppedFiles, this,
            [this](const QFileInfoList &files) { onAddFiles(files); });
    connect(m_shelf, &BookShelf::droppedFiles, this,
            [this](const QFileInfoList &files) { onAddFiles(files); });
    connect(m_table, &BookTable::onDeleteKey, this,
            [this] { onDeleteBook(m_table->selectionModel()->currentIndex()); });
    connect(m_shelf, &BookShelf::onDeleteKey, this,
            [this] { onDeleteBook(m_shelf->selectionModel()->currentIndex()); });
}

void LibraryView::retranslate()
{
    m_switchButton->setText(m_viewStack->currentIndex() == 0 ? tr("Bookshelf") : tr("Table view"));
    m_buttonClearLibrary->setText(tr("Clear library"));
    m_buttonExport->setText(tr("Export"));
    m_buttonImport->setText(tr("Import"));
    m_buttonRestoreAll->setText(tr("Restore all"));
    m_buttonClearTrash->setText(tr("Clear trash"));
    m_buttonLeftSideAdd->setText(tr("Add new category"));
    updateCategoryCounters();
}

void LibraryView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    LibraryPage::changeEvent(event);
}

void LibraryView::showEvent(QShowEvent *event)
{
    updateCategoryCounters();
    LibraryPage::showEvent(event);
}

int LibraryView::currentPage() const
{
    return m_viewStack->currentIndex();
}

void LibraryView::updateCategoryCounters()
{
    const LibraryStatistics statistics = BookProvider::instance()->libraryStatistics();
    m_buttonRecentlyRead->setText(tr("Recently Read (%1)").arg(statistics.recentlyReadCount));
    m_buttonAll->setText(tr("All (%1)").arg(statistics.allCount));
    m_buttonFavorites->setText(tr("Favorites (%1)").arg(statistics.favoritesCount));
    m_buttonLeftSideDelete->setText(tr("Deleted (%1)").arg(statistics.deletedCount));
}

// ---- categories ----

void LibraryView::storeCategory(int type, int id)
{
    m_lastType = type;
    const std::shared_ptr<QSettings> settings = SettingsFile::create();
    settings->setValue(lastTypeKey, type);
    if (type == 0) {
        m_lastGeneral = id;
        settings->setValue(lastGeneralKey, id);
    } else {
        m_lastCustom = id;
        settings->setValue(lastCustomKey, id);
    }
}

void LibraryView::setTrashMode(bool trashMode)
{
    m_buttonClearLibrary->setVisible(!trashMode);
    m_buttonClearTrash->setVisible(trashMode);
    m_buttonRestoreAll->setVisible(trashMode);
    m_table->setFavoriteColumnHidden(trashMode);
    m_table->setRestoreColumnHidden(!trashMode);
    m_buttonExport->setVisible(!trashMode);
    m_buttonImport->setVisible(!trashMode);
}

void LibraryView::showTrashMode()
{
    setTrashMode(true);
}

void LibraryView::hideTrashMode()
{
    setTrashMode(false);
}

void LibraryView::sortByDate()
{
    m_table->horizontalHeader()->setSortIndicator(BookModel::DateColumn, Qt::DescendingOrder);
}

void LibraryView::onGeneralCategorySelected(int category)
{
    setTrashMode(category == trash);
    storeCategory(0, category);
    m_categoryList->reset();
    if (uint(category) <= uint(trash))
        m_bookModel->selectByCategory(BookModel::BookCategory(category));
    else if (category >= firstFormat && category <= lastFormat)
        m_bookModel->selectByFormat(category - firstFormat);
    sortByDate();
}

void LibraryView::onListFormatSelected(int format)
{
    m_formatFilter->setFilterRegExp(QString::number(format));
}

void LibraryView::onCustomCategorySelected(int categoryId)
{
    m_table->setRestoreColumnHidden(true);
    m_categoryGroup->setExclusive(false);
    const QList<QAbstractButton *> buttons = m_categoryGroup->buttons();
    for (QAbstractButton *button : buttons)
        button->setChecked(false);
    m_categoryGroup->setExclusive(true);
    storeCategory(1, categoryId);
    m_bookModel->selectByFolder(categoryId);
    sortByDate();
}

void LibraryView::onFolderTableClick(const QModelIndex &index)
{
    onCustomCategorySelected(index.data(FolderModel::IdRole).toInt());
    hideTrashMode();
}

void LibraryView::readSettings()
{
    if (m_lastType == 0) {
        QAbstractButton *button = m_categoryGroup->button(m_lastGeneral);
        if (!button)
            return;
        button->click();
        if (m_lastGeneral >= firstFormat && m_lastGeneral <= lastFormat)
            m_formatList->expand();
    } else if (m_lastType == 1) {
        auto *model = qobject_cast<FolderModel *>(m_categoryList->model());
        if (!model)
            return;
        const int id = m_lastCustom;
        const QModelIndex index = model->indexOfCategory(id);
        if (!index.isValid())
            return;
        m_categoryList->setCurrentIndex(index);
        onCustomCategorySelected(id);
    }
}

void LibraryView::activateCategoryButton()
{
    m_buttonAll->click();
}

void LibraryView::onBookInserted()
{
    updateCategoryCounters();
    m_buttonAll->click();
}

void LibraryView::onLibraryModifed()
{
    // A reload after a change (a star, a note, an added book) is no new
    // choice of the user's: the sort and the chosen books stay, so the rows
    // do not move under the mouse.
    QHeaderView *header = m_table->horizontalHeader();
    const int sortColumn = header->sortIndicatorSection();
    const Qt::SortOrder sortOrder = header->sortIndicatorOrder();
    QSet<int> chosen;
    const QModelIndexList rows = m_selection->selectedRows();
    for (const QModelIndex &row : rows)
        chosen.insert(row.data(BookModel::BookIdRole).toInt());
    const int current = m_selection->currentIndex().data(BookModel::BookIdRole).toInt();

    updateCategoryCounters();
    if (m_lastType == 0)
        onGeneralCategorySelected(m_lastGeneral);
    else if (m_lastType == 1)
        onCustomCategorySelected(m_lastCustom);

    header->setSortIndicator(sortColumn, sortOrder);
    QItemSelection selection;
    for (int row = 0; row < m_sortModel->rowCount(); ++row) {
        const QModelIndex index = m_sortModel->index(row, BookModel::TitleColumn);
        const int id = index.data(BookModel::BookIdRole).toInt();
        if (chosen.contains(id))
            selection.select(index, index);
        if (id == current && current > 0)
            m_selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
    m_selection->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void LibraryView::onLibraryChanged()
{
    m_formatList->setFormatCounts(BookModel::formatCounts());
}

void LibraryView::filterBooks(const QString &text)
{
    m_sortModel->setFilterRegExp(text);
    if (m_sortModel->rowCount() == 0 && !text.isEmpty()) {
        const QString message = tr("No eBooks found for '%1'").arg(text);
        m_table->showEmptySearch(message);
        m_shelf->showEmptySearch(message);
    } else {
        m_table->hideEmptySearch();
        m_shelf->hideEmptySearch();
    }
}

// ---- table and shelf ----

void LibraryView::buttonSwitchLibView()
{
    m_viewStack->setCurrentIndex(m_viewStack->currentIndex() == 0 ? 1 : 0);
}

void LibraryView::onLibViewChanged(int index)
{
    retranslate();
    // The icon comes from the style sheet rule of the object name.
    style()->unpolish(m_switchButton);
    m_switchButton->setObjectName(index != 0 ? QStringLiteral("buttonSwitchTableView")
                                             : QStringLiteral("buttonSwitchShelfView"));
    style()->polish(m_switchButton);
}

void LibraryView::onBookTableClick(const QModelIndex &index)
{
    const int bookId = index.data(BookModel::BookIdRole).toInt();
    switch (index.column()) {
    case BookModel::DeletedColumn:
        onDeleteBook(index);
        break;
    case BookModel::StoredAuthorColumn: // the restore icon
        m_bookModel->restoreFromTrash(bookId, true);
        break;
    case BookModel::FavoriteColumn:
        m_bookModel->setFavorite(bookId, !index.data(BookModel::FavoriteRole).toBool(), true);
        break;
    default:
        break;
    }
}

void LibraryView::onBookTableDoubleClick(const QModelIndex &index)
{
    const QModelIndex source = m_sortModel->mapToSource(index);
    const int bookId = source.data(BookModel::BookIdRole).toInt();
    switch (source.column()) {
    case BookModel::TitleColumn:
    case BookModel::AuthorColumn:
    case BookModel::ProgressColumn:
        emit bookOpen(bookId);
        break;
    case BookModel::NotesColumn: {
        emit bookOpen(bookId);
        // Only the text viewer has a notes panel.
        const int format = source.data(BookModel::FormatRole).toInt();
        if (format >= 0 && format <= 2)
            emit requestNotes();
        break;
    }
    default:
        break;
    }
}

void LibraryView::onBookListDoubleClick(const QModelIndex &index)
{
    const QModelIndex source = m_sortModel->mapToSource(index);
    emit bookOpen(source.data(BookModel::BookIdRole).toInt());
}

// ---- category list ----

void LibraryView::onOpenFolder(const QModelIndex &index)
{
    m_categoryList->selectionModel()->select(
            index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void LibraryView::onRenameFolder(const QModelIndex &index)
{
    if (!index.isValid()) {
        Logger::instance()->write(QLatin1String(Q_FUNC_INFO), Logger::Error);
        return;
    }
    m_categoryList->edit(index);
}

void LibraryView::onAddCategory()
{
    m_folderModel->addNewCategory();
}

void LibraryView::onAddToCategory(int bookId, int categoryId)
{
    m_folderModel->addToCategory(bookId, categoryId, true);
}

void LibraryView::onRemoveFromCategory(int bookId, int categoryId)
{
    m_folderModel->removeFromCategory(bookId, categoryId, true);
}

// ---- single-book changes ----

void LibraryView::onRestoreBook(int bookID)
{
    m_bookModel->restoreFromTrash(bookID, true);
}

void LibraryView::onSetFavorite(int bookID, bool favorite, bool signal)
{
    m_bookModel->setFavorite(bookID, favorite, signal);
}

QList<int> LibraryView::bookIds(const QModelIndexList &indexes)
{
    QList<int> ids;
    for (const QModelIndex &index : indexes) {
        if (!index.isValid())
            continue;
        const int id = index.data(BookModel::BookIdRole).toInt();
        if (id > 0 && !ids.contains(id))
            ids.append(id);
    }
    return ids;
}

void LibraryView::onBookContextMenu(const QModelIndexList &indexList, const QPoint &pos,
                                    QWidget *parent)
{
    if (!m_parts.createBookMenu || indexList.isEmpty())
        return;
    const std::unique_ptr<BookMenu> menu(m_parts.createBookMenu(indexList, parent));
    if (!menu)
        return;
    // Every action reads the ids when it runs: the menu is modal, and the
    // model may have been reloaded behind it.
    connect(menu.get(), &BookMenu::read, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit bookOpen(index.data(BookModel::BookIdRole).toInt());
    });
    connect(menu.get(), &BookMenu::edit, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit bookEdit(index.data(BookModel::BookIdRole).toInt());
    });
    auto favorites = [this](const QModelIndexList &indexes, bool favorite) {
        for (int id : bookIds(indexes))
            m_bookModel->setFavorite(id, favorite, false);
        emit m_bookModel->favorited();
    };
    connect(menu.get(), &BookMenu::toFavorites, this,
            [favorites](const QModelIndexList &indexes) { favorites(indexes, true); });
    connect(menu.get(), &BookMenu::fromFavorites, this,
            [favorites](const QModelIndexList &indexes) { favorites(indexes, false); });
    connect(menu.get(), &BookMenu::remove, this, [this](const QModelIndexList &indexes) {
        const QList<int> ids = bookIds(indexes);
        if (ids.isEmpty() || !confirmDeleteBooks())
            return;
        for (int id : ids)
            m_bookModel->moveToTrash(id, false);
        emit m_bookModel->removed();
    });
    connect(menu.get(), &BookMenu::deleteFromLibrary, this, [this](const QModelIndexList &indexes) {
        const QList<int> ids = bookIds(indexes);
        if (ids.isEmpty() || !confirmDeleteBooks())
            return;
        // One announcement for the lot: each one reloads the screen.
        for (int id : ids)
            m_bookModel->deleteFromLibrary(id, false);
        emit m_bookModel->deleted();
    });
    connect(menu.get(), &BookMenu::restore, this, [this](const QModelIndexList &indexes) {
        for (int id : bookIds(indexes))
            m_bookModel->restoreFromTrash(id, false);
        emit m_bookModel->restored();
    });
    connect(menu.get(), &BookMenu::properties, this, &LibraryView::onProperties);
    connect(menu.get(), &BookMenu::toFolder, this,
            [this](const QModelIndexList &indexes, int categoryId) {
                for (int id : bookIds(indexes))
                    m_folderModel->addToCategory(id, categoryId, false);
                emit m_folderModel->added();
            });
    connect(menu.get(), &BookMenu::deleteFromCategory, this,
            [this](const QModelIndexList &indexes, int categoryId) {
                for (int id : bookIds(indexes))
                    m_folderModel->removeFromCategory(id, categoryId, false);
                emit m_folderModel->added();
            });
    menu->build(pos);
}

void LibraryView::onProperties(const QModelIndex &index)
{
    const QPersistentModelIndex book(index);
    if (!m_parts.showProperties || !book.isValid())
        return;
    const bool editRequested = m_parts.showProperties(book, this);
    if (editRequested && book.isValid())
        emit bookEdit(book.data(BookModel::BookIdRole).toInt());
}
