#include "comics/imageviewer.h"

#include "comics/comicdocument.h"
#include "core/settings.h"

#include <QCoreApplication>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QScrollBar>
#include <QtConcurrent>

namespace {

constexpr double ZoomStep = 1.15;
constexpr int PageGap = 10;

QGraphicsPixmapItem *addPage(QGraphicsScene *scene, const QImage &image, qreal x)
{
    QGraphicsPixmapItem *item = scene->addPixmap(QPixmap::fromImage(image));
    item->setTransformationMode(Qt::SmoothTransformation);
    item->setPos(x, 0);
    return item;
}

} // namespace

ImageViewer::ImageViewer(const QString &filePath, QWidget *parent)
    : ImageViewer(createDocument(filePath), filePath, parent)
{
}

ImageViewer::ImageViewer(ImageDocument *document, const QString &filePath, QWidget *parent)
    : PageView(parent)
    , m_filePath(filePath)
    , m_document(document)
{
    setShadeColor(QColor(Qt::yellow));
    m_singlePageWatcher = new QFutureWatcher<QImage>(this);
    m_twoPageWatcher = new QFutureWatcher<QPair<QImage, QImage>>(this);

    connect(m_singlePageWatcher, &QFutureWatcherBase::started, this, &ImageViewer::loadingStarted);
    connect(m_singlePageWatcher, &QFutureWatcherBase::finished, this,
            &ImageViewer::loadingFinished);
    connect(m_singlePageWatcher, &QFutureWatcherBase::canceled, this,
            &ImageViewer::loadingCanceled);
    connect(m_twoPageWatcher, &QFutureWatcherBase::started, this, &ImageViewer::loadingStarted);
    connect(m_twoPageWatcher, &QFutureWatcherBase::finished, this, &ImageViewer::loadingFinished);
    connect(m_twoPageWatcher, &QFutureWatcherBase::canceled, this, &ImageViewer::loadingCanceled);

    m_viewMode = FitToPage;
    // Gives the document the settings' column count; nothing is connected
    // yet, so nothing is shown.
    onSettingsChanged();
    if (m_document) {
        connect(m_document.get(), &ImageDocument::pageNumberChanged, this,
                &ImageViewer::pageNumberChanged);
        connect(m_document.get(), &ImageDocument::columnCountChanged, this,
                &ImageViewer::columnCountChanged);
    }
    m_scene = std::make_unique<QGraphicsScene>();
    setScene(m_scene.get());
    connect(m_scene.get(), &QGraphicsScene::sceneRectChanged, this, &ImageViewer::sceneRectChanged);
}

ImageViewer::~ImageViewer()
{
    // A page task reads the document: it must end before the document goes.
    waitForTasks();
    setScene(nullptr);
    m_scene.reset();
    m_document.reset();
}

ImageDocument *ImageViewer::createDocument(const QString &filePath)
{
    if (filePath.endsWith(QLatin1String("cbr"), Qt::CaseInsensitive)
        || filePath.endsWith(QLatin1String("cbz"), Qt::CaseInsensitive))
        return new comics::ComicDocument;
    return nullptr;
}

ImageDocument *ImageViewer::document() const
{
    return m_document.get();
}

void ImageViewer::waitForTasks()
{
    m_requestWaiting = false;
    m_singlePageWatcher->waitForFinished();
    m_twoPageWatcher->waitForFinished();
}

bool ImageViewer::load()
{
    emit loadBegin();
    QCoreApplication::processEvents();
    bool loaded = false;
    if (!m_document) {
        m_lastError = tr("the file is no comic book");
    } else {
        loaded = m_document->load(m_filePath);
        if (auto *comic = qobject_cast<comics::ComicDocument *>(m_document.get()))
            m_lastError = comic->lastError();
        if (loaded)
            m_document->setPage(1);
    }
    emit loadFinished();
    return loaded;
}

bool ImageViewer::isPreparingPage() const
{
    return m_requestWaiting || m_singlePageWatcher->isRunning() || m_twoPageWatcher->isRunning();
}

// ---- navigation and zoom ----

void ImageViewer::next()
{
    if (m_document)
        m_document->nextPage();
}

void ImageViewer::previous()
{
    if (m_document)
        m_document->previousPage();
}

void ImageViewer::zoomIn()
{
    m_viewMode = Zoomed;
    scale(ZoomStep, ZoomStep);
}

void ImageViewer::zoomOut()
{
    m_viewMode = Zoomed;
    scale(1.0 / ZoomStep, 1.0 / ZoomStep);
}

void ImageViewer::switchColumnCount()
{
    if (m_document)
        m_document->setColumnCount(m_document->columnCount() == 1 ? 2 : 1);
}

void ImageViewer::fitToPage()
{
    m_viewMode = FitToPage;
    resetTransform();
    fitInView(sceneRect(), Qt::KeepAspectRatio);
}

void ImageViewer::originalSize()
{
    m_viewMode = NaturalSize;
    resetTransform();
}

void ImageViewer::setOnePageMode()
{
    if (m_document)
        m_document->setColumnCount(1);
}

void ImageViewer::setTwoPageMode()
{
    if (m_document)
        m_document->setColumnCount(2);
}

void ImageViewer::moveToHome()
{
    if (m_document)
        m_document->moveToHome();
}

void ImageViewer::moveToEnd()
{
    if (m_document)
        m_document->moveToEnd();
}

void ImageViewer::pageNumberChanged(int number)
{
    Q_UNUSED(number)
    loadPage();
    verticalScrollBar()->setValue(0);
}

void ImageViewer::columnCountChanged(int count)
{
    Q_UNUSED(count)
    m_viewMode = FitToPage;
    resetTransform();
    fitInView(sceneRect(), Qt::KeepAspectRatio);
    loadPage();
}

// ---- page tasks ----

void ImageViewer::loadPage()
{
    if (!m_document)
        return;
    // The running task cannot be stopped; the window does not wait for it
    // either. Its pictures are dropped and the latest request starts when
    // it ends.
    if (m_singlePageWatcher->isRunning() || m_twoPageWatcher->isRunning()) {
        m_requestWaiting = true;
        return;
    }
    m_requestWaiting = false;
    ImageDocument *document = m_document.get();
    const int page = document->currentPage();
    m_taskPage = page;
    m_taskColumns = document->columnCount();
    if (m_taskColumns == 1) {
        m_singlePageWatcher->setFuture(
                QtConcurrent::run([document, page] { return document->pageImage(page); }));
    } else {
        m_twoPageWatcher->setFuture(QtConcurrent::run(
                [document, page] { return document->pageImages(page, page + 1); }));
    }
}

void ImageViewer::loadingFinished()
{
    if (m_requestWaiting) {
        loadPage();
        return;
    }
    // A late signal of a task whose watcher follows a newer one by now.
    const bool single = m_taskColumns == 1;
    if (single ? !m_singlePageWatcher->future().isFinished()
               : !m_twoPageWatcher->future().isFinished())
        return;
    if (single ? m_singlePageWatcher->future().resultCount() == 0
               : m_twoPageWatcher->future().resultCount() == 0)
        return;

    m_scene->clear();
    QRectF rect;
    if (single) {
        const QGraphicsPixmapItem *item = addPage(m_scene.get(), m_singlePageWatcher->result(), 0);
        rect = QRectF(0, 0, item->pixmap().width(), item->pixmap().height());
    } else {
        const QPair<QImage, QImage> pages = m_twoPageWatcher->result();
        const QGraphicsPixmapItem *first = addPage(m_scene.get(), pages.first, 0);
        const int firstWidth = first->pixmap().width();
        const QGraphicsPixmapItem *second
                = addPage(m_scene.get(), pages.second, firstWidth + PageGap);
        rect = QRectF(0, 0, firstWidth + PageGap + second->pixmap().width(),
                      qMax(first->pixmap().height(), second->pixmap().height()));
    }
    m_scene->setSceneRect(rect);
    setSceneRect(rect);
    m_scene->update();
    if (m_viewMode == FitToPage)
        fitItems();
    if (m_shownPage != m_taskPage)
        verticalScrollBar()->setValue(verticalScrollBar()->minimum());
    m_shownPage = m_taskPage;
    if (showsFade())
        fadeOut();
    emit pageShown(m_shownPage);
}

void ImageViewer::loadingStarted()
{
    if (showsFade())
        fadeIn();
}

void ImageViewer::loadingCanceled()
{
    fadeOut();
}

void ImageViewer::updateViewState()
{
    m_scene->update();
    if (m_viewMode == FitToPage)
        fitItems();
}

void ImageViewer::fitItems()
{
    fitInView(m_scene->itemsBoundingRect(), Qt::KeepAspectRatio);
}

void ImageViewer::sceneRectChanged(const QRectF &rect)
{
    Q_UNUSED(rect)
}

void ImageViewer::wheelZoom(int delta)
{
    m_viewMode = Zoomed;
    const double factor = delta > 0 ? ZoomStep : 1.0 / ZoomStep;
    scale(factor, factor);
}

void ImageViewer::resizeEvent(QResizeEvent *event)
{
    if (m_scene) {
        m_scene->update();
        if (m_viewMode == FitToPage)
            fitItems();
    }
    PageView::resizeEvent(event);
}

// ---- settings ----

void ImageViewer::onSettingsChanged()
{
    PageView::onSettingsChanged();
    const ViewerSettings values = Settings::instance()->values();
    // The document signals even an unchanged count: every settings change
    // shows the page again, fitted.
    if (m_document)
        m_document->setColumnCount(values.columnCount);
}
