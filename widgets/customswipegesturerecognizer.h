#pragma once

#include <QGestureRecognizer>
#include <QPoint>
#include <QSwipeGesture>

// Lets one finger on a touch screen make swipe gestures (the toolkit's own
// swipe needs three). Registered as a further recognizer of
// Qt::SwipeGesture, so a widget that grabs that gesture gets swipes from
// either. A move counts once it goes more than Threshold pixels in x or y
// from the last reference point; each such leg sets a new reference, and
// the direction pair fixed by the first leg must hold for every later one
// (a finger that turns back cancels the swipe).
//
// Not a QObject. One recognizer follows one gesture at a time; Qt calls
// reset() after a gesture ends.
class CustomSwipeGestureRecognizer : public QGestureRecognizer
{
public:
    static constexpr int Threshold = 50;

    // Registers one recognizer for the whole program; later calls do
    // nothing. Qt owns the recognizer. Needs the application object.
    static void registerOnce();

    QGesture *create(QObject *target) override;
    Result recognize(QGesture *gesture, QObject *watched, QEvent *event) override;
    void reset(QGesture *gesture) override;

private:
    enum class State { NoGesture, Started, PointReached };

    State m_state = State::NoGesture;
    QPoint m_lastPosition;
    QSwipeGesture::SwipeDirection m_horizontal = QSwipeGesture::NoDirection;
    QSwipeGesture::SwipeDirection m_vertical = QSwipeGesture::NoDirection;
};
