#include "app/mainview.h"
#include "core/settings.h"
#include "document/textdocument.h"
#include "library/db/bookformat.h"
#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "library/view/libraryview.h"
#include "pagination/paginationclient.h"
#include "reader/bookoperations.h"
#include "reader/booksidefiles.h"
#include "reader/bookviewer.h"
#include "reader/readtoolbar.h"
#include "reader/textviewer.h"
#include "reader/tooltippushbutton.h"
#include "reader/usercontext.h"
#include "tests/reader/readingfixture.h"
#include "tests/support/testenvironment.h"
#include "widgets/loaderbox.h"
#include "widgets/messageview.h"
#include "widgets/stylesheet.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpacerItem>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSettings>

#include <memory>

using Tool = ReadToolBar::Tool;

class tst_BookViewer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void opensAndReads();
    void toolBarDrivesTheBook();
    void fullScreen();
    void controllerReachesTheBook();
    void sameBookKeepsItsViewer();
    void leavesAndReturns();
    void refusals_data();
    void refusals();
    void refusalStandsOverTheWindow();
    void unrecoverableError();
    void windowButtons();
    void fromTheLibraryAndBack();

private:
    int addBook(const QString &path, const QString &title, int format);
    // Opens a library book and waits for its first page; with pages, also
    // for its page count.
    bool open(int id, bool waitForPages = true);
    TextViewer *viewer() const { return m_frame->textViewer(); }
    void screenshot(const QString &name);
    static void setColumns(int count);

    QTemporaryDir m_dir;
    int m_first = -1;
    int m_second = -1;
    QString m_firstPath;
    std::unique_ptr<BookModel> m_model;
    std::unique_ptr<UserContext> m_context;
    std::unique_ptr<BookViewer> m_frame;
    QStringList m_messages;
};

void tst_BookViewer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(PaginationClient::defaultProgram()).isExecutable());
    QVERIFY2(BookProvider::instance()->createConnection(),
             qPrintable(BookProvider::instance()->lastError()));
    reloadStyleSheet();

    m_firstPath = m_dir.filePath(QStringLiteral("First.epub"));
    QVERIFY(ReadingFixture::writeBook(m_firstPath, QStringLiteral("First")));
    const QString second = m_dir.filePath(QStringLiteral("Second.epub"));
    QVERIFY(ReadingFixture::writeBook(second, QStringLiteral("Second")));
    const int epub = BookFormat::fromString(QStringLiteral("epub"));
    m_first = addBook(m_firstPath, QStringLiteral("First"), epub);
    m_second = addBook(second, QStringLiteral("Second"), epub);
    QVERIFY(m_first > 0 && m_second > 0);

    ViewerSettings values = Settings::instance()->values();
    values.showFade = false;
    Settings::instance()->setValues(values, true);
}

void tst_BookViewer::cleanupTestCase()
{
    m_dir.setAutoRemove(!QTest::currentTestFailed());
}

void tst_BookViewer::init()
{
    setColumns(1);
    ViewerSettings values = Settings::instance()->values();
    values.currentProfile = ViewerSettings::DayProfile;
    Settings::instance()->setValues(values, true);

    m_messages.clear();
    m_model.reset(new BookModel);
    m_model->selectAll();
    m_context.reset(new UserContext);
    m_context->setBookModel(m_model.get());
    m_context->setMessagePresenter([this](const QString &title, const QString &text) {
        m_messages.append(title + QLatin1Char('|') + text);
    });
    m_frame.reset(new BookViewer(m_context.get()));
    m_frame->setMessagePresenter([this](const QString &title, const QString &text) {
        m_messages.append(title + QLatin1Char('|') + text);
    });
    m_frame->resize(900, 650);
    m_frame->show();
    m_frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
}

void tst_BookViewer::cleanup()
{
    m_frame.reset();
    m_context.reset();
    m_model.reset();
    // Viewers given up by the frame go with the next turn of the loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void tst_BookViewer::setColumns(int count)
{
    ViewerSettings values = Settings::instance()->values();
    values.columnCount = count;
    Settings::instance()->setValues(values, true);
}

int tst_BookViewer::addBook(const QString &path, const QString &title, int format)
{
    BookDto book;
    book.fullPath = path;
    book.title = title;
    book.format = format;
    book.timeLastView = 100;
    return BookProvider::instance()->addBook(book);
}

bool tst_BookViewer::open(int id, bool waitForPages)
{
    const BookDto book = BookProvider::instance()->findBookById(id);
    if (book.id != id || !m_frame->openBook(book))
        return false;
    TextViewer *shown = viewer();
    if (!shown)
        return false;
    if (!shown->isLayoutReady()) {
        QSignalSpy loaded(shown, &TextViewer::loadFinished);
        if (!loaded.wait(10000))
            return false;
    }
    return !waitForPages || ReadingFixture::waitForPages(shown);
}

void tst_BookViewer::screenshot(const QString &name)
{
    // Pictures for a person to look at, when asked for.
    const QString folder = qEnvironmentVariable("VL_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        QVERIFY(m_frame->grab().save(QDir(folder).filePath(name + QStringLiteral(".png"))));
}

void tst_BookViewer::opensAndReads()
{
    QSignalSpy notesButton(m_frame.get(), &ReaderPage::toggleNotesContol);
    QSignalSpy printButton(m_frame.get(), &ReaderPage::togglePrintContol);
    QCOMPARE(m_frame->currentPageIndex(), 0);

    const BookDto book = BookProvider::instance()->findBookById(m_first);
    QVERIFY(m_frame->openBook(book));
    TextViewer *shown = viewer();
    QVERIFY(shown);
    // The wait page and the wait cursor stand until the first page is in.
    if (!shown->isLayoutReady()) {
        QCOMPARE(m_frame->currentPageIndex(), 0);
        QVERIFY(m_frame->holdsBusyCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QSignalSpy loaded(shown, &TextViewer::loadFinished);
        QVERIFY(loaded.wait(10000));
    }
    QCOMPARE(m_frame->currentPageIndex(), 1);
    QVERIFY(!m_frame->holdsBusyCursor());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(m_context->document(), static_cast<IDocument *>(shown->document()));
    QCOMPARE(m_context->textViewer(), shown);
    QCOMPARE(notesButton.count(), 1);
    QCOMPARE(notesButton.first().first().toBool(), true);
    QCOMPARE(printButton.count(), 1);
    QCOMPARE(printButton.first().first().toBool(), true);
    QVERIFY(m_frame->toolBar()->button(Tool::IncreaseSpacing)->isVisible());
    QVERIFY(!m_frame->toolBar()->button(Tool::ZoomOut)->isVisible());

    // Once the pages are counted the page text follows the reader.
    QVERIFY(ReadingFixture::waitForPages(shown));
    const QString total = QStringLiteral(" / %1").arg(shown->bookPageCount());
    QTRY_COMPARE(m_frame->progressLabel()->text(), QStringLiteral("<b>1</b>") + total);
    shown->setFocus();
    QTest::keyClick(shown, Qt::Key_Right);
    QTest::keyClick(shown, Qt::Key_Right);
    QCOMPARE(m_frame->progressLabel()->text(), QStringLiteral("<b>3</b>") + total);
    QVERIFY(m_frame->titleLabel()->text().startsWith(QStringLiteral("<b>First</b> (")));

    // A long title is cut in the middle; the progress text never.
    const QString longTitle = QStringLiteral("<b>%1</b> (5%)").arg(QString(300, QLatin1Char('x')));
    m_frame->bookInfoChanged(longTitle, QStringLiteral("<b>3</b> / 999"), false);
    const QString cut = m_frame->titleLabel()->text();
    QVERIFY(cut.size() < longTitle.size());
    QVERIFY(cut.contains(QChar(0x2026)));
    QVERIFY(cut.startsWith(QStringLiteral("<b>x")) && cut.endsWith(QStringLiteral("(5%)")));
    QCOMPARE(m_frame->progressLabel()->text(), QStringLiteral("<b>3</b> / 999"));
    screenshot(QStringLiteral("day"));
}

void tst_BookViewer::toolBarDrivesTheBook()
{
    QVERIFY(open(m_first));
    TextViewer *shown = viewer();
    ReadToolBar *bar = m_frame->toolBar();
    QCOMPARE(bar->viewMode(), 1);

    // Two columns and back; the choice is kept in the settings.
    QSignalSpy settingsChanged(Settings::instance(), &Settings::changed);
    bar->button(Tool::SwitchView)->click();
    QCOMPARE(shown->document()->columnCount(), 2);
    QCOMPARE(shown->columnCount(), 2);
    QCOMPARE(Settings::instance()->values().columnCount, 2);
    QCOMPARE(bar->viewMode(), 2);
    QVERIFY(bar->button(Tool::SwitchView)->objectName().startsWith("buttonSwitchView_column_"));
    QVERIFY(ReadingFixture::waitForPages(shown));
    QCOMPARE(shown->bookPageCount(), shown->totalPages() * 2);
    screenshot(QStringLiteral("day-two-columns"));
    bar->button(Tool::SwitchView)->click();
    QCOMPARE(shown->columnCount(), 1);
    QCOMPARE(bar->viewMode(), 1);
    QVERIFY(ReadingFixture::waitForPages(shown));
    QTest::qWait(10);
    QVERIFY(settingsChanged.isEmpty());

    // The three profiles in turn, the frame in each one's colours.
    const QStringList themes
            = { QStringLiteral("day"), QStringLiteral("sepia"), QStringLiteral("day") };
    const QStringList names
            = { QStringLiteral("night"), QStringLiteral("sepia"), QStringLiteral("day-again") };
    for (int i = 0; i < 3; ++i) {
        bar->button(Tool::SwitchProfile)->click();
        QTRY_COMPARE(settingsChanged.count(), i + 1);
        const TextProfile profile = Settings::instance()->values().profile();
        QCOMPARE(Settings::instance()->values().currentProfile, (i + 1) % 3);
        QCOMPARE(m_frame->waitPage()->palette().color(QPalette::Window), profile.backgroundColor);
        QCOMPARE(m_frame->palette().color(QPalette::Window), profile.workgroundColor);
        QCOMPARE(bar->palette().color(QPalette::Window), profile.workgroundColor);
        QCOMPARE(bar->button(Tool::Notes)->objectName(),
                 QStringLiteral("buttonNotes_%1_small").arg(themes.at(i)));
        QTRY_COMPARE(m_frame->currentPageIndex(), 1);
        QVERIFY(ReadingFixture::waitForPages(shown));
        screenshot(names.at(i));
    }

    // Font size through the viewer's own steps.
    QWebSettings *web = QWebSettings::globalSettings();
    const int size = web->fontSize(QWebSettings::DefaultFontSize);
    bar->button(Tool::IncreaseFont)->click();
    QCOMPARE(web->fontSize(QWebSettings::DefaultFontSize), size + 1);
    bar->button(Tool::DecreaseFont)->click();
    QCOMPARE(web->fontSize(QWebSettings::DefaultFontSize), size);
    QVERIFY(ReadingFixture::waitForPages(shown));

    // A bookmark, and the same place again.
    bar->button(Tool::Bookmark)->click();
    bar->button(Tool::Bookmark)->click();
    QCOMPARE(m_messages,
             QStringList(
                     { QStringLiteral("Bookmarks|New bookmark is successfully added!"),
                       QStringLiteral(
                               "Bookmarks|No bookmark was added: this place already has one.") }));
    QCOMPARE(shown->bookmarks().size(), 1);

    QSignalSpy contents(m_frame.get(), &ReaderPage::showContents);
    QSignalSpy notes(m_frame.get(), &ReaderPage::showNotes);
    bar->button(Tool::Contents)->click();
    bar->button(Tool::Notes)->click();
    QCOMPARE(contents.count(), 1);
    QCOMPARE(notes.count(), 1);
}

void tst_BookViewer::fullScreen()
{
    QVERIFY(open(m_first, false));
    QSignalSpy toggled(m_frame.get(), &ReaderPage::fullScreen);
    m_frame->toolBar()->button(Tool::FullScreen)->click();
    QCOMPARE(toggled.count(), 1);
    // Not in full screen: an exit request has nothing to leave.
    m_frame->onRequestExitFullScreen();
    QCOMPARE(toggled.count(), 1);

    m_frame->setFullScreen(true);
    QVERIFY(m_frame->isFullScreen());
    QCOMPARE(m_frame->property("theFullScreen").toBool(), true);
    QCOMPARE(m_frame->viewerRow()->contentsMargins(), QMargins(50, 50, 0, 0));
    QCOMPARE(m_frame->toolBarSpacer()->sizeHint(), QSize(0, 20));
    QVERIFY(m_frame->toolBar()->isFullScreenState());
    QTRY_COMPARE(m_frame->toolBar()->geometry().top(), 20);
    QVERIFY(m_frame->toolBar()->button(Tool::Search)->isVisible());
    QSignalSpy search(m_frame.get(), &ReaderPage::showSearch);
    m_frame->toolBar()->button(Tool::Search)->click();
    QCOMPARE(search.count(), 1);
    QTRY_COMPARE(m_frame->currentPageIndex(), 1);
    screenshot(QStringLiteral("full-screen"));

    // Leaving: asked for by the viewer (a web link was opened) or by a
    // double click in the page.
    emit viewer()->requestExitFullScreen();
    QCOMPARE(toggled.count(), 2);
    emit viewer()->mouseDoubleClick();
    QCOMPARE(toggled.count(), 3);

    m_frame->setFullScreen(false);
    QVERIFY(!m_frame->isFullScreen());
    QCOMPARE(m_frame->viewerRow()->contentsMargins(), QMargins(50, 8, 0, 8));
    QCOMPARE(m_frame->toolBarSpacer()->sizeHint(), QSize(0, 8));
    QVERIFY(!m_frame->toolBar()->button(Tool::Search)->isVisible());
}

void tst_BookViewer::controllerReachesTheBook()
{
    QFile::remove(BookSideFiles(m_firstPath).settingsPath());
    QVERIFY(open(m_first));
    TextViewer *shown = viewer();
    QCOMPARE(m_context->tableOfContents().size(), 3);
    QSignalSpy loaded(shown, &TextViewer::loadFinished);
    auto reached = [&](int number, int timeout = 10000) {
        loaded.clear();
        m_context->navigateToPosition(number);
        return loaded.wait(timeout);
    };

    // Below 100000: a contents entry.
    QVERIFY(reached(2));
    QCOMPARE(shown->chapterIndex(), 2);
    m_context->addBookmark();
    QCOMPARE(m_context->bookmarks().size(), 1);
    QVERIFY(reached(0));
    QCOMPARE(shown->chapterIndex(), 0);
    // From 100000: a bookmark.
    QVERIFY(reached(100000));
    QCOMPARE(shown->chapterIndex(), 2);
    // Numbers that name nothing do nothing.
    QVERIFY(!reached(100001, 200));
    QVERIFY(!reached(-3, 200));
    QVERIFY(!reached(99, 200));
    m_context->removeBookmark(0);
    QVERIFY(m_context->bookmarks().isEmpty());

    // From 200000: a search result.
    QSignalSpy searched(shown, &TextViewer::finishedSearch);
    m_context->setSearchingText(QStringLiteral("Paragraph 2.0"));
    QCOMPARE(m_context->searchingText(), QStringLiteral("Paragraph 2.0"));
    QVERIFY(searched.wait(20000));
    const QList<SearchResult> results = shown->searchResults();
    int hit = -1;
    for (int i = 0; i < results.size(); ++i) {
        if (results.at(i).extra.startsWith(QStringLiteral("ch2.xhtml")))
            hit = i;
    }
    QVERIFY2(hit >= 0, qPrintable(QString::number(results.size())));
    QVERIFY(reached(200000 + hit));
    QCOMPARE(shown->chapterIndex(), 1);

    m_context->navigateToPositionPath(QStringLiteral("ch1.xhtml#p1_2"));
    QVERIFY(loaded.wait(10000));
    QCOMPARE(shown->chapterIndex(), 0);
    QVERIFY(m_context->notes().isEmpty());
}

void tst_BookViewer::sameBookKeepsItsViewer()
{
    QVERIFY(open(m_first, false));
    const QPointer<TextViewer> first = viewer();
    QSignalSpy newBook(m_frame.get(), &ReaderPage::newBookReading);
    QSignalSpy notesCount(m_context.get(), &UserContext::notesCountChanged);
    QVERIFY(m_frame->openBook(BookProvider::instance()->findBookById(m_first)));
    QCOMPARE(viewer(), first);
    QCOMPARE(m_frame->currentPageIndex(), 1);
    QVERIFY(newBook.isEmpty());
    QCOMPARE(notesCount.count(), 1);
    QCOMPARE(notesCount.first().first().toInt(), 0);
    QVERIFY(!m_frame->holdsBusyCursor());

    // Names that differ in case are two files here, so two books.
    const QString lower = m_dir.filePath(QStringLiteral("first.epub"));
    QVERIFY(QFile::copy(m_firstPath, lower));
    const int other = addBook(lower, QStringLiteral("first"), 0);
    QVERIFY(open(other, false));
    QCOMPARE(newBook.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QVERIFY(viewer());
}

void tst_BookViewer::leavesAndReturns()
{
    BookProvider *provider = BookProvider::instance();
    QFile::remove(BookSideFiles(m_firstPath).settingsPath());
    QVERIFY(open(m_first));
    QPointer<TextViewer> shown = viewer();
    shown->goToBookPage(shown->bookPageCount() - 1, false);
    QSignalSpy loaded(shown, &TextViewer::loadFinished);
    QVERIFY(loaded.wait(10000));
    const int page = shown->absolutePage();
    const int chapter = shown->chapterIndex();
    const int progress = shown->progress();
    QVERIFY(progress > 50);

    // Back to the library: the progress is in the library's row.
    m_frame->hide();
    QCOMPARE(provider->findBookById(m_first).maxPosition, progress);
    const int row = m_model->rowOfBook(m_first);
    QCOMPARE(m_model->data(m_model->index(row, 0), BookModel::ProgressTextRole).toString(),
             QStringLiteral("%1%").arg(progress));

    // Another book, read a little, then straight back to the first: the
    // second keeps its progress too.
    m_frame->show();
    QVERIFY(open(m_second));
    QTest::keyClick(viewer(), Qt::Key_Right);
    const int secondProgress = viewer()->progress();
    QVERIFY(secondProgress > 0);
    QVERIFY(open(m_first));
    QCOMPARE(provider->findBookById(m_second).maxPosition, secondProgress);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(shown.isNull());
    QCOMPARE(viewer()->chapterIndex(), chapter);
    QVERIFY2(qAbs(viewer()->absolutePage() - page) <= 1,
             qPrintable(QStringLiteral("%1 vs %2").arg(viewer()->absolutePage()).arg(page)));
    QCOMPARE(provider->findBookById(m_first).maxPosition, progress);
}

void tst_BookViewer::refusals_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("message");
    QTest::newRow("damaged PDF") << "Refused.pdf"
                                 << "pdf"
                                 << "can not be opened: the file is damaged or is no PDF file.";
    QTest::newRow("damaged comic") << "Refused.cbz"
                                   << "cbz"
                                   << "can not be opened: the archive is damaged or is no ZIP "
                                      "archive.";
    QTest::newRow("DJVU") << "Refused.djvu"
                          << "djvu"
                          << "DJVU books can not be read here.";
    QTest::newRow("ZIP") << "Refused.zip"
                         << "zip"
                         << "ZIP books can not be read here.";
    QTest::newRow("unknown") << "Refused.xyz"
                             << "xyz"
                             << "UNKNOWN books can not be read here.";
    QTest::newRow("damaged EPUB") << "Damaged.epub"
                                  << "epub"
                                  << "Ebook file is damaged. Book can not be opened.";
    QTest::newRow("missing EPUB") << "Missing.epub"
                                  << "epub"
                                  << "Ebook file is damaged. Book can not be opened.";
}

void tst_BookViewer::refusals()
{
    QFETCH(QString, file);
    QFETCH(QString, format);
    QFETCH(QString, message);

    const QString path = m_dir.filePath(file);
    if (!file.startsWith(QLatin1String("Missing"))) {
        QFile bytes(path);
        QVERIFY(bytes.open(QIODevice::WriteOnly));
        bytes.write("PK\3\4 this is not what the name promised");
    }
    BookProvider *provider = BookProvider::instance();
    const int id = addBook(path, file, BookFormat::fromString(format));
    QVERIFY(id > 0);
    QVERIFY(provider->setReadingPosition(id, 0, 42));

    QSignalSpy newBook(m_frame.get(), &ReaderPage::newBookReading);
    QVERIFY(!m_frame->openBook(provider->findBookById(id)));
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().endsWith(message), qPrintable(m_messages.first()));
    // Never left at the wait page, never with the wait cursor.
    QCOMPARE(m_frame->currentPageIndex(), 1);
    QVERIFY(!m_frame->holdsBusyCursor());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(!viewer());
    QVERIFY(!m_context->document());

    // Leaving for the library keeps the progress the book had.
    m_frame->hide();
    QCOMPARE(provider->findBookById(id).maxPosition, 42);
    provider->deleteFromLibrary(id);
}

// Without a stand-in the refusal is a real box: over the frame's window,
// not a window of its own that can open behind it.
void tst_BookViewer::refusalStandsOverTheWindow()
{
    const QString path = m_dir.filePath(QStringLiteral("Over.pdf"));
    QFile bytes(path);
    QVERIFY(bytes.open(QIODevice::WriteOnly));
    bytes.write("%PDF-1.4 not really");
    bytes.close();
    const int id = addBook(path, QStringLiteral("Over.pdf"), BookFormat::fromString("pdf"));
    QVERIFY(id > 0);

    QWidget window;
    window.resize(1000, 700);
    m_frame->setParent(&window);
    // The frame leaves the window before the window goes, pass or fail.
    const auto leave = qScopeGuard([this] { m_frame->setParent(nullptr); });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    m_frame->setMessagePresenter(nullptr);
    QWidget *boxParent = nullptr;
    bool boxShown = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        if (auto *box = qobject_cast<MessageView *>(QApplication::activeModalWidget())) {
            boxParent = box->parentWidget();
            boxShown = box->isVisible();
            box->reject();
        }
    });
    closer.start(20);
    QVERIFY(!m_frame->openBook(BookProvider::instance()->findBookById(id)));
    closer.stop();
    QVERIFY(boxShown);
    BookProvider::instance()->deleteFromLibrary(id);
    QCOMPARE(boxParent, &window);
}

void tst_BookViewer::unrecoverableError()
{
    QVERIFY(open(m_first, false));
    const QPointer<TextViewer> broken = viewer();
    m_frame->setFullScreen(true);
    QSignalSpy toggled(m_frame.get(), &ReaderPage::fullScreen);
    QSignalSpy failed(m_frame.get(), &ReaderPage::viewerError);
    emit broken->unrecoverableError();
    QCOMPARE(toggled.count(), 1);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(m_messages,
             QStringList({ QStringLiteral(
                     "Error|An unrecoverable error occurred. Current reading aborted.") }));
    QCOMPARE(m_frame->currentPageIndex(), 1);
    QVERIFY(!m_frame->holdsBusyCursor());
    m_frame->setFullScreen(false);

    // The book opened again gets a viewer of its own.
    QVERIFY(open(m_first, false));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(broken.isNull());
    QVERIFY(viewer());
}

void tst_BookViewer::windowButtons()
{
    BookOperations *hub = BookOperations::instance();
    QSignalSpy back(hub, &BookOperations::backPressed);
    QList<QPrinter *> printers;
    const QMetaObject::Connection printing
            = connect(hub, &BookOperations::print, this,
                      [&printers](QPrinter *printer) { printers.append(printer); });
    m_frame->back();
    m_frame->print();
    disconnect(printing);
    QCOMPARE(back.count(), 1);
    // The helper shows its own print dialog: no printer travels.
    QCOMPARE(printers, QList<QPrinter *>({ nullptr }));

    // The viewer's request for the back button reaches the window.
    QSignalSpy backButton(m_frame.get(), &ReaderPage::toggleBackContol);
    emit hub->toggleBackContol(true);
    QCOMPARE(backButton.count(), 1);
}

void tst_BookViewer::fromTheLibraryAndBack()
{
    // The frame as the program's window hosts it, beside the real library
    // screen over the same book model.
    m_frame.reset();
    QFile::remove(BookSideFiles(m_firstPath).settingsPath());
    BookViewer *frame = nullptr;
    MainViewParts parts;
    parts.createLibraryPage = [this](QWidget *parent) {
        LibraryViewParts library;
        library.bookModel = m_model.get();
        return new LibraryView(library, parent);
    };
    parts.createReaderPage = [this, &frame](QWidget *parent) {
        frame = new BookViewer(m_context.get(), parent);
        frame->setMessagePresenter([this](const QString &title, const QString &text) {
            m_messages.append(title + QLatin1Char('|') + text);
        });
        return frame;
    };
    parts.readingContext = m_context.get();
    parts.showMessage = [this](QWidget *, const QString &title, const QString &text) {
        m_messages.append(title + QLatin1Char('|') + text);
    };
    auto window = std::make_unique<MainView>(900, 600, parts);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(frame);
    window->buttonLibrary();
    QCOMPARE(window->currentPage(), int(MainView::LibraryPageIndex));

    // The reader picks the book in the library.
    emit window->libraryPage()->bookOpen(m_first);
    QTRY_COMPARE(window->currentPage(), int(MainView::ReaderPageIndex));
    QTRY_VERIFY(frame->textViewer() && frame->textViewer()->isLayoutReady());
    TextViewer *shown = frame->textViewer();
    QVERIFY(ReadingFixture::waitForPages(shown));
    QCOMPARE(frame->currentPageIndex(), 1);
    shown->setFocus();
    QTest::keyClick(shown, Qt::Key_Right);
    const int page = shown->absolutePage();
    QCOMPARE(page, 2);
    const int progress = shown->progress();
    QVERIFY(progress > 0 && progress < 100);

    // Back in the library, the book shows how far it was read.
    window->buttonLibrary();
    QCOMPARE(window->currentPage(), int(MainView::LibraryPageIndex));
    QCOMPARE(BookProvider::instance()->findBookById(m_first).maxPosition, progress);
    const int row = m_model->rowOfBook(m_first);
    QCOMPARE(m_model->data(m_model->index(row, 0), BookModel::ProgressTextRole).toString(),
             QStringLiteral("%1%").arg(progress));

    // And opens again where it was left.
    emit window->libraryPage()->bookOpen(m_first);
    QTRY_COMPARE(window->currentPage(), int(MainView::ReaderPageIndex));
    QTRY_COMPARE(frame->currentPageIndex(), 1);
    QCOMPARE(frame->textViewer(), shown);
    QCOMPARE(shown->absolutePage(), page);
    QVERIFY(m_messages.isEmpty());
    window.reset();
}

VL_TEST_WIDGETS_MAIN(tst_BookViewer)
#include "tst_bookviewer.moc"
