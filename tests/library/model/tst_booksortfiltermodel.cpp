#include "tests/support/testenvironment.h"

#include "library/db/bookprovider.h"
#include "library/model/bookformatfilter.h"
#include "library/model/bookmodel.h"
#include "library/model/booksortfiltermodel.h"

#include <QAbstractItemModelTester>
#include <QStandardItemModel>

namespace {

struct Fixture
{
    QString title;
    QString author;
    int format;
    uint timeAdded;
    int progress;
    int notes;
};

// Times in 2015 and 2016, so the date column shows only the year for some.
const QList<Fixture> &fixtures()
{
    static const QList<Fixture> books = {
        { QStringLiteral("War and Peace"), QStringLiteral("Leo Tolstoy"), 0, 1420070400u, 37, 2 },
        { QStringLiteral("Anna Karenina"), QStringLiteral("Leo Tolstoy"), 3, 1420074000u, 9, 10 },
        { QStringLiteral("The Idiot"), QStringLiteral("Fyodor Dostoevsky"), 1, 1451606400u, 10, 0 },
        { QStringLiteral("   "), QStringLiteral("Anonymous"), 5, 1420070500u, 100, 1 },
        { QStringLiteral("Warlock"), QStringLiteral("Oakley Hall"), 3, 1430000000u, 0, 3 },
    };
    return books;
}

} // namespace

class TestBookSortFilterModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void formatFilter_data();
    void formatFilter();
    void search_data();
    void search();
    void searchWithinFormat();
    void pathologicalSearchOverManyBooks();
    void sortColumns_data();
    void sortColumns();
    void namesSortWithoutCase_data();
    void namesSortWithoutCase();
    void dateOrderFollowsChanges();
    void passesModelTester();

private:
    QStringList shownTitles(int column = BookModel::TitleColumn) const;

    BookModel *m_model = nullptr;
    BookFormatFilter *m_formats = nullptr;
    BookSortFilterModel *m_sort = nullptr;
};

void TestBookSortFilterModel::initTestCase()
{
    BookProvider *provider = BookProvider::instance();
    QVERIFY2(provider->createConnection(), qPrintable(provider->lastError()));
    for (const Fixture &fixture : fixtures()) {
        BookDto book;
        book.title = fixture.title;
        book.author = fixture.author;
        book.format = fixture.format;
        book.timeAdded = fixture.timeAdded;
        book.maxPosition = fixture.progress;
        book.notesCount = fixture.notes;
        book.fullPath = QStringLiteral("/books/%1").arg(fixture.timeAdded);
        QVERIFY(provider->addBook(book) > 0);
    }
    m_model = new BookModel(this);
    m_formats = new BookFormatFilter(this);
    m_sort = new BookSortFilterModel(this);
    m_formats->setSourceModel(m_model);
    m_sort->setSourceModel(m_formats);
    m_model->selectByCategory(BookModel::CategoryAll);
    QCOMPARE(m_sort->rowCount(), fixtures().size());
}

QStringList TestBookSortFilterModel::shownTitles(int column) const
{
    QStringList titles;
    for (int row = 0; row < m_sort->rowCount(); ++row)
        titles.append(m_sort->index(row, column).data().toString());
    return titles;
}

void TestBookSortFilterModel::formatFilter_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("rows");
    QTest::newRow("empty passes all") << QString() << 5;
    QTest::newRow("-1 passes all") << QStringLiteral("-1") << 5;
    QTest::newRow("not a number passes all") << QStringLiteral("pdf") << 5;
    QTest::newRow("pdf") << QStringLiteral("3") << 2;
    QTest::newRow("mobi is not prc") << QStringLiteral("1") << 1;
    QTest::newRow("no such format") << QStringLiteral("8") << 0;
}

void TestBookSortFilterModel::formatFilter()
{
    QFETCH(QString, pattern);
    QFETCH(int, rows);
    m_sort->setFilterRegExp(QString());
    m_formats->setFilterRegExp(pattern);
    QCOMPARE(m_sort->rowCount(), rows);
    for (int row = 0; row < m_formats->rowCount(); ++row) {
        const int format = m_formats->index(row, 0).data(BookModel::FormatRole).toInt();
        if (pattern == QLatin1String("3"))
            QCOMPARE(format, 3);
    }
    m_formats->setFilterRegExp(QString());
}

void TestBookSortFilterModel::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("lower case finds capitals")
            << QStringLiteral("tolstoy") << QStringList { "Anna Karenina", "War and Peace" };
    QTest::newRow("inside a word") << QStringLiteral("arlo") << QStringList { "Warlock" };
    QTest::newRow("author alone") << QStringLiteral("dostoevsky") << QStringList { "The Idiot" };
    QTest::newRow("caret anchors the start")
            << QStringLiteral("^war") << QStringList { "War and Peace", "Warlock" };
    QTest::newRow("empty title searched as Unknown")
            << QStringLiteral("unknown") << QStringList { "Unknown" };
    QTest::newRow("alternation") << QStringLiteral("idiot|hall")
                                 << QStringList { "The Idiot", "Warlock" };
    QTest::newRow("invalid expression matches nothing") << QStringLiteral("(") << QStringList();
    QTest::newRow("nothing matches") << QStringLiteral("zzz") << QStringList();
}

void TestBookSortFilterModel::search()
{
    QFETCH(QString, text);
    QFETCH(QStringList, titles);
    m_sort->sort(BookModel::TitleColumn, Qt::AscendingOrder);
    m_sort->setFilterRegExp(text);
    QCOMPARE(shownTitles(), titles);
    m_sort->setFilterRegExp(QString());
    QCOMPARE(m_sort->rowCount(), fixtures().size());
}

void TestBookSortFilterModel::searchWithinFormat()
{
    m_formats->setFilterRegExp(QStringLiteral("3"));
    m_sort->setFilterRegExp(QStringLiteral("war"));
    QCOMPARE(shownTitles(), QStringList { "Warlock" });
    m_sort->setFilterRegExp(QString());
    m_formats->setFilterRegExp(QString());
}

// A pattern that makes a backtracking matcher explode on long titles: the
// search still ends, finds nothing on those, and the screen goes on.
void TestBookSortFilterModel::pathologicalSearchOverManyBooks()
{
    BookModel model;
    BookSortFilterModel sort;
    sort.setSourceModel(&model);
    BookProvider *provider = BookProvider::instance();
    for (int i = 0; i < 300; ++i) {
        BookDto book;
        book.title = QString(400, QLatin1Char('a'));
        book.author = QStringLiteral("Long %1").arg(i);
        book.fullPath = QStringLiteral("/long/%1").arg(i);
        book.format = 8;
        QVERIFY(provider->addBook(book) > 0);
    }
    model.selectByFormat(8);
    QCOMPARE(sort.rowCount(), 300);
    sort.setFilterRegExp(QStringLiteral("(a*)*(a|a)*b"));
    QCOMPARE(sort.rowCount(), 0);
    sort.setFilterRegExp(QStringLiteral("long 29\\d"));
    QCOMPARE(sort.rowCount(), 10);
    for (const BookDto &book : provider->booksByFormat(8))
        QVERIFY(provider->deleteFromLibrary(book.id));
    model.selectByFormat(8);
    QCOMPARE(sort.rowCount(), 0);
}

void TestBookSortFilterModel::sortColumns_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("titles");
    // The date column sorts by the time, not by the "yyyy" text: three
    // books show "2015".
    QTest::newRow("date") << int(BookModel::DateColumn)
                          << QStringList { "War and Peace", "Unknown", "Anna Karenina", "Warlock",
                                           "The Idiot" };
    QTest::newRow("notes as numbers")
            << int(BookModel::NotesColumn)
            << QStringList { "The Idiot", "Unknown", "War and Peace", "Warlock", "Anna Karenina" };
    QTest::newRow("progress as numbers")
            << int(BookModel::ProgressColumn)
            << QStringList { "Warlock", "Anna Karenina", "The Idiot", "War and Peace", "Unknown" };
    QTest::newRow("title") << int(BookModel::TitleColumn)
                           << QStringList { "Anna Karenina", "The Idiot", "Unknown",
                                            "War and Peace", "Warlock" };
}

void TestBookSortFilterModel::sortColumns()
{
    QFETCH(int, column);
    QFETCH(QStringList, titles);
    m_sort->sort(column, Qt::AscendingOrder);
    QCOMPARE(shownTitles(), titles);
    m_sort->sort(column, Qt::DescendingOrder);
    std::reverse(titles.begin(), titles.end());
    QCOMPARE(shownTitles(), titles);
}

void TestBookSortFilterModel::namesSortWithoutCase_data()
{
    QTest::addColumn<int>("column");
    QTest::newRow("title") << int(BookModel::TitleColumn);
    QTest::newRow("author") << int(BookModel::AuthorColumn);
}

// "live-manual" sorts among the other "l"s, not after every capital.
void TestBookSortFilterModel::namesSortWithoutCase()
{
    QFETCH(int, column);
    const QStringList names = { "live-manual", "Live-Nature", "apple", "Banana", "cherry" };
    QStandardItemModel source(names.size(), BookModel::ColumnCount);
    for (int row = 0; row < names.size(); ++row)
        source.setData(source.index(row, column), names.at(row));
    BookSortFilterModel sort;
    sort.setSourceModel(&source);
    sort.sort(column, Qt::AscendingOrder);
    QStringList shown;
    for (int row = 0; row < sort.rowCount(); ++row)
        shown.append(sort.index(row, column).data().toString());
    QCOMPARE(shown, QStringList({ "apple", "Banana", "cherry", "live-manual", "Live-Nature" }));
}

// The sort keeps each book's time stamp between comparisons; a changed book
// must still move to its new place.
void TestBookSortFilterModel::dateOrderFollowsChanges()
{
    m_sort->sort(BookModel::DateColumn, Qt::AscendingOrder);
    QCOMPARE(shownTitles().first(), QStringLiteral("War and Peace"));
    const int id = m_sort->index(0, 0).data(BookModel::BookIdRole).toInt();
    BookDto book = BookProvider::instance()->findBookById(id);
    const uint oldTime = book.timeAdded;
    book.timeAdded = 1600000000u;
    QVERIFY(BookProvider::instance()->updateBook(book));
    m_model->refreshCache(id);
    QCOMPARE(shownTitles().last(), QStringLiteral("War and Peace"));

    book.timeAdded = oldTime;
    QVERIFY(BookProvider::instance()->updateBook(book));
    m_model->selectByCategory(BookModel::CategoryAll);
    QCOMPARE(shownTitles().first(), QStringLiteral("War and Peace"));
}

void TestBookSortFilterModel::passesModelTester()
{
    QAbstractItemModelTester tester(m_sort, QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_sort->sort(BookModel::DateColumn, Qt::DescendingOrder);
    m_formats->setFilterRegExp(QStringLiteral("3"));
    m_sort->setFilterRegExp(QStringLiteral("w"));
    m_model->selectByCategory(BookModel::CategoryAll);
    m_sort->setFilterRegExp(QString());
    m_formats->setFilterRegExp(QString());
    QCOMPARE(m_sort->rowCount(), fixtures().size());
}

VL_TEST_GUILESS_MAIN(TestBookSortFilterModel)
#include "tst_booksortfiltermodel.moc"
