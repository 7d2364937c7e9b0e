#include "core/settings.h"
#include "library/db/bookprovider.h"
#include "pdf/pdfdocument.h"
#include "pdf/pdfviewer.h"
#include "reader/bookoperations.h"
#include "reader/bookviewer.h"
#include "reader/readtoolbar.h"
#include "reader/searchmodel.h"
#include "reader/searchview.h"
#include "reader/toctreeview.h"
#include "reader/tocview.h"
#include "reader/tooltippushbutton.h"
#include "reader/usercontext.h"
#include "tests/pdf/pdffixture.h"
#include "tests/reader/framefixture.h"
#include "tests/support/testenvironment.h"
#include "widgets/handover/applicationhandover.h"
#include "widgets/handover/inputpasswordcontroller.h"
#include "widgets/handover/messageboxcontroller.h"

#include <QApplication>
#include <QLabel>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

using Tool = ReadToolBar::Tool;

// PDF books in the reading frame: opened from their library record into
// the PDF viewer (asking for a password when they have one), read with the
// tool bar and the keys, with contents and search through the reading
// controller, printed from the hub, and their place kept in the library.
class tst_PdfFrame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensReadsAndKeepsItsPlace();
    void contentsAndSearchPanels();
    void toolBarZoomsAndPrints();
    void passwordAskedAgainAfterAWrongOne();
    void hidingTheFrameEndsRendering();

private:
    int addPdf(const QString &name, int pages, const pdffixture::Changes &changes = {});
    bool open(int id);
    PDFViewer *viewer() const { return m_frame->pdfViewer(); }
    bool waitForPage(int page) const;
    void makeFrame();

    QTemporaryDir m_dir;
    FrameFixture m_fixture;
    UserContext *m_context = nullptr;
    BookViewer *m_frame = nullptr;
    QStringList &m_messages = m_fixture.messages;
};

void tst_PdfFrame::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(FrameFixture::prepare());
}

void tst_PdfFrame::init()
{
    FrameFixture::resetSettings();
    m_messages.clear();
    makeFrame();
}

void tst_PdfFrame::makeFrame()
{
    QVERIFY(m_fixture.make());
    m_context = m_fixture.context();
    m_frame = m_fixture.frame();
}

void tst_PdfFrame::cleanup()
{
    PDFViewer::setPrintDialog(nullptr);
    Handover::setApplicationControllers(nullptr, nullptr);
    m_fixture.clear();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    m_dir.setAutoRemove(!QTest::currentTestFailed());
}

int tst_PdfFrame::addPdf(const QString &name, int pages, const pdffixture::Changes &changes)
{
    const QString path = m_dir.filePath(name);
    const QString plain = path + QStringLiteral(".plain");
    if (!pdffixture::writeTextPdf(plain, pages, QFileInfo(name).baseName())
        || !pdffixture::rewrite(plain, path, changes))
        return -1;
    return FrameFixture::addBook(path);
}

bool tst_PdfFrame::open(int id)
{
    return m_fixture.openBook(id) && viewer();
}

bool tst_PdfFrame::waitForPage(int page) const
{
    return QTest::qWaitFor(
            [&] { return viewer() && !viewer()->isRendering() && viewer()->shownPage() == page; });
}

void tst_PdfFrame::opensReadsAndKeepsItsPlace()
{
    const int id = addPdf(QStringLiteral("Harbour.pdf"), 6);
    QVERIFY(id > 0);
    QSignalSpy notesButton(m_frame, &ReaderPage::toggleNotesContol);
    QSignalSpy printButton(m_frame, &ReaderPage::togglePrintContol);

    QVERIFY(open(id));
    QVERIFY(waitForPage(1));
    QCOMPARE(m_frame->currentPageIndex(), 1);
    QVERIFY(viewer()->isVisible());
    QVERIFY(!m_frame->holdsBusyCursor());
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(m_context->document(), static_cast<IDocument *>(viewer()->document()));
    QVERIFY(!m_context->textViewer());
    QCOMPARE(notesButton.count(), 1);
    QCOMPARE(notesButton.first().first().toBool(), false);
    QCOMPARE(printButton.count(), 1);
    QCOMPARE(printButton.first().first().toBool(), true);
    ReadToolBar *bar = m_frame->toolBar();
    QVERIFY(bar->button(Tool::ZoomIn)->isVisible() && bar->button(Tool::Original)->isVisible());
    QVERIFY(!bar->button(Tool::IncreaseFont)->isVisible());

    // Page labels follow the keys and the two-page view.
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

// The contents and search panels on a PDF book: the outline as contents,
// the page words as hits, each leading to its page.
void tst_PdfFrame::contentsAndSearchPanels()
{
    pdffixture::Changes changes;
    pdffixture::OutlineItem part { QStringLiteral("Part <One>"), 2, {} };
    part.children = { { QStringLiteral("Section"), 3, {} } };
    changes.outline = { { QStringLiteral("Start"), 1, {} }, part };
    const int id = addPdf(QStringLiteral("Outlined.pdf"), 5, changes);
    QVERIFY(open(id));
    QVERIFY(waitForPage(1));

    TocView contents(m_context);
    connect(&contents, &SidePanel::navigateToPosition, m_context, &UserContext::navigateToPosition);
    contents.loadFromOpenBook();
    const QAbstractItemModel *toc = contents.tocTree()->model();
    QCOMPARE(toc->rowCount(), 2);
    const QModelIndex partRow = toc->index(1, 0);
    QCOMPARE(partRow.data().toString(), QStringLiteral("Part <One>"));
    QCOMPARE(toc->index(1, 1).data().toInt(), 2);
    const QModelIndex section = toc->index(0, 0, partRow);
    QCOMPARE(section.data().toString(), QStringLiteral("Section"));
    contents.onTocTableDoubleClick(section);
    QVERIFY(waitForPage(3));

    SearchView search(m_context);
    connect(&search, &SidePanel::navigateToPosition, m_context, &UserContext::navigateToPosition);
    connect(&search, &SidePanel::navigateToPage, m_context, &UserContext::navigateToPage);
    search.beginSearch(QStringLiteral("5"));
    const QAbstractItemModel *hits = search.model();
    QVERIFY(hits->rowCount() >= 2);
    QCOMPARE(hits->index(0, 0).data(SearchModel::TextRole).toString(),
             QStringLiteral("Go to page 5"));
    search.onResultsDoubleClick(hits->index(0, 0));
    QVERIFY(waitForPage(5));
    search.beginSearch(QStringLiteral("abc"));
    QCOMPARE(hits->rowCount(), 5);
    QCOMPARE(hits->index(1, 0).data().toString(), QStringLiteral("Page 2"));
    QCOMPARE(hits->index(1, 0).data(SearchModel::TextRole).toString(),
             QStringLiteral("<b>abc</b>def"));
    search.onResultsDoubleClick(hits->index(1, 0));
    QVERIFY(waitForPage(2));
    BookProvider::instance()->deleteFromLibrary(id);
}

void tst_PdfFrame::toolBarZoomsAndPrints()
{
    const int id = addPdf(QStringLiteral("Zoom.pdf"), 3);
    QVERIFY(open(id));
    QVERIFY(waitForPage(1));
    pdf::PdfDocument *document = viewer()->document();
    ReadToolBar *bar = m_frame->toolBar();
    bar->button(Tool::Original)->click();
    QCOMPARE(document->renderState(), int(pdf::PdfDocument::OriginalSize));
    bar->button(Tool::ZoomIn)->click();
    QVERIFY(qFuzzyCompare(document->scale(), 1.1));
    bar->button(Tool::ZoomOut)->click();
    QVERIFY(qFuzzyCompare(document->scale(), 1.0));
    bar->button(Tool::FitSize)->click();
    QCOMPARE(document->renderState(), int(pdf::PdfDocument::FitToPage));

    QSignalSpy fullScreen(m_frame, &ReaderPage::fullScreen);
    const QPoint centre = viewer()->viewport()->rect().center();
    QTest::mouseDClick(viewer()->viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(fullScreen.count(), 1);

    // The window's print button reaches the viewer through the hub.
    const QString output = m_dir.filePath(QStringLiteral("printed.pdf"));
    PDFViewer::setPrintDialog([&output](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(output);
        return true;
    });
    m_frame->print();
    const QFuture<bool> job = viewer()->printJob();
    QVERIFY(QTest::qWaitFor([&] { return job.isFinished(); }, 60000));
    QVERIFY(job.result());
    QVERIFY(QFileInfo(output).size() > 0);
    BookProvider::instance()->deleteFromLibrary(id);
}

void tst_PdfFrame::passwordAskedAgainAfterAWrongOne()
{
    pdffixture::Changes changes;
    changes.userPassword = QStringLiteral("open sesame");
    const int id = addPdf(QStringLiteral("Locked.pdf"), 2, changes);
    InputPasswordController passwords;
    MessageBoxController messages;
    QStringList typed { QStringLiteral("wrong"), QStringLiteral("open sesame") };
    QStringList boxes;
    connect(&passwords, &InputPasswordController::onRequest, this, [&] {
        PasswordAnswer answer;
        answer.accepted = true;
        answer.password = typed.takeFirst();
        passwords.answer(answer);
    });
    connect(&messages, &MessageBoxController::showMessage, this,
            [&](const QString &title, const QString &text) {
                boxes << title + QLatin1Char('|') + text;
                messages.setPending(0);
            });
    Handover::setApplicationControllers(&passwords, &messages);
    QVERIFY(open(id));
    QVERIFY(waitForPage(1));
    QVERIFY(typed.isEmpty());
    QCOMPARE(boxes, QStringList { QStringLiteral("Can not open file|The password is incorrect") });
    QCOMPARE(viewer()->document()->pageCount(), 2);

    // Closing the prompt refuses the book with the reason.
    disconnect(&passwords, nullptr, this, nullptr);
    connect(&passwords, &InputPasswordController::onRequest, this,
            [&] { passwords.answer(PasswordAnswer()); });
    QVERIFY(!m_frame->openBook(BookProvider::instance()->findBookById(id)));
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages.first().endsWith(QStringLiteral("no password was given.")));
    QVERIFY(!viewer());
    QVERIFY(!m_context->document());
    BookProvider::instance()->deleteFromLibrary(id);
}

void tst_PdfFrame::hidingTheFrameEndsRendering()
{
    const int id = addPdf(QStringLiteral("Hide.pdf"), 3);
    QVERIFY(open(id));
    QVERIFY(waitForPage(1));
    viewer()->setZoom(6.0);
    m_frame->hide();
    QVERIFY(viewer());
    QVERIFY(!viewer()->document());
    QVERIFY(!viewer()->isRendering());
    QVERIFY(!m_context->document());
    BookProvider::instance()->deleteFromLibrary(id);
}

VL_TEST_WIDGETS_MAIN(tst_PdfFrame)

#include "tst_pdfframe.moc"
