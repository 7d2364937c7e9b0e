#include "comics/imageviewer.h"
#include "core/settings.h"
#include "document/imagedocument.h"
#include "library/db/bookformat.h"
#include "library/db/bookprovider.h"
#include "reader/bookviewer.h"
#include "reader/readtoolbar.h"
#include "reader/tooltippushbutton.h"
#include "reader/usercontext.h"
#include "tests/comics/comicfixture.h"
#include "tests/reader/framefixture.h"
#include "tests/support/testenvironment.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

using Tool = ReadToolBar::Tool;

// Comics in the reading frame: opened from their library record into the
// image viewer, read with the tool bar and the keys, and their place kept
// in the library for the next opening.
class tst_ComicFrame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensReadsAndKeepsItsPlace_data();
    void opensReadsAndKeepsItsPlace();
    void toolBarZoomsAndFullScreen();
    void nextComicReplacesTheViewer();
    void damagedComicIsRefused();

private:
    int addComic(const QString &name, int pages);
    bool open(int id);
    ImageViewer *viewer() const { return m_frame->imageViewer(); }
    bool waitForPage(int page) const;
    void makeFrame();

    QTemporaryDir m_dir;
    FrameFixture m_fixture;
    UserContext *m_context = nullptr;
    BookViewer *m_frame = nullptr;
    QStringList &m_messages = m_fixture.messages;
};

void tst_ComicFrame::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(FrameFixture::prepare());
}

void tst_ComicFrame::init()
{
    FrameFixture::resetSettings();
    m_messages.clear();
    makeFrame();
}

void tst_ComicFrame::makeFrame()
{
    QVERIFY(m_fixture.make());
    m_context = m_fixture.context();
    m_frame = m_fixture.frame();
}

void tst_ComicFrame::cleanup()
{
    m_fixture.clear();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    m_dir.setAutoRemove(!QTest::currentTestFailed());
}

int tst_ComicFrame::addComic(const QString &name, int pages)
{
    const QString path = m_dir.filePath(name);
    if (!ComicFixture::write(path, ComicFixture::pages(pages, { 200, 300 })))
        return -1;
    return FrameFixture::addBook(path);
}

bool tst_ComicFrame::open(int id)
{
    return m_fixture.openBook(id) && viewer();
}

bool tst_ComicFrame::waitForPage(int page) const
{
    return QTest::qWaitFor([&] {
        return viewer() && !viewer()->isPreparingPage() && viewer()->shownPage() == page;
    });
}

void tst_ComicFrame::opensReadsAndKeepsItsPlace_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("CBZ") << "Harbour.cbz";
    QTest::newRow("CBR") << "Harbour.cbr";
}

void tst_ComicFrame::opensReadsAndKeepsItsPlace()
{
    QFETCH(QString, name);
    const int id = addComic(name, 6);
    QVERIFY(id > 0);
    QSignalSpy notesButton(m_frame, &ReaderPage::toggleNotesContol);
    QSignalSpy printButton(m_frame, &ReaderPage::togglePrintContol);

    QVERIFY(open(id));
    QVERIFY(waitForPage(1));
    QCOMPARE(m_frame->currentPageIndex(), 1);
    QVERIFY(!m_frame->holdsBusyCursor());
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(m_context->document(), static_cast<IDocument *>(viewer()->document()));
    QVERIFY(!m_context->textViewer());
    QCOMPARE(notesButton.count(), 1);
    QCOMPARE(notesButton.first().first().toBool(), false);
    QCOMPARE(printButton.count(), 1);
    QCOMPARE(printButton.first().first().toBool(), false);
    ReadToolBar *bar = m_frame->toolBar();
    QVERIFY(bar->button(Tool::ZoomIn)->isVisible() && bar->button(Tool::Original)->isVisible());
    QVERIFY(!bar->button(Tool::IncreaseFont)->isVisible());

    // Page labels follow the keys and the two-page view.
    m_context->updateBookInfo();
    QCOMPARE(m_frame->progressLabel()->text(), QStringLiteral("<b>1</b> / 6"));
    QTest::keyClick(viewer(), Qt::Key_Right);
    QTest::keyClick(viewer(), Qt::Key_Right);
    QVERIFY(waitForPage(3));
    QCOMPARE(m_frame->progressLabel()->text(), QStringLiteral("<b>3</b> / 6"));
    QVERIFY(m_frame->titleLabel()->text().startsWith(QStringLiteral("<b>Harbour</b> (50%)")));
    bar->button(Tool::SwitchView)->click();
    QCOMPARE(viewer()->document()->columnCount(), 2);
    QCOMPARE(m_frame->progressLabel()->text(), QStringLiteral("<b>3-4</b> / 6"));
    QCOMPARE(bar->viewMode(), 2);
    bar->button(Tool::SwitchView)->click();
    QTest::keyClick(viewer(), Qt::Key_Right);
    QVERIFY(waitForPage(4));

    // Leaving keeps the place in the library; the next opening starts there.
    m_frame->hide();
    const BookDto stored = BookProvider::instance()->findBookById(id);
    QCOMPARE(stored.position, 4);
    QCOMPARE(stored.maxPosition, 66);
    makeFrame();
    QVERIFY(open(id));
    QCOMPARE(viewer()->document()->currentPage(), 4);
    QVERIFY(waitForPage(4));
    BookProvider::instance()->deleteFromLibrary(id);
}

void tst_ComicFrame::toolBarZoomsAndFullScreen()
{
    const int id = addComic(QStringLiteral("Zoom.cbz"), 3);
    QVERIFY(open(id));
    QVERIFY(waitForPage(1));
    ReadToolBar *bar = m_frame->toolBar();
    bar->button(Tool::Original)->click();
    QCOMPARE(viewer()->viewMode(), int(ImageViewer::NaturalSize));
    QCOMPARE(viewer()->transform().m11(), 1.0);
    bar->button(Tool::ZoomIn)->click();
    QVERIFY(qFuzzyCompare(viewer()->transform().m11(), 1.15));
    bar->button(Tool::ZoomOut)->click();
    QVERIFY(qFuzzyCompare(viewer()->transform().m11(), 1.0));
    bar->button(Tool::FitSize)->click();
    QCOMPARE(viewer()->viewMode(), int(ImageViewer::FitToPage));

    QSignalSpy fullScreen(m_frame, &ReaderPage::fullScreen);
    const QPoint centre = viewer()->viewport()->rect().center();
    QTest::mouseDClick(viewer()->viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(fullScreen.count(), 1);
    BookProvider::instance()->deleteFromLibrary(id);
}

void tst_ComicFrame::nextComicReplacesTheViewer()
{
    const int first = addComic(QStringLiteral("One.cbr"), 2);
    const int second = addComic(QStringLiteral("Two.cbz"), 3);
    QVERIFY(open(first));
    QPointer<ImageViewer> old = viewer();
    QSignalSpy newBook(m_frame, &ReaderPage::newBookReading);
    QVERIFY(open(second));
    QCOMPARE(newBook.count(), 1);
    QVERIFY(viewer() != old);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(old.isNull());
    QCOMPARE(viewer()->document()->pageCount(), 3);
    BookProvider::instance()->deleteFromLibrary(first);
    BookProvider::instance()->deleteFromLibrary(second);
}

// Refused with the reason, never left at the wait page, and the progress
// the library holds stays.
void tst_ComicFrame::damagedComicIsRefused()
{
    const QString path = m_dir.filePath(QStringLiteral("Broken.cbr"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Rar!\x1a\x07\x00 then nothing that holds", 30);
    file.close();
    BookDto book;
    book.fullPath = path;
    book.title = QStringLiteral("Broken");
    book.format = BookFormat::fromString(QStringLiteral("cbr"));
    const int id = BookProvider::instance()->addBook(book);
    QVERIFY(id > 0);
    QVERIFY(BookProvider::instance()->setReadingPosition(id, 3, 42));

    QVERIFY(!m_frame->openBook(BookProvider::instance()->findBookById(id)));
    QCOMPARE(m_messages,
             QStringList { QStringLiteral(
                     "Error|The book \"Broken\" can not be opened: the archive is damaged.") });
    QCOMPARE(m_frame->currentPageIndex(), 1);
    QVERIFY(!m_frame->holdsBusyCursor());
    QVERIFY(!viewer());
    QVERIFY(!m_context->document());
    m_frame->hide();
    QCOMPARE(BookProvider::instance()->findBookById(id).maxPosition, 42);
    BookProvider::instance()->deleteFromLibrary(id);
}

VL_TEST_WIDGETS_MAIN(tst_ComicFrame)

#include "tst_comicframe.moc"
