#include "widgets/customswipegesturerecognizer.h"

#include <QLineF>
#include <QTouchEvent>
#include <QWidget>

void CustomSwipeGestureRecognizer::registerOnce()
{
    // Each registration adds one more recognizer, and each would turn a
    // page of its own for the same finger: the reading view, built anew
    // for every book, must not add another.
    static const bool registered = [] {
        QGestureRecognizer::registerRecognizer(new CustomSwipeGestureRecognizer);
        return true;
    }();
    Q_UNUSED(registered);
}

QGesture *CustomSwipeGestureRecognizer::create(QObject *target)
{
    if (target && target->isWidgetType())
        static_cast<QWidget *>(target)->setAttribute(Qt::WA_AcceptTouchEvents);
    return new QSwipeGesture;
}

QGestureRecognizer::Result CustomSwipeGestureRecognizer::recognize(QGesture *gesture, QObject *,
                                                                   QEvent *event)
{
    auto *swipe = static_cast<QSwipeGesture *>(gesture);
    switch (event->type()) {
    case QEvent::TouchBegin:
        m_state = State::Started;
        return MayBeGesture;
    case QEvent::TouchEnd:
        return swipe->state() != Qt::NoGesture ? FinishGesture : CancelGesture;
    case QEvent::TouchUpdate:
        break;
    default:
        return Ignore;
    }

    if (m_state == State::NoGesture)
        return CancelGesture;
    const auto *touch = static_cast<const QTouchEvent *>(event);
    const QList<QTouchEvent::TouchPoint> &points = touch->touchPoints();
    if (points.isEmpty()) {
        if (m_state == State::Started)
            return Ignore;
        return touch->touchPointStates().testFlag(Qt::TouchPointPressed) ? CancelGesture : Ignore;
    }
    if (points.size() > 1)
        return CancelGesture;

    const QTouchEvent::TouchPoint &point = points.first();
    m_state = State::PointReached;
    if (m_lastPosition.isNull())
        m_lastPosition = point.startScreenPos().toPoint();
    const int dx = int(point.screenPos().x() - m_lastPosition.x());
    const int dy = int(point.screenPos().y() - m_lastPosition.y());
    swipe->setSwipeAngle(QLineF(point.startScreenPos(), point.screenPos()).angle());

    if (qAbs(dx) <= Threshold && qAbs(dy) <= Threshold)
        return swipe->state() != Qt::NoGesture ? TriggerGesture : MayBeGesture;

    m_lastPosition = point.screenPos().toPoint();
    const QSwipeGesture::SwipeDirection horizontal
            = dx > 0 ? QSwipeGesture::Right : QSwipeGesture::Left;
    const QSwipeGesture::SwipeDirection vertical = dy > 0 ? QSwipeGesture::Down : QSwipeGesture::Up;
    if (m_horizontal == QSwipeGesture::NoDirection)
        m_horizontal = horizontal;
    if (m_vertical == QSwipeGesture::NoDirection)
        m_vertical = vertical;
    return m_horizontal == horizontal && m_vertical == vertical ? TriggerGesture : CancelGesture;
}

void CustomSwipeGestureRecognizer::reset(QGesture *gesture)
{
    m_horizontal = QSwipeGesture::NoDirection;
    m_vertical = QSwipeGesture::NoDirection;
    m_lastPosition = QPoint();
    m_state = State::NoGesture;
    static_cast<QSwipeGesture *>(gesture)->setSwipeAngle(0);
    QGestureRecognizer::reset(gesture);
}
