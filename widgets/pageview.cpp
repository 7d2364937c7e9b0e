#include "widgets/pageview.h"

#include "core/settings.h"
#include "widgets/stylesheet.h"

#include <QApplication>
#include <QDebug>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>

namespace {

constexpr int FadeMsecs = 300;
constexpr double ShadeOpacity = 0.6;

} // namespace

PageView::PageView(QWidget *parent)
    : QGraphicsView(parent)
{
    setObjectName(QStringLiteral("imageViewer"));
    setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    setDragMode(QGraphicsView::ScrollHandDrag);
    setResizeAnchor(QGraphicsView::AnchorViewCenter);
    setAlignment(Qt::AlignCenter);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);

    m_shade = new QFrame(this);
    m_shade->setAutoFillBackground(true);
    m_shade->hide();

    addShortcut(QKeySequence(Qt::Key_Right), &PageView::next);
    addShortcut(QKeySequence(Qt::Key_Left), &PageView::previous);
    addShortcut(QKeySequence::ZoomIn, &PageView::zoomIn);
    addShortcut(QKeySequence::ZoomOut, &PageView::zoomOut);
    addShortcut(QKeySequence::MoveToNextPage, &PageView::next);
    addShortcut(QKeySequence::MoveToPreviousPage, &PageView::previous);
    addShortcut(QKeySequence(Qt::CTRL + Qt::Key_1), &PageView::setOnePageMode);
    addShortcut(QKeySequence(Qt::CTRL + Qt::Key_2), &PageView::setTwoPageMode);
    addShortcut(QKeySequence(Qt::CTRL + Qt::Key_8), &PageView::fitToPage);
    addShortcut(QKeySequence(Qt::CTRL + Qt::Key_9), &PageView::originalSize);
    addShortcut(QKeySequence(Qt::CTRL + Qt::Key_Equal), &PageView::zoomIn);
    addShortcut(QKeySequence(Qt::Key_Home), &PageView::moveToHome);
    addShortcut(QKeySequence(Qt::Key_End), &PageView::moveToEnd);

    connect(Settings::instance(), &Settings::changed, this, &PageView::onSettingsChanged);
    m_clickTimer.setSingleShot(true);
    connect(&m_clickTimer, &QTimer::timeout, this, &PageView::onClickTimer);
}

PageView::~PageView()
{
    m_clickTimer.stop();
}

void PageView::addShortcut(const QKeySequence &keys, void (PageView::*slot)())
{
    auto *shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, slot);
}

void PageView::setShadeColor(const QColor &color)
{
    QPalette palette = m_shade->palette();
    palette.setColor(QPalette::Window, color);
    m_shade->setPalette(palette);
}

// ---- shade ----

void PageView::fadeIn()
{
    qDebug() << "ImageViewer::fadeIn"
             << "begin:";
    m_shade->setGeometry(0, 0, width(), height());
    m_shade->show();
    m_shade->raise();
    auto *effect = new QGraphicsOpacityEffect(m_shade);
    effect->setOpacity(0.0);
    m_shade->setGraphicsEffect(effect);
    auto *animation = new QPropertyAnimation(effect, "opacity", effect);
    animation->setDuration(FadeMsecs);
    animation->setStartValue(0.0);
    animation->setEndValue(ShadeOpacity);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void PageView::fadeOut()
{
    if (!m_shade->isVisible())
        return;
    // From where the fade-in got to: a page that comes quickly must not
    // flash the full shade.
    auto *current = qobject_cast<QGraphicsOpacityEffect *>(m_shade->graphicsEffect());
    const double from = current ? current->opacity() : ShadeOpacity;
    auto *effect = new QGraphicsOpacityEffect(m_shade);
    effect->setOpacity(from);
    auto *animation = new QPropertyAnimation(effect, "opacity", effect);
    animation->setDuration(FadeMsecs);
    animation->setStartValue(from);
    animation->setEndValue(0.0);
    m_shade->setGraphicsEffect(effect);
    connect(animation, &QPropertyAnimation::finished, m_shade, &QWidget::hide);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

// ---- mouse and wheel ----

void PageView::mousePressEvent(QMouseEvent *event)
{
    m_pressPosition = event->pos();
    m_pressed = true;
    setFocus(Qt::OtherFocusReason);
    QGraphicsView::mousePressEvent(event);
}

void PageView::mouseReleaseEvent(QMouseEvent *event)
{
    // A drag moves the page and turns none; neither does a Ctrl click.
    if (m_pressed && event->pos() == m_pressPosition && !(event->modifiers() & Qt::ControlModifier))
        m_clickTimer.start(QApplication::doubleClickInterval());
    m_pressed = false;
    QGraphicsView::mouseReleaseEvent(event);
}

void PageView::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_clickTimer.stop();
    emit fullScreen();
    QGraphicsView::mouseDoubleClickEvent(event);
}

void PageView::onClickTimer()
{
    // Halves of the viewer itself, frame included, as the reader sees it.
    const QRect leftHalf(0, 0, width() / 2, height());
    if (leftHalf.contains(viewport()->mapTo(this, m_pressPosition)))
        previous();
    else
        next();
    m_clickTimer.stop();
}

void PageView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        wheelZoom(event->angleDelta().y());
        event->accept();
        return;
    }
    // The wheel scrolls the page; with nothing left to scroll that way
    // (always so for a fitted page) it turns the page, as in the text
    // viewer. A notch that moves nothing turns nothing.
    const int delta = event->angleDelta().y();
    const QScrollBar *bar = verticalScrollBar();
    if ((delta < 0 && bar->value() >= bar->maximum())
        || (delta > 0 && bar->value() <= bar->minimum())) {
        if (delta < 0)
            next();
        else
            previous();
        event->accept();
        return;
    }
    QGraphicsView::wheelEvent(event);
}

// ---- settings ----

void PageView::onSettingsChanged()
{
    const ViewerSettings values = Settings::instance()->values();
    m_showFade = values.showFade;
    const QColor background = values.profile().workgroundColor;
    setBackgroundBrush(QBrush(background, Qt::SolidPattern));
    const QString sheet = scrollBarStyleSheet(background);
    verticalScrollBar()->setStyleSheet(sheet);
    horizontalScrollBar()->setStyleSheet(sheet);
}
