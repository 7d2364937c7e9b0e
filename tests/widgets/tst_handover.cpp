#include "widgets/handover/inputpasswordcontroller.h"
#include "widgets/handover/messageboxcontroller.h"

#include "tests/support/testenvironment.h"
#include "tests/widgets/loaderthread.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <functional>

class TestHandover : public QObject
{
    Q_OBJECT

private slots:
    void loaderGetsTheAnswerFromTheGuiThread_data();
    void loaderGetsTheAnswerFromTheGuiThread();
    void requestClearsThePreviousAnswer();
    void guiThreadRequestDoesNotDeadlock_data();
    void guiThreadRequestDoesNotDeadlock();
    void requestWithoutListenerIsAnsweredAtOnce();
    void concurrentLoadersGetTheirOwnAnswers();
    void messageWaitsUntilTheBoxIsClosed();
    void messageWithoutListenerDoesNotWait();
};

void TestHandover::loaderGetsTheAnswerFromTheGuiThread_data()
{
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("skip");
    QTest::addColumn<bool>("skipAll");
    QTest::addColumn<QString>("password");
    QTest::newRow("ok") << true << false << false << QStringLiteral("secret");
    QTest::newRow("skip") << true << true << false << QString();
    QTest::newRow("skip all") << true << false << true << QString();
    QTest::newRow("closed") << false << false << false << QString();
}

void TestHandover::loaderGetsTheAnswerFromTheGuiThread()
{
    QFETCH(bool, accepted);
    QFETCH(bool, skip);
    QFETCH(bool, skipAll);
    QFETCH(QString, password);

    InputPasswordController controller;
    bool askedWithSkip = false;
    int pendingSeen = -1;
    // The GUI side as the main window does it: look at the request, answer
    // later from the event loop, pending word last.
    connect(&controller, &InputPasswordController::onRequest, this, [&](bool checkSkip) {
        askedWithSkip = checkSkip;
        pendingSeen = controller.isPending();
        QTimer::singleShot(20, this, [&]() {
            PasswordAnswer answer;
            answer.accepted = accepted;
            answer.skip = skip;
            answer.skipAll = skipAll;
            answer.password = password;
            controller.answer(answer);
        });
    });

    PasswordAnswer received;
    LoaderThread loader([&]() { received = controller.ask(true); });
    loader.start();
    QTRY_VERIFY_WITH_TIMEOUT(loader.isFinished(), 5000);

    QVERIFY(askedWithSkip);
    QCOMPARE(pendingSeen, 1);
    QCOMPARE(controller.isPending(), 0);
    QCOMPARE(received.accepted, accepted);
    QCOMPARE(received.skip, skip);
    QCOMPARE(received.skipAll, skipAll);
    QCOMPARE(received.password, password);
    QCOMPARE(controller.isAccepted(), accepted);
}

void TestHandover::requestClearsThePreviousAnswer()
{
    InputPasswordController controller;
    connect(&controller, &InputPasswordController::onRequest, this, [](bool) {});
    controller.setPassword(QStringLiteral("old"));
    controller.setSkip(true);
    controller.setSkipAll(true);
    controller.setAccepted(true);

    controller.request(false);
    QCOMPARE(controller.isPending(), 1);
    QVERIFY(controller.password().isEmpty());
    QVERIFY(!controller.isSkip());
    QVERIFY(!controller.isSkipAll());
    // Accepted is left for the answer to overwrite.
    QVERIFY(controller.isAccepted());
    controller.setPending(0);
}

void TestHandover::guiThreadRequestDoesNotDeadlock_data()
{
    QTest::addColumn<int>("connection");
    QTest::newRow("direct") << int(Qt::DirectConnection);
    QTest::newRow("queued") << int(Qt::QueuedConnection);
}

void TestHandover::guiThreadRequestDoesNotDeadlock()
{
    QFETCH(int, connection);
    InputPasswordController controller;
    connect(
            &controller, &InputPasswordController::onRequest, this,
            [&](bool) {
                PasswordAnswer answer;
                answer.accepted = true;
                answer.password = QStringLiteral("gui");
                controller.answer(answer);
            },
            Qt::ConnectionType(connection));

    QElapsedTimer clock;
    clock.start();
    const PasswordAnswer answer = controller.ask(false);
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(answer.accepted);
    QCOMPARE(answer.password, QStringLiteral("gui"));

    MessageBoxController messages;
    connect(
            &messages, &MessageBoxController::showMessage, this,
            [&](const QString &, const QString &) { messages.setPending(0); },
            Qt::ConnectionType(connection));
    messages.showAndWait(QStringLiteral("title"), QStringLiteral("text"));
    QCOMPARE(messages.isPending(), 0);
}

void TestHandover::requestWithoutListenerIsAnsweredAtOnce()
{
    InputPasswordController controller;
    PasswordAnswer received;
    received.accepted = true;
    LoaderThread loader([&]() { received = controller.ask(true); });
    loader.start();
    QVERIFY(loader.wait(5000));
    QVERIFY(!received.accepted);
    QCOMPARE(controller.isPending(), 0);
}

void TestHandover::concurrentLoadersGetTheirOwnAnswers()
{
    InputPasswordController controller;
    QAtomicInt shown;
    connect(&controller, &InputPasswordController::onRequest, this, [&](bool) {
        const int number = shown.fetchAndAddOrdered(1) + 1;
        QTimer::singleShot(30, this, [&controller, number]() {
            PasswordAnswer answer;
            answer.accepted = true;
            answer.password = QString::number(number);
            controller.answer(answer);
        });
    });

    QString first;
    QString second;
    LoaderThread one([&]() { first = controller.ask(false).password; });
    LoaderThread two([&]() { second = controller.ask(false).password; });
    one.start();
    two.start();
    QTRY_VERIFY_WITH_TIMEOUT(one.isFinished() && two.isFinished(), 5000);

    // One dialog per loader, each loader with the answer to its own dialog.
    QCOMPARE(shown.loadAcquire(), 2);
    QStringList answers = { first, second };
    answers.sort();
    QCOMPARE(answers, QStringList({ QStringLiteral("1"), QStringLiteral("2") }));
}

void TestHandover::messageWaitsUntilTheBoxIsClosed()
{
    MessageBoxController controller;
    QString title;
    QString message;
    bool closed = false;
    connect(&controller, &MessageBoxController::showMessage, this,
            [&](const QString &t, const QString &m) {
                title = t;
                message = m;
                QTimer::singleShot(50, this, [&]() {
                    closed = true;
                    controller.setPending(0);
                });
            });

    bool closedWhenReturned = false;
    LoaderThread loader([&]() {
        controller.showAndWait(QStringLiteral("Can not open file"),
                               QStringLiteral("The password is incorrect"));
        closedWhenReturned = closed;
    });
    loader.start();
    QTRY_VERIFY_WITH_TIMEOUT(loader.isFinished(), 5000);
    QVERIFY(closedWhenReturned);
    QCOMPARE(title, QStringLiteral("Can not open file"));
    QCOMPARE(message, QStringLiteral("The password is incorrect"));
}

void TestHandover::messageWithoutListenerDoesNotWait()
{
    MessageBoxController controller;
    LoaderThread loader(
            [&]() { controller.showAndWait(QStringLiteral("t"), QStringLiteral("m")); });
    loader.start();
    QVERIFY(loader.wait(5000));
    QCOMPARE(controller.isPending(), 0);
}

VL_TEST_GUILESS_MAIN(TestHandover)
#include "tst_handover.moc"
