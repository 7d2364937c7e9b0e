// The PDF viewer on generated books: the first page fitted, keys, clicks
// and the wheel, zoom steps and bounds, fit and natural size, two pages,
// the shade, quick turns, closing while a render runs, and printing through
// a stand-in for the print dialog into a PDF file.

#include "core/settings.h"
#include "pdf/pdfdocument.h"
#include "pdf/pdfviewer.h"
#include "tests/pdf/pdffixture.h"
#include "tests/support/testenvironment.h"
#include "widgets/handover/applicationhandover.h"
#include "widgets/handover/inputpasswordcontroller.h"

#include <QApplication>
#include <QFrame>
#include <QGraphicsPixmapItem>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

namespace {

int pdfPages(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), { path });
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return -1;
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpressionMatch match
            = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

class TestPdfViewer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PDFViewer> m_viewer;

    QString book(int pages = 6)
    {
        const QString path = m_dir.filePath(QStringLiteral("book_%1.pdf").arg(pages));
        if (!QFile::exists(path))
            pdffixture::writeTextPdf(path, pages, QStringLiteral("Book"));
        return path;
    }

    // A shown, active viewer on a book, its first page on screen.
    bool open(const QString &path, const QSize &size = QSize(800, 600))
    {
        m_viewer = std::make_unique<PDFViewer>(path);
        m_viewer->resize(size);
        m_viewer->show();
        m_viewer->activateWindow();
        if (!QTest::qWaitForWindowActive(m_viewer.get()))
            return false;
        return m_viewer->load() && waitForPage(1);
    }

    bool waitForPage(int page)
    {
        return QTest::qWaitFor([&] {
            return !m_viewer->isRendering() && m_viewer->shownPage() == page
                    && m_viewer->document()->currentPage() == page;
        });
    }

    // Renders started from now on, and the wait for the next one to show.
    bool waitForRender(QSignalSpy &shown, int count = 1)
    {
        return QTest::qWaitFor([&] { return shown.count() >= count && !m_viewer->isRendering(); });
    }

    QSize shownSize() const { return m_viewer->pageItem()->pixmap().size(); }

    void setShowFade(bool on)
    {
        ViewerSettings values = Settings::instance()->values();
        values.showFade = on;
        Settings::instance()->setValues(values, true);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QApplication::setDoubleClickInterval(60);
    }

    void init()
    {
        ViewerSettings values = Settings::instance()->values();
        values.columnCount = 1;
        values.showFade = false;
        values.currentProfile = ViewerSettings::DayProfile;
        Settings::instance()->setValues(values, true);
    }

    void cleanup()
    {
        PDFViewer::setPrintDialog(nullptr);
        m_viewer.reset();
        m_dir.setAutoRemove(!QTest::currentTestFailed());
    }

    void opensFirstPageFitted()
    {
        QVERIFY(open(book()));
        QCOMPARE(m_viewer->objectName(), QStringLiteral("imageViewer"));
        pdf::PdfDocument *document = m_viewer->document();
        QCOMPARE(document->pageCount(), 6);
        QCOMPARE(document->renderState(), int(pdf::PdfDocument::FitToPage));
        const QSize room = m_viewer->maximumViewportSize();
        const QSize page = shownSize();
        // Fitted: within the room, one side (nearly) filling it.
        QVERIFY(page.width() <= room.width() && page.height() <= room.height());
        QVERIFY(room.height() - page.height() <= room.height() / 100 + 1);
        QCOMPARE(m_viewer->sceneRect(), QRectF(QPointF(0, 0), QSizeF(page)));
        QVERIFY(!m_viewer->verticalScrollBar()->isVisible());
        const QColor workground = Settings::instance()->values().profile().workgroundColor;
        QCOMPARE(m_viewer->backgroundBrush().color(), workground);
        QCOMPARE(m_viewer->shade()->palette().color(QPalette::Window), workground);

        // A larger window fits the page anew.
        QSignalSpy shown(m_viewer.get(), &PDFViewer::pageShown);
        m_viewer->resize(1000, 900);
        QVERIFY(waitForRender(shown));
        QVERIFY(shownSize().height() > page.height());
    }

    void keysTurnAndChooseTheView()
    {
        QVERIFY(open(book()));
        pdf::PdfDocument *document = m_viewer->document();
        QTest::keyClick(m_viewer.get(), Qt::Key_Right);
        QVERIFY(waitForPage(2));
        QTest::keyClick(m_viewer.get(), Qt::Key_End);
        QVERIFY(waitForPage(6));
        QTest::keyClick(m_viewer.get(), Qt::Key_Left);
        QVERIFY(waitForPage(5));
        QTest::keyClick(m_viewer.get(), Qt::Key_Home);
        QVERIFY(waitForPage(1));
        QTest::keyClick(m_viewer.get(), Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(document->columnCount(), 2);
        QTest::keyClick(m_viewer.get(), Qt::Key_9, Qt::ControlModifier);
        QCOMPARE(document->renderState(), int(pdf::PdfDocument::OriginalSize));
        QTest::keyClick(m_viewer.get(), Qt::Key_8, Qt::ControlModifier);
        QCOMPARE(document->renderState(), int(pdf::PdfDocument::FitToPage));
        QTest::keyClick(m_viewer.get(), Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(document->columnCount(), 1);
    }

    void zoom()
    {
        QVERIFY(open(book()));
        pdf::PdfDocument *document = m_viewer->document();
        QSignalSpy shown(m_viewer.get(), &PDFViewer::pageShown);
        for (int i = 0; i < 5; ++i)
            m_viewer->zoomIn();
        QVERIFY(qFuzzyCompare(document->scale(), 1.5));
        QCOMPARE(document->renderState(), int(pdf::PdfDocument::Zoom));
        QVERIFY(QTest::qWaitFor([&] { return !m_viewer->isRendering() && !shown.isEmpty(); }));
        // Rendered anew at the scale, not a scaled picture.
        QCOMPARE(shownSize(), QSize(918, 1188));
        QCOMPARE(m_viewer->transform().m11(), 1.0);

        m_viewer->setZoom(0.15);
        m_viewer->zoomOut();
        QVERIFY(qFuzzyCompare(document->scale(), 0.1));
        shown.clear();
        m_viewer->zoomOut();
        QVERIFY(qFuzzyCompare(document->scale(), 0.1));
        // Still rendered again.
        QVERIFY(waitForRender(shown));
        QCOMPARE(shownSize(), QSize(61, 79));

        // Ctrl+wheel: up zooms in, a delta of 0 zooms out.
        const QPoint centre = m_viewer->viewport()->rect().center();
        QWheelEvent up(centre, m_viewer->viewport()->mapToGlobal(centre), QPoint(), QPoint(0, 120),
                       Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_viewer->viewport(), &up);
        QVERIFY(qFuzzyCompare(document->scale(), 0.2));
        QWheelEvent flat(centre, m_viewer->viewport()->mapToGlobal(centre), QPoint(), QPoint(0, 0),
                         Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_viewer->viewport(), &flat);
        QVERIFY(qFuzzyCompare(document->scale(), 0.1));

        // Bounded above.
        m_viewer->setZoom(pdf::PdfDocument::MaximumScale - 0.05);
        m_viewer->zoomIn();
        m_viewer->zoomIn();
        QVERIFY(qFuzzyCompare(document->scale(), pdf::PdfDocument::MaximumScale));

        m_viewer->fitToPage();
        QCOMPARE(document->renderState(), int(pdf::PdfDocument::FitToPage));
        QCOMPARE(document->scale(), 1.0);
        m_viewer->originalSize();
        QCOMPARE(document->renderState(), int(pdf::PdfDocument::OriginalSize));
        QCOMPARE(document->scale(), 1.0);
        shown.clear();
        QVERIFY(QTest::qWaitFor(
                [&] { return !m_viewer->isRendering() && shownSize() == QSize(612, 792); }));
    }

    void twoPages()
    {
        QVERIFY(open(book(), QSize(900, 600)));
        QSignalSpy shown(m_viewer.get(), &PDFViewer::pageShown);
        const QSize single = shownSize();
        m_viewer->setTwoPageMode();
        QVERIFY(waitForRender(shown));
        QVERIFY(shownSize().width() > single.width() * 3 / 2);
        QVERIFY(shownSize().width() <= m_viewer->maximumViewportSize().width());
        m_viewer->next();
        QVERIFY(waitForPage(3));
        // Even an unchanged count shows the view again.
        shown.clear();
        m_viewer->setTwoPageMode();
        QVERIFY(waitForRender(shown));
        m_viewer->setOnePageMode();
        QVERIFY(waitForRender(shown, 2));
        QCOMPARE(shownSize(), single);
    }

    void clicks_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<bool>("control");
        QTest::addColumn<bool>("drag");
        QTest::addColumn<int>("page");
        QTest::newRow("left half") << 100 << false << false << 2;
        QTest::newRow("the middle is the right half") << -1 << false << false << 4;
        QTest::newRow("right half") << 700 << false << false << 4;
        QTest::newRow("with Ctrl") << 700 << true << false << 3;
        QTest::newRow("a drag") << 700 << false << true << 3;
    }

    void clicks()
    {
        QFETCH(int, x);
        QFETCH(bool, control);
        QFETCH(bool, drag);
        QFETCH(int, page);
        QVERIFY(open(book()));
        m_viewer->document()->setPage(3);
        QVERIFY(waitForPage(3));
        QWidget *viewport = m_viewer->viewport();
        const int middle = viewport->mapFrom(m_viewer.get(), QPoint(m_viewer->width() / 2, 0)).x();
        const QPoint at(x < 0 ? middle : x, 300);
        const Qt::KeyboardModifiers modifiers = control ? Qt::ControlModifier : Qt::NoModifier;
        QTest::mousePress(viewport, Qt::LeftButton, modifiers, at);
        QTest::mouseRelease(viewport, Qt::LeftButton, modifiers, drag ? at + QPoint(40, 0) : at);
        QTest::qWait(150);
        QTRY_COMPARE(m_viewer->document()->currentPage(), page);
    }

    void doubleClickAsksForFullScreen()
    {
        QVERIFY(open(book()));
        QSignalSpy fullScreen(m_viewer.get(), &PDFViewer::fullScreen);
        QTest::mouseDClick(m_viewer->viewport(), Qt::LeftButton, {}, QPoint(700, 300));
        QTest::qWait(150);
        QCOMPARE(fullScreen.count(), 1);
        QCOMPARE(m_viewer->document()->currentPage(), 1);
    }

    void shade_data()
    {
        QTest::addColumn<bool>("showFade");
        QTest::addColumn<bool>("zoom");
        QTest::addColumn<bool>("shaded");
        QTest::newRow("a page change shades") << true << false << true;
        QTest::newRow("a zoom does not") << true << true << false;
        QTest::newRow("fades off") << false << false << false;
    }

    void shade()
    {
        QFETCH(bool, showFade);
        QFETCH(bool, zoom);
        setShowFade(showFade);
        QVERIFY(open(book()));
        // The first page's shade is gone.
        QTRY_VERIFY(!m_viewer->shade()->isVisible());
        QSignalSpy shown(m_viewer.get(), &PDFViewer::pageShown);
        bool shaded = false;
        connect(m_viewer.get(), &PDFViewer::pageShown, this,
                [&] { shaded = shaded || m_viewer->shade()->isVisible(); });
        if (zoom)
            m_viewer->zoomIn();
        else
            m_viewer->document()->setPage(5);
        QVERIFY(waitForRender(shown));
        QTEST(shaded, "shaded");
        // The shade goes again.
        QTRY_VERIFY(!m_viewer->shade()->isVisible());
    }

    // While the reader reads, the next view is drawn: the turn shows it at
    // once, unshaded; a view drawn for other settings is not used.
    void nextViewIsDrawnAhead()
    {
        setShowFade(true);
        QVERIFY(open(book()));
        QTRY_VERIFY(m_viewer->hasViewAhead());
        QTRY_VERIFY(!m_viewer->shade()->isVisible());
        QSignalSpy shown(m_viewer.get(), &PDFViewer::pageShown);
        m_viewer->next();
        QCOMPARE(shown.count(), 1);
        QCOMPARE(m_viewer->shownPage(), 2);
        QVERIFY(!m_viewer->shade()->isVisible());

        // A page not drawn ahead is rendered as any view.
        QTRY_VERIFY(m_viewer->hasViewAhead());
        shown.clear();
        m_viewer->document()->setPage(5);
        QVERIFY(!m_viewer->hasViewAhead());
        QCOMPARE(shown.count(), 0);
        QVERIFY(waitForPage(5));
        m_viewer->document()->setPage(3);
        QVERIFY(waitForPage(3));

        // After a zoom the view ahead is drawn at the new scale.
        m_viewer->zoomIn();
        QVERIFY(waitForPage(3));
        QTRY_VERIFY(m_viewer->hasViewAhead());
        const QSize zoomed = shownSize();
        m_viewer->next();
        QVERIFY(waitForPage(4));
        QCOMPARE(shownSize(), zoomed);
    }

    void quickTurnsShowTheLatestPage()
    {
        QVERIFY(open(book(12)));
        for (int i = 0; i < 8; ++i)
            m_viewer->next();
        QVERIFY(waitForPage(9));
        QCOMPARE(m_viewer->shownPage(), 9);
    }

    // The render reads the document: the viewer waits for it before the
    // document goes, and ignores every command afterwards.
    void closingWaitsForTheRender()
    {
        QVERIFY(open(book()));
        for (int round = 0; round < 3; ++round) {
            m_viewer->setZoom(pdf::PdfDocument::MaximumScale - round);
            QVERIFY(m_viewer->isRendering());
            if (round < 2) {
                m_viewer->closeDocument();
                QVERIFY(!m_viewer->isRendering());
                QVERIFY(!m_viewer->document());
                m_viewer->next();
                m_viewer->zoomIn();
                m_viewer->onPrint(nullptr);
                QVERIFY(!m_viewer->isRendering());
                QVERIFY(!m_viewer->pageItem()->pixmap().isNull());
                QVERIFY(open(book()));
            } else {
                // Deleted while the render runs.
                m_viewer.reset();
            }
        }
    }

    void refusedBooks()
    {
        const QString damaged = m_dir.filePath(QStringLiteral("damaged.pdf"));
        QVERIFY(pdffixture::truncated(book(), damaged, 0.2));
        m_viewer = std::make_unique<PDFViewer>(damaged);
        QSignalSpy begin(m_viewer.get(), &PDFViewer::loadBegin);
        QSignalSpy finished(m_viewer.get(), &PDFViewer::loadFinished);
        QVERIFY(!m_viewer->load());
        QCOMPARE(begin.count(), 1);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!m_viewer->lastError().isEmpty());

        // A protected book whose prompt is closed.
        const QString locked = m_dir.filePath(QStringLiteral("locked.pdf"));
        pdffixture::Changes changes;
        changes.userPassword = QStringLiteral("pw");
        QVERIFY(pdffixture::rewrite(book(), locked, changes));
        InputPasswordController passwords;
        int prompts = 0;
        connect(&passwords, &InputPasswordController::onRequest, this, [&](bool checkSkip) {
            ++prompts;
            QVERIFY(!checkSkip);
            passwords.answer(PasswordAnswer());
        });
        Handover::setApplicationControllers(&passwords, nullptr);
        m_viewer = std::make_unique<PDFViewer>(locked);
        QVERIFY(!m_viewer->load());
        Handover::setApplicationControllers(nullptr, nullptr);
        QCOMPARE(prompts, 1);
    }

    void printing_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::newRow("printed to a file") << true;
        QTest::newRow("dialog cancelled") << false;
    }

    void printing()
    {
        QFETCH(bool, accepted);
        QVERIFY(open(book(5)));
        const QString output = m_dir.filePath(QStringLiteral("print %1.pdf").arg(accepted));
        int dialogs = 0;
        PDFViewer::setPrintDialog([&](QPrinter &printer) {
            ++dialogs;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(output);
            return accepted;
        });
        m_viewer->onPrint(nullptr);
        QCOMPARE(dialogs, 1);
        if (!accepted) {
            QVERIFY(m_viewer->printJob().isCanceled());
            QVERIFY(!QFile::exists(output));
            return;
        }
        // The job goes on without the viewer.
        const QFuture<bool> job = m_viewer->printJob();
        m_viewer.reset();
        QVERIFY(QTest::qWaitFor([&] { return job.isFinished(); }, 60000));
        QVERIFY(job.result());
        QCOMPARE(pdfPages(output), 5);
    }

    void printerSettings()
    {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QStringLiteral("/tmp/a b/ü.pdf"));
        printer.setCopyCount(2);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setColorMode(QPrinter::GrayScale);
        const QString settings = PDFViewer::printerSettings(
                QStringLiteral("vellumin-printer-settings 1\nprinter=P\ncopies=1\npaper=A4\n"),
                printer);
        const QStringList lines = settings.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), QStringLiteral("vellumin-printer-settings 1"));
        for (const char *line : { "printer=P", "copies=2", "paper=Letter", "orientation=landscape",
                                  "color=grayscale", "output=%2Ftmp%2Fa%20b%2F%C3%BC.pdf" })
            QVERIFY2(lines.contains(QLatin1String(line)), line);
        QCOMPARE(lines.filter(QStringLiteral("copies=")).size(), 1);
        for (const QChar c : settings)
            QVERIFY(c.unicode() < 0x7f);
    }
};

VL_TEST_WIDGETS_MAIN(TestPdfViewer)

#include "tst_pdfviewer.moc"
