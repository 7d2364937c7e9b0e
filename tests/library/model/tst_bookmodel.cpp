#include "tests/support/testenvironment.h"

#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QMimeData>
#include <QSignalSpy>
#include <QSortFilterProxyModel>

namespace {

BookDto makeBook(const QString &title, int format = 0, uint timeAdded = 0)
{
    BookDto book;
    book.title = title;
    book.author = QStringLiteral("Author of %1").arg(title);
    book.fullPath = QStringLiteral("/books/%1.%2").arg(title, format == 3 ? "pdf" : "epub");
    book.format = format;
    book.timeAdded = timeAdded ? timeAdded : QDateTime::currentDateTimeUtc().toTime_t();
    return book;
}

int addBook(const BookDto &book)
{
    const int id = BookProvider::instance()->addBook(book);
    if (id <= 0)
        qWarning() << "addBook failed:" << BookProvider::instance()->lastError();
    return id;
}

// Every signal the model announces changes with, counted by name.
struct ModelSignals
{
    explicit ModelSignals(BookModel *model)
        : inserted(model, &BookModel::inserted)
        , restored(model, &BookModel::restored)
        , removed(model, &BookModel::removed)
        , deleted(model, &BookModel::deleted)
        , favorited(model, &BookModel::favorited)
        , noted(model, &BookModel::noted)
    {
    }
    int total() const
    {
        return inserted.count() + restored.count() + removed.count() + deleted.count()
                + favorited.count() + noted.count();
    }
    QSignalSpy inserted, restored, removed, deleted, favorited, noted;
};

} // namespace

class TestBookModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void passesModelTester();
    void moveToTrashRemovesRowWithNotifications();
    void moveToTrashWithoutSignalKeepsRow();
    void displayValues_data();
    void displayValues();
    void dateTexts();
    void dateColumnFollowsCategory();
    void selectByCategory_data();
    void selectByCategory();
    void updateBook();
    void changeSlotsEmitOnce();
    void refreshCache();
    void dragFlagsAndPayload();
    void dropsNothing();
    void databaseRoles();
    void countsAndLookups();
};

void TestBookModel::initTestCase()
{
    QVERIFY2(BookProvider::instance()->createConnection(),
             qPrintable(BookProvider::instance()->lastError()));
}

void TestBookModel::init()
{
    // Every test starts from an empty library.
    BookProvider *provider = BookProvider::instance();
    QVERIFY(provider->restoreAllFromTrash());
    QVERIFY(provider->clearLibrary());
    QVERIFY(provider->clearTrash());
    QCOMPARE(provider->bookCountAll(), 0);
}

void TestBookModel::passesModelTester()
{
    for (int i = 0; i < 5; ++i)
        QVERIFY(addBook(makeBook(QStringLiteral("Book %1").arg(i), i % 4, 1000 + i)) > 0);

    BookModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.selectByCategory(BookModel::CategoryAll);
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.columnCount(), 9);
    QCOMPARE(model.rowCount(model.index(0, 0)), 0);

    const int id = model.index(1, 0).data(BookModel::BookIdRole).toInt();
    QVERIFY(model.moveToTrash(id));
    QCOMPARE(model.rowCount(), 4);
    model.refreshCache(model.index(0, 0).data(BookModel::BookIdRole).toInt());
    BookDto first = BookProvider::instance()->findBookById(
            model.index(0, 0).data(BookModel::BookIdRole).toInt());
    first.notesCount = 3;
    model.updateBook(first);
    model.selectDeleted();
    QCOMPARE(model.rowCount(), 1);
    model.searchBooks(QStringLiteral("Book"));
    QCOMPARE(model.rowCount(), 5);
    model.selectByFormat(1);
    QCOMPARE(model.rowCount(), 1);
}

void TestBookModel::moveToTrashRemovesRowWithNotifications()
{
    const int first = addBook(makeBook(QStringLiteral("First"), 0, 3000));
    const int second = addBook(makeBook(QStringLiteral("Second"), 0, 2000));
    const int third = addBook(makeBook(QStringLiteral("Third"), 0, 1000));
    QVERIFY(first > 0 && second > 0 && third > 0);

    BookModel model;
    model.selectAll();
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    proxy.sort(0);
    QCOMPARE(proxy.rowCount(), 3);

    ModelSignals spies(&model);
    QSignalSpy aboutToRemove(&model, &QAbstractItemModel::rowsAboutToBeRemoved);
    QSignalSpy rowsRemoved(&model, &QAbstractItemModel::rowsRemoved);
    QVERIFY(model.moveToTrash(second));

    QCOMPARE(aboutToRemove.count(), 1);
    QCOMPARE(rowsRemoved.count(), 1);
    QCOMPARE(rowsRemoved.at(0).at(1).toInt(), 1);
    QCOMPARE(rowsRemoved.at(0).at(2).toInt(), 1);
    QCOMPARE(spies.removed.count(), 1);
    QCOMPARE(spies.total(), 1);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.rowOfBook(second), -1);
    QCOMPARE(proxy.rowCount(), 2);
    QCOMPARE(proxy.index(0, 0).data().toString(), QStringLiteral("First"));
    QCOMPARE(proxy.index(1, 0).data().toString(), QStringLiteral("Third"));
    QCOMPARE(BookProvider::instance()->findBookById(second).isDeleted, 1);

    // A book outside the selection only changes the database.
    model.selectByFormat(3);
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(model.moveToTrash(third));
    QCOMPARE(rowsRemoved.count(), 1);
    QCOMPARE(spies.removed.count(), 2);
}

void TestBookModel::moveToTrashWithoutSignalKeepsRow()
{
    const int id = addBook(makeBook(QStringLiteral("Kept")));
    BookModel model;
    model.selectAll();
    ModelSignals spies(&model);
    QSignalSpy rowsRemoved(&model, &QAbstractItemModel::rowsRemoved);

    QVERIFY(model.moveToTrash(id, false));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(rowsRemoved.count(), 0);
    QCOMPARE(spies.total(), 0);
    QCOMPARE(BookProvider::instance()->findBookById(id).isDeleted, 1);
}

void TestBookModel::displayValues_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("author");
    QTest::addColumn<int>("maxPosition");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("shownTitle");
    QTest::addColumn<QString>("shownAuthor");
    QTest::addColumn<int>("progress");
    QTest::addColumn<QString>("progressText");
    QTest::addColumn<QString>("formatName");
    QTest::addColumn<QString>("formatRoleName");

    QTest::newRow("spaces only") << "   "
                                 << "" << -5 << 0 << "Unknown"
                                 << "Unknown" << 0 << "on start"
                                 << "epub"
                                 << "epub";
    QTest::newRow("trimmed") << " Dune "
                             << "  Frank Herbert\t" << 100 << 3 << "Dune"
                             << "Frank Herbert" << 100 << "finished"
                             << "pdf"
                             << "pdf";
    QTest::newRow("above hundred") << "A"
                                   << "B" << 250 << 10 << "A"
                                   << "B" << 100 << "finished"
                                   << "7z"
                                   << "7z";
    QTest::newRow("one percent") << "A"
                                 << "B" << 1 << 11 << "A"
                                 << "B" << 1 << "1%"
                                 << "unknown"
                                 << "";
    QTest::newRow("unknown code") << "A"
                                  << "B" << 42 << 12 << "A"
                                  << "B" << 42 << "42%"
                                  << "unknown"
                                  << "";
}

void TestBookModel::displayValues()
{
    QFETCH(QString, title);
    QFETCH(QString, author);
    QFETCH(int, maxPosition);
    QFETCH(int, format);

    BookDto book = makeBook(title, format);
    book.title = title;
    book.author = author;
    book.maxPosition = maxPosition;
    book.notesCount = 4;
    book.isFavorite = 1;
    QVERIFY(addBook(book) > 0);

    BookModel model;
    model.selectAll();
    QCOMPARE(model.rowCount(), 1);
    const auto cell = [&](int column, int role = Qt::DisplayRole) {
        return model.data(model.index(0, column), role);
    };
    QTEST(cell(0).toString(), "shownTitle");
    QTEST(cell(1).toString(), "shownAuthor");
    QTEST(cell(2).toInt(), "progress");
    QTEST(cell(3).toString(), "formatName");
    QCOMPARE(cell(5).toInt(), 4);
    QCOMPARE(cell(6).toInt(), 1);
    QCOMPARE(cell(7).toString(), author);
    QCOMPARE(cell(8).toInt(), 0);
    QCOMPARE(cell(0, Qt::EditRole), cell(0));

    QCOMPARE(cell(4, BookModel::TitleRole).toString(), title);
    QCOMPARE(cell(4, BookModel::AuthorRole).toString(), author);
    QTEST(cell(0, BookModel::ProgressTextRole).toString(), "progressText");
    QTEST(cell(0, BookModel::FormatNameRole).toString(), "formatRoleName");
    QCOMPARE(cell(0, BookModel::FormatRole).toInt(), format);
    QCOMPARE(cell(0, BookModel::FavoriteRole).toBool(), true);
    QCOMPARE(cell(0, BookModel::DeletedRole).toBool(), false);
    QCOMPARE(cell(0, BookModel::NotesCountRole).toInt(), 4);
    QCOMPARE(cell(0, BookModel::PathRole).toString(), book.fullPath);
    QCOMPARE(cell(0, BookModel::FolderRole).toString(), QStringLiteral("/books"));

    QCOMPARE(cell(3, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    QCOMPARE(cell(4, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    QVERIFY(!cell(0, Qt::TextAlignmentRole).isValid());
    QVERIFY(!cell(0, Qt::ToolTipRole).isValid());
    QVERIFY(!model.data(model.index(1, 0)).isValid());
}

void TestBookModel::dateTexts()
{
    const QDate today = QDate::currentDate();
    const QDateTime thisYear(QDate(today.year(), 3, 5), QTime(12, 0));
    QCOMPARE(BookModel::formatBookDate(thisYear), QLocale().toString(thisYear, "MMM d"));
    QCOMPARE(BookModel::formatBookDate(QDateTime(QDate(2001, 3, 5), QTime(12, 0))),
             QStringLiteral("2001"));
    QCOMPARE(BookModel::formatBookDate(QDateTime()), QString());

    const QDateTime added(QDate(2001, 6, 1), QTime(10, 0));
    BookDto book = makeBook(QStringLiteral("Never opened"), 0, added.toTime_t());
    QVERIFY(addBook(book) > 0);
    BookModel model;
    model.selectByCategory(BookModel::CategoryAll);
    QCOMPARE(model.index(0, 4).data().toString(), QStringLiteral("2001"));
    QCOMPARE(model.index(0, 0).data(BookModel::DateRole).toDateTime(), added);
    QCOMPARE(model.index(0, 0).data(BookModel::LastOpenTextRole).toString(), QString());
}

void TestBookModel::dateColumnFollowsCategory()
{
    const uint now = QDateTime::currentDateTimeUtc().toTime_t();
    const int id = addBook(makeBook(QStringLiteral("Read"), 0, 978307200)); // 2001
    QVERIFY(BookProvider::instance()->setTimeLastView(id, now));

    BookModel model;
    model.selectByCategory(BookModel::CategoryRecentlyRead);
    QVERIFY(model.recentlyReadMode());
    QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Date"));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 0).data(BookModel::DateRole).toDateTime().toTime_t(), now);
    QCOMPARE(model.index(0, 4).data().toString(),
             BookModel::formatBookDate(QDateTime::fromSecsSinceEpoch(now)));

    // A search keeps the mode it was started from.
    model.searchBooks(QStringLiteral("Read"));
    QVERIFY(model.recentlyReadMode());

    model.selectByCategory(BookModel::CategoryAll);
    QVERIFY(!model.recentlyReadMode());
    QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Added on"));
    QCOMPARE(model.index(0, 4).data().toString(), QStringLiteral("2001"));

    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Title"));
    QCOMPARE(model.headerData(5, Qt::Horizontal).toString(), QStringLiteral("Notes"));
    QVERIFY(!model.headerData(6, Qt::Horizontal).isValid());
    QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
    QCOMPARE(model.headerData(3, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignCenter));
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignLeft | Qt::AlignVCenter));
}

void TestBookModel::selectByCategory_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<bool>("recentlyRead");

    // Fixture: "Pdf" (format 3), "Fav" (favourite), "Trashed" (in the
    // trash), "Opened" (read just now); the cache starts with every book
    // outside the trash, newest first.
    const QStringList all { "Opened", "Trashed-not", "Fav", "Pdf" };
    QTest::newRow("recently read") << 0 << QStringList { "Opened" } << true;
    QTest::newRow("last added") << 1 << all << false;
    QTest::newRow("all") << 2 << all << false;
    QTest::newRow("favourites") << 3 << QStringList { "Fav" } << false;
    QTest::newRow("trash") << 4 << QStringList { "Trashed" } << false;
    QTest::newRow("pdf") << 1003 << QStringList { "Pdf" } << false;
    QTest::newRow("epub") << 1000 << QStringList { "Opened", "Trashed-not", "Fav" } << false;
    QTest::newRow("past formats") << 1101 << all << false;
    QTest::newRow("unassigned") << 7 << all << false;
}

void TestBookModel::selectByCategory()
{
    QFETCH(int, category);
    QFETCH(QStringList, titles);
    QFETCH(bool, recentlyRead);

    BookProvider *provider = BookProvider::instance();
    QVERIFY(addBook(makeBook(QStringLiteral("Pdf"), 3, 1000)) > 0);
    const int fav = addBook(makeBook(QStringLiteral("Fav"), 0, 2000));
    QVERIFY(provider->setFavorite(fav, 1));
    const int trashed = addBook(makeBook(QStringLiteral("Trashed"), 0, 2500));
    QVERIFY(provider->setDeleted(trashed, 1));
    QVERIFY(addBook(makeBook(QStringLiteral("Trashed-not"), 0, 2600)) > 0);
    const int opened = addBook(makeBook(QStringLiteral("Opened"), 0, 3000));
    QVERIFY(provider->setTimeLastView(opened, QDateTime::currentDateTimeUtc().toTime_t()));

    BookModel model;
    // Start in recently-read mode to see that every category clears it.
    model.selectByCategory(BookModel::CategoryRecentlyRead);
    model.selectAll();
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    model.selectByCategory(BookModel::BookCategory(category));

    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown << model.index(row, 0).data(BookModel::TitleRole).toString();
    QCOMPARE(shown, titles);
    QCOMPARE(model.recentlyReadMode(), recentlyRead);
    const bool selects = (category >= 0 && category <= 4) || (category >= 1000 && category <= 1100);
    QCOMPARE(resets.count(), selects ? 1 : 0);
}

void TestBookModel::updateBook()
{
    const int shown = addBook(makeBook(QStringLiteral("Shown"), 0));
    const int hidden = addBook(makeBook(QStringLiteral("Hidden"), 3));

    BookModel model;
    model.selectByFormat(0);
    ModelSignals spies(&model);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    BookDto other = BookProvider::instance()->findBookById(hidden);
    other.position = 77;
    other.maxPosition = 40;
    model.updateBook(other);
    QCOMPARE(BookProvider::instance()->findBookById(hidden).position, 77);
    QCOMPARE(spies.total(), 0);
    QCOMPARE(changed.count(), 0);

    BookDto book = BookProvider::instance()->findBookById(shown);
    book.maxPosition = 55;
    book.notesCount = 2;
    model.updateBook(book);
    QCOMPARE(spies.noted.count(), 1);
    QCOMPARE(spies.total(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(model.index(0, 2).data().toInt(), 55);
    QCOMPARE(model.index(0, 5).data().toInt(), 2);
    QCOMPARE(BookProvider::instance()->findBookById(shown).notesCount, 2);
}

void TestBookModel::changeSlotsEmitOnce()
{
    const int a = addBook(makeBook(QStringLiteral("A")));
    const int b = addBook(makeBook(QStringLiteral("B")));
    BookModel model;
    model.selectAll();
    ModelSignals spies(&model);

    QVERIFY(model.setFavorite(a, true));
    QCOMPARE(spies.favorited.count(), 1);
    QCOMPARE(BookProvider::instance()->findBookById(a).isFavorite, 1);
    QVERIFY(model.setFavorite(a, false, false));
    QCOMPARE(spies.favorited.count(), 1);
    QCOMPARE(BookProvider::instance()->findBookById(a).isFavorite, 0);

    QVERIFY(model.clearLibrary());
    QCOMPARE(spies.removed.count(), 1);
    QCOMPARE(BookProvider::instance()->bookCount(), 0);
    QVERIFY(model.restoreFromTrash(a));
    QCOMPARE(spies.restored.count(), 1);
    QVERIFY(model.restoreFromTrashAll());
    QCOMPARE(spies.restored.count(), 2);
    QCOMPARE(BookProvider::instance()->bookCount(), 2);

    QVERIFY(model.deleteFromLibrary(a));
    QCOMPARE(spies.deleted.count(), 1);
    QVERIFY(model.deleteFromLibrary(b, false));
    QCOMPARE(spies.deleted.count(), 1);
    QCOMPARE(BookProvider::instance()->bookCountAll(), 0);
    QVERIFY(model.clearTrash());
    QCOMPARE(spies.deleted.count(), 2);
    QCOMPARE(spies.inserted.count(), 0);
    QCOMPARE(spies.total(), 6);
}

void TestBookModel::refreshCache()
{
    const int id = addBook(makeBook(QStringLiteral("Before")));
    BookModel model;
    model.selectAll();
    QVERIFY(BookProvider::instance()->setTitleAndAuthor(id, QStringLiteral("After"),
                                                        QStringLiteral("Someone")));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    model.refreshCache(id);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), model.index(0, 0));
    QCOMPARE(changed.at(0).at(1).toModelIndex(), model.index(0, 8));
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("After"));

    // Gone from the database: the old record stays and is repainted.
    QVERIFY(BookProvider::instance()->deleteFromLibrary(id));
    model.refreshCache(id);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("After"));

    model.refreshCache(id + 100);
    QCOMPARE(changed.count(), 2);
}

void TestBookModel::dragFlagsAndPayload()
{
    const int first = addBook(makeBook(QStringLiteral("First"), 0, 2000));
    const int second = addBook(makeBook(QStringLiteral("Second"), 0, 1000));
    const int trashed = addBook(makeBook(QStringLiteral("Trashed")));
    QVERIFY(BookProvider::instance()->setDeleted(trashed, 1));

    BookModel model;
    model.selectAll();
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsDragEnabled);
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsEnabled);
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(!(model.flags(QModelIndex()) & Qt::ItemIsDragEnabled));

    const QString type = QStringLiteral("application/morvasco-vellumin-book_id-mime");
    QCOMPARE(model.mimeTypes(), QStringList { type });
    std::unique_ptr<QMimeData> mime(
            model.mimeData({ model.index(1, 0), QModelIndex(), model.index(0, 3) }));
    QCOMPARE(mime->formats(), QStringList { type });
    QCOMPARE(QString::fromUtf8(mime->data(type)), QStringLiteral("%1|%2|").arg(second).arg(first));
    mime.reset(model.mimeData({}));
    QVERIFY(mime);
    QVERIFY(mime->hasFormat(type));
    QVERIFY(mime->data(type).isEmpty());

    model.selectDeleted();
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsDragEnabled));
}

// A view's own books dragged back onto it (the table and the shelf move
// nothing of their own) reach the model's drop handling through the sort
// proxy. The id text must not be read as item data: "12345678|" would
// declare a row past 800 million.
void TestBookModel::dropsNothing()
{
    addBook(makeBook(QStringLiteral("Dragged")));
    BookModel model;
    model.selectAll();
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    const int rows = proxy.rowCount();
    QVERIFY(rows > 0);
    QMimeData data;
    data.setData(BookModel::bookIdMimeType(), QByteArrayLiteral("12345678|87654321|"));
    for (const Qt::DropAction action : { Qt::MoveAction, Qt::CopyAction }) {
        QVERIFY(!proxy.canDropMimeData(&data, action, 0, 0, QModelIndex()));
        QVERIFY(!proxy.dropMimeData(&data, action, -1, -1, QModelIndex()));
    }
    QCOMPARE(proxy.rowCount(), rows);
}

void TestBookModel::databaseRoles()
{
    const int id = addBook(makeBook(QStringLiteral("Described")));
    BookModel model;
    model.selectAll();
    const QModelIndex index = model.index(0, 2);
    QVERIFY(model.data(index, BookModel::DescriptionRole).toString().isEmpty());
    QCOMPARE(model.data(index, BookModel::CategoryIdRole).toInt(), 0);

    // Read at each request: no reselection needed.
    QVERIFY(BookProvider::instance()->setMetaData(id, 6, QStringLiteral("A long story")));
    const int folder = BookProvider::instance()->addCategory(QStringLiteral("Shelf"), 0);
    QVERIFY(BookProvider::instance()->addBookToCategory(id, folder));
    QCOMPARE(model.data(index, BookModel::DescriptionRole).toString(),
             QStringLiteral("A long story"));
    QCOMPARE(model.data(index, BookModel::CategoryIdRole).toInt(), folder);

    model.selectByFolder(folder);
    QCOMPARE(model.rowCount(), 1);
    QVERIFY(BookProvider::instance()->removeCategory(folder));
}

void TestBookModel::countsAndLookups()
{
    QVERIFY(addBook(makeBook(QStringLiteral("E1"), 0)) > 0);
    QVERIFY(addBook(makeBook(QStringLiteral("E2"), 0)) > 0);
    QVERIFY(addBook(makeBook(QStringLiteral("P1"), 3)) > 0);
    const int trashed = addBook(makeBook(QStringLiteral("C1"), 6));
    QVERIFY(BookProvider::instance()->setDeleted(trashed, 1));

    const FormatCounts counts = BookModel::formatCounts();
    QCOMPARE(counts.keys(), (QList<int> { 0, 3 }));
    QCOMPARE(counts.value(0), qMakePair(0, 2));
    QCOMPARE(counts.value(3), qMakePair(3, 1));

    QVERIFY(BookModel::containsBook(QStringLiteral("/books/E1.epub")));
    QVERIFY(!BookModel::containsBook(QStringLiteral("/books/C1.epub")));
    QVERIFY(!BookModel::containsBook(QStringLiteral("/books/none.epub")));
}

VL_TEST_GUILESS_MAIN(TestBookModel)
#include "tst_bookmodel.moc"
