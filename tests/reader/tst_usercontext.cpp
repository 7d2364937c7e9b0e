#include "core/settings.h"
#include "core/settingsfile.h"
#include "document/idocument.h"
#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "reader/usercontext.h"
#include "tests/support/testenvironment.h"

#include <QSignalSpy>

#include <limits>
#include <memory>

// A page-image document as the controller sees one: every answer is a
// field the test sets, every request is recorded.
class FakeDocument : public QObject, public IDocument
{
    Q_OBJECT
    Q_INTERFACES(IDocument)
public:
    int currentPage() override { return page; }
    int pageCount() override { return pages; }
    float progress() override { return progressValue; }
    int currentPosition() override { return position; }
    int columnCount() override { return columns; }
    void setColumnCount(int count) override { columns = count; }
    bool isLoaded() override { return loaded; }
    void setPageByPosition(int value) override { positionAsked = value; }
    void setPage(int value) override { pageAsked = value; }
    void clearSearch() override { ++searchCleared; }
    QString titleByPosition(int value) override { return QStringLiteral("Page %1").arg(value); }
    int pageByPosition(int value) override { return value; }
    int calcProgressByPage(const int value) const override { return value * 10; }

    int page = 1;
    int pages = 0;
    float progressValue = 0;
    int position = 0;
    int columns = 1;
    bool loaded = true;
    int positionAsked = -1;
    int pageAsked = -1;
    int searchCleared = 0;
};

class tst_UserContext : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void savePositionWritesOnlyReadingColumns();
    void savePositionRounding_data();
    void savePositionRounding();
    void savePositionSkips();
    void forgetsDeletedDocument();
    void notesCount();
    void bookInfo_data();
    void bookInfo();
    void titleIsNotMarkup();
    void profilesTurnRound();
    void fontSizeStaysInBounds();
    void columnCount_data();
    void columnCount();
    void pageImageNavigationAndBookmarks();
    void lastCategories();

private:
    int addBook(const QString &title);

    std::unique_ptr<UserContext> m_context;
    std::unique_ptr<BookModel> m_model;
    QStringList m_messages;
};

void tst_UserContext::initTestCase()
{
    QVERIFY2(BookProvider::instance()->createConnection(),
             qPrintable(BookProvider::instance()->lastError()));
}

void tst_UserContext::init()
{
    m_model.reset(new BookModel);
    m_context.reset(new UserContext);
    m_context->setBookModel(m_model.get());
    m_messages.clear();
    m_context->setMessagePresenter([this](const QString &title, const QString &text) {
        m_messages.append(title + QLatin1Char('|') + text);
    });
    Settings::instance()->setValues(Settings::defaultProfile(), true);
    // A change signal still on its way from the previous test.
    QCoreApplication::processEvents();
}

int tst_UserContext::addBook(const QString &title)
{
    // A path of its own for every row: the library holds one book per path.
    static int serial = 0;
    BookDto book;
    book.title = title;
    book.fullPath = QStringLiteral("/books/%1-%2.pdf").arg(title).arg(++serial);
    book.format = 3;
    book.timeLastView = 1000;
    const int id = BookProvider::instance()->addBook(book);
    return id;
}

void tst_UserContext::savePositionWritesOnlyReadingColumns()
{
    BookProvider *provider = BookProvider::instance();
    const int id = addBook(QStringLiteral("Narrow"));
    QVERIFY(id > 0);
    m_model->selectAll();
    const int row = m_model->rowOfBook(id);
    QVERIFY(row >= 0);

    // The record the controller holds is read before the library changes
    // the book: a whole-record write would undo that change.
    BookDto held = provider->findBookById(id);
    held.timeLastView = 5000;
    m_context->setBook(held);
    QVERIFY(provider->setFavorite(id, 1));
    QVERIFY(provider->setTitleAndAuthor(id, QStringLiteral("Renamed"), QStringLiteral("Ann")));

    FakeDocument document;
    document.pages = 10;
    document.page = 4;
    document.position = 1234;
    document.progressValue = 40.0f;
    m_context->setDocument(&document);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    m_context->savePosition();

    const BookDto stored = provider->findBookById(id);
    QCOMPARE(stored.position, 1234);
    QCOMPARE(stored.maxPosition, 40);
    QCOMPARE(stored.timeLastView, 5000u);
    QCOMPARE(stored.isFavorite, 1);
    QCOMPARE(stored.title, QStringLiteral("Renamed"));
    // The library's row shows the new progress.
    QCOMPARE(changed.count(), 1);
    QCOMPARE(m_model->data(m_model->index(row, 0), BookModel::ProgressTextRole).toString(),
             QStringLiteral("40%"));
    // The held record itself stays as it was given.
    QCOMPARE(m_context->book().maxPosition, 0);
}

void tst_UserContext::savePositionRounding_data()
{
    QTest::addColumn<float>("progress");
    QTest::addColumn<int>("stored");
    QTest::newRow("half rounds up") << 66.5f << 67;
    QTest::newRow("below half") << 12.49f << 12;
    QTest::newRow("empty document (0 / 0)") << std::numeric_limits<float>::quiet_NaN() << 0;
    QTest::newRow("beyond the end") << 250.0f << 100;
}

void tst_UserContext::savePositionRounding()
{
    QFETCH(float, progress);
    QFETCH(int, stored);
    const int id = addBook(QStringLiteral("Round"));
    m_context->setBook(BookProvider::instance()->findBookById(id));
    FakeDocument document;
    document.progressValue = progress;
    m_context->setDocument(&document);
    m_context->savePosition();
    QCOMPARE(BookProvider::instance()->findBookById(id).maxPosition, stored);
}

void tst_UserContext::savePositionSkips()
{
    BookProvider *provider = BookProvider::instance();
    const int id = addBook(QStringLiteral("Skip"));
    QVERIFY(provider->setReadingPosition(id, 77, 55));
    m_context->setBook(provider->findBookById(id));
    FakeDocument document;
    document.position = 1;
    document.progressValue = 1.0f;

    // No document.
    m_context->savePosition();
    // A document that did not load (a PDF whose password was refused).
    document.loaded = false;
    m_context->setDocument(&document);
    m_context->savePosition();
    // No book record.
    document.loaded = true;
    m_context->setBook(BookDto());
    m_context->savePosition();

    const BookDto stored = provider->findBookById(id);
    QCOMPARE(stored.position, 77);
    QCOMPARE(stored.maxPosition, 55);
}

void tst_UserContext::forgetsDeletedDocument()
{
    auto *document = new FakeDocument;
    document->pages = 5;
    m_context->setDocument(document);
    QCOMPARE(m_context->document(), static_cast<IDocument *>(document));
    delete document;
    QVERIFY(!m_context->document());
    QVERIFY(!m_context->textViewer());
    // Nothing that needs a document reaches the deleted one.
    QSignalSpy info(m_context.get(), &UserContext::bookInfoChanged);
    m_context->updateBookInfo();
    m_context->navigateToPosition(3);
    m_context->switchColumnCount();
    m_context->addBookmark();
    m_context->savePosition();
    QVERIFY(info.isEmpty());
    QVERIFY(m_context->bookmarks().isEmpty());
    QVERIFY(m_messages.isEmpty());
}

void tst_UserContext::notesCount()
{
    BookProvider *provider = BookProvider::instance();
    const int id = addBook(QStringLiteral("Notes"));
    m_context->setBook(provider->findBookById(id));
    QSignalSpy counted(m_context.get(), &UserContext::notesCountChanged);

    m_context->setNotesCount(-1);
    QVERIFY(counted.isEmpty());
    QCOMPARE(provider->findBookById(id).notesCount, 0);

    m_context->setNotesCount(3);
    QCOMPARE(counted.count(), 1);
    QCOMPARE(counted.first().first().toInt(), 3);
    QCOMPARE(provider->findBookById(id).notesCount, 3);
    QCOMPARE(m_context->book().notesCount, 3);
}

void tst_UserContext::bookInfo_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("columns");
    QTest::addColumn<float>("progress");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("progressText");
    QTest::newRow("one column") << 3 << 10 << 1 << 30.0f << "<b>Book</b> (30%)"
                                << "<b>3</b> / 10";
    QTest::newRow("two columns") << 3 << 10 << 2 << 30.0f << "<b>Book</b> (30%)"
                                 << "<b>3-4</b> / 10";
    QTest::newRow("two columns, last page") << 10 << 10 << 2 << 100.0f << "<b>Book</b> (100%)"
                                            << "<b>10</b> / 10";
    QTest::newRow("three columns") << 3 << 10 << 3 << 30.0f << "<b>Book</b> (30%)"
                                   << "<b></b> / 10";
    QTest::newRow("pages not known yet") << 1 << 0 << 1 << 0.0f << "<b>Book</b> (...)"
                                         << "...";
}

void tst_UserContext::bookInfo()
{
    QFETCH(int, page);
    QFETCH(int, pages);
    QFETCH(int, columns);
    QFETCH(float, progress);
    QFETCH(QString, title);
    QFETCH(QString, progressText);

    BookDto book;
    book.title = QStringLiteral("Book");
    m_context->setBook(book);
    FakeDocument document;
    document.page = page;
    document.pages = pages;
    document.columns = columns;
    document.progressValue = progress;
    m_context->setDocument(&document);
    QSignalSpy info(m_context.get(), &UserContext::bookInfoChanged);
    m_context->updateBookInfo();
    QCOMPARE(info.count(), 1);
    QCOMPARE(info.first().at(0).toString(), title);
    QCOMPARE(info.first().at(1).toString(), progressText);
    QCOMPARE(info.first().at(2).toBool(), false);
}

void tst_UserContext::titleIsNotMarkup()
{
    BookDto book;
    book.title = QStringLiteral("<i>Tags & Things</i>");
    m_context->setBook(book);
    FakeDocument document;
    m_context->setDocument(&document);
    QSignalSpy info(m_context.get(), &UserContext::bookInfoChanged);
    m_context->updateBookInfo();
    QCOMPARE(info.first().at(0).toString(),
             QStringLiteral("<b>&lt;i&gt;Tags &amp; Things&lt;/i&gt;</b> (...)"));
}

void tst_UserContext::profilesTurnRound()
{
    Settings *settings = Settings::instance();
    QSignalSpy changed(settings, &Settings::changed);
    QList<int> seen;
    for (int i = 0; i < 4; ++i) {
        m_context->nextProfile();
        seen.append(settings->values().currentProfile);
    }
    QCOMPARE(seen, QList<int>({ 1, 2, 0, 1 }));
    // A number outside the three profiles starts over.
    ViewerSettings values = settings->values();
    values.currentProfile = 7;
    settings->setValues(values, true);
    m_context->nextProfile();
    QCOMPARE(settings->values().currentProfile, 0);
    QTRY_COMPARE(changed.count(), 5);
}

void tst_UserContext::fontSizeStaysInBounds()
{
    Settings *settings = Settings::instance();
    ViewerSettings values = settings->values();
    values.currentProfile = ViewerSettings::SepiaProfile;
    values.profiles[values.currentProfile].text.size = 39;
    const int daySize = values.profiles[ViewerSettings::DayProfile].text.size;
    settings->setValues(values, true);

    QSignalSpy changed(settings, &Settings::changed);
    m_context->increaseFont();
    QCOMPARE(settings->values().profile().text.size, 40);
    m_context->increaseFont();
    QCOMPARE(settings->values().profile().text.size, 40);
    QTRY_COMPARE(changed.count(), 1);
    // Only the current profile changes.
    QCOMPARE(settings->values().profiles.value(ViewerSettings::DayProfile).text.size, daySize);

    values = settings->values();
    values.profiles[values.currentProfile].text.size = 9;
    settings->setValues(values, true);
    m_context->decreaseFont();
    m_context->decreaseFont();
    QCOMPARE(settings->values().profile().text.size, 8);
}

void tst_UserContext::columnCount_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("one to two") << 1 << 2;
    QTest::newRow("two to one") << 2 << 1;
    QTest::newRow("other to one") << 3 << 1;
}

void tst_UserContext::columnCount()
{
    QFETCH(int, before);
    QFETCH(int, after);
    FakeDocument document;
    document.columns = before;
    m_context->setDocument(&document);
    QSignalSpy changed(Settings::instance(), &Settings::changed);
    m_context->switchColumnCount();
    QCOMPARE(document.columns, after);
    QCOMPARE(Settings::instance()->values().columnCount, after);
    QTest::qWait(10);
    QVERIFY(changed.isEmpty());
}

void tst_UserContext::pageImageNavigationAndBookmarks()
{
    BookProvider *provider = BookProvider::instance();
    const int id = addBook(QStringLiteral("Pages"));
    BookDto book = provider->findBookById(id);
    book.position = 17;
    m_context->setBook(book);
    FakeDocument document;
    document.position = 6;
    document.progressValue = 60.7f;
    m_context->setDocument(&document);

    m_context->navigateToPosition(5);
    QCOMPARE(document.positionAsked, 5);
    m_context->restorePosition();
    QCOMPARE(document.positionAsked, 17);
    m_context->navigateToPage(9);
    QCOMPARE(document.pageAsked, 9);
    m_context->clearSearch();
    QCOMPARE(document.searchCleared, 1);
    m_context->navigateToPositionPath(QStringLiteral("ch1.xhtml#x"));

    m_context->addBookmark();
    QCOMPARE(m_messages,
             QStringList({ QStringLiteral("Bookmarks|New bookmark is successfully added!") }));
    const QList<ViewerBookmark> marks = m_context->bookmarks();
    QCOMPARE(marks.size(), 1);
    QCOMPARE(marks.first().id, 6);
    QCOMPARE(marks.first().title, QStringLiteral("Page 6"));
    QCOMPARE(marks.first().page, 6);
    QCOMPARE(marks.first().progress, 60);
    // The list hands back the stored bookmark's id to remove it.
    m_context->removeBookmark(marks.first().index);
    QVERIFY(m_context->bookmarks().isEmpty());
    QVERIFY(m_context->notes().isEmpty());
}

void tst_UserContext::lastCategories()
{
    QCOMPARE(m_context->lastTypeCategory(), 0);
    QCOMPARE(m_context->lastCustomCategory(), -1);
    QCOMPARE(m_context->lastGeneralCategory(), 0);
    m_context->setLastTypeCategory(1003);
    m_context->setLastCustomCategory(12);
    m_context->setLastGeneralCategory(4);
    // Stored in the settings file at once, for any other reader of it.
    const auto file = SettingsFile::create();
    QCOMPARE(file->value(QStringLiteral("last__type_category")).toInt(), 1003);
    QCOMPARE(file->value(QStringLiteral("last__custom_category")).toInt(), 12);
    QCOMPARE(file->value(QStringLiteral("last__general_category")).toInt(), 4);
    QCOMPARE(UserContext().lastCustomCategory(), 12);
}

VL_TEST_WIDGETS_MAIN(tst_UserContext)
#include "tst_usercontext.moc"
