#include "widgets/customswipegesturerecognizer.h"

#include "tests/support/testenvironment.h"

#include <QGestureEvent>
#include <QTouchDevice>
#include <QWidget>

#include <memory>

namespace {

// One finger's path: a touch begin at the first point, an update per later
// point. Screen coordinates.
QTouchEvent::TouchPoint touchPoint(const QPointF &start, const QPointF &now,
                                   Qt::TouchPointState state)
{
    QTouchEvent::TouchPoint point(0);
    point.setStartScreenPos(start);
    point.setScreenPos(now);
    point.setStartPos(start);
    point.setPos(now);
    point.setState(state);
    return point;
}

// Feeds one finger's event (begin, update or end at `now`) to a recognizer.
int feed(CustomSwipeGestureRecognizer &recognizer, QGesture *gesture, QEvent::Type type,
         const QPointF &start, const QPointF &now)
{
    const Qt::TouchPointState state = type == QEvent::TouchBegin ? Qt::TouchPointPressed
            : type == QEvent::TouchEnd                           ? Qt::TouchPointReleased
                                                                 : Qt::TouchPointMoved;
    QTouchEvent event(type, nullptr, Qt::NoModifier, state, { touchPoint(start, now, state) });
    return recognizer.recognize(gesture, nullptr, &event);
}

// A widget that counts the swipes it gets and their direction.
class SwipeTarget : public QWidget
{
public:
    SwipeTarget()
    {
        grabGesture(Qt::SwipeGesture);
        resize(400, 300);
    }

    QList<QSwipeGesture::SwipeDirection> finished;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::Gesture) {
            auto *gestures = static_cast<QGestureEvent *>(event);
            if (auto *swipe = static_cast<QSwipeGesture *>(gestures->gesture(Qt::SwipeGesture))) {
                if (swipe->state() == Qt::GestureFinished)
                    finished.append(swipe->horizontalDirection());
            }
            gestures->accept();
            return true;
        }
        return QWidget::event(event);
    }
};

} // namespace

using Results = QList<int>;
Q_DECLARE_METATYPE(QList<QPointF>)

// The one-finger swipe: thresholds, directions, a second finger, and a
// real touch sequence through the application.
class TestCustomSwipeGestureRecognizer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { CustomSwipeGestureRecognizer::registerOnce(); }

    void recognize_data()
    {
        QTest::addColumn<QList<QPointF>>("path");
        QTest::addColumn<Results>("results");

        const int may = QGestureRecognizer::MayBeGesture;
        const int trigger = QGestureRecognizer::TriggerGesture;
        const int cancel = QGestureRecognizer::CancelGesture;
        const QPointF o(100, 100);
        QTest::newRow("50 pixels is no leg")
                << QList<QPointF> { o, o + QPointF(50, 50) } << Results { may };
        QTest::newRow("51 pixels is")
                << QList<QPointF> { o, o + QPointF(51, 0) } << Results { trigger };
        QTest::newRow("legs in one direction")
                << QList<QPointF> { o, o + QPointF(-60, 5), o + QPointF(-130, 10) }
                << Results { trigger, trigger };
        QTest::newRow("straight down, then right cancels")
                << QList<QPointF> { o, o + QPointF(0, 60), o + QPointF(60, 120) }
                << Results { trigger, cancel };
        QTest::newRow("turning back cancels")
                << QList<QPointF> { o, o + QPointF(80, 0), o + QPointF(0, 0) }
                << Results { trigger, cancel };
    }

    void recognize()
    {
        QFETCH(QList<QPointF>, path);
        QFETCH(Results, results);

        CustomSwipeGestureRecognizer recognizer;
        QWidget target;
        std::unique_ptr<QGesture> gesture(recognizer.create(&target));
        QVERIFY(target.testAttribute(Qt::WA_AcceptTouchEvents));
        auto *swipe = static_cast<QSwipeGesture *>(gesture.get());

        const QPointF start = path.first();
        QCOMPARE(feed(recognizer, swipe, QEvent::TouchBegin, start, start),
                 int(QGestureRecognizer::MayBeGesture));
        for (int i = 1; i < path.size(); ++i)
            QCOMPARE(feed(recognizer, swipe, QEvent::TouchUpdate, start, path.at(i)),
                     results.at(i - 1));
        // Qt moves a triggered gesture out of NoGesture (the application
        // test below shows the finish); a touch end before that cancels.
        QCOMPARE(feed(recognizer, swipe, QEvent::TouchEnd, start, path.last()),
                 int(QGestureRecognizer::CancelGesture));

        recognizer.reset(swipe);
        QCOMPARE(swipe->swipeAngle(), qreal(0));
    }

    void angleGivesDirection()
    {
        CustomSwipeGestureRecognizer recognizer;
        std::unique_ptr<QGesture> gesture(recognizer.create(nullptr));
        auto *swipe = static_cast<QSwipeGesture *>(gesture.get());
        const QPointF o(300, 300);
        feed(recognizer, swipe, QEvent::TouchBegin, o, o);
        feed(recognizer, swipe, QEvent::TouchUpdate, o, o + QPointF(-120, 4));
        QVERIFY(qAbs(swipe->swipeAngle() - 180) < 5);
        QCOMPARE(swipe->horizontalDirection(), QSwipeGesture::Left);
        recognizer.reset(swipe);

        feed(recognizer, swipe, QEvent::TouchBegin, o, o);
        feed(recognizer, swipe, QEvent::TouchUpdate, o, o + QPointF(120, -4));
        QVERIFY(swipe->swipeAngle() < 5);
        QCOMPARE(swipe->horizontalDirection(), QSwipeGesture::Right);
    }

    void secondFingerAndStrayUpdates()
    {
        CustomSwipeGestureRecognizer recognizer;
        std::unique_ptr<QGesture> gesture(recognizer.create(nullptr));
        auto *swipe = static_cast<QSwipeGesture *>(gesture.get());
        const QPointF o(10, 10);
        // An update before any touch begin is no gesture.
        QCOMPARE(feed(recognizer, swipe, QEvent::TouchUpdate, o, o + QPointF(90, 0)),
                 int(QGestureRecognizer::CancelGesture));

        feed(recognizer, swipe, QEvent::TouchBegin, o, o);
        QTouchEvent::TouchPoint second
                = touchPoint(o + QPointF(200, 0), o + QPointF(200, 0), Qt::TouchPointPressed);
        second.setId(1);
        QTouchEvent twoFingers(QEvent::TouchUpdate, nullptr, Qt::NoModifier,
                               Qt::TouchPointMoved | Qt::TouchPointPressed,
                               { touchPoint(o, o + QPointF(70, 0), Qt::TouchPointMoved), second });
        QCOMPARE(int(recognizer.recognize(swipe, nullptr, &twoFingers)),
                 int(QGestureRecognizer::CancelGesture));
        QEvent other(QEvent::MouseMove);
        QCOMPARE(int(recognizer.recognize(swipe, nullptr, &other)),
                 int(QGestureRecognizer::Ignore));
    }

    // Through the application, as a touch screen delivers it: one finger
    // makes one finished swipe in the direction it went.
    void oneFingerSwipeReachesTheWidget_data()
    {
        QTest::addColumn<int>("dx");
        QTest::addColumn<QList<int>>("directions");
        QTest::newRow("left") << -200 << QList<int> { QSwipeGesture::Left };
        QTest::newRow("right") << 200 << QList<int> { QSwipeGesture::Right };
        QTest::newRow("too short") << 40 << QList<int>();
    }

    void oneFingerSwipeReachesTheWidget()
    {
        QFETCH(int, dx);
        QFETCH(QList<int>, directions);

        QTouchDevice *device = QTest::createTouchDevice();
        SwipeTarget target;
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target));
        const QPoint start(dx < 0 ? 300 : 60, 150);
        QTest::touchEvent(&target, device).press(0, start, &target);
        for (int step = 1; step <= 4; ++step)
            QTest::touchEvent(&target, device).move(0, start + QPoint(dx * step / 4, 0), &target);
        QTest::touchEvent(&target, device).release(0, start + QPoint(dx, 0), &target);
        QCoreApplication::processEvents();

        QList<int> got;
        for (QSwipeGesture::SwipeDirection direction : target.finished)
            got.append(direction);
        QCOMPARE(got, directions);
    }
};

VL_TEST_WIDGETS_MAIN(TestCustomSwipeGestureRecognizer)
#include "tst_customswipegesturerecognizer.moc"
