#pragma once

#include "pdf/pdfdocument.h"
#include "widgets/pageview.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QImage>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QGraphicsPixmapItem;
class QGraphicsScene;
class QPrinter;

// The widget in which a PDF book is read: one picture of the current view
// (the current page, or two pages side by side) rendered at the view's
// size, at the page's natural size or at the zoom factor, shown as the one
// item of its scene. Pages turn as in every page view (keys, clicks, the
// wheel); a zoom renders the page anew at the new scale rather than
// scaling the picture. The book prints in the background.
//
// Pictures are rendered on Qt's global thread pool from a copy of the view
// settings taken when the render starts. At most one render runs: one asked
// for while another runs waits for it without blocking the window, and only
// the latest is shown. While the reader reads (from a moment after a view
// shows), the view after the shown one is drawn ahead when its picture is
// of a modest size, so the next turn shows at once. The viewer waits for a running render before
// its document goes (closeDocument(), the destructor).
//
// GUI thread only.
class PDFViewer : public PageView
{
    Q_OBJECT
public:
    // The print dialog: shows the dialog for the printer and answers
    // whether it was accepted. Tests put their own in its place.
    using PrintDialog = std::function<bool(QPrinter &printer)>;

    // Makes the document for the book at filePath; nothing is read yet.
    PDFViewer(const QString &filePath, QWidget *parent = nullptr);
    ~PDFViewer() override;

    // Owned by the viewer; null after closeDocument().
    pdf::PdfDocument *document() const;
    // Opens the book on this thread (the password is asked for here):
    // emits loadBegin(), loads, goes to page 1 and emits loadFinished().
    // False, with lastError() saying why, when the book does not open.
    bool load();
    QString lastError() const { return m_lastError; }
    // Ends rendering (waiting for a running render) and deletes the
    // document; the last picture stays and every command is ignored.
    void closeDocument();
    // A zoom of the user's to the scale.
    void setZoom(double scale);

    // Whether a render of the view runs or waits (drawing ahead does not
    // count).
    bool isRendering() const;
    // Whether the view after the shown one is drawn and waiting.
    bool hasViewAhead() const { return !m_ahead.isNull(); }
    // The page (the left page of two) the picture shows; 0 before the first.
    int shownPage() const { return m_shownPage; }
    QGraphicsPixmapItem *pageItem() const { return m_pageItem; }
    // The last print job started here (for those who want to wait for it).
    QFuture<bool> printJob() const { return m_printJob; }

    // The device settings text of the engine with the choices of the print
    // dialog's printer put in: copies, paper, orientation, colour, sides,
    // and the output file when the dialog prints to a file.
    static QString printerSettings(const QString &librarySettings, const QPrinter &printer);
    // In place of the print dialog, for all viewers; an empty one puts the
    // dialog back.
    static void setPrintDialog(const PrintDialog &dialog);

signals:
    // The picture of the view's page is on screen.
    void pageShown(int page);

public slots:
    void next() override;
    void previous() override;
    void zoomIn() override;
    void zoomOut() override;
    void fitToPage() override;
    void originalSize() override;
    void setOnePageMode() override;
    void setTwoPageMode() override;
    void moveToHome() override;
    void moveToEnd() override;
    // The print dialog, then the book prints in the background; the
    // argument is not used (the dialog makes the printer).
    void onPrint(QPrinter *printer);
    // Starts the render of the current view.
    void loadPage();
    void onPageNumberChanged(int number);
    void onScaleChanged(double scaleValue);
    void onColumnCountChanged(int columns);
    void loadingStarted();
    void loadingFinished();
    void loadingCanceled();
    void onSettingsChanged() override;

protected:
    void wheelZoom(int delta) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(PDFViewer)

    void zoomTo(double scale);
    // The view as it is now, the view port set to the viewer's room.
    pdf::PdfDocument::ViewState currentViewState();
    void startRender(const pdf::PdfDocument::ViewState &state, bool ahead);
    void showPicture(const QImage &image, const pdf::PdfDocument::ViewState &state);
    // Draws the view after the shown one, when nothing else is to be done.
    void drawAhead();

    QString m_filePath;
    std::unique_ptr<pdf::PdfDocument> m_document;
    QGraphicsScene *m_scene = nullptr;
    QGraphicsPixmapItem *m_pageItem = nullptr;
    QFutureWatcher<QImage> *m_watcher = nullptr;
    // A render was asked for while one ran: it starts when that one ends,
    // and the running one's picture is not shown.
    bool m_renderWaiting = false;
    pdf::PdfDocument::ViewState m_taskState;
    bool m_taskPending = false;
    // The running task draws ahead.
    bool m_taskAhead = false;
    QTimer m_aheadTimer;
    QImage m_ahead;
    pdf::PdfDocument::ViewState m_shownState;
    pdf::PdfDocument::ViewState m_aheadState;
    int m_shownPage = 0;
    bool m_userZoom = false;
    QString m_lastError;
    QFuture<bool> m_printJob;
};
