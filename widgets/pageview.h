#pragma once

#include <QColor>
#include <QGraphicsView>
#include <QPoint>
#include <QTimer>

class QFrame;
class QKeySequence;

// The base of the viewers that show a book's pages as pictures (comics, PDF
// books): a graphics view in the reading colours that turns pages by the
// arrow and page keys, Home and End, a single click on the left or right
// half and the wheel once the page is scrolled to its end (at once when it
// fits); a double click asks for full screen. Keys and Ctrl+wheel zoom,
// Ctrl+1 and Ctrl+2 choose one or two pages, Ctrl+8 fits the page and
// Ctrl+9 shows its natural size. A shade fades over the view while a page
// is prepared. What a page is, and what a zoom or a page turn does, is the
// viewer's: it implements the slots below.
//
// Object name "imageViewer" (the style sheet styles it by that name). GUI
// thread only.
class PageView : public QGraphicsView
{
    Q_OBJECT
public:
    explicit PageView(QWidget *parent = nullptr);
    ~PageView() override;

    QFrame *shade() const { return m_shade; }
    // The "showfade" setting as last applied.
    bool showsFade() const { return m_showFade; }
    void setShadeColor(const QColor &color);

signals:
    void loadBegin();
    void loadFinished();
    // The user asked for full screen (a double click).
    void fullScreen();

public slots:
    virtual void next() = 0;
    virtual void previous() = 0;
    virtual void zoomIn() = 0;
    virtual void zoomOut() = 0;
    virtual void fitToPage() = 0;
    virtual void originalSize() = 0;
    virtual void setOnePageMode() = 0;
    virtual void setTwoPageMode() = 0;
    virtual void moveToHome() = 0;
    virtual void moveToEnd() = 0;
    void onClickTimer();
    // The shade fades in over the whole view, and out from where it got to.
    void fadeIn();
    void fadeOut();
    // Background, scroll bars and fades from the reading settings; viewers
    // take the column count as well.
    virtual void onSettingsChanged();

protected:
    // Ctrl+wheel; a delta above 0 zooms in.
    virtual void wheelZoom(int delta) = 0;

    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(PageView)

    void addShortcut(const QKeySequence &keys, void (PageView::*slot)());

    QFrame *m_shade = nullptr;
    bool m_showFade = true;
    QPoint m_pressPosition;
    bool m_pressed = false;
    QTimer m_clickTimer;
};
