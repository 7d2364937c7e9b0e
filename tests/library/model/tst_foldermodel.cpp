#include "tests/support/testenvironment.h"

#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "library/model/foldermodel.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QSignalSpy>

class TestFolderModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void loadsSortedWithCounts();
    void newCategoryNames_data();
    void newCategoryNames();
    void newCategorySortsCaseSensitively();
    void rename_data();
    void rename();
    void dropBookIds_data();
    void dropBookIds();
    void dropRefused();
    void addRemoveAndDelete();
    void rolesAndLookups();

private:
    int addBook(const QString &title, bool inTrash = false);
    int addCategory(const QString &title);
    static QMimeData *bookIds(const QString &text);

    QList<int> m_books;
};

int TestFolderModel::addBook(const QString &title, bool inTrash)
{
    BookDto book;
    book.title = title;
    book.fullPath = QStringLiteral("/books/%1.epub").arg(title);
    book.isDeleted = inTrash ? 1 : 0;
    const int id = BookProvider::instance()->addBook(book);
    return id;
}

int TestFolderModel::addCategory(const QString &title)
{
    return BookProvider::instance()->addCategory(title, 0);
}

QMimeData *TestFolderModel::bookIds(const QString &text)
{
    auto *data = new QMimeData;
    data->setData(BookModel::bookIdMimeType(), text.toUtf8());
    return data;
}

void TestFolderModel::initTestCase()
{
    QVERIFY2(BookProvider::instance()->createConnection(),
             qPrintable(BookProvider::instance()->lastError()));
    for (int i = 0; i < 4; ++i)
        m_books.append(addBook(QStringLiteral("Book %1").arg(i)));
    m_books.append(addBook(QStringLiteral("Trashed"), true));
    for (int id : qAsConst(m_books))
        QVERIFY(id > 0);
}

// Every test starts without categories.
void TestFolderModel::init()
{
    BookProvider *provider = BookProvider::instance();
    for (const CategoryDto &category : provider->allCategories())
        QVERIFY(provider->removeCategory(category.id));
}

void TestFolderModel::loadsSortedWithCounts()
{
    const int poetry = addCategory(QStringLiteral("Poetry"));
    const int drama = addCategory(QStringLiteral("Drama"));
    BookProvider *provider = BookProvider::instance();
    QVERIFY(provider->addBookToCategory(m_books[0], poetry));
    QVERIFY(provider->addBookToCategory(m_books[1], poetry));
    // A book in the trash is not counted.
    QVERIFY(provider->addBookToCategory(m_books[4], drama));

    FolderModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 0);
    model.updateData();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 1);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Drama"));
    QCOMPARE(model.index(0, 0).data(FolderModel::BookCountRole).toInt(), 0);
    QCOMPARE(model.index(1, 0).data(FolderModel::BookCountRole).toInt(), 2);

    // The refreshed row counts the trash too.
    model.refreshCategory(drama);
    QCOMPARE(model.index(0, 0).data(FolderModel::BookCountRole).toInt(), 1);
    model.selectAll();
    QCOMPARE(model.index(0, 0).data(FolderModel::BookCountRole).toInt(), 0);
}

void TestFolderModel::newCategoryNames_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << QStringList() << QStringLiteral("New category");
    QTest::newRow("base and 1 taken")
            << QStringList { "New category", "New category 1" } << QStringLiteral("New category 2");
    QTest::newRow("gap") << QStringList { "New category", "New category 2" }
                         << QStringLiteral("New category 1");
    QTest::newRow("other case only")
            << QStringList { "new category" } << QStringLiteral("New category");
}

void TestFolderModel::newCategoryNames()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, expected);
    for (const QString &title : existing)
        QVERIFY(addCategory(title) > 0);
    FolderModel model;
    model.updateData();
    QSignalSpy inserted(&model, &FolderModel::inserted);
    model.addNewCategory();
    QCOMPARE(inserted.count(), 1);
    QVERIFY(model.titleExists(expected));
    QCOMPARE(model.rowCount(), existing.size() + 1);
}

void TestFolderModel::newCategorySortsCaseSensitively()
{
    QVERIFY(addCategory(QStringLiteral("apples")) > 0);
    FolderModel model;
    model.updateData();
    model.addNewCategory();
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("New category"));
    QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("apples"));
}

void TestFolderModel::rename_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QStringLiteral("Essays") << QStringLiteral("Essays")
                           << QStringLiteral("Essays");
    QTest::newRow("blanks kept in the database")
            << QStringLiteral("  Essays ") << QStringLiteral("  Essays ")
            << QStringLiteral("Essays");
    QTest::newRow("blank name ignored")
            << QStringLiteral("   ") << QStringLiteral("Poetry") << QStringLiteral("Poetry");
    QTest::newRow("same name") << QStringLiteral("Poetry") << QStringLiteral("Poetry")
                               << QStringLiteral("Poetry");
    QTest::newRow("taken by another")
            << QStringLiteral("Drama") << QStringLiteral("Poetry") << QStringLiteral("Poetry");
}

void TestFolderModel::rename()
{
    QFETCH(QString, name);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QVERIFY(addCategory(QStringLiteral("Drama")) > 0);
    const int poetry = addCategory(QStringLiteral("Poetry"));
    FolderModel model;
    model.updateData();
    const QModelIndex index = model.indexOfCategory(poetry);
    QVERIFY(model.setData(index, name));
    QCOMPARE(model.index(index.row(), 0).data().toString(), shown);
    QCOMPARE(BookProvider::instance()->findCategory(poetry).title, stored);
    model.updateData();
    QCOMPARE(model.indexOfCategory(poetry).data(FolderModel::TitleRole).toString(), stored);
}

void TestFolderModel::dropBookIds_data()
{
    QTest::addColumn<QString>("payload");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("onParent");
    QTest::addColumn<int>("bound");
    QTest::addColumn<int>("emitted");
    const QString two = QStringLiteral("%1|%2|");
    QTest::newRow("on a row") << two << 1 << true << 2 << 2;
    QTest::newRow("in the gap above a row") << two << 1 << false << 2 << 2;
    QTest::newRow("below the last row") << two << -1 << false << 0 << 0;
    QTest::newRow("repeated ids bound once")
            << QStringLiteral("%1|%2|%1|%2|%1|") << 1 << true << 2 << 2;
    QTest::newRow("junk and unknown ids skipped")
            << QStringLiteral("x|%1|-4|0|999999|%2") << 1 << true << 2 << 2;
}

void TestFolderModel::dropBookIds()
{
    QFETCH(QString, payload);
    QFETCH(int, row);
    QFETCH(bool, onParent);
    QFETCH(int, bound);
    QFETCH(int, emitted);
    QVERIFY(addCategory(QStringLiteral("A")) > 0);
    const int target = addCategory(QStringLiteral("B"));
    QVERIFY(addCategory(QStringLiteral("C")) > 0);
    FolderModel model;
    model.updateData();
    QCOMPARE(model.rowOfCategory(target), 1);
    QSignalSpy added(&model, &FolderModel::added);

    QScopedPointer<QMimeData> data(bookIds(payload.arg(m_books[0]).arg(m_books[3])));
    const QModelIndex parent = onParent && row >= 0 ? model.index(row, 0) : QModelIndex();
    const int dropRow = onParent ? -1 : row;
    QVERIFY(model.dropMimeData(data.data(), Qt::CopyAction, dropRow, 0, parent));
    QCOMPARE(added.count(), emitted);
    QCOMPARE(BookProvider::instance()->booksInCategory(target).size(), bound);
    QCOMPARE(model.indexOfCategory(target).data(FolderModel::BookCountRole).toInt(), bound);
    for (int id : { m_books[0], m_books[3] })
        BookProvider::instance()->removeBookFromCategory(id, target);
}

void TestFolderModel::dropRefused()
{
    const int target = addCategory(QStringLiteral("Target"));
    FolderModel model;
    model.updateData();
    QSignalSpy added(&model, &FolderModel::added);
    const QModelIndex row = model.index(0, 0);

    QMimeData urls;
    urls.setText(QStringLiteral("%1|").arg(m_books[0]));
    QVERIFY(!model.dropMimeData(&urls, Qt::CopyAction, -1, 0, row));
    QScopedPointer<QMimeData> empty(bookIds(QString()));
    QVERIFY(!model.dropMimeData(empty.data(), Qt::CopyAction, -1, 0, row));
    QScopedPointer<QMimeData> ids(bookIds(QStringLiteral("%1|").arg(m_books[0])));
    QVERIFY(model.dropMimeData(ids.data(), Qt::IgnoreAction, -1, 0, row));
    QCOMPARE(added.count(), 0);
    QCOMPARE(BookProvider::instance()->booksInCategory(target).size(), 0);
    QCOMPARE(model.mimeTypes(), QStringList { BookModel::bookIdMimeType() });
    QVERIFY(model.flags(row) & Qt::ItemIsDropEnabled);
    QVERIFY(model.flags(row) & Qt::ItemIsEditable);
    QVERIFY(!(model.flags(row) & Qt::ItemIsDragEnabled));
}

void TestFolderModel::addRemoveAndDelete()
{
    const int first = addCategory(QStringLiteral("First"));
    const int second = addCategory(QStringLiteral("Second"));
    FolderModel model;
    model.updateData();
    QSignalSpy added(&model, &FolderModel::added);

    model.addToCategory(m_books[1], first);
    QCOMPARE(added.count(), 1);
    // A book has one category: binding it elsewhere moves it.
    model.addToCategory(m_books[1], second, false);
    QCOMPARE(added.count(), 1);
    QCOMPARE(model.indexOfCategory(first).data(FolderModel::BookCountRole).toInt(), 0);
    QCOMPARE(model.indexOfCategory(second).data(FolderModel::BookCountRole).toInt(), 1);
    model.removeFromCategory(m_books[1], second);
    QCOMPARE(added.count(), 2);
    QCOMPARE(model.indexOfCategory(second).data(FolderModel::BookCountRole).toInt(), 0);

    model.addToCategory(m_books[2], first);
    model.remove(first);
    QCOMPARE(model.rowCount(), 1);
    QVERIFY(!model.indexOfCategory(first).isValid());
    QCOMPARE(BookProvider::instance()->findBookById(m_books[2]).id, m_books[2]);
    QCOMPARE(BookProvider::instance()->categoryOfBook(m_books[2]), 0);
}

void TestFolderModel::rolesAndLookups()
{
    const int id = addCategory(QStringLiteral(" Padded "));
    FolderModel model;
    model.updateData();
    const QModelIndex index = model.index(0, 0);
    QCOMPARE(index.data(Qt::DisplayRole).toString(), QStringLiteral("Padded"));
    QCOMPARE(index.data(Qt::EditRole).toString(), QStringLiteral("Padded"));
    QCOMPARE(index.data(FolderModel::TitleRole).toString(), QStringLiteral(" Padded "));
    QCOMPARE(index.data(FolderModel::IdRole).toInt(), id);
    QCOMPARE(index.data(FolderModel::ParentIdRole).toInt(), 0);
    QCOMPARE(index.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
    QVERIFY(!index.data(Qt::DecorationRole).isValid());
    QVERIFY(!model.index(5, 0).data().isValid());
    QVERIFY(!model.headerData(0, Qt::Horizontal).isValid());
    QVERIFY(!model.indexOfCategory(id + 100).isValid());
    QCOMPARE(model.rowOfCategory(id + 100), -1);
    QVERIFY(model.titleExists(QStringLiteral(" Padded ")));
    QVERIFY(!model.titleExists(QStringLiteral("Padded")));
    QCOMPARE(model.categories().size(), 1);
}

VL_TEST_GUILESS_MAIN(TestFolderModel)
#include "tst_foldermodel.moc"
