#include "tests/support/testenvironment.h"

#include "core/settings.h"
#include "core/settingsfile.h"
#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "library/model/booksortfiltermodel.h"
#include "library/model/foldermodel.h"
#include "library/view/bookmenu.h"
#include "library/view/bookshelf.h"
#include "library/view/booktable.h"
#include "library/view/folderlistview.h"
#include "library/view/libraryview.h"
#include "library/view/listformats.h"
#include "widgets/button.h"
#include "widgets/messageview.h"
#include "widgets/stylesheet.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

struct Confirmation
{
    QString title;
    QString text;
    bool cancelIsDefault;
};

// Stands in for the book context menu: "choosing" an item is emitting its
// signal from build(), as the real menu does before it returns.
class ScriptedMenu : public BookMenu
{
public:
    ScriptedMenu(const QModelIndexList &indexes, std::function<void(ScriptedMenu *)> choice,
                 QWidget *parent)
        : BookMenu(parent)
        , m_indexes(indexes)
        , m_choice(std::move(choice))
    {
    }
    void build(const QPoint &) override { m_choice(this); }
    QModelIndexList indexes() const { return m_indexes; }

private:
    QModelIndexList m_indexes;
    std::function<void(ScriptedMenu *)> m_choice;
};

} // namespace

class TestLibraryView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void structureAndCounters();
    void generalCategoriesAndTrashMode();
    void formatCategory();
    void userCategory();
    void search();
    void doubleClicks_data();
    void doubleClicks();
    void favouriteStar();
    void deleteAsksFirst();
    void trashRestoreAndDelete();
    void deleteKeyOnBothPages();
    void clearsAskWithCancelAsDefault();
    void standardConfirmation_data();
    void standardConfirmation();
    void dropBooksOnCategory();
    void contextMenu();
    void shelfMenuGetsEachBookOnce();
    void readSettings_data();
    void readSettings();
    void switchPages();
    void addFiles();
    void addFolderRemembersTheFolder();
    void closedWhileAdding();
    void exportThenImport();
    void packageActions_data();
    void packageActions();
    void screenshots();

private:
    LibraryViewParts parts();
    int id(const QString &title) const;
    QModelIndex rowOf(const QString &title, int column) const;
    QStringList shownTitles() const;
    Button *button(const char *name) const;
    QRect cellRect(const QString &title, int column) const;
    void clickCell(const QString &title, int column);
    void storeSettings(int type, int general, int custom);
    void resetLibrary();

    QTemporaryDir m_dir;
    QMap<QString, int> m_ids;
    QMap<QString, int> m_categories;
    bool m_answer = false;
    QList<Confirmation> m_confirmations;
    QStringList m_messages;
    std::function<void(ScriptedMenu *)> m_menuChoice;
    bool m_editFromProperties = false;
    // The file dialogs' answers and what they were asked.
    QString m_saveName;
    QString m_openName;
    QStringList m_fileDialogs;
    bool m_okAnswer = false;
    QStringList m_shownFiles;
    LibraryView *m_view = nullptr;
};

void TestLibraryView::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qRegisterMetaType<QFileInfoList>("QFileInfoList");
    QVERIFY2(BookProvider::instance()->createConnection(),
             qPrintable(BookProvider::instance()->lastError()));
    reloadStyleSheet();
    resetLibrary();
}

// The fixture library: six books, one in the trash, one favourite, one read
// lately, two user categories.
void TestLibraryView::resetLibrary()
{
    BookProvider *provider = BookProvider::instance();
    for (const BookDto &book : provider->allBooks() + provider->deletedBooks())
        QVERIFY(provider->deleteFromLibrary(book.id));
    QCOMPARE(provider->bookCountAll(), 0);
    for (const CategoryDto &category : provider->allCategories())
        QVERIFY(provider->removeCategory(category.id));

    const QColor colors[] = { QColor(160, 40, 40), QColor(40, 90, 160), QColor(60, 130, 60) };
    QStringList covers;
    for (int i = 0; i < 3; ++i) {
        QImage cover(120, 180, QImage::Format_RGB32);
        cover.fill(colors[i]);
        covers.append(m_dir.filePath(QStringLiteral("cover%1.png").arg(i)));
        QVERIFY(cover.save(covers.last()));
    }
    const uint now = QDateTime::currentDateTimeUtc().toTime_t();
    const struct
    {
        const char *title;
        const char *author;
        int format;
        int progress;
        int notes;
        int favorite;
        int deleted;
        uint lastView;
        QString cover;
    } books[] = {
        { "War and Peace", "Leo Tolstoy", 0, 37, 3, 1, 0, now - 3600, covers[0] },
        { "Anna Karenina", "Leo Tolstoy", 3, 100, 0, 0, 0, 0, covers[1] },
        { "The Idiot", "Fyodor Dostoevsky", 1, 0, 2, 0, 0, 0, QString() },
        { "Watchmen", "Alan Moore", 6, 12, 1, 0, 0, 0, covers[2] },
        { "Candide", "Voltaire", 0, 64, 0, 0, 0, 0, QString() },
        { "Old Manuscript", "Anonymous", 0, 0, 0, 0, 1, 0, QString() },
    };
    m_ids.clear();
    uint added = 1600000000;
    for (const auto &entry : books) {
        BookDto book;
        book.title = QString::fromUtf8(entry.title);
        book.author = QString::fromUtf8(entry.author);
        book.format = entry.format;
        book.maxPosition = entry.progress;
        book.notesCount = entry.notes;
        book.isFavorite = entry.favorite;
        book.isDeleted = entry.deleted;
        book.timeLastView = entry.lastView;
        book.timeAdded = added += 86400;
        book.cover = entry.cover;
        book.fullPath = m_dir.filePath(book.title + QStringLiteral(".book"));
        const int id = provider->addBook(book);
        QVERIFY(id > 0);
        m_ids.insert(book.title, id);
    }
    m_categories.clear();
    m_categories.insert(QStringLiteral("Classics"), provider->addCategory("Classics", 0));
    m_categories.insert(QStringLiteral("Comics"), provider->addCategory("Comics", 0));
    QVERIFY(provider->addBookToCategory(m_ids.value("War and Peace"), m_categories["Classics"]));
    QVERIFY(provider->addBookToCategory(m_ids.value("Anna Karenina"), m_categories["Classics"]));
    QVERIFY(provider->addBookToCategory(m_ids.value("Watchmen"), m_categories["Comics"]));
}

LibraryViewParts TestLibraryView::parts()
{
    LibraryViewParts parts;
    parts.confirm
            = [this](QWidget *, const QString &title, const QString &text, bool cancelIsDefault) {
                  m_confirmations.append({ title, text, cancelIsDefault });
                  return m_answer;
              };
    parts.showMessage = [this](QWidget *, const QString &title, const QString &text) {
        m_messages.append(title + QStringLiteral(": ") + text);
    };
    parts.createBookMenu = [this](const QModelIndexList &indexes, QWidget *parent) -> BookMenu * {
        return new ScriptedMenu(indexes, m_menuChoice, parent);
    };
    parts.showProperties
            = [this](const QPersistentModelIndex &, QWidget *) { return m_editFromProperties; };
    parts.getSaveFileName = [this](QWidget *, const QString &caption, const QString &filter) {
        m_fileDialogs << QStringLiteral("save %1 %2").arg(caption, filter);
        return m_saveName;
    };
    parts.getOpenFileName = [this](QWidget *, const QString &caption, const QString &filter) {
        m_fileDialogs << QStringLiteral("open %1 %2").arg(caption, filter);
        return m_openName;
    };
    parts.showMessageOk = [this](QWidget *, const QString &title, const QString &text) {
        m_messages.append(title + QStringLiteral(": ") + text);
        return m_okAnswer;
    };
    parts.showInFileManager = [this](const QString &filePath) { m_shownFiles << filePath; };
    return parts;
}

void TestLibraryView::init()
{
    storeSettings(0, 2, -1);
    m_answer = false;
    m_confirmations.clear();
    m_messages.clear();
    m_saveName.clear();
    m_openName.clear();
    m_fileDialogs.clear();
    m_okAnswer = false;
    m_shownFiles.clear();
    m_view = new LibraryView(parts());
    m_view->resize(1100, 600);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view));
    m_view->readSettings();
}

void TestLibraryView::cleanup()
{
    delete m_view;
    m_view = nullptr;
    if (QTest::currentTestFailed() || m_ids.size() != 6
        || BookProvider::instance()->bookCountAll() != 6)
        resetLibrary();
}

void TestLibraryView::storeSettings(int type, int general, int custom)
{
    const std::shared_ptr<QSettings> settings = SettingsFile::create();
    settings->setValue(QStringLiteral("last__type_category"), type);
    settings->setValue(QStringLiteral("last__general_category"), general);
    settings->setValue(QStringLiteral("last__custom_category"), custom);
}

int TestLibraryView::id(const QString &title) const
{
    return m_ids.value(title);
}

QModelIndex TestLibraryView::rowOf(const QString &title, int column) const
{
    QAbstractItemModel *model = m_view->sortModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, BookModel::TitleColumn).data().toString() == title)
            return model->index(row, column);
    }
    return QModelIndex();
}

QStringList TestLibraryView::shownTitles() const
{
    QStringList titles;
    QAbstractItemModel *model = m_view->sortModel();
    for (int row = 0; row < model->rowCount(); ++row)
        titles.append(model->index(row, BookModel::TitleColumn).data().toString());
    titles.sort();
    return titles;
}

Button *TestLibraryView::button(const char *name) const
{
    return m_view->findChild<Button *>(QLatin1String(name));
}

QRect TestLibraryView::cellRect(const QString &title, int column) const
{
    return m_view->table()->visualRect(rowOf(title, column));
}

void TestLibraryView::clickCell(const QString &title, int column)
{
    const QRect rect = cellRect(title, column);
    QVERIFY(rect.isValid());
    QTest::mouseClick(m_view->table()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

void TestLibraryView::structureAndCounters()
{
    QCOMPARE(m_view->objectName(), QStringLiteral("boxLibraryView"));
    QCOMPARE(button("buttonRecentlyRead")->text(), QStringLiteral("Recently Read (1)"));
    QCOMPARE(button("buttonAll")->text(), QStringLiteral("All (5)"));
    QCOMPARE(button("buttonFavorites")->text(), QStringLiteral("Favorites (1)"));
    QCOMPARE(button("buttonLeftSideDelete")->text(), QStringLiteral("Deleted (1)"));
    QCOMPARE(button("buttonLeftSideAdd")->text(), QStringLiteral("Add new category"));
    QVERIFY(!button("buttonLeftSideAdd")->isCheckable());
    QCOMPARE(m_view->categoryGroup()->id(button("buttonFavorites")), 3);

    ListFormats *formats = m_view->formatList();
    QVERIFY(!formats->isHidden());
    const QMap<int, QString> shown
            = { { 0, "epub (2)" }, { 1, "mobi (1)" }, { 3, "pdf (1)" }, { 6, "cbz (1)" } };
    for (int format = 0; format <= 10; ++format) {
        QCOMPARE(formats->formatButton(format)->isHidden(), !shown.contains(format));
        if (shown.contains(format))
            QCOMPARE(formats->formatButton(format)->text(), shown.value(format));
    }
    FolderModel *categories = m_view->folderModel();
    QCOMPARE(categories->rowCount(), 2);
    QCOMPARE(categories->indexOfCategory(m_categories["Classics"])
                     .data(FolderModel::BookCountRole)
                     .toInt(),
             2);
    QCOMPARE(m_view->currentPage(), 0);
    QVERIFY(m_view->table()->isColumnHidden(BookModel::StoredAuthorColumn));
}

void TestLibraryView::generalCategoriesAndTrashMode()
{
    QCOMPARE(shownTitles(),
             QStringList({ "Anna Karenina", "Candide", "The Idiot", "War and Peace", "Watchmen" }));
    QCOMPARE(m_view->table()->horizontalHeader()->sortIndicatorSection(),
             int(BookModel::DateColumn));
    QCOMPARE(m_view->table()->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    // Newest first.
    QCOMPARE(m_view->sortModel()->index(0, 0).data().toString(), QStringLiteral("Candide"));

    QTest::mouseClick(button("buttonRecentlyRead"), Qt::LeftButton);
    QCOMPARE(shownTitles(), QStringList { "War and Peace" });
    QCOMPARE(m_view->sortModel()->headerData(BookModel::DateColumn, Qt::Horizontal).toString(),
             QStringLiteral("Date"));
    QTest::mouseClick(button("buttonFavorites"), Qt::LeftButton);
    QCOMPARE(shownTitles(), QStringList { "War and Peace" });

    QTest::mouseClick(button("buttonLeftSideDelete"), Qt::LeftButton);
    QCOMPARE(shownTitles(), QStringList { "Old Manuscript" });
    BookTable *table = m_view->table();
    QVERIFY(table->isColumnHidden(BookModel::FavoriteColumn));
    QVERIFY(!table->isColumnHidden(BookModel::StoredAuthorColumn));
    QVERIFY(button("buttonClearTrash")->isVisible());
    QVERIFY(button("buttonRestoreAll")->isVisible());
    QVERIFY(!button("buttonClearLibrary")->isVisible());
    QVERIFY(!button("buttonExport")->isVisible());
    QVERIFY(!button("buttonImport")->isVisible());
    const std::shared_ptr<QSettings> settings = SettingsFile::create();
    QCOMPARE(settings->value(QStringLiteral("last__general_category")).toInt(), 4);
    QCOMPARE(settings->value(QStringLiteral("last__type_category")).toInt(), 0);

    QTest::mouseClick(button("buttonAll"), Qt::LeftButton);
    QVERIFY(!table->isColumnHidden(BookModel::FavoriteColumn));
    QVERIFY(table->isColumnHidden(BookModel::StoredAuthorColumn));
    QVERIFY(!button("buttonClearTrash")->isVisible());
    QVERIFY(button("buttonClearLibrary")->isVisible());
    QVERIFY(button("buttonExport")->isVisible());
    QCOMPARE(m_view->sortModel()->headerData(BookModel::DateColumn, Qt::Horizontal).toString(),
             QStringLiteral("Added on"));
}

void TestLibraryView::formatCategory()
{
    ListFormats *formats = m_view->formatList();
    QTest::mouseClick(formats->headerButton(), Qt::LeftButton);
    QTest::mouseClick(formats->formatButton(0), Qt::LeftButton);
    QCOMPARE(shownTitles(), QStringList({ "Candide", "War and Peace" }));
    QCOMPARE(m_view->categoryGroup()->checkedId(), 1000);
    QVERIFY(!button("buttonAll")->isChecked());
    QTest::mouseClick(formats->formatButton(6), Qt::LeftButton);
    QCOMPARE(shownTitles(), QStringList { "Watchmen" });
    QCOMPARE(SettingsFile::create()->value(QStringLiteral("last__general_category")).toInt(), 1006);
}

void TestLibraryView::userCategory()
{
    FolderListView *list = m_view->categoryList();
    const QModelIndex classics = m_view->folderModel()->indexOfCategory(m_categories["Classics"]);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(classics).center());
    QCOMPARE(shownTitles(), QStringList({ "Anna Karenina", "War and Peace" }));
    QCOMPARE(m_view->categoryGroup()->checkedButton(), nullptr);
    QVERIFY(m_view->table()->isColumnHidden(BookModel::StoredAuthorColumn));
    QVERIFY(button("buttonClearLibrary")->isVisible());
    const std::shared_ptr<QSettings> settings = SettingsFile::create();
    QCOMPARE(settings->value(QStringLiteral("last__type_category")).toInt(), 1);
    QCOMPARE(settings->value(QStringLiteral("last__custom_category")).toInt(),
             m_categories["Classics"]);

    // A general category leaves no user category marked.
    QTest::mouseClick(button("buttonFavorites"), Qt::LeftButton);
    QVERIFY(!list->currentIndex().isValid());
    QVERIFY(list->selectionModel()->selectedIndexes().isEmpty());
    QVERIFY(button("buttonFavorites")->isChecked());
}

void TestLibraryView::search()
{
    BookTable *table = m_view->table();
    m_view->filterBooks(QStringLiteral("TOLSTOY"));
    QCOMPARE(shownTitles(), QStringList({ "Anna Karenina", "War and Peace" }));
    QVERIFY(table->emptySearchLabel()->isHidden());

    m_view->filterBooks(QStringLiteral("zzz"));
    QCOMPARE(m_view->sortModel()->rowCount(), 0);
    QVERIFY(table->emptySearchLabel()->isVisible());
    QCOMPARE(table->emptySearchLabel()->text(), QStringLiteral("No eBooks found for 'zzz'"));
    auto *shelfLabel = m_view->shelf()->findChild<QLabel *>(QStringLiteral("labelEmptySearch"));
    QVERIFY(shelfLabel);
    QVERIFY(!shelfLabel->isHidden());
    QCOMPARE(shelfLabel->text(), QStringLiteral("No eBooks found for 'zzz'"));

    // A text a backtracking matcher could hang on is answered like any other.
    m_view->filterBooks(QStringLiteral("(a*)*(a|a)*$x"));
    QCOMPARE(m_view->sortModel()->rowCount(), 0);
    m_view->filterBooks(QStringLiteral("("));
    QVERIFY(table->emptySearchLabel()->isVisible());

    m_view->filterBooks(QString());
    QCOMPARE(m_view->sortModel()->rowCount(), 5);
    QVERIFY(table->emptySearchLabel()->isHidden());
    QVERIFY(shelfLabel->isHidden());

    // An empty text never tells "nothing found", not even in an empty list.
    QTest::mouseClick(button("buttonRecentlyRead"), Qt::LeftButton);
    m_view->filterBooks(QStringLiteral("voltaire"));
    QVERIFY(table->emptySearchLabel()->isVisible());
    QTest::mouseClick(button("buttonLeftSideDelete"), Qt::LeftButton);
    m_view->filterBooks(QStringLiteral("candide"));
    m_view->filterBooks(QString());
    QVERIFY(table->emptySearchLabel()->isHidden());
}

void TestLibraryView::doubleClicks_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("notes");
    QTest::newRow("title") << "Candide" << int(BookModel::TitleColumn) << true << false;
    QTest::newRow("author") << "Candide" << int(BookModel::AuthorColumn) << true << false;
    QTest::newRow("progress") << "Candide" << int(BookModel::ProgressColumn) << true << false;
    QTest::newRow("notes of an EPUB")
            << "War and Peace" << int(BookModel::NotesColumn) << true << true;
    QTest::newRow("notes of a MOBI") << "The Idiot" << int(BookModel::NotesColumn) << true << true;
    QTest::newRow("notes of a PDF")
            << "Anna Karenina" << int(BookModel::NotesColumn) << true << false;
    QTest::newRow("notes of a comic") << "Watchmen" << int(BookModel::NotesColumn) << true << false;
    QTest::newRow("date") << "Candide" << int(BookModel::DateColumn) << false << false;
    QTest::newRow("star") << "Candide" << int(BookModel::FavoriteColumn) << false << false;
}

void TestLibraryView::doubleClicks()
{
    QFETCH(QString, title);
    QFETCH(int, column);
    QFETCH(bool, opens);
    QFETCH(bool, notes);
    QSignalSpy open(m_view, &LibraryPage::bookOpen);
    QSignalSpy requestNotes(m_view, &LibraryPage::requestNotes);
    // What the window system sends for a double click: press, release,
    // double click, release.
    QWidget *viewport = m_view->table()->viewport();
    const QPoint at = cellRect(title, column).center();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(open.count(), opens ? 1 : 0);
    if (opens)
        QCOMPARE(open.first().first().toInt(), id(title));
    QCOMPARE(requestNotes.count(), notes ? 1 : 0);
    // The star's double click is two clicks: the flag is back where it was.
    QCOMPARE(BookProvider::instance()->findBookById(id("Candide")).isFavorite, 0);
}

void TestLibraryView::favouriteStar()
{
    clickCell(QStringLiteral("Candide"), BookModel::FavoriteColumn);
    QCOMPARE(BookProvider::instance()->findBookById(id("Candide")).isFavorite, 1);
    QCOMPARE(button("buttonFavorites")->text(), QStringLiteral("Favorites (2)"));
    QVERIFY(rowOf(QStringLiteral("Candide"), 0).data(BookModel::FavoriteRole).toBool());
    clickCell(QStringLiteral("Candide"), BookModel::FavoriteColumn);
    QCOMPARE(BookProvider::instance()->findBookById(id("Candide")).isFavorite, 0);
    QCOMPARE(button("buttonFavorites")->text(), QStringLiteral("Favorites (1)"));
    QVERIFY(m_confirmations.isEmpty());

    // Sorted by title with a book chosen, a star keeps the rows where they
    // are: the next click must not hit another book.
    QHeaderView *header = m_view->findChild<BookTable *>()->horizontalHeader();
    header->setSortIndicator(BookModel::TitleColumn, Qt::AscendingOrder);
    const QStringList sorted = shownTitles();
    m_view->findChild<BookTable *>()->selectionModel()->select(
            rowOf(QStringLiteral("Candide"), 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    clickCell(QStringLiteral("Candide"), BookModel::FavoriteColumn);
    QCOMPARE(BookProvider::instance()->findBookById(id("Candide")).isFavorite, 1);
    QCOMPARE(header->sortIndicatorSection(), int(BookModel::TitleColumn));
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    QCOMPARE(shownTitles(), sorted);
    const QModelIndexList chosen
            = m_view->findChild<BookTable *>()->selectionModel()->selectedRows(
                    BookModel::TitleColumn);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.first().data().toString(), QStringLiteral("Candide"));
    clickCell(QStringLiteral("Candide"), BookModel::FavoriteColumn);
    QCOMPARE(shownTitles(), sorted);
    // Choosing a category again sorts by date, as it always did.
    QTest::mouseClick(button("buttonAll"), Qt::LeftButton);
    QCOMPARE(header->sortIndicatorSection(), int(BookModel::DateColumn));
}

void TestLibraryView::deleteAsksFirst()
{
    clickCell(QStringLiteral("Candide"), BookModel::DeletedColumn);
    QCOMPARE(m_confirmations.size(), 1);
    QCOMPARE(m_confirmations.first().title, QStringLiteral("Delete book"));
    QCOMPARE(m_confirmations.first().text,
             QStringLiteral("Are you sure you want to delete this book?"));
    QVERIFY(!m_confirmations.first().cancelIsDefault);
    QCOMPARE(BookProvider::instance()->findBookById(id("Candide")).isDeleted, 0);
    QVERIFY(rowOf(QStringLiteral("Candide"), 0).isValid());

    m_answer = true;
    clickCell(QStringLiteral("Candide"), BookModel::DeletedColumn);
    QCOMPARE(BookProvider::instance()->findBookById(id("Candide")).isDeleted, 1);
    QVERIFY(!rowOf(QStringLiteral("Candide"), 0).isValid());
    QCOMPARE(button("buttonAll")->text(), QStringLiteral("All (4)"));
    QCOMPARE(button("buttonLeftSideDelete")->text(), QStringLiteral("Deleted (2)"));
    QVERIFY(m_view->formatList()->formatButton(0)->text() == QStringLiteral("epub (1)"));
    QVERIFY(BookProvider::instance()->restoreAllFromTrash());
    QVERIFY(BookProvider::instance()->setDeleted(id("Old Manuscript"), 1));
}

void TestLibraryView::trashRestoreAndDelete()
{
    QTest::mouseClick(button("buttonLeftSideDelete"), Qt::LeftButton);
    clickCell(QStringLiteral("Old Manuscript"), BookModel::StoredAuthorColumn);
    QVERIFY(m_confirmations.isEmpty());
    QCOMPARE(BookProvider::instance()->findBookById(id("Old Manuscript")).isDeleted, 0);
    QCOMPARE(m_view->sortModel()->rowCount(), 0);
    QCOMPARE(button("buttonLeftSideDelete")->text(), QStringLiteral("Deleted (0)"));

    QVERIFY(BookProvider::instance()->setDeleted(id("Old Manuscript"), 1));
    QTest::mouseClick(button("buttonLeftSideDelete"), Qt::LeftButton);
    m_answer = true;
    clickCell(QStringLiteral("Old Manuscript"), BookModel::DeletedColumn);
    QCOMPARE(m_confirmations.size(), 1);
    QCOMPARE(BookProvider::instance()->findBookById(id("Old Manuscript")).id, -1);
    QCOMPARE(button("buttonLeftSideDelete")->text(), QStringLiteral("Deleted (0)"));
    m_ids.remove(QStringLiteral("Old Manuscript"));
}

void TestLibraryView::deleteKeyOnBothPages()
{
    BookTable *table = m_view->table();
    table->setFocus();
    table->setCurrentIndex(rowOf(QStringLiteral("Watchmen"), 0));
    QTest::keyClick(table, Qt::Key_Delete);
    QCOMPARE(m_confirmations.size(), 1);

    // The shelf shares the table's selection: Delete there asks for the
    // same book.
    QTest::mouseClick(button("buttonSwitchShelfView"), Qt::LeftButton);
    QCOMPARE(m_view->currentPage(), 1);
    BookShelf *shelf = m_view->shelf();
    QCOMPARE(shelf->currentIndex(), rowOf(QStringLiteral("Watchmen"), 0));
    m_answer = true;
    shelf->setFocus();
    QTest::keyClick(shelf, Qt::Key_Delete);
    QCOMPARE(m_confirmations.size(), 2);
    QCOMPARE(BookProvider::instance()->findBookById(id("Watchmen")).isDeleted, 1);
    QVERIFY(BookProvider::instance()->setDeleted(id("Watchmen"), 0));
}

void TestLibraryView::clearsAskWithCancelAsDefault()
{
    QTest::mouseClick(button("buttonClearLibrary"), Qt::LeftButton);
    QCOMPARE(m_confirmations.size(), 1);
    QCOMPARE(m_confirmations.last().title, QStringLiteral("Clear library"));
    QCOMPARE(m_confirmations.last().text,
             QStringLiteral("Are you sure you want to clear library?"));
    QVERIFY(m_confirmations.last().cancelIsDefault);
    QCOMPARE(BookProvider::instance()->libraryStatistics().allCount, 5);

    QTest::mouseClick(button("buttonLeftSideDelete"), Qt::LeftButton);
    QTest::mouseClick(button("buttonClearTrash"), Qt::LeftButton);
    QCOMPARE(m_confirmations.size(), 2);
    QCOMPARE(m_confirmations.last().title, QStringLiteral("Clear trash"));
    QVERIFY(m_confirmations.last().cancelIsDefault);
    QCOMPARE(BookProvider::instance()->libraryStatistics().deletedCount, 1);

    // "Restore all" asks nothing.
    QTest::mouseClick(button("buttonRestoreAll"), Qt::LeftButton);
    QCOMPARE(m_confirmations.size(), 2);
    QCOMPARE(BookProvider::instance()->libraryStatistics().deletedCount, 0);
    QVERIFY(BookProvider::instance()->setDeleted(id("Old Manuscript"), 1));
}

void TestLibraryView::standardConfirmation_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("OK") << QStringLiteral("ok") << true;
    QTest::newRow("CANCEL") << QStringLiteral("cancel") << false;
    QTest::newRow("Enter cancels") << QStringLiteral("enter") << false;
    QTest::newRow("Escape") << QStringLiteral("escape") << false;
}

// The standard box, answered by a timer: only its OK button clears.
void TestLibraryView::standardConfirmation()
{
    QFETCH(QString, answer);
    QFETCH(bool, cleared);
    LibraryViewParts plain;
    LibraryView view(plain);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QString seenTitle;
    bool seenDefault = false;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<MessageView *>(QApplication::activeModalWidget());
        QVERIFY(box);
        seenTitle = box->windowTitle();
        auto *cancel = box->findChild<QPushButton *>(QStringLiteral("buttonCancel"));
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QStringLiteral("CANCEL"));
        seenDefault = cancel->isDefault();
        if (answer == QLatin1String("ok"))
            box->okButton()->click();
        else if (answer == QLatin1String("cancel"))
            cancel->click();
        else if (answer == QLatin1String("enter"))
            QTest::keyClick(box, Qt::Key_Return);
        else
            QTest::keyClick(box, Qt::Key_Escape);
    });
    QMetaObject::invokeMethod(&view, "onClearTrash");
    QVERIFY(seenDefault);
    QCOMPARE(BookProvider::instance()->libraryStatistics().deletedCount, cleared ? 0 : 1);
    if (cleared)
        m_ids.remove(QStringLiteral("Old Manuscript"));
}

void TestLibraryView::dropBooksOnCategory()
{
    BookTable *table = m_view->table();
    table->selectionModel()->select(rowOf(QStringLiteral("Candide"), 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table->selectionModel()->select(rowOf(QStringLiteral("The Idiot"), 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QModelIndexList rows = table->selectionModel()->selectedRows(0);
    QCOMPARE(rows.size(), 2);
    std::unique_ptr<QMimeData> data(m_view->sortModel()->mimeData(rows));
    QVERIFY(data->hasFormat(BookModel::bookIdMimeType()));

    FolderListView *list = m_view->categoryList();
    const QPoint at
            = list->visualRect(m_view->folderModel()->indexOfCategory(m_categories["Comics"]))
                      .center();
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &move);
    QDropEvent drop(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);

    QCOMPARE(BookProvider::instance()->booksInCategory(m_categories["Comics"]).size(), 3);
    const QModelIndex comics = m_view->folderModel()->indexOfCategory(m_categories["Comics"]);
    QCOMPARE(comics.data(FolderModel::BookCountRole).toInt(), 3);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(comics).center());
    QCOMPARE(shownTitles(), QStringList({ "Candide", "The Idiot", "Watchmen" }));
    for (const char *title : { "Candide", "The Idiot" })
        QVERIFY(BookProvider::instance()->removeBookFromCategory(id(title),
                                                                 m_categories["Comics"]));
}

void TestLibraryView::contextMenu()
{
    BookTable *table = m_view->table();
    QSignalSpy edit(m_view, &LibraryPage::bookEdit);
    QSignalSpy open(m_view, &LibraryPage::bookOpen);
    // Every change reloads the list, which drops the selection: each
    // request selects its books again.
    QStringList selected = { QStringLiteral("Candide"), QStringLiteral("The Idiot") };
    auto request = [table, &selected, this] {
        table->clearSelection();
        for (const QString &title : qAsConst(selected))
            table->selectionModel()->select(
                    rowOf(title, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        emit table->customContextMenuRequested(cellRect(selected.first(), 1).center());
    };

    int seenIndexes = 0;
    m_menuChoice = [&](ScriptedMenu *menu) {
        seenIndexes = menu->indexes().size();
        emit menu->toFolder(menu->indexes(), m_categories["Classics"]);
    };
    request();
    QCOMPARE(seenIndexes, 2);
    QCOMPARE(BookProvider::instance()->booksInCategory(m_categories["Classics"]).size(), 4);

    m_menuChoice = [](ScriptedMenu *menu) { emit menu->toFavorites(menu->indexes()); };
    request();
    QCOMPARE(button("buttonFavorites")->text(), QStringLiteral("Favorites (3)"));
    m_menuChoice = [](ScriptedMenu *menu) { emit menu->fromFavorites(menu->indexes()); };
    request();
    QCOMPARE(button("buttonFavorites")->text(), QStringLiteral("Favorites (1)"));

    // To the trash only after OK.
    m_menuChoice = [](ScriptedMenu *menu) { emit menu->remove(menu->indexes()); };
    request();
    QCOMPARE(m_confirmations.size(), 1);
    QCOMPARE(BookProvider::instance()->libraryStatistics().deletedCount, 1);
    m_answer = true;
    request();
    QCOMPARE(BookProvider::instance()->libraryStatistics().deletedCount, 3);
    QCOMPARE(button("buttonAll")->text(), QStringLiteral("All (3)"));

    QTest::mouseClick(button("buttonLeftSideDelete"), Qt::LeftButton);
    table->selectAll();
    m_menuChoice = [](ScriptedMenu *menu) { emit menu->restore(menu->indexes()); };
    emit table->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(BookProvider::instance()->libraryStatistics().deletedCount, 0);

    QTest::mouseClick(button("buttonAll"), Qt::LeftButton);
    selected = QStringList { QStringLiteral("Candide") };
    m_menuChoice = [](ScriptedMenu *menu) {
        emit menu->deleteFromCategory(
                menu->indexes(), menu->indexes().first().data(BookModel::CategoryIdRole).toInt());
    };
    request();
    QCOMPARE(BookProvider::instance()->categoryOfBook(id("Candide")), 0);

    m_menuChoice = [](ScriptedMenu *menu) { emit menu->read(menu->indexes().first()); };
    request();
    QCOMPARE(open.count(), 1);
    QCOMPARE(open.first().first().toInt(), id("Candide"));
    m_menuChoice = [](ScriptedMenu *menu) { emit menu->edit(menu->indexes().first()); };
    request();
    m_editFromProperties = false;
    m_menuChoice = [](ScriptedMenu *menu) { emit menu->properties(menu->indexes().first()); };
    request();
    QCOMPARE(edit.count(), 1);
    m_editFromProperties = true;
    request();
    QCOMPARE(edit.count(), 2);
    QCOMPARE(edit.last().first().toInt(), id("Candide"));
    QVERIFY(BookProvider::instance()->removeBookFromCategory(id("The Idiot"),
                                                             m_categories["Classics"]));
    QVERIFY(BookProvider::instance()->setDeleted(id("Old Manuscript"), 1));
}

// A book chosen in the table is the whole row; on the shelf the menu still
// gets one index per book, so one book gets the one-book menu.
void TestLibraryView::shelfMenuGetsEachBookOnce()
{
    m_view->table()->selectRow(rowOf(QStringLiteral("Candide"), 0).row());
    QTest::mouseClick(button("buttonSwitchShelfView"), Qt::LeftButton);
    QCOMPARE(m_view->shelf()->metaObject()->className(), "BookListView");
    QModelIndexList seen;
    m_menuChoice = [&seen](ScriptedMenu *menu) { seen = menu->indexes(); };
    BookShelf *shelf = m_view->shelf();
    emit shelf->customContextMenuRequested(
            shelf->visualRect(rowOf(QStringLiteral("Candide"), 0)).center());
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen.first().data(BookModel::BookIdRole).toInt(), id("Candide"));

    // Ctrl-click adds a second book on the shelf itself.
    QTest::mouseClick(shelf->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      shelf->visualRect(rowOf(QStringLiteral("Watchmen"), 0)).center());
    emit shelf->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(seen.size(), 2);
}

void TestLibraryView::readSettings_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("general");
    QTest::addColumn<QString>("custom");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<int>("checked");
    QTest::newRow("favourites") << 0 << 3 << QString() << QStringList { "War and Peace" } << 3;
    QTest::newRow("a format") << 0 << 1003 << QString() << QStringList { "Anna Karenina" } << 1003;
    QTest::newRow("user category") << 1 << 0 << QStringLiteral("Classics")
                                   << QStringList({ "Anna Karenina", "War and Peace" }) << -1;
    // No button offers "last added", and a deleted category is not found:
    // the screen stays without a category.
    QTest::newRow("last added") << 0 << 1 << QString() << QStringList() << -1;
    QTest::newRow("gone category") << 1 << 0 << QStringLiteral("gone") << QStringList() << -1;
}

void TestLibraryView::readSettings()
{
    QFETCH(int, type);
    QFETCH(int, general);
    QFETCH(QString, custom);
    QFETCH(QStringList, titles);
    QFETCH(int, checked);
    storeSettings(type, general, m_categories.value(custom, 9999));
    delete m_view;
    m_view = new LibraryView(parts());
    m_view->show();
    m_view->readSettings();
    QCOMPARE(shownTitles(), titles);
    QCOMPARE(m_view->categoryGroup()->checkedId(), checked);
    QCOMPARE(m_view->formatList()->isExpanded(), general >= 1000);
    if (!custom.isEmpty() && m_categories.contains(custom))
        QCOMPARE(m_view->categoryList()->currentIndex().data(FolderModel::IdRole).toInt(),
                 m_categories.value(custom));
}

void TestLibraryView::switchPages()
{
    Button *switchButton = button("buttonSwitchShelfView");
    QVERIFY(switchButton);
    QCOMPARE(switchButton->text(), QStringLiteral("Bookshelf"));
    QTest::mouseClick(switchButton, Qt::LeftButton);
    QCOMPARE(m_view->currentPage(), 1);
    QCOMPARE(switchButton->objectName(), QStringLiteral("buttonSwitchTableView"));
    QCOMPARE(switchButton->text(), QStringLiteral("Table view"));
    QTest::mouseClick(switchButton, Qt::LeftButton);
    QCOMPARE(m_view->currentPage(), 0);
    QCOMPARE(switchButton->objectName(), QStringLiteral("buttonSwitchShelfView"));
    QCOMPARE(m_view->shelf()->model(), m_view->table()->model());
    QCOMPARE(m_view->shelf()->selectionModel(), m_view->table()->selectionModel());
}

// A file that is not a book adds nothing; the add still reports its end,
// names the file it could not read, and the last-added request opens "no
// book".
void TestLibraryView::addFiles()
{
    QSignalSpy open(m_view, &LibraryPage::bookOpen);
    const QString notABook = m_dir.filePath(QStringLiteral("notes.xyz"));
    QFile file(notABook);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("plain words");
    file.close();
    m_view->onAddFiles({ QFileInfo(notABook) }, true, true);
    QTRY_COMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.first(),
             QStringLiteral("Add complete: 0 file(s) were successfully added into the Library\n\n"
                            "1 file(s) could not be read (damaged, protected or of an unknown "
                            "kind):\nnotes.xyz"));
    QTRY_COMPARE(open.count(), 1);
    QCOMPARE(open.first().first().toInt(), -1);
    QVERIFY(button("buttonAll")->isChecked());
    QCOMPARE(BookProvider::instance()->bookCountAll(), 6);
}

// The screen may go while its worker still adds books: the worker is
// stopped and waited for, nothing is left running on a deleted object.
// The folder chosen for "Add folder" is the one the add-book dialog and the
// next save of the reading settings see: no stale copy is written back.
void TestLibraryView::addFolderRemembersTheFolder()
{
    Settings *settings = Settings::instance();
    settings->setLastUsedDirectory(QStringLiteral("/start/here"));
    const QString chosen = m_dir.filePath(QStringLiteral("empty folder"));
    QVERIFY(QDir().mkpath(chosen));

    QStringList offered;
    LibraryViewParts withDialog = parts();
    withDialog.getExistingDirectory = [&](QWidget *, const QString &, const QString &folder) {
        offered.append(folder);
        return chosen;
    };
    LibraryView view(withDialog);
    view.onAddDir();
    QCOMPARE(offered, QStringList { QStringLiteral("/start/here") });
    QCOMPARE(settings->lastUsedDirectory(), chosen);
    QTRY_COMPARE(m_messages.size(), 1);

    // The reading settings are saved whole; the folder survives it.
    settings->setValues(settings->values(), true);
    QCOMPARE(SettingsFile::create()->value(QStringLiteral("last_used_directory")).toString(),
             chosen);
    view.onAddDir();
    QCOMPARE(offered.last(), chosen);
    QTRY_COMPARE(m_messages.size(), 2);
}

void TestLibraryView::closedWhileAdding()
{
    const QString folder = m_dir.filePath(QStringLiteral("many"));
    QVERIFY(QDir().mkpath(folder));
    for (int i = 0; i < 40; ++i) {
        QFile file(QStringLiteral("%1/story %2.txt").arg(folder).arg(i));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("Story %1\n\nOnce upon a time.\n").arg(i).toUtf8());
    }
    m_view->onAddFiles({ QFileInfo(folder) });
    delete m_view;
    m_view = nullptr;
    QCoreApplication::processEvents();
    const int added = BookProvider::instance()->bookCountAll() - 6;
    QVERIFY(added >= 0 && added <= 40);
    QVERIFY(m_messages.isEmpty());
    resetLibrary();
}

// The library goes into a package and comes back from it, into the folder
// the settings name, with the categories the import made listed.
void TestLibraryView::exportThenImport()
{
    for (const BookDto &book : BookProvider::instance()->allBooks()) {
        QFile file(book.fullPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(book.title.toUtf8());
    }
    m_saveName = m_dir.filePath(QStringLiteral("exported"));
    m_okAnswer = true;
    QTest::mouseClick(button("buttonExport"), Qt::LeftButton);
    QTRY_COMPARE(m_messages.size(), 1);
    QCOMPARE(m_fileDialogs, QStringList { "save Export file Archive(*.vlz)" });
    QCOMPARE(m_messages.first(), QStringLiteral("Export complete: Click OK to open folder"));
    const QString package = m_saveName + QStringLiteral(".vlz");
    QCOMPARE(m_shownFiles, QStringList { package });
    QVERIFY(QFileInfo(package).size() > 0);

    // The categories go, so the import has to make them again.
    BookProvider *provider = BookProvider::instance();
    for (const CategoryDto &category : provider->allCategories())
        QVERIFY(provider->removeCategory(category.id));
    m_view->folderModel()->selectAll();
    QCOMPARE(m_view->folderModel()->rowCount(), 0);
    const QString folder = m_dir.filePath(QStringLiteral("imported books"));
    SettingsFile::create()->setValue(QStringLiteral("library_folder"), folder);
    m_openName = package;
    QTest::mouseClick(button("buttonImport"), Qt::LeftButton);
    QTRY_COMPARE(m_messages.size(), 2);
    QCOMPARE(m_fileDialogs.last(), QStringLiteral("open Export file Archive(*.vlz)"));
    QCOMPARE(m_messages.last(),
             QStringLiteral(
                     "Import complete: 5 file(s) were successfully imported into the Library"));
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 5);
    QCOMPARE(provider->bookCount(), 10);
    QVERIFY(button("buttonAll")->isChecked());
    QCOMPARE(m_view->sortModel()->rowCount(), 10);
    QTRY_COMPARE(m_view->folderModel()->rowCount(), 2);
    SettingsFile::create()->remove(QStringLiteral("library_folder"));
}

// Cancelled dialogs start nothing; failures are told; the completion box
// opens the folder only when its OK closed it.
void TestLibraryView::packageActions_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("shown");
    QTest::newRow("export cancelled") << "buttonExport"
                                      << ""
                                      << "" << false;
    QTest::newRow("import cancelled") << "buttonImport"
                                      << ""
                                      << "" << false;
    QTest::newRow("export complete, box closed")
            << "buttonExport"
            << "package.vlz"
            << "Export complete: Click OK to open folder" << false;
    QTest::newRow("export fails") << "buttonExport"
                                  << "blocker/package.vlz"
                                  << "Export failed: Compress file error" << false;
    QTest::newRow("import fails") << "buttonImport"
                                  << "blocker"
                                  << "Import failed: Container corrupted" << false;
}

void TestLibraryView::packageActions()
{
    QFETCH(QString, buttonName);
    QFETCH(QString, fileName);
    QFETCH(QString, message);
    QFETCH(bool, shown);
    QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.write("no package");
    blocker.close();
    QTest::mouseClick(button("buttonFavorites"), Qt::LeftButton);

    m_saveName = m_openName = fileName.isEmpty() ? QString() : m_dir.filePath(fileName);
    QTest::mouseClick(button(qPrintable(buttonName)), Qt::LeftButton);
    QCOMPARE(m_fileDialogs.size(), 1);
    if (message.isEmpty()) {
        QTest::qWait(50);
        QVERIFY(m_messages.isEmpty());
        QVERIFY(m_view->findChildren<QThread *>().isEmpty());
    } else {
        QTRY_COMPARE(m_messages, QStringList { message });
    }
    QCOMPARE(!m_shownFiles.isEmpty(), shown);
    // Only an import refreshes the screen and shows all books.
    QCOMPARE(button("buttonAll")->isChecked(),
             buttonName == QLatin1String("buttonImport") && !message.isEmpty());
    QCOMPARE(BookProvider::instance()->bookCountAll(), 6);
}

// Pictures of the screen for a look by eye, when asked for.
void TestLibraryView::screenshots()
{
    const QString folder = qEnvironmentVariable("VL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("VL_SCREENSHOT_DIR not set");
    QDir().mkpath(folder);
    m_view->formatList()->expand();
    m_view->table()->selectRow(1);
    QCoreApplication::processEvents();
    QVERIFY(m_view->grab().save(QDir(folder).filePath(QStringLiteral("library-table.png"))));
    QTest::mouseClick(button("buttonLeftSideDelete"), Qt::LeftButton);
    QVERIFY(m_view->grab().save(QDir(folder).filePath(QStringLiteral("library-trash.png"))));
    QTest::mouseClick(button("buttonAll"), Qt::LeftButton);
    m_view->filterBooks(QStringLiteral("nothing like this"));
    QVERIFY(m_view->grab().save(QDir(folder).filePath(QStringLiteral("library-search.png"))));
    m_view->filterBooks(QString());
    QTest::mouseClick(button("buttonSwitchShelfView"), Qt::LeftButton);
    QVERIFY(m_view->grab().save(QDir(folder).filePath(QStringLiteral("library-shelf.png"))));
}

VL_TEST_WIDGETS_MAIN(TestLibraryView)
#include "tst_libraryview.moc"
