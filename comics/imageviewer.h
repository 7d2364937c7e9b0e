#pragma once

#include "widgets/pageview.h"

#include <QFutureWatcher>
#include <QImage>
#include <QPair>

#include <memory>

class ImageDocument;

// The widget in which a comic book is read: the current page, or in the
// two-page view the current page and the next one side by side with a
// 10-pixel gap, as pixmap items of its own scene. Pages turn as in every
// page view (keys, clicks, the wheel) and by the document's own navigation;
// the view zooms by scaling the scene, fits the page into the view or shows
// it at its natural size, and fades its yellow shade over the view while a
// page is prepared.
//
// Page pictures are extracted and decoded on Qt's global thread pool and
// put into the scene on the GUI thread. At most one page task runs at a
// time: a page asked for while one runs waits for it without blocking the
// window, and only the latest request is shown, so quick page keys never
// show an older page after a newer one. The viewer waits for a running
// task before it deletes its document.
//
// GUI thread only.
class ImageViewer : public PageView
{
    Q_OBJECT
public:
    // The view modes.
    enum ViewMode { FitToPage = 0, NaturalSize = 1, Zoomed = 2 };

    // Makes the document for the book at filePath (nothing is read yet);
    // a book that is no comic gets none and shows an empty view.
    ImageViewer(const QString &filePath, QWidget *parent = nullptr);
    // Shows a document of the caller's making, taken over (may be null).
    ImageViewer(ImageDocument *document, const QString &filePath, QWidget *parent = nullptr);
    ~ImageViewer() override;

    // A comic document for a path that ends in "cbr" or "cbz" (any letter
    // case), else null. The caller owns it.
    static ImageDocument *createDocument(const QString &filePath);

    // Owned by the viewer; null when the path named no comic.
    ImageDocument *document() const;
    // Opens the book on this thread and starts its first page: emits
    // loadBegin(), reads the archive's list, goes to page 1 and emits
    // loadFinished(). False, with lastError() saying why, when the book
    // has no page that can be shown.
    bool load();
    QString lastError() const { return m_lastError; }

    int viewMode() const { return m_viewMode; }
    // Whether a page task runs or waits.
    bool isPreparingPage() const;
    // The page (or the left page) the scene shows; 0 before the first.
    int shownPage() const { return m_shownPage; }

signals:
    // The pictures of a page request are in the scene.
    void pageShown(int page);

public slots:
    void next() override;
    void previous() override;
    void zoomIn() override;
    void zoomOut() override;
    void switchColumnCount();
    void fitToPage() override;
    void originalSize() override;
    void setOnePageMode() override;
    void setTwoPageMode() override;
    void moveToHome() override;
    void moveToEnd() override;
    void pageNumberChanged(int number);
    void columnCountChanged(int count);
    // Starts the page task of the current view.
    void loadPage();
    void updateViewState();
    void loadingStarted();
    void loadingFinished();
    void loadingCanceled();
    void sceneRectChanged(const QRectF &rect);
    void onSettingsChanged() override;

protected:
    void wheelZoom(int delta) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(ImageViewer)

    void fitItems();
    void waitForTasks();

    QString m_filePath;
    std::unique_ptr<ImageDocument> m_document;
    std::unique_ptr<QGraphicsScene> m_scene;
    int m_viewMode = FitToPage;
    QFutureWatcher<QImage> *m_singlePageWatcher = nullptr;
    QFutureWatcher<QPair<QImage, QImage>> *m_twoPageWatcher = nullptr;
    // A request came while a task ran: the running task's pictures are
    // stale and the request starts when it ends.
    bool m_requestWaiting = false;
    // What the running task was asked for.
    int m_taskPage = 0;
    int m_taskColumns = 1;
    int m_shownPage = 0;
    QString m_lastError;
};
