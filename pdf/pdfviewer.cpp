#include "pdf/pdfviewer.h"

#include "core/settings.h"
#include "pdf/pdfdocument.h"
#include "pdf/pdfprintjob.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QtConcurrent>

namespace {

constexpr double ZoomStep = 0.1;
constexpr double MinimumScale = 0.1;
// Views of up to this many pixels are drawn ahead: a fitted pair of pages
// on a large screen, not a page zoomed far in.
constexpr qint64 AheadPixels = 8 * 1000 * 1000;
// Drawing ahead starts once the reader has stayed on a view this long, so
// that quick keys and zoom steps never wait for it.
constexpr int AheadDelayMsecs = 150;

PDFViewer::PrintDialog &printDialog()
{
    static PDFViewer::PrintDialog dialog;
    return dialog;
}

bool runPrintDialog(QPrinter &printer)
{
    if (const PDFViewer::PrintDialog &replacement = printDialog())
        return replacement(printer);
    QPrintDialog dialog(&printer, nullptr);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

PDFViewer::PDFViewer(const QString &filePath, QWidget *parent)
    : PageView(parent)
    , m_filePath(filePath)
    , m_document(std::make_unique<pdf::PdfDocument>())
{
    m_scene = new QGraphicsScene(this);
    setScene(m_scene);
    m_pageItem = new QGraphicsPixmapItem;
    m_pageItem->setTransformationMode(Qt::SmoothTransformation);
    m_scene->addItem(m_pageItem);
    m_watcher = new QFutureWatcher<QImage>(this);
    m_aheadTimer.setSingleShot(true);
    m_aheadTimer.setInterval(AheadDelayMsecs);
    connect(&m_aheadTimer, &QTimer::timeout, this, &PDFViewer::drawAhead);

    onSettingsChanged();
    connect(m_document.get(), &ImageDocument::pageNumberChanged, this,
            &PDFViewer::onPageNumberChanged);
    connect(m_document.get(), &ImageDocument::scaleChanged, this, &PDFViewer::onScaleChanged);
    connect(m_document.get(), &ImageDocument::columnCountChanged, this,
            &PDFViewer::onColumnCountChanged);
    connect(m_watcher, &QFutureWatcherBase::started, this, &PDFViewer::loadingStarted);
    connect(m_watcher, &QFutureWatcherBase::finished, this, &PDFViewer::loadingFinished);
    connect(m_watcher, &QFutureWatcherBase::canceled, this, &PDFViewer::loadingCanceled);
}

PDFViewer::~PDFViewer()
{
    closeDocument();
}

pdf::PdfDocument *PDFViewer::document() const
{
    return m_document.get();
}

bool PDFViewer::load()
{
    if (!m_document)
        return false;
    emit loadBegin();
    QCoreApplication::processEvents();
    const bool loaded = m_document->load(m_filePath);
    m_lastError = m_document->lastError();
    if (loaded)
        m_document->setPage(1);
    emit loadFinished();
    return loaded;
}

void PDFViewer::closeDocument()
{
    // The render task reads the document: it must end before the document
    // goes.
    m_renderWaiting = false;
    m_aheadTimer.stop();
    m_watcher->waitForFinished();
    m_taskPending = false;
    m_ahead = QImage();
    m_document.reset();
}

bool PDFViewer::isRendering() const
{
    return m_renderWaiting || (m_taskPending && !m_taskAhead);
}

// ---- navigation and zoom ----

void PDFViewer::next()
{
    if (m_document)
        m_document->nextPage();
}

void PDFViewer::previous()
{
    if (m_document)
        m_document->previousPage();
}

void PDFViewer::zoomTo(double scale)
{
    if (!m_document)
        return;
    m_userZoom = true;
    m_document->setRenderState(pdf::PdfDocument::Zoom);
    m_document->setScale(scale);
}

void PDFViewer::setZoom(double scale)
{
    zoomTo(qBound(MinimumScale, scale, pdf::PdfDocument::MaximumScale));
}

void PDFViewer::zoomIn()
{
    if (m_document)
        zoomTo(qMin(m_document->scale() + ZoomStep, pdf::PdfDocument::MaximumScale));
}

void PDFViewer::zoomOut()
{
    if (m_document)
        zoomTo(qMax(m_document->scale() - ZoomStep, MinimumScale));
}

void PDFViewer::fitToPage()
{
    if (!m_document)
        return;
    m_document->setRenderState(pdf::PdfDocument::FitToPage);
    m_document->setScale(1.0);
}

void PDFViewer::originalSize()
{
    if (!m_document)
        return;
    m_document->setRenderState(pdf::PdfDocument::OriginalSize);
    m_document->setScale(1.0);
}

void PDFViewer::setOnePageMode()
{
    if (m_document)
        m_document->setColumnCount(1);
}

void PDFViewer::setTwoPageMode()
{
    if (m_document)
        m_document->setColumnCount(2);
}

void PDFViewer::moveToHome()
{
    if (m_document)
        m_document->moveToHome();
}

void PDFViewer::moveToEnd()
{
    if (m_document)
        m_document->moveToEnd();
}

void PDFViewer::wheelZoom(int delta)
{
    if (delta > 0)
        zoomIn();
    else
        zoomOut();
}

void PDFViewer::onPageNumberChanged(int number)
{
    Q_UNUSED(number)
    m_userZoom = false;
    loadPage();
    verticalScrollBar()->setValue(0);
}

void PDFViewer::onScaleChanged(double scaleValue)
{
    Q_UNUSED(scaleValue)
    loadPage();
}

void PDFViewer::onColumnCountChanged(int columns)
{
    Q_UNUSED(columns)
    loadPage();
}

void PDFViewer::resizeEvent(QResizeEvent *event)
{
    loadPage();
    PageView::resizeEvent(event);
}

// ---- rendering ----

void PDFViewer::loadPage()
{
    if (!m_document || !m_document->isLoaded())
        return;
    m_aheadTimer.stop();
    const pdf::PdfDocument::ViewState state = currentViewState();
    if (!m_ahead.isNull() && m_aheadState == state) {
        const QImage image = m_ahead;
        m_ahead = QImage();
        m_renderWaiting = false;
        showPicture(image, state);
        return;
    }
    // Drawn for a view the reader did not go to.
    m_ahead = QImage();
    // A running render cannot be stopped, and the window does not wait for
    // it either: its picture is dropped and the latest request starts when
    // it ends.
    if (m_taskPending) {
        m_renderWaiting = true;
        return;
    }
    m_renderWaiting = false;
    startRender(state, false);
}

pdf::PdfDocument::ViewState PDFViewer::currentViewState()
{
    // The room a page has without scroll bars: a fitted page needs none.
    m_document->setViewPortSize(maximumViewportSize());
    return m_document->viewState();
}

void PDFViewer::startRender(const pdf::PdfDocument::ViewState &state, bool ahead)
{
    m_taskState = state;
    m_taskAhead = ahead;
    // Until its end is handled here, not merely until the pool is done: a
    // picture still on its way counts.
    m_taskPending = true;
    pdf::PdfDocument *document = m_document.get();
    m_watcher->setFuture(
            QtConcurrent::run([document, state] { return document->renderView(state); }));
}

void PDFViewer::drawAhead()
{
    if (!m_document || m_taskPending || m_renderWaiting)
        return;
    const QSize shown = m_pageItem->pixmap().size();
    if (qint64(shown.width()) * shown.height() > AheadPixels)
        return;
    pdf::PdfDocument::ViewState state = m_document->viewState();
    const int count = m_document->pageCount();
    if (state.page >= count)
        return;
    // The page the next turn goes to, as the document turns.
    state.page += (state.columns == 2 && state.page != count - 1) ? 2 : 1;
    if (!m_ahead.isNull() && m_aheadState == state)
        return;
    m_ahead = QImage();
    startRender(state, true);
}

void PDFViewer::loadingStarted()
{
    if (!m_taskAhead && showsFade() && !m_userZoom)
        fadeIn();
}

void PDFViewer::loadingFinished()
{
    const QFuture<QImage> future = m_watcher->future();
    const bool done = future.isFinished() && future.resultCount() > 0;
    m_taskPending = false;
    if (!m_document)
        return;
    if (m_taskAhead) {
        m_taskAhead = false;
        if (done) {
            m_ahead = future.result();
            m_aheadState = m_taskState;
        }
        if (m_renderWaiting)
            loadPage();
        return;
    }
    // A picture of a view the reader has left (a newer request waits, or
    // a view drawn ahead was shown meanwhile) is not shown.
    if (!m_renderWaiting && m_taskState != currentViewState()) {
        // The view on screen already is the one asked for now.
        if (m_shownState == currentViewState())
            m_aheadTimer.start();
        else
            loadPage();
        return;
    }
    if (m_renderWaiting) {
        loadPage();
        return;
    }
    if (done)
        showPicture(future.result(), m_taskState);
}

void PDFViewer::showPicture(const QImage &image, const pdf::PdfDocument::ViewState &state)
{
    m_shownState = state;
    m_pageItem->setPixmap(QPixmap::fromImage(image));
    qDebug() << "PDFViewer::moveImageToCenter"
             << "scene bound rect:" << m_scene->sceneRect();
    qDebug() << "PDFViewer::moveImageToCenter"
             << "image bound rect:" << m_pageItem->boundingRect();
    // A page smaller than the view stands in its middle.
    setSceneRect(0, 0, m_pageItem->pixmap().width(), m_pageItem->pixmap().height());
    m_shownPage = state.page;
    if (showsFade())
        fadeOut();
    emit pageShown(m_shownPage);
    m_aheadTimer.start();
}

void PDFViewer::loadingCanceled()
{
    fadeOut();
}

// ---- settings ----

void PDFViewer::onSettingsChanged()
{
    PageView::onSettingsChanged();
    const ViewerSettings values = Settings::instance()->values();
    setShadeColor(values.profile().workgroundColor);
    if (m_document)
        m_document->setColumnCount(values.columnCount);
}

// ---- printing ----

void PDFViewer::setPrintDialog(const PrintDialog &dialog)
{
    printDialog() = dialog;
}

QString PDFViewer::printerSettings(const QString &librarySettings, const QPrinter &printer)
{
    QStringList lines = librarySettings.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const auto set = [&lines](const QString &key, const QString &value) {
        const QString prefix = key + QLatin1Char('=');
        lines.erase(
                std::remove_if(lines.begin(), lines.end(),
                               [&prefix](const QString &line) { return line.startsWith(prefix); }),
                lines.end());
        if (!value.isEmpty())
            lines.append(prefix + value);
    };
    const auto encoded = [](const QString &text) {
        return QString::fromLatin1(text.toUtf8().toPercentEncoding());
    };
    set(QStringLiteral("copies"), QString::number(qMax(1, printer.copyCount())));
    set(QStringLiteral("paper"), QPageSize::key(printer.pageLayout().pageSize().id()));
    set(QStringLiteral("orientation"),
        printer.pageLayout().orientation() == QPageLayout::Landscape ? QStringLiteral("landscape")
                                                                     : QStringLiteral("portrait"));
    set(QStringLiteral("color"),
        printer.colorMode() == QPrinter::GrayScale ? QStringLiteral("grayscale")
                                                   : QStringLiteral("color"));
    const QPrinter::DuplexMode duplex = printer.duplex();
    set(QStringLiteral("duplex"),
        duplex == QPrinter::DuplexLongSide            ? QStringLiteral("long")
                : duplex == QPrinter::DuplexShortSide ? QStringLiteral("short")
                                                      : QStringLiteral("none"));
    const bool toFile
            = printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
    set(QStringLiteral("output"), toFile ? encoded(printer.outputFileName()) : QString());
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void PDFViewer::onPrint(QPrinter *printer)
{
    Q_UNUSED(printer)
    if (!m_document)
        return;
    QPrinter chosen;
    if (!runPrintDialog(chosen))
        return;
    const QString name = chosen.printerName();
    const QString settings
            = printerSettings(m_document->document().GetPrinterDevModeToString(name), chosen);
    // The job opens the book on its own: it shares nothing with this viewer
    // and goes on when the viewer is closed.
    m_printJob = QtConcurrent::run([name, settings, file = m_filePath] {
        return pdf::printPdfFile(name, settings, file);
    });
}
